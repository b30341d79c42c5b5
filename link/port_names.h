#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace setrion {

// What a port name from the lists or the command line stands for.
struct ResolvedPort {
    enum class Kind { Serial, Usb } kind = Kind::Serial;
    // The tty to open (Serial only).
    std::string device;
};

// Port name -> device overrides: "COM3" -> "/dev/ttyUSB0".
using PortMap = std::map<std::string, std::string>;
// Looks up an environment variable; null when unset.
using EnvLookup = std::function<const char*(const char*)>;

// Adds one "COMn=PATH" mapping (n from 1 to 9). Returns an error text, empty on success.
std::string addPortMapping(std::string_view mapping, PortMap& map);

// The platform's part: the highest COM number a name may carry (9 on Linux, where COMn
// stands for a tty; 256 on Windows) and the device a COMn stands for without a mapping
// (/dev/ttyS{n-1} on Linux, \\.\COMn on Windows).
int maxComPortNumber();
std::string defaultComDevice(int n);

// "USB" is the USB link. "COM1".."COMmax" resolve to a mapping given in `map`, else the
// environment's SETRION_COMn, else defaultComDevice(n). Anything else is a device path used as
// given. Returns nullopt for an empty name or a COM number outside 1..max; `error` says why.
std::optional<ResolvedPort> resolvePort(std::string_view name, const PortMap& map,
                                        std::string* error = nullptr,
                                        const EnvLookup& env = nullptr);

// The names the port lists offer, in list order: "COM1".."COM9", "USB".
std::vector<std::string> portListNames();

}  // namespace setrion
