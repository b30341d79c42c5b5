#include "wifi/net/save_result.h"

namespace setrion::net {

std::string saveErrorMessage(int code) {
    switch (code) {
    case kCodeNoBlock: return "There is no available information to write.";
    case kCodeNotSent: return "not sent: interrupted";
    case kCodeUnknownError: return "Unknown Error";
    case kCodeProductIdMismatch: return "Product ID Mismatch";
    case kCodePort50006: return "The port number 50006 is not available for Local Port.";
    case kCodePort50005: return "The port number 50005 is not available for Local Port.";
    case kCodeWebPort: return "The port number 80 is not available for Local Port.";
    case kCodeModbusPort: return "Local and Modbus/TCP Port numbers are duplicated.";
    case kCodePort23: return "Port Number 23 is not available";
    case kCodeDuplicatePorts: return "Local Port Number Error";
    case kCodeIoPortDistance: return "I/O Port Address Error";
    case kCodeMacroSyntax: return "Macro Syntax Error";
    case kCodeLocalIp: return "Local IP Address Error";
    case kCodeNoResponse: return "No response from selected ezTCP.";
    case kCodePasswordMismatch: return "Password mismatch error occured.";
    default: return "Invalid Error Code [" + std::to_string(code) + "]";
    }
}

}  // namespace setrion::net
