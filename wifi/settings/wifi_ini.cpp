#include "wifi/settings/wifi_ini.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>
#include <vector>

#include "common/hex.h"

namespace setrion::wifi {

namespace {

using namespace field;

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

// A one-character choice: exactly one digit within 0..max.
std::optional<int> oneDigit(const std::string& v, int min, int max) {
    if (v.size() != 1 || v[0] < '0' || v[0] > '9') return std::nullopt;
    int code = v[0] - '0';
    if (code < min || code > max) return std::nullopt;
    return code;
}

std::optional<unsigned> decimal(std::string_view v, unsigned max) {
    unsigned n = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.empty() || ec != std::errc() || p != v.data() + v.size() || n > max) return std::nullopt;
    return n;
}

std::vector<std::string> split(std::string_view s, char sep) {
    std::vector<std::string> parts;
    std::size_t pos = 0;
    for (;;) {
        std::size_t end = s.find(sep, pos);
        parts.emplace_back(s.substr(pos, end == std::string_view::npos ? s.npos : end - pos));
        if (end == std::string_view::npos) return parts;
        pos = end + 1;
    }
}

std::string number(const char* format, int value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

constexpr std::array<const char*, 4> kKeyNames{"KEY1", "KEY2", "KEY3", "KEY4"};

}  // namespace

std::filesystem::path defaultWifiIniPath() {
    return std::filesystem::path(".") / kWifiIniFileName;
}

std::string WifiIniRefusal::message() const {
    return key + ": expected a text of at most " + std::to_string(limit) + " bytes (" +
           std::to_string(length) + " given)";
}

WifiIniValues readWifiIni(const IniFile& file, const WifiSettings& base) {
    WifiIniValues out;
    out.record = base;
    WifiSettings& r = out.record;
    auto read = [&](const char* key) { return file.readString(kWifiIniSection, key); };
    auto accept = [&](const char* key) { out.accepted.emplace_back(key); };
    // A text key: its whole value, or nothing when the value is empty or longer than `width`.
    auto text = [&](const char* key, std::size_t width) -> std::string {
        std::string v = file.value(kWifiIniSection, key).value_or("");
        if (v.size() <= width) return v;
        out.refused.push_back({key, width, v.size()});
        return {};
    };

    if (std::string v = read("Version"); v.size() == 2) {
        r.overwriteStart(kVersion, v);
        accept("Version");
    }

    if (std::string v = read("MacAddress"); v.size() == 12) {
        v = upper(v);
        r.overwriteStart(kMacAddress, v);
        std::string shown;
        for (std::size_t i = 0; i < 12; i += 2) {
            if (i) shown += ':';
            shown += v.substr(i, 2);
        }
        out.macText = shown;
        accept("MacAddress");
    }

    if (std::string v = text("SSID", kSsid.capacity()); !v.empty()) {
        r.setText(kSsid, v);
        out.ssid = v;
        accept("SSID");
    }

    if (auto d = oneDigit(read("DHCP"), 0, 1)) {
        r.setChoice(kDhcp, *d);
        out.dhcp = *d == 1;
        accept("DHCP");
    }

    const std::pair<const char*, RecordField> addresses[] = {
        {"IP", kIp}, {"SUBNET", kSubnet}, {"GATEWAY", kGateway}, {"DNS", kDns}};
    std::optional<Octets>* targets[] = {&out.ip, &out.subnet, &out.gateway, &out.dns};
    for (std::size_t i = 0; i < 4; ++i) {
        if (auto o = parseDottedAddress(read(addresses[i].first), true)) {
            r.setAddress(addresses[i].second, *o);
            *targets[i] = *o;
            accept(addresses[i].first);
        }
    }

    if ((out.mode = oneDigit(read("MODE"), 0, 1))) {
        r.setChoice(kMode, *out.mode);
        accept("MODE");
    }

    if (std::string v = read("CHANNEL"); v.size() == 2) {
        if (auto ch = decimal(v, 14); ch && *ch >= 1) {
            out.channel = static_cast<int>(*ch);
            r.setChannel(*out.channel);
            accept("CHANNEL");
        }
    }

    if ((out.encryption = oneDigit(read("ENCRYPTION"), 0, 4))) {
        r.setChoice(kEncryption, *out.encryption);
        accept("ENCRYPTION");
    }
    if ((out.authentication = oneDigit(read("AUTHENTICATION"), 0, 3))) {
        r.setChoice(kAuthentication, *out.authentication);
        accept("AUTHENTICATION");
    }
    if ((out.useKey = oneDigit(read("USEKEY"), 1, 4))) {
        r.setChoice(kUseKey, *out.useKey);
        accept("USEKEY");
    }

    for (std::size_t i = 0; i < 4; ++i) {
        std::string v = text(kKeyNames[i], kKeys[i].length);
        if (v.empty()) continue;
        r.overwriteStart(kKeys[i], v);
        out.keys[i] = v;
        accept(kKeyNames[i]);
    }

    if ((out.wpa = oneDigit(read("WPA"), 0, 4))) {
        r.setChoice(kWpa, *out.wpa);
        accept("WPA");
    }
    if ((out.wpaEnc = oneDigit(read("WPAENC"), 0, 1))) {
        r.setChoice(kWpaEnc, *out.wpaEnc);
        accept("WPAENC");
    }

    if (std::string v = text("WPAKEY", kWpaKey.capacity()); !v.empty()) {
        r.setText(kWpaKey, v);
        out.wpaKey = v;
        accept("WPAKEY");
    }

    if (auto port = decimal(read("TCPPORT"), 65535)) {
        out.tcpPort = static_cast<uint16_t>(*port);
        r.setTcpPort(*out.tcpPort);
        accept("TCPPORT");
    }

    static constexpr std::array<std::string_view, 21> kTableKeys{
        "Version", "MacAddress", "SSID",   "DHCP",    "IP",         "SUBNET",
        "GATEWAY", "DNS",        "MODE",   "CHANNEL", "ENCRYPTION", "AUTHENTICATION",
        "USEKEY",  "KEY1",       "KEY2",   "KEY3",    "KEY4",       "WPA",
        "WPAENC",  "WPAKEY",     "TCPPORT"};
    auto named = [](const auto& list, const std::string& key) {
        return std::any_of(list.begin(), list.end(),
                           [&](const auto& k) { return upper(std::string(k)) == upper(key); });
    };
    for (const std::string& key : file.keys(kWifiIniSection)) {
        if (named(out.accepted, key)) continue;
        bool refusedKey =
            std::any_of(out.refused.begin(), out.refused.end(),
                        [&](const WifiIniRefusal& x) { return upper(x.key) == upper(key); });
        if (refusedKey) continue;
        out.ignored.push_back(key + (named(kTableKeys, key) ? ": value not in the key's form"
                                                            : ": not a key of the Wi-Fi INI file"));
    }
    return out;
}

std::optional<WifiIniValues> loadWifiIni(const std::filesystem::path& path,
                                         const WifiSettings& base) {
    auto file = IniFile::load(path);
    if (!file) return std::nullopt;
    return readWifiIni(*file, base);
}

std::string applyWifiIniWrite(IniFile& file, const WifiSettings& entry0, const WifiIniControls& c) {
    auto write = [&](const char* key, std::string_view value) {
        file.set(kWifiIniSection, key, value);
    };
    auto raw = entry0.raw(kVersion);
    write("Version", std::string(raw.begin(), raw.end()));

    if (auto parts = split(c.macText, ':'); parts.size() == 6) {
        std::string joined;
        for (const auto& p : parts) joined += p;
        write("MacAddress", upper(joined));
    }

    write("SSID", c.ssid);
    write("DHCP", c.dhcp ? "1" : "0");
    write("IP", dottedAddress(c.ip));
    write("SUBNET", dottedAddress(c.subnet));
    write("GATEWAY", dottedAddress(c.gateway));
    write("DNS", dottedAddress(c.dns));
    write("MODE", number("%d", c.mode));
    write("CHANNEL", number("%02d", c.channelPosition + 1));
    write("ENCRYPTION", number("%d", c.encryption));
    write("AUTHENTICATION", number("%d", c.authentication));
    write("USEKEY", number("%d", c.keyInUse + 1));

    if ((c.encryption == 1 || c.encryption == 2) && c.keyInUse >= 0 && c.keyInUse < 4) {
        const auto slot = static_cast<std::size_t>(c.keyInUse);
        const std::string& key = c.keyTexts[slot];
        const bool wep64 = c.encryption == 1;
        if (c.keyFormats[slot] == KeyFormat::Ascii) {
            if (key.size() > (wep64 ? 5u : 13u)) return kWifiIniKeyTooLongText;
            write(kKeyNames[slot], asciiKeyToHex(key));
        } else {
            if (key.size() != (wep64 ? 10u : 26u)) return kWifiIniKeyNotMatchedText;
            write(kKeyNames[slot], key);
        }
    } else if (c.encryption == 3 && c.wpaKey.size() > 32) {
        return kWifiIniWpaKeyNotLongText;
    }

    write("WPA", number("%d", c.wpaAuthentication));
    write("WPAENC", number("%d", c.wpaEncryption));
    write("WPAKEY", c.wpaKey);
    write("TCPPORT", number("%d", entry0.tcpPort()));
    return {};
}

WifiIniWriteResult writeWifiIni(const std::filesystem::path& path, int moduleKind,
                                const WifiSettings& entry0, const WifiIniControls& controls) {
    WifiIniWriteResult result;
    if (moduleKind < 2) return result;
    auto file = IniFile::load(path);
    if (!file) return result;
    result.message = applyWifiIniWrite(*file, entry0, controls);
    result.written = file->saveIfExists(path, &result.error);
    if (result.written) result.error.clear();
    return result;
}

bool WifiIniFile::exists() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(m_path, ec);
}

bool WifiIniFile::load(WifiSettings& record, std::vector<WifiIniRefusal>* refused) const {
    auto v = loadWifiIni(m_path, record);
    if (!v) return false;
    record = v->record;
    if (refused) *refused = v->refused;
    return true;
}

bool WifiIniFile::write(const KeyValues& values, std::string* error) const {
    auto file = IniFile::load(m_path);
    if (!file) return false;
    for (const auto& [key, value] : values) file->set(kWifiIniSection, key, value);
    return file->saveIfExists(m_path, error);
}

}  // namespace setrion::wifi
