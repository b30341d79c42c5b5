#pragma once
#include <string>

namespace setrion::net {

// Result codes of a management write; positive values other than 1 are socket errors.
inline constexpr int kCodeSuccess = 1;
inline constexpr int kCodeNoBlock = -900;
inline constexpr int kCodeNotSent = -950;  // an interrupt ended the run before it was sent
inline constexpr int kCodeMergeTooLarge = -910;  // the merged payload would not fit
inline constexpr int kCodeUnknownError = -800;
inline constexpr int kCodeProductIdMismatch = -700;
inline constexpr int kCodePort50006 = -605;
inline constexpr int kCodePort50005 = -604;
inline constexpr int kCodeWebPort = -603;
inline constexpr int kCodeModbusPort = -602;
inline constexpr int kCodePort23 = -601;
inline constexpr int kCodeDuplicatePorts = -600;
inline constexpr int kCodeIoPortDistance = -500;
inline constexpr int kCodeMacroSyntax = -400;
inline constexpr int kCodeLocalIp = -300;
inline constexpr int kCodeNoResponse = -200;
inline constexpr int kCodePasswordMismatch = -100;

// The message shown for a failed write: the table's text, or "Invalid Error Code [%d]".
std::string saveErrorMessage(int code);

}  // namespace setrion::net
