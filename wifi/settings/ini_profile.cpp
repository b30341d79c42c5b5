#include "wifi/settings/ini_profile.h"

#include <algorithm>

namespace setrion::wifi {

SettingsPatch wifiIniPatch(const WifiIniValues& v) {
    SettingsPatch p;
    if (!v.ssid.empty()) p.ssid = v.ssid;
    p.dhcp = v.dhcp;
    p.ip = v.ip;
    p.netmask = v.subnet;
    p.gateway = v.gateway;
    p.dns = v.dns;
    p.mode = v.mode;
    p.channel = v.channel;
    p.authentication = v.authentication;
    p.keyInUse = v.useKey;
    if (!v.wpaKey.empty()) p.wpaKey = v.wpaKey;
    if (v.tcpPort) p.tcpPort = *v.tcpPort;

    // The dialog shows "WPA" for any WPA value but 0, else ENCRYPTION.
    const std::optional<int> encryption = (v.wpa && *v.wpa != 0) ? 3 : v.encryption;
    if (encryption) {
        p.encryption = encryption;
        if (*encryption != 3)
            p.wpaAuthentication = WpaAuthentication::None;
        else if (v.wpa && *v.wpa <= 1)
            p.wpaAuthentication = static_cast<WpaAuthentication>(*v.wpa + 1);
    }
    if (v.wpaEnc) p.wpaEncryption = *v.wpaEnc == 0 ? WpaEncryption::Tkip : WpaEncryption::Aes;

    bool anyKey = false;
    for (const auto& k : v.keys) anyKey = anyKey || !k.empty();
    if (anyKey) {
        p.wepKeys = v.keys;
        p.keyFormats = KeyFormats{KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex};
    }
    return p;
}

namespace {

// "UTF-16 (little-endian)" or "UTF-16 (big-endian)" for a text with a UTF-16 byte order mark,
// or without one whose first character is ASCII (a NUL beside it); "" otherwise.
std::string_view utf16Encoding(std::string_view text) {
    if (text.size() < 2) return {};
    const auto b0 = static_cast<uint8_t>(text[0]);
    const auto b1 = static_cast<uint8_t>(text[1]);
    if ((b0 == 0xFF && b1 == 0xFE) || (b0 != 0 && b1 == 0)) return "UTF-16 (little-endian)";
    if ((b0 == 0xFE && b1 == 0xFF) || (b0 == 0 && b1 != 0)) return "UTF-16 (big-endian)";
    return {};
}

}  // namespace

ProfileResult loadIniProfile(const std::filesystem::path& path) {
    ProfileResult r;
    std::string error;
    auto text = readRegularFile(path, kMaxProfileBytes, &error);
    if (!text) {
        r.error = {"", error};
        return r;
    }
    // A UTF-16 file parses as no keys at all: it is named for what it is.
    if (const std::string_view encoding = utf16Encoding(*text); !encoding.empty()) {
        r.error = {"", path.string() + ": the file is " + std::string(encoding) +
                           " text; save it as UTF-8 (or ANSI) and try again"};
        return r;
    }
    const WifiIniValues values = readWifiIni(IniFile::parse(*text));
    if (!values.refused.empty()) {
        r.error = {values.refused.front().key,
                   path.string() + ": " + values.refused.front().message()};
        return r;
    }
    SettingsPatch patch = wifiIniPatch(values);
    for (const char* identity : {"Version", "MacAddress"})
        if (std::find(values.accepted.begin(), values.accepted.end(), identity) !=
            values.accepted.end())
            patch.ignoredKeys.emplace_back(identity);
    patch.unusedKeys = values.ignored;
    if (values.accepted.size() == patch.ignoredKeys.size()) {
        std::string message =
            path.string() + ": [" + std::string(kWifiIniSection) + "] has no key that sets a value";
        for (const auto& note : values.ignored) message += "\n  " + note;
        r.error = {"", message};
        return r;
    }
    if (auto e = validatePatch(patch)) {
        r.error = *e;
        r.error.message = path.string() + ": " + r.error.message;
        return r;
    }
    r.patch = std::move(patch);
    return r;
}

bool isIniProfilePath(std::string_view path) {
    if (path.size() < 4) return false;
    std::string_view ext = path.substr(path.size() - 4);
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return ext[0] == '.' && lower(ext[1]) == 'i' && lower(ext[2]) == 'n' && lower(ext[3]) == 'i';
}

ProfileResult loadSettingsProfile(const std::filesystem::path& path) {
    return isIniProfilePath(path.string()) ? loadIniProfile(path) : loadJsonProfile(path);
}

}  // namespace setrion::wifi
