#include "wifi/module/parameters.h"

#include <array>

namespace setrion::wifi {

namespace {
constexpr std::array<ParameterInfo, kParameterCount> kTable{{
    {Parameter::IpAddress, "IpAddress", "03", "00", 0x03, 0x00, 4},
    {Parameter::SubnetMask, "SubnetMask", "03", "01", 0x03, 0x01, 4},
    {Parameter::Gateway, "Gateway", "03", "02", 0x03, 0x02, 4},
    {Parameter::Dns, "Dns", "03", "03", 0x03, 0x03, 4},
    {Parameter::Ssid, "Ssid", "09", "01", 0x09, 0x01, 32},
    {Parameter::WlanOptions, "WlanOptions", "09", "00", 0x09, 0x00, 4},
    {Parameter::WepKeys40, "WepKeys40", "09", "02", 0x09, 0x02, 20},
    {Parameter::WepKeys104, "WepKeys104", "09", "03", 0x09, 0x03, 52},
    {Parameter::WpaKey, "WpaKey", "09", "04", 0x09, 0x04, 32},
    {Parameter::WpaPsk, "WpaPsk", "09", "05", 0x09, 0x05, 32},
    {Parameter::ModuleInfo, "ModuleInfo", "", "", 0x00, 0x00, 14},
    {Parameter::TcpActiveOptions, "TcpActiveOptions", "05", "00", 0x05, 0x00, 4},
    {Parameter::WpaKeyExtended, "WpaKeyExtended", "09", "15", 0x09, 0x15, 32},
    {Parameter::TcpIpPort, "TcpIpPort", "20", "00", 0x20, 0x00, 20},
}};
}  // namespace

const ParameterInfo& parameterInfo(Parameter p) { return kTable[static_cast<std::size_t>(p)]; }

const ParameterInfo* parameterByCodes(uint8_t type, uint8_t index) {
    for (const auto& info : kTable)
        if (info.id != Parameter::ModuleInfo && info.type == type && info.index == index)
            return &info;
    return nullptr;
}

}  // namespace setrion::wifi
