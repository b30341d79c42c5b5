#include "link/port_names.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace setrion {
namespace {

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// "COMn": 0 when the name does not start with COM; -1 when the number is not
// 1..maxComPortNumber().
int comNumber(std::string_view name) {
    if (name.size() < 3 || !equalsIgnoreCase(name.substr(0, 3), "COM")) return 0;
    std::string_view digits = name.substr(3);
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;  // e.g. "COMPORT": a path
    if (digits.empty() || digits.size() > 3 || digits[0] == '0') return -1;
    int n = 0;
    for (char c : digits) n = n * 10 + (c - '0');
    return n <= maxComPortNumber() ? n : -1;
}

std::string notAComPort(std::string_view name) {
    return "\"" + std::string(name) + "\" is not one of COM1..COM" +
           std::to_string(maxComPortNumber());
}

}  // namespace

std::string addPortMapping(std::string_view mapping, PortMap& map) {
    size_t eq = mapping.find('=');
    if (eq == std::string_view::npos)
        return "expected COMn=PATH, got \"" + std::string(mapping) + "\"";
    std::string_view name = mapping.substr(0, eq);
    std::string_view path = mapping.substr(eq + 1);
    int n = comNumber(name);
    if (n <= 0) return notAComPort(name);
    if (path.empty()) return "no device path for " + std::string(name);
    map["COM" + std::to_string(n)] = std::string(path);
    return {};
}

std::optional<ResolvedPort> resolvePort(std::string_view name, const PortMap& map,
                                        std::string* error, const EnvLookup& env) {
    auto fail = [&](std::string why) -> std::optional<ResolvedPort> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    if (name.empty()) return fail("no port given");
    if (equalsIgnoreCase(name, "USB")) return ResolvedPort{ResolvedPort::Kind::Usb, {}};
    int n = comNumber(name);
    if (n < 0) return fail(notAComPort(name));
    if (n == 0) return ResolvedPort{ResolvedPort::Kind::Serial, std::string(name)};

    std::string canonical = "COM" + std::to_string(n);
    if (auto it = map.find(canonical); it != map.end())
        return ResolvedPort{ResolvedPort::Kind::Serial, it->second};
    std::string var = "SETRION_" + canonical;
    const char* value = env ? env(var.c_str()) : std::getenv(var.c_str());
    if (value && *value) return ResolvedPort{ResolvedPort::Kind::Serial, value};
    return ResolvedPort{ResolvedPort::Kind::Serial, defaultComDevice(n)};
}

std::vector<std::string> portListNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= 9; ++i) names.push_back("COM" + std::to_string(i));
    names.push_back("USB");
    return names;
}

}  // namespace setrion
