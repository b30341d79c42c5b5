#include "wifi/net/printer_view.h"

#include <array>
#include <string_view>

#include "wifi/settings/choice_codes.h"

namespace setrion::net {
namespace {

constexpr std::array<std::string_view, 3> kModuleWpaAuthTexts{"None", "WPA-PSK", "WPA2-PSK"};
constexpr std::array<std::string_view, 4> kModuleWpaEncTexts{"None", "TKIP", "AES", "TKIP+AES"};

template <size_t N>
std::string textAt(const std::array<std::string_view, N>& list, uint32_t i) {
    return std::string(wifi::choiceText(list, static_cast<int>(i)));
}

}  // namespace

PrinterView describeModule(const DiscoveredPrinter& r) {
    using namespace wifi_bits;
    PrinterView v;
    v.mac = formatMac(r.mac);
    v.kind = "module";
    v.ip = formatIpv4(r.replyAddress);
    v.netmask = formatIpv4(r.subnetMask);
    v.gateway = formatIpv4(r.gateway);
    v.dns = formatIpv4(r.dnsServer);
    v.ssid = r.ssidText();
    uint32_t f = r.wifiFlags;
    v.mode = textAt(wifi::kModeTexts, f & kTopologyMask);
    v.channel = static_cast<int>((f >> kChannelShift) & 0xF);
    uint32_t wep = (f >> kWepShift) & 3;
    uint32_t wpa = (f >> kWpaModeShift) & 7;
    v.encryption = textAt(wifi::kEncryptionTexts, (wep == 1 || wep == 2) ? wep : (wpa ? 3u : 0u));
    v.authentication = textAt(wifi::kAuthenticationTexts, (f >> kAuthShift) & 3);
    v.keyInUse = static_cast<int>((f >> kKeyIndexShift) & 3) + 1;
    v.wpaAuthentication = textAt(kModuleWpaAuthTexts, (f >> 17) & 3);
    v.wpaEncryption = textAt(kModuleWpaEncTexts, (f >> kWpaCipherShift) & 3);
    v.wpaKey = r.wpaPassphraseText();
    v.tcpPort = r.ports[0].localPort();
    v.dhcp = (r.optionFlags & kOptionDhcpRead) != 0;
    return v;
}

PrinterView describeTextRecord(const wifi::WifiSettings& r) {
    namespace f = wifi::field;
    PrinterView v;
    std::string mac = r.text(f::kMacAddress);
    if (auto parsed = parseMac(mac)) v.mac = formatMac(*parsed);
    else v.mac = mac;
    v.kind = "text";
    v.ip = wifi::dottedAddress(r.address(f::kIp));
    v.netmask = wifi::dottedAddress(r.address(f::kSubnet));
    v.gateway = wifi::dottedAddress(r.address(f::kGateway));
    v.dns = wifi::dottedAddress(r.address(f::kDns));
    v.ssid = r.text(f::kSsid);
    v.mode = std::string(wifi::choiceText(wifi::kModeTexts, r.choice(f::kMode)));
    v.channel = r.channelTextNumber() >= 36 ? r.channelTextNumber() : r.channel();
    v.encryption = std::string(wifi::choiceText(wifi::kEncryptionTexts, r.choice(f::kEncryption)));
    v.authentication =
        std::string(wifi::choiceText(wifi::kAuthenticationTexts, r.choice(f::kAuthentication)));
    v.keyInUse = r.choice(f::kUseKey);
    v.wpaAuthentication = std::string(wifi::choiceText(wifi::kWpaTexts, r.choice(f::kWpa)));
    v.wpaEncryption = std::string(wifi::choiceText(wifi::kWpaEncTexts, r.choice(f::kWpaEnc)));
    v.wpaKey = r.text(f::kWpaKey);
    v.tcpPort = r.tcpPort();
    v.dhcp = r.choice(f::kDhcp) == 1;
    return v;
}

}  // namespace setrion::net
