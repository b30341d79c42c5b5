#include "link/usb_backend.h"

namespace setrion::usb {

const char* usbErrorName(UsbError error) {
    switch (error) {
        case UsbError::Ok:
            return "ok";
        case UsbError::Io:
            return "io";
        case UsbError::InvalidParam:
            return "invalid-param";
        case UsbError::Access:
            return "access";
        case UsbError::NoDevice:
            return "no-device";
        case UsbError::NotFound:
            return "not-found";
        case UsbError::Busy:
            return "busy";
        case UsbError::Timeout:
            return "timeout";
        case UsbError::Overflow:
            return "overflow";
        case UsbError::Pipe:
            return "pipe";
        case UsbError::Interrupted:
            return "interrupted";
        case UsbError::NoMemory:
            return "no-memory";
        case UsbError::NotSupported:
            return "not-supported";
        case UsbError::Other:
            break;
    }
    return "other";
}

}  // namespace setrion::usb
