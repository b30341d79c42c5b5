#include "sim/wifi_module/sim_module_state.h"

#include <string>

#include "common/hex.h"
#include "wifi/module/wlan_options.h"

namespace setrion::sim {

using wifi::Parameter;

ParameterValues commandModuleDefaults() {
    ParameterValues v;
    v[Parameter::IpAddress] = {192, 168, 0, 223};
    v[Parameter::SubnetMask] = {255, 255, 255, 0};
    v[Parameter::Gateway] = {192, 168, 0, 1};
    v[Parameter::Dns] = {192, 168, 0, 1};
    std::vector<uint8_t> ssid(32, 0);
    const std::string name = "sim-ap";
    std::copy(name.begin(), name.end(), ssid.begin());
    v[Parameter::Ssid] = ssid;
    auto opts = wifi::encodeWlanOptions({1, 6, 0, 0, 1, 0, 0});
    v[Parameter::WlanOptions] = {opts.begin(), opts.end()};
    v[Parameter::WepKeys40] = std::vector<uint8_t>(20, 0);
    v[Parameter::WepKeys104] = std::vector<uint8_t>(52, 0);
    v[Parameter::WpaKey] = std::vector<uint8_t>(32, 0);
    v[Parameter::WpaKeyExtended] = std::vector<uint8_t>(32, 0);
    v[Parameter::WpaPsk] = std::vector<uint8_t>(32, 0);
    v[Parameter::TcpActiveOptions] = {0x02, 0x00, 0x02, 0x00};
    std::vector<uint8_t> port(20, 0);
    for (std::size_t i = 0; i < port.size(); ++i) port[i] = static_cast<uint8_t>(0xA0 + i);
    port[8] = 0x8C;  // 9100, low byte first
    port[9] = 0x23;
    v[Parameter::TcpIpPort] = port;
    return v;
}

wifi::WifiSettings blockModuleDefaults(const std::array<uint8_t, 6>& mac) {
    using namespace wifi;
    WifiSettings r;
    r.overwriteStart(field::kVersion, "01");
    r.overwriteStart(field::kMacAddress, toHex(mac));
    r.setText(field::kSsid, "sim-block");
    r.setChoice(field::kDhcp, 0);
    r.setAddress(field::kIp, {192, 168, 0, 224});
    r.setAddress(field::kSubnet, {255, 255, 255, 0});
    r.setAddress(field::kGateway, {192, 168, 0, 1});
    r.setAddress(field::kDns, {192, 168, 0, 1});
    r.setChoice(field::kMode, 1);
    r.setChannel(6);
    r.setChoice(field::kEncryption, 0);
    r.setChoice(field::kAuthentication, 1);
    r.setChoice(field::kUseKey, 1);
    r.setChoice(field::kWpa, 0);
    r.setChoice(field::kWpaEnc, 0);
    r.setText(field::kWpaKey, "");
    r.setTcpPort(9100);
    r.setChoice(field::kEapType, 0);
    r.setText(field::kEapId, "");
    r.setText(field::kEapPassword, "");
    r.setText(field::kCaCertFile, "");
    r.setText(field::kClientCertFile, "");
    r.setText(field::kPrivateKeyFile, "");
    r.setChoice(field::kEapFastProvisioning, 0);
    r.setEapFastServers(1);
    r.setChoice(field::kLpdEnable, 1);
    r.setText(field::kLpdQueue, "lp");
    r.overwriteStart(field::kChannelText, "6  ");
    r.fill(field::kReserved2, 'R');
    return r;
}

namespace {
std::string dotted(const std::vector<uint8_t>& b) {
    if (b.size() < 4) return {};
    return wifi::dottedAddress({b[0], b[1], b[2], b[3]});
}
std::string zeroText(const std::vector<uint8_t>& b) {
    std::string s;
    for (uint8_t c : b) {
        if (c == 0) break;
        s.push_back(static_cast<char>(c));
    }
    return s;
}
std::vector<uint8_t> wpaKeyArea(const std::vector<uint8_t>& first,
                                const std::vector<uint8_t>& second) {
    std::vector<uint8_t> area = first;
    area.resize(32, 0);
    area.insert(area.end(), second.begin(), second.end());
    return area;
}
}  // namespace

nlohmann::json commandModuleJson(const ParameterValues& v) {
    auto at = [&](Parameter p) -> const std::vector<uint8_t>& { return v.at(p); };
    auto o = wifi::decodeWlanOptions(at(Parameter::WlanOptions));
    const auto& port = at(Parameter::TcpIpPort);
    return {
        {"ip", dotted(at(Parameter::IpAddress))},
        {"netmask", dotted(at(Parameter::SubnetMask))},
        {"gateway", dotted(at(Parameter::Gateway))},
        {"dns", dotted(at(Parameter::Dns))},
        {"ssid", zeroText(at(Parameter::Ssid))},
        {"mode", o.mode},
        {"channel", o.channel},
        {"wep_encryption", o.wepEncryption},
        {"key_in_use", o.keyInUse},
        {"authentication", o.authentication},
        {"wpa_mode", o.wpaMode},
        {"wpa_cipher", o.wpaCipher},
        {"wlan_options", toHex(at(Parameter::WlanOptions))},
        {"wep_keys40", toHex(at(Parameter::WepKeys40))},
        {"wep_keys104", toHex(at(Parameter::WepKeys104))},
        // The module's key runs to the first zero byte across its two 32-byte halves.
        {"wpa_key", zeroText(wpaKeyArea(at(Parameter::WpaKey), at(Parameter::WpaKeyExtended)))},
        {"wpa_key_extended", toHex(at(Parameter::WpaKeyExtended))},
        {"wpa_psk", toHex(at(Parameter::WpaPsk))},
        {"tcp_port", port[8] | (port[9] << 8)},
        {"tcp_ip_port", toHex(port)},
        {"dhcp", (at(Parameter::TcpActiveOptions)[0] & 0x08) != 0},
    };
}

nlohmann::json blockModuleJson(const wifi::WifiSettings& r) {
    using namespace wifi;
    std::string raw(r.bytes().begin(), r.bytes().end());
    return {
        {"mac", r.text(field::kMacAddress)},
        {"ssid", r.text(field::kSsid)},
        {"dhcp", r.choice(field::kDhcp) == 1},
        {"ip", dottedAddress(r.address(field::kIp))},
        {"netmask", dottedAddress(r.address(field::kSubnet))},
        {"gateway", dottedAddress(r.address(field::kGateway))},
        {"dns", dottedAddress(r.address(field::kDns))},
        {"mode", r.choice(field::kMode)},
        {"channel", r.channel()},
        {"encryption", r.choice(field::kEncryption)},
        {"authentication", r.choice(field::kAuthentication)},
        {"key_in_use", r.choice(field::kUseKey)},
        {"keys",
         {r.text(field::kKey1), r.text(field::kKey2), r.text(field::kKey3), r.text(field::kKey4)}},
        {"wpa", r.choice(field::kWpa)},
        {"wpa_encryption", r.choice(field::kWpaEnc)},
        {"wpa_key", r.text(field::kWpaKey)},
        {"tcp_port", r.tcpPort()},
        {"lpd_enable", r.choice(field::kLpdEnable) == 1},
        {"lpd_queue", r.text(field::kLpdQueue)},
        {"channel_text", r.text(field::kChannelText)},
        {"version", std::string(raw, 0, 2)},
        {"reserved2", toHex(r.raw(field::kReserved2))},
    };
}

}  // namespace setrion::sim
