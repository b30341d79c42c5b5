#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace setrion::wifi {

// The module parameters exchanged in command mode, by their table index.
enum class Parameter : int {
    IpAddress = 0,
    SubnetMask = 1,
    Gateway = 2,
    Dns = 3,
    Ssid = 4,
    WlanOptions = 5,
    WepKeys40 = 6,
    WepKeys104 = 7,
    WpaKey = 8,
    WpaPsk = 9,
    ModuleInfo = 10,
    TcpActiveOptions = 11,
    WpaKeyExtended = 12,
    TcpIpPort = 13,
};
inline constexpr int kParameterCount = 14;

struct ParameterInfo {
    Parameter id;
    std::string_view name;
    std::string_view group;  // two-character code sent in the command line ("" for ModuleInfo)
    std::string_view item;
    uint8_t type;            // the same codes as the item's type and index bytes
    uint8_t index;
    std::size_t valueLength;  // bytes of the value
};

const ParameterInfo& parameterInfo(Parameter p);
// The parameter whose item carries this type and index, or nullptr.
const ParameterInfo* parameterByCodes(uint8_t type, uint8_t index);

}  // namespace setrion::wifi
