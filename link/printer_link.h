#pragma once
#include <cstdint>
#include <span>

namespace setrion {

// One open connection to the printer (serial or USB). Opening differs by kind and lives
// on the concrete classes; the byte operations are shared.
class PrinterLink {
  public:
    virtual ~PrinterLink() = default;
    // Returns the number of bytes written (all of them on success), 0 on failure or when
    // the link is not open.
    virtual int write(std::span<const uint8_t> data) = 0;
    // Returns the number of bytes placed in `buffer`, 0 at once when nothing is waiting,
    // on error, or when the link is not open. The buffer is not terminated.
    virtual int read(std::span<uint8_t> buffer) = 0;
    // Closes the link; harmless when already closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // True when the last write returned less than its length although every byte reached
    // the device: the USB link reports a write that needed a reconnect as failed.
    virtual bool lastWriteRecovered() const { return false; }
};

// The link kinds that route every send and receive: 0 serial, 1 none, 2 USB.
enum class LinkKind : int { Serial = 0, None = 1, Usb = 2 };

// A serial + USB pair chosen by a link kind (the main dialog owns one, the Wi-Fi path another).
struct LinkPair {
    PrinterLink* serial = nullptr;
    PrinterLink* usb = nullptr;
    LinkKind kind = LinkKind::Serial;

    PrinterLink* current() const {
        switch (kind) {
            case LinkKind::Serial:
                return serial;
            case LinkKind::Usb:
                return usb;
            case LinkKind::None:
                break;
        }
        return nullptr;
    }
    int write(std::span<const uint8_t> data) const {
        PrinterLink* l = current();
        return l ? l->write(data) : 0;
    }
    int read(std::span<uint8_t> buffer) const {
        PrinterLink* l = current();
        return l ? l->read(buffer) : 0;
    }
};

}  // namespace setrion
