#include "wifi/net/profile_edit.h"

#include "wifi/net/net_types.h"

namespace setrion::net {

// The edit a validated profile makes on a line of the given kind, or the key the line has
// no room for.
std::string networkEditFromPatch(const wifi::SettingsPatch& p, bool module, NetworkEdit& e) {
    using wifi::WpaEncryption;
    auto host = [](const std::optional<wifi::Octets>& o) -> std::optional<uint32_t> {
        if (!o) return std::nullopt;
        return octetsToHost(*o);
    };
    std::optional<int> channel = p.channel;
    if (!channel && p.channelText && !p.channelText->empty()) channel = std::stoi(*p.channelText);
    if (p.channel && p.channelText && !p.channelText->empty() &&
        std::stoi(*p.channelText) != *p.channel)
        return "channel_text: \"" + *p.channelText + "\" differs from channel " +
               std::to_string(*p.channel);
    if (module && channel && *channel > 14) return "channel: a LAN module takes 1-14";
    if (p.wepKeys) return "wep_keys: a network save keeps the printer's WEP keys";
    if (p.keyFormats) return "key_formats: a network save keeps the printer's WEP keys";
    if ((p.lpdEnable && *p.lpdEnable) || (p.lpdQueue && !p.lpdQueue->empty()))
        return std::string(p.lpdQueue && !p.lpdQueue->empty() ? "lpd_queue" : "lpd_enable") +
               ": a network save has no LPD settings";
    int wpaAuth = p.wpaAuthentication ? static_cast<int>(*p.wpaAuthentication) : 0;
    if (module && wpaAuth > 2)
        return "wpa_authentication: a LAN module takes \"None\", \"WPA-PSK\" or \"WPA2-PSK\"";
    if (!module && p.wpaEncryption && *p.wpaEncryption != WpaEncryption::Tkip &&
        *p.wpaEncryption != WpaEncryption::Aes)
        return "wpa_encryption: a text-frame printer takes \"TKIP\" or \"AES\"";
    e.ssid = p.ssid;
    e.ip = host(p.ip);
    e.netmask = host(p.netmask);
    e.gateway = host(p.gateway);
    e.dns = host(p.dns);
    e.mode = p.mode;
    e.channel = channel;
    e.encryption = p.encryption;
    e.authentication = p.authentication;
    e.keyInUse = p.keyInUse;
    // The module's lists start with "None" (position = code); the text record keeps the code.
    if (p.wpaAuthentication) e.wpaAuthentication = wpaAuth;
    if (p.wpaEncryption) e.wpaEncryption = static_cast<int>(*p.wpaEncryption) - (module ? 0 : 1);
    e.wpaKey = p.wpaKey;
    e.tcpPort = p.tcpPort;
    e.dhcp = p.dhcp;
    return {};
}

}  // namespace setrion::net
