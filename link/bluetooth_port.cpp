#include "link/bluetooth_port.h"

namespace setrion {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool isBluetoothPortName(std::string_view name) {
    return name.size() >= 3 && (name[0] == 'b' || name[0] == 'B') &&
           (name[1] == 't' || name[1] == 'T') && name[2] == ':';
}

std::optional<BluetoothPort> parseBluetoothPort(std::string_view name, std::string* error) {
    auto fail = [&](const char* why) -> std::optional<BluetoothPort> {
        if (error) *error = std::string(name) + ": " + why;
        return std::nullopt;
    };
    if (!isBluetoothPortName(name)) return fail("not a Bluetooth port (bt:ADDRESS[/CHANNEL])");
    std::string_view rest = name.substr(3);
    BluetoothPort port;
    // Six octets of two hexadecimal digits separated by colons: 17 characters.
    if (rest.size() < 17) return fail("expected an address such as 00:11:22:33:44:55");
    for (size_t i = 0; i < 6; ++i) {
        const int hi = hexDigit(rest[i * 3]);
        const int lo = hexDigit(rest[i * 3 + 1]);
        if (hi < 0 || lo < 0 || (i < 5 && rest[i * 3 + 2] != ':'))
            return fail("expected an address such as 00:11:22:33:44:55");
        port.address[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    rest = rest.substr(17);
    if (rest.empty()) return port;
    if (rest[0] != '/' || rest.size() < 2 || rest.size() > 3)
        return fail("expected /CHANNEL (1 to 30) after the address");
    int channel = 0;
    for (char c : rest.substr(1)) {
        if (c < '0' || c > '9') return fail("expected /CHANNEL (1 to 30) after the address");
        channel = channel * 10 + (c - '0');
    }
    if (channel < 1 || channel > 30) return fail("the RFCOMM channel must be 1 to 30");
    port.channel = channel;
    return port;
}

}  // namespace setrion
