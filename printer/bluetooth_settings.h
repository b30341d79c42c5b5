#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printer/command_exchange.h"

namespace setrion {

// Bluetooth address, discoverable mode and PIN. ESC/POS and MPCL take the ESC "b" "t" byte
// commands, CPCL the PrinterCommand lines, ZPL/EPL/DPL nothing. Results are kProbeOk, a
// probe failure code, or kSettingRefused.

// The operation refused its input before sending anything (see isAcceptablePin).
inline constexpr int kSettingRefused = -3;

inline constexpr size_t kMaxPinLength = 10;
// 1 to 10 printable ASCII characters without a double quote (the quote would end the
// CPCL value early and let the rest of the text through as printer commands).
bool isAcceptablePin(std::string_view pin);

// ESC "b" "t" 0x01 0x0E.
std::vector<uint8_t> bluetoothAddressQuery();
// ESC "b" "t" 0x01 "V".
std::vector<uint8_t> bluetoothDiscoverableQuery();
// ESC "b" "t" 0x01 then 0x05 (on) or 0x06 (off).
std::vector<uint8_t> bluetoothDiscoverableCommand(bool on);
// ESC "b" "t", PIN length + 1, 0x90, the PIN's characters. Nullopt for an unacceptable PIN.
std::optional<std::vector<uint8_t>> bluetoothPinCommand(std::string_view pin);

struct BluetoothInfo {
    int result = kProbeOk;
    // False for ZPL, EPL and DPL: nothing was asked, the shown texts stay as they were.
    bool queried = false;
    std::string address;        // quotes stripped
    bool discoverable = false;  // the answer contained "on"
};
// Probe, then the address and the discoverable query, each with its first answer. A query
// left unanswered for the collect bound gives kProbeNoResponse.
BluetoothInfo getBluetoothInfo(CommandExchange& exchange, EmulationCode& emulation);

// Probe, then the PIN (kSettingRefused, nothing sent, for an unacceptable PIN).
int saveBluetoothPin(CommandExchange& exchange, EmulationCode& emulation, std::string_view pin);
// Probe, then discoverable on or off.
int saveDiscoverable(CommandExchange& exchange, EmulationCode& emulation, bool on);

}  // namespace setrion
