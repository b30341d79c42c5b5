#include "wifi/settings/profile.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>

#include <nlohmann/json.hpp>

#include "common/hex.h"
#include "common/json_object.h"
#include "wifi/settings/choice_codes.h"
#include "wifi/settings/key_rules.h"

namespace setrion::wifi {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::array<std::string_view, 4> kIdentityKeys{"mac", "module_kind", "generation", "kind"};
constexpr std::array<std::string_view, 4> kTextKeys{"ssid", "wpa_key", "lpd_queue", "channel_text"};

std::optional<ProfileError> fault(std::string_view key, const std::string& expected) {
    return ProfileError{std::string(key), std::string(key) + ": expected " + expected};
}

template <std::size_t N>
std::string listOf(const std::array<std::string_view, N>& list) {
    std::string out;
    for (std::size_t i = 0; i < N; ++i) {
        if (i) out += i + 1 == N ? " or " : ", ";
        out += "\"" + std::string(list[i]) + "\"";
    }
    return out;
}

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view s) {
    return choiceIndex(list, s).has_value();
}

// Strict hexadecimal text: an even number of digits and nothing else.
std::optional<std::string> decodeStrictHex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int hi = hexDigitValue(text[i]), lo = hexDigitValue(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<char>((hi << 4) | lo));
    }
    return out;
}

std::optional<ProfileError> checkText(std::string_view key, const std::string& s, std::size_t max) {
    if (s.find('\0') != std::string::npos || s.size() > max)
        return fault(key, "a text of at most " + std::to_string(max) + " bytes without NUL");
    return std::nullopt;
}

constexpr std::string_view kChannelRange = "an integer 1-14 or a 5 GHz channel (36, 38, ... 196)";

bool isChannelText(std::string_view s) {
    if (s.empty()) return true;
    if (s.size() > 3 || (s.size() > 1 && s[0] == '0')) return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    return isChannelNumber(v);
}

// One key's reader: checks the JSON value's type and range and stores it in the patch.
using KeyReader = std::function<std::optional<ProfileError>(const std::string& key, const Json& v,
                                                            SettingsPatch& p)>;

KeyReader textKey(std::optional<std::string> SettingsPatch::*member, std::size_t max) {
    return [member, max](const std::string& key, const Json& v, SettingsPatch& p)
               -> std::optional<ProfileError> {
        if (!v.is_string())
            return fault(key, "a text of at most " + std::to_string(max) + " bytes without NUL");
        auto s = v.get<std::string>();
        if (auto e = checkText(key, s, max)) return e;
        p.*member = std::move(s);
        return std::nullopt;
    };
}

KeyReader boolKey(std::optional<bool> SettingsPatch::*member) {
    return [member](const std::string& key, const Json& v, SettingsPatch& p)
               -> std::optional<ProfileError> {
        if (!v.is_boolean()) return fault(key, "true or false");
        p.*member = v.get<bool>();
        return std::nullopt;
    };
}

KeyReader addressKey(std::optional<Octets> SettingsPatch::*member, bool mask) {
    return [member, mask](const std::string& key, const Json& v, SettingsPatch& p)
               -> std::optional<ProfileError> {
        const char* what = mask ? "a netmask \"a.b.c.d\" with contiguous one bits (no leading zeros)"
                                : "an IPv4 address \"a.b.c.d\" (numbers 0-255, no leading zeros)";
        if (!v.is_string()) return fault(key, what);
        auto a = parseDottedAddress(v.get<std::string>());
        if (!a || (mask && !isContiguousMask(*a))) return fault(key, what);
        p.*member = *a;
        return std::nullopt;
    };
}

template <std::size_t N>
KeyReader choiceKey(std::optional<int> SettingsPatch::*member,
                    const std::array<std::string_view, N>& list) {
    return [member, &list](const std::string& key, const Json& v, SettingsPatch& p)
               -> std::optional<ProfileError> {
        auto idx = v.is_string() ? choiceIndex(list, v.get<std::string>()) : std::nullopt;
        if (!idx) return fault(key, "one of " + listOf(list));
        p.*member = *idx;
        return std::nullopt;
    };
}

// A JSON integer within [lo, hi]; nullopt for any other value.
std::optional<int64_t> integerIn(const Json& v, int64_t lo, int64_t hi) {
    if (!v.is_number_integer()) return std::nullopt;
    if (v.is_number_unsigned()) {
        auto u = v.get<uint64_t>();
        if (u > static_cast<uint64_t>(hi)) return std::nullopt;
        return static_cast<int64_t>(u);
    }
    auto s = v.get<int64_t>();
    if (s < lo || s > hi) return std::nullopt;
    return s;
}

constexpr std::array<std::string_view, 6> kWpaAuthNames{"None",    "None Use", "WPA-PSK",
                                                        "WPA2-PSK", "WPA-ENT", "WPA2-ENT"};
constexpr std::array<std::string_view, 5> kWpaEncNames{"None", "None Use", "TKIP", "AES",
                                                       "TKIP+AES"};

const std::map<std::string, KeyReader, std::less<>>& keyReaders() {
    static const std::map<std::string, KeyReader, std::less<>> readers = [] {
        std::map<std::string, KeyReader, std::less<>> m;
        m["ssid"] = textKey(&SettingsPatch::ssid, 32);
        m["wpa_key"] = textKey(&SettingsPatch::wpaKey, 64);
        m["lpd_queue"] = textKey(&SettingsPatch::lpdQueue, field::kLpdQueue.capacity());
        m["dhcp"] = boolKey(&SettingsPatch::dhcp);
        m["lpd_enable"] = boolKey(&SettingsPatch::lpdEnable);
        m["ip"] = addressKey(&SettingsPatch::ip, false);
        m["gateway"] = addressKey(&SettingsPatch::gateway, false);
        m["dns"] = addressKey(&SettingsPatch::dns, false);
        m["netmask"] = addressKey(&SettingsPatch::netmask, true);
        m["mode"] = choiceKey(&SettingsPatch::mode, kModeTexts);
        m["encryption"] = choiceKey(&SettingsPatch::encryption, kEncryptionTexts);
        m["authentication"] = choiceKey(&SettingsPatch::authentication, kAuthenticationTexts);
        m["channel"] = [](const std::string& key, const Json& v, SettingsPatch& p)
            -> std::optional<ProfileError> {
            auto c = integerIn(v, 1, 196);
            if (!c || !isChannelNumber(*c)) return fault(key, std::string(kChannelRange));
            p.channel = static_cast<int>(*c);
            return std::nullopt;
        };
        m["channel_text"] = [](const std::string& key, const Json& v, SettingsPatch& p)
            -> std::optional<ProfileError> {
            if (!v.is_string() || !isChannelText(v.get<std::string>()))
                return fault(key, "\"\" or a channel as the channel list shows it (\"6\", \"149\")");
            p.channelText = v.get<std::string>();
            return std::nullopt;
        };
        m["key_in_use"] = [](const std::string& key, const Json& v, SettingsPatch& p)
            -> std::optional<ProfileError> {
            auto k = integerIn(v, 1, 4);
            if (!k) return fault(key, "an integer 1-4");
            p.keyInUse = static_cast<int>(*k);
            return std::nullopt;
        };
        m["tcp_port"] = [](const std::string& key, const Json& v, SettingsPatch& p)
            -> std::optional<ProfileError> {
            auto port = integerIn(v, 1, 65535);
            if (!port) return fault(key, "an integer 1-65535");
            p.tcpPort = static_cast<uint16_t>(*port);
            return std::nullopt;
        };
        m["wpa_authentication"] = [](const std::string& key, const Json& v, SettingsPatch& p)
            -> std::optional<ProfileError> {
            auto idx = v.is_string() ? choiceIndex(kWpaAuthNames, v.get<std::string>()) : std::nullopt;
            if (!idx) return fault(key, "one of " + listOf(kWpaAuthNames));
            p.wpaAuthentication = static_cast<WpaAuthentication>(*idx <= 1 ? 0 : *idx - 1);
            return std::nullopt;
        };
        m["wpa_encryption"] = [](const std::string& key, const Json& v, SettingsPatch& p)
            -> std::optional<ProfileError> {
            auto idx = v.is_string() ? choiceIndex(kWpaEncNames, v.get<std::string>()) : std::nullopt;
            if (!idx) return fault(key, "one of " + listOf(kWpaEncNames));
            p.wpaEncryption = static_cast<WpaEncryption>(*idx <= 1 ? 0 : *idx - 1);
            return std::nullopt;
        };
        m["wep_keys"] = [](const std::string& key, const Json& v, SettingsPatch& p)
            -> std::optional<ProfileError> {
            const std::string what = "an array of four texts of at most 26 bytes without NUL";
            if (!v.is_array() || v.size() != 4) return fault(key, what);
            std::array<std::string, 4> keys;
            for (std::size_t i = 0; i < 4; ++i) {
                if (!v[i].is_string()) return fault(key, what);
                keys[i] = v[i].get<std::string>();
                if (checkText(key, keys[i], field::kKey1.length)) return fault(key, what);
            }
            p.wepKeys = keys;
            return std::nullopt;
        };
        m["key_formats"] = [](const std::string& key, const Json& v, SettingsPatch& p)
            -> std::optional<ProfileError> {
            const std::string what = "an array of four of \"HEX\" and \"ASCII\"";
            if (!v.is_array() || v.size() != 4) return fault(key, what);
            KeyFormats formats{};
            for (std::size_t i = 0; i < 4; ++i) {
                auto idx = v[i].is_string() ? choiceIndex(kKeyFormatTexts, v[i].get<std::string>())
                                            : std::nullopt;
                if (!idx) return fault(key, what);
                formats[i] = static_cast<KeyFormat>(*idx);
            }
            p.keyFormats = formats;
            return std::nullopt;
        };
        return m;
    }();
    return readers;
}

ProfileResult refused(std::optional<ProfileError> e) {
    ProfileResult r;
    r.error = std::move(*e);
    return r;
}

}  // namespace

bool isChannelNumber(int64_t channel) {
    if (channel >= 1 && channel <= 14) return true;
    if (channel < 36 || channel > 196) return false;
    return contains(k5GhzChannelTexts, std::to_string(channel));
}

std::optional<ProfileError> validatePatch(const SettingsPatch& p) {
    auto text = [](std::string_view key, const std::optional<std::string>& s, std::size_t max) {
        return s ? checkText(key, *s, max) : std::nullopt;
    };
    if (auto e = text("ssid", p.ssid, 32)) return e;
    if (p.netmask && !isContiguousMask(*p.netmask))
        return fault("netmask", "a netmask \"a.b.c.d\" with contiguous one bits (no leading zeros)");
    if (p.mode && choiceText(kModeTexts, *p.mode).empty()) return fault("mode", "one of " + listOf(kModeTexts));
    if (p.channel && !isChannelNumber(*p.channel)) return fault("channel", std::string(kChannelRange));
    if (p.channelText && !isChannelText(*p.channelText))
        return fault("channel_text", "\"\" or a channel as the channel list shows it (\"6\", \"149\")");
    if (p.encryption && choiceText(kEncryptionTexts, *p.encryption).empty())
        return fault("encryption", "one of " + listOf(kEncryptionTexts));
    if (p.authentication && choiceText(kAuthenticationTexts, *p.authentication).empty())
        return fault("authentication", "one of " + listOf(kAuthenticationTexts));
    if (p.keyInUse && (*p.keyInUse < 1 || *p.keyInUse > 4)) return fault("key_in_use", "an integer 1-4");
    if (p.wpaAuthentication && (static_cast<int>(*p.wpaAuthentication) < 0 ||
                                static_cast<int>(*p.wpaAuthentication) > 4))
        return fault("wpa_authentication", "one of " + listOf(kWpaAuthNames));
    if (p.wpaEncryption &&
        (static_cast<int>(*p.wpaEncryption) < 0 || static_cast<int>(*p.wpaEncryption) > 3))
        return fault("wpa_encryption", "one of " + listOf(kWpaEncNames));
    if (auto e = text("wpa_key", p.wpaKey, 64)) return e;
    // An empty key says nothing about the key; whether it may stand is decided where the
    // security in place is known (missingKeyRefusal).
    if (p.wpaKey && !p.wpaKey->empty())
        if (auto what = wpaKeyFault(*p.wpaKey)) return fault("wpa_key", *what);
    if (p.tcpPort && *p.tcpPort == 0) return fault("tcp_port", "an integer 1-65535");
    if (p.keyFormats)
        for (KeyFormat f : *p.keyFormats)
            if (f != KeyFormat::Hex && f != KeyFormat::Ascii)
                return fault("key_formats", "an array of four of \"HEX\" and \"ASCII\"");
    if (p.wepKeys) {
        const int sizeClass = p.encryption ? keySizeClass(*p.encryption) : 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const std::string& k = (*p.wepKeys)[i];
            if (checkText("wep_keys", k, field::kKey1.length))
                return fault("wep_keys", "an array of four texts of at most 26 bytes without NUL");
            const KeyFormat f = p.keyFormats ? (*p.keyFormats)[i] : KeyFormat::Hex;
            if (auto what = k.empty() ? std::nullopt : wepKeyFault(k, f, sizeClass))
                return ProfileError{
                    "wep_keys",
                    "wep_keys: key " + std::to_string(i + 1) + ": expected " + *what + " (" +
                        std::string(kKeyFormatTexts[static_cast<std::size_t>(f)]) + ")"};
        }
    }
    if (auto e = text("lpd_queue", p.lpdQueue, field::kLpdQueue.capacity())) return e;
    return std::nullopt;
}

ProfileResult parseJsonProfile(std::string_view text) {
    auto object = parseJsonObject(text);
    if (!object.object) return refused(ProfileError{object.key, object.error});
    const Json* parsed = &*object.object;

    SettingsPatch patch;
    std::vector<std::pair<std::string, const Json*>> companions;
    for (const auto& [key, value] : parsed->items()) {
        std::string_view base = key;
        bool hex = base.size() > 4 && base.substr(base.size() - 4) == "_hex";
        if (hex) base.remove_suffix(4);
        if (contains(kIdentityKeys, base)) {
            patch.ignoredKeys.push_back(key);
            continue;
        }
        if (hex && contains(kTextKeys, base)) {
            companions.emplace_back(key, &value);
            continue;
        }
        auto reader = keyReaders().find(key);
        if (reader == keyReaders().end())
            return refused(ProfileError{key, key + ": unknown key"});
        if (auto e = reader->second(key, value, patch)) return refused(e);
    }
    // A companion's raw bytes replace the text printed beside it.
    for (const auto& [key, value] : companions) {
        std::string base = key.substr(0, key.size() - 4);
        auto bytes = value->is_string() ? decodeStrictHex(value->get<std::string>()) : std::nullopt;
        if (!bytes) return refused(fault(key, "hexadecimal text, two digits a byte"));
        if (auto e = keyReaders().at(base)(key, Json(*bytes), patch)) return refused(e);
    }
    if (auto e = validatePatch(patch)) return refused(e);
    ProfileResult r;
    r.patch = std::move(patch);
    return r;
}

ProfileResult loadJsonProfile(const std::filesystem::path& path) {
    std::string error;
    auto text = readRegularFile(path, kMaxProfileBytes, &error);
    if (!text) return refused(ProfileError{"", error});
    ProfileResult r = parseJsonProfile(*text);
    if (!r.ok()) r.error.message = path.string() + ": " + r.error.message;
    return r;
}

}  // namespace setrion::wifi
