#include "wifi/module/profile_apply.h"

#include "wifi/settings/choice_codes.h"

namespace setrion::wifi {
namespace {

using namespace field;

int encryptionSelection(const WlanOptionsValue& o) {
    if (o.wpaMode != 0) return 3;
    return o.wepEncryption;
}
// The command-mode WPA authentication list: "None Use", "WPA-PSK", "WPA2-PSK".
int wpaAuthSelection(const WlanOptionsValue& o) { return o.wpaMode == 2 ? 1 : o.wpaMode == 4 ? 2 : 0; }

std::string channelTextOf(int channel) { return std::to_string(channel); }

// The channel a profile asks for: `channel`, else a number in `channel_text`.
std::optional<int> profileChannel(const SettingsPatch& p, ProfileRefusal& refusal) {
    std::optional<int> fromText;
    if (p.channelText && !p.channelText->empty()) fromText = std::stoi(*p.channelText);
    if (p.channel && fromText && *p.channel != *fromText)
        refusal = "channel_text: \"" + *p.channelText + "\" differs from channel " +
                  std::to_string(*p.channel);
    return p.channel ? p.channel : fromText;
}

void applyCommonPatch(const SettingsPatch& p, std::string& ssid, bool& dhcp, Octets& ip,
                      Octets& mask, Octets& gw, Octets& dns, int& mode, int& encryption,
                      int& authentication, int& keyInUse, std::string& wpaKey,
                      std::array<std::string, 4>& keyTexts, KeyFormats& formats) {
    if (p.ssid) ssid = *p.ssid;
    if (p.dhcp) dhcp = *p.dhcp;
    if (p.ip) ip = *p.ip;
    if (p.netmask) mask = *p.netmask;
    if (p.gateway) gw = *p.gateway;
    if (p.dns) dns = *p.dns;
    if (p.mode) mode = *p.mode;
    if (p.encryption) encryption = *p.encryption;
    if (p.authentication) authentication = *p.authentication;
    if (p.keyInUse) keyInUse = *p.keyInUse - 1;
    if (p.wpaKey) wpaKey = *p.wpaKey;
    if (p.wepKeys) keyTexts = *p.wepKeys;
    if (p.keyFormats) formats = *p.keyFormats;
}

// LPD keys on a module without LPD settings: only their "nothing" values are taken.
ProfileRefusal noLpdRefusal(const SettingsPatch& p, const char* module) {
    if ((p.lpdEnable && *p.lpdEnable) || (p.lpdQueue && !p.lpdQueue->empty()))
        return std::string(p.lpdQueue && !p.lpdQueue->empty() ? "lpd_queue" : "lpd_enable") +
               ": " + module + " has no LPD settings";
    return std::nullopt;
}

}  // namespace

ProfileRefusal applyToCommandMode(const SettingsPatch& p, CommandModeWriteInput& in) {
    ProfileRefusal refusal;
    auto channel = profileChannel(p, refusal);
    if (refusal) return refusal;
    if (channel && *channel > 14) return "channel: a command-mode module takes 1-14";
    if (p.wpaAuthentication && static_cast<int>(*p.wpaAuthentication) > 2)
        return "wpa_authentication: a command-mode module takes \"None Use\", \"WPA-PSK\" or "
               "\"WPA2-PSK\"";
    if (auto r = noLpdRefusal(p, "a command-mode module")) return r;
    applyCommonPatch(p, in.ssid, in.dhcp, in.ip, in.netmask, in.gateway, in.dns, in.mode,
                     in.encryption, in.authentication, in.keyInUse, in.wpaKey, in.keyTexts,
                     in.keyFormats);
    if (channel) in.channelSelection = *channel - 1;
    // Every key of the profile is written where the user put it.
    if (p.wepKeys)
        for (std::size_t k = 0; k < 4; ++k) in.keysGiven[k] = !(*p.wepKeys)[k].empty();
    if (p.wpaAuthentication) in.wpaAuthentication = static_cast<int>(*p.wpaAuthentication);
    if (p.wpaEncryption) in.wpaEncryption = static_cast<int>(*p.wpaEncryption);
    if (p.tcpPort) in.tcpPort = *p.tcpPort;
    return std::nullopt;
}

ProfileRefusal applyToBlock(const SettingsPatch& p, bool lpd, BlockWriteInput& in) {
    ProfileRefusal refusal;
    auto channel = profileChannel(p, refusal);
    if (refusal) return refusal;
    if (channel && *channel > 14 && !lpd) return "channel: this module has no 5 GHz channels";
    if (p.wpaEncryption &&
        *p.wpaEncryption != WpaEncryption::Tkip && *p.wpaEncryption != WpaEncryption::Aes)
        return "wpa_encryption: a settings-block module takes \"TKIP\" or \"AES\"";
    if (!lpd)
        if (auto r = noLpdRefusal(p, "this module")) return r;
    applyCommonPatch(p, in.ssid, in.dhcp, in.ip, in.netmask, in.gateway, in.dns, in.mode,
                     in.encryption, in.authentication, in.keyInUse, in.wpaKey, in.keyTexts,
                     in.keyFormats);
    if (p.wepKeys)
        for (std::size_t k = 0; k < 4; ++k) in.keysGiven[k] = !(*p.wepKeys)[k].empty();
    if (channel) {
        in.channel = *channel;
        in.channelText = channelTextOf(*channel);
    }
    // The record's WPA list has no "None" entry: position = code - 1, so "None" is -1.
    if (p.wpaAuthentication) in.wpaAuthentication = static_cast<int>(*p.wpaAuthentication) - 1;
    if (p.wpaEncryption) in.wpaEncryption = static_cast<int>(*p.wpaEncryption) - 1;
    if (p.tcpPort) in.tcpPort = *p.tcpPort;
    if (p.lpdEnable) in.lpdEnable = *p.lpdEnable;
    if (p.lpdQueue) in.lpdQueue = *p.lpdQueue;
    return std::nullopt;
}

CommandModeWriteInput commandModeWriteInput(const CommandModeSettings& cmd) {
    CommandModeWriteInput in;
    in.ip = cmd.ip, in.netmask = cmd.netmask, in.gateway = cmd.gateway, in.dns = cmd.dns;
    in.ssid = cmd.ssid;
    in.dhcp = cmd.dhcp;
    in.mode = cmd.options.mode;
    in.channelSelection = cmd.options.channel - 1;
    in.encryption = encryptionSelection(cmd.options);
    in.keyInUse = cmd.options.keyInUse;
    in.authentication = cmd.options.authentication;
    in.wpaAuthentication = wpaAuthSelection(cmd.options);
    in.wpaEncryption = cmd.options.wpaCipher;
    in.wpaKey = cmd.passphrase;
    in.tcpPort = cmd.tcpPort;
    const WepKeyStore& keys = in.encryption == 2 ? cmd.wep104 : cmd.wep40;
    for (size_t i = 0; i < 4; ++i) in.keyTexts[i] = keys.hex[i];
    in.keyFormats = {KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex};
    return in;
}

BlockWriteInput blockWriteInput(const WifiSettings& record) {
    BlockWriteInput in;
    in.macText = record.text(kMacAddress);
    in.ssid = record.text(kSsid);
    in.dhcp = record.choice(kDhcp) == 1;
    in.ip = record.address(kIp), in.netmask = record.address(kSubnet);
    in.gateway = record.address(kGateway), in.dns = record.address(kDns);
    in.mode = record.choice(kMode);
    in.channel = record.channel();
    in.encryption = record.choice(kEncryption);
    in.authentication = record.choice(kAuthentication);
    in.keyInUse = record.choice(kUseKey) - 1;
    // A record without WPA (code 0) keeps code 0 when written back.
    in.wpaAuthentication = record.choice(kWpa) - 1;
    in.wpaEncryption = record.choice(kWpaEnc);
    in.tcpPort = record.tcpPort();
    in.lpdEnable = record.choice(kLpdEnable) == 1;
    in.lpdQueue = record.text(kLpdQueue);
    in.channelText = record.text(kChannelText);
    in.keyFormats = {KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex};
    return in;
}

SettingsPatch reportedSettings(const CommandModeSettings& cmd) {
    SettingsPatch p;
    p.ssid = cmd.ssid;
    p.dhcp = cmd.dhcp;
    p.ip = cmd.ip, p.netmask = cmd.netmask, p.gateway = cmd.gateway, p.dns = cmd.dns;
    p.mode = cmd.options.mode;
    p.channel = cmd.options.channel;
    p.channelText = std::to_string(cmd.options.channel);
    p.encryption = encryptionSelection(cmd.options);
    p.authentication = cmd.options.authentication;
    p.keyInUse = cmd.options.keyInUse + 1;
    p.wpaAuthentication = static_cast<WpaAuthentication>(wpaAuthSelection(cmd.options));
    p.wpaEncryption = static_cast<WpaEncryption>(cmd.options.wpaCipher);
    p.wpaKey = cmd.passphrase;
    p.tcpPort = cmd.tcpPort;
    const WepKeyStore& keys = *p.encryption == 2 ? cmd.wep104 : cmd.wep40;
    p.wepKeys = keys.hex;
    p.lpdEnable = false;
    p.lpdQueue = "";
    return p;
}

}  // namespace setrion::wifi
