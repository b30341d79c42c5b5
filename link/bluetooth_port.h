#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace setrion {

// A Bluetooth serial port named "bt:00:11:22:33:44:55" (RFCOMM channel 1, the serial port
// profile on most printers) or "bt:00:11:22:33:44:55/N" (channel N, 1 to 30). The link
// connects an RFCOMM socket to it: no `rfcomm bind`, which needs root.
struct BluetoothPort {
    std::array<uint8_t, 6> address{};  // as written, most significant octet first
    int channel = 1;
};

// True when the name starts with "bt:" (then it is never a device path).
bool isBluetoothPortName(std::string_view name);
// The address and channel, or nullopt with `error` saying what is wrong.
std::optional<BluetoothPort> parseBluetoothPort(std::string_view name,
                                                std::string* error = nullptr);

}  // namespace setrion
