#include "wifi/net/module_report.h"

namespace setrion::net {

wifi::SettingsPatch reportedSettings(const DiscoveredPrinter& r) {
    using namespace wifi_bits;
    uint32_t f = r.wifiFlags;
    uint32_t wep = (f >> kWepShift) & 3;
    uint32_t wpa = (f >> kWpaModeShift) & 7;
    wifi::SettingsPatch p;
    p.ssid = r.ssidText();
    p.dhcp = (r.optionFlags & kOptionDhcpRead) != 0;
    p.ip = r.ipAddress;
    p.netmask = r.subnetMask;
    p.gateway = r.gateway;
    p.dns = r.dnsServer;
    p.mode = static_cast<int>(f & kTopologyMask);
    p.channel = static_cast<int>((f >> kChannelShift) & 0xF);
    p.encryption = (wep == 1 || wep == 2) ? static_cast<int>(wep) : (wpa ? 3 : 0);
    p.authentication = static_cast<int>((f >> kAuthShift) & 3);
    p.keyInUse = static_cast<int>((f >> kKeyIndexShift) & 3) + 1;
    // The module's WPA lists are the profile's codes: None, WPA-PSK, WPA2-PSK / None, TKIP,
    // AES, TKIP+AES.
    p.wpaAuthentication = static_cast<wifi::WpaAuthentication>((f >> 17) & 3);
    p.wpaEncryption = static_cast<wifi::WpaEncryption>((f >> kWpaCipherShift) & 3);
    p.wpaKey = r.wpaPassphraseText();
    p.tcpPort = r.ports[0].localPort();
    return p;
}

}  // namespace setrion::net
