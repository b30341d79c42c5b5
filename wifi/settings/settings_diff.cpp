#include "wifi/settings/settings_diff.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <nlohmann/json.hpp>

#include "wifi/settings/choice_codes.h"
#include "wifi/settings/key_rules.h"

namespace setrion::wifi {
namespace {

constexpr std::array<std::string_view, 4> kCanonicalWpaEncTexts{"None", "TKIP", "AES", "TKIP+AES"};

std::string boolText(bool b) {
    return b ? "true" : "false";
}

template <std::size_t N>
std::string listText(const std::array<std::string_view, N>& list, int code) {
    std::string_view t = choiceText(list, code);
    return t.empty() ? std::to_string(code) : std::string(t);
}

std::string upperHex(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// The four keys as hexadecimal text, whatever format each was typed in.
std::array<std::string, 4> keysAsHex(const SettingsPatch& p) {
    std::array<std::string, 4> keys = *p.wepKeys;
    for (std::size_t i = 0; i < 4; ++i)
        keys[i] = (p.keyFormats && (*p.keyFormats)[i] == KeyFormat::Ascii) ? asciiKeyToHex(keys[i])
                                                                           : upperHex(keys[i]);
    return keys;
}

std::string keysText(const std::array<std::string, 4>& keys) {
    return nlohmann::json(keys).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// One key of the comparison: the text of its value in a patch, nullopt when absent. Values
// that compare equal have equal texts, so the texts are what is compared.
struct KeyRule {
    std::string_view key;
    std::function<std::optional<std::string>(const SettingsPatch&)> text;
};

template <typename T, typename F>
std::function<std::optional<std::string>(const SettingsPatch&)> member(
    std::optional<T> SettingsPatch::*m, F render) {
    return [m, render](const SettingsPatch& p) -> std::optional<std::string> {
        if (!(p.*m)) return std::nullopt;
        return render(*(p.*m));
    };
}

const std::vector<KeyRule>& keyRules() {
    static const std::vector<KeyRule> rules = [] {
        auto text = [](const std::string& s) { return s; };
        auto address = [](const Octets& o) { return dottedAddress(o); };
        auto number = [](auto n) { return std::to_string(n); };
        std::vector<KeyRule> r;
        r.push_back({"ssid", member(&SettingsPatch::ssid, text)});
        r.push_back({"dhcp", member(&SettingsPatch::dhcp, boolText)});
        r.push_back({"ip", member(&SettingsPatch::ip, address)});
        r.push_back({"netmask", member(&SettingsPatch::netmask, address)});
        r.push_back({"gateway", member(&SettingsPatch::gateway, address)});
        r.push_back({"dns", member(&SettingsPatch::dns, address)});
        r.push_back(
            {"mode", member(&SettingsPatch::mode, [](int c) { return listText(kModeTexts, c); })});
        r.push_back({"channel", member(&SettingsPatch::channel, number)});
        r.push_back({"channel_text", member(&SettingsPatch::channelText, text)});
        r.push_back({"encryption", member(&SettingsPatch::encryption,
                                          [](int c) { return listText(kEncryptionTexts, c); })});
        r.push_back({"authentication", member(&SettingsPatch::authentication, [](int c) {
                         return listText(kAuthenticationTexts, c);
                     })});
        r.push_back({"key_in_use", member(&SettingsPatch::keyInUse, number)});
        r.push_back({"wpa_authentication",
                     member(&SettingsPatch::wpaAuthentication, [](WpaAuthentication a) {
                         return listText(kWpaTexts, static_cast<int>(a));
                     })});
        r.push_back({"wpa_encryption", member(&SettingsPatch::wpaEncryption, [](WpaEncryption e) {
                         return listText(kCanonicalWpaEncTexts, static_cast<int>(e));
                     })});
        r.push_back({"wpa_key", member(&SettingsPatch::wpaKey, text)});
        r.push_back({"tcp_port", member(&SettingsPatch::tcpPort, number)});
        r.push_back({"wep_keys", [](const SettingsPatch& p) -> std::optional<std::string> {
                         if (!p.wepKeys) return std::nullopt;
                         return keysText(keysAsHex(p));
                     }});
        r.push_back({"lpd_enable", member(&SettingsPatch::lpdEnable, boolText)});
        r.push_back({"lpd_queue", member(&SettingsPatch::lpdQueue, text)});
        return r;
    }();
    return rules;
}

}  // namespace

std::vector<SettingChange> diffSettings(const SettingsPatch& wanted,
                                        const SettingsPatch& reported) {
    std::vector<SettingChange> out;
    for (const KeyRule& rule : keyRules()) {
        std::optional<std::string> now = rule.text(wanted);
        if (!now) continue;
        std::optional<std::string> before = rule.text(reported);
        if (before == now) continue;
        // The key texts shown are those typed, not their hexadecimal comparison form.
        if (rule.key == "wep_keys") now = keysText(*wanted.wepKeys);
        out.push_back({std::string(rule.key), before, *now, isSecretKey(rule.key)});
    }
    return out;
}

std::vector<SettingChange> verifiableChanges(const std::vector<SettingChange>& changes) {
    std::vector<SettingChange> out;
    std::copy_if(changes.begin(), changes.end(), std::back_inserter(out),
                 [](const SettingChange& c) { return c.oldValue.has_value(); });
    return out;
}

bool isSecretKey(std::string_view key) {
    return key == "wpa_key" || key == "wep_keys" || key == "eap_password";
}

SettingsPatch reportedSettings(const WifiSettings& r, bool keysReported) {
    namespace f = field;
    SettingsPatch p;
    p.ssid = r.text(f::kSsid);
    p.dhcp = r.choice(f::kDhcp) == 1;
    p.ip = r.address(f::kIp);
    p.netmask = r.address(f::kSubnet);
    p.gateway = r.address(f::kGateway);
    p.dns = r.address(f::kDns);
    p.mode = r.choice(f::kMode);
    p.channel = r.channelTextNumber() >= 36 ? r.channelTextNumber() : r.channel();
    p.channelText = r.text(f::kChannelText);
    p.encryption = r.choice(f::kEncryption);
    p.authentication = r.choice(f::kAuthentication);
    p.keyInUse = r.choice(f::kUseKey);
    p.wpaAuthentication = static_cast<WpaAuthentication>(std::max(0, r.choice(f::kWpa)));
    // The record's WPA encryption list has no "None": position 0 is TKIP (a blank is None).
    p.wpaEncryption = static_cast<WpaEncryption>(std::clamp(r.choice(f::kWpaEnc) + 1, 0, 3));
    p.tcpPort = r.tcpPort();
    p.lpdEnable = r.choice(f::kLpdEnable) == 1;
    p.lpdQueue = r.text(f::kLpdQueue);
    if (keysReported) {
        p.wpaKey = r.text(f::kWpaKey);
        std::array<std::string, 4> keys;
        for (std::size_t i = 0; i < 4; ++i) keys[i] = r.text(f::kKeys[i]);
        p.wepKeys = keys;
    }
    return p;
}

std::optional<std::string> missingKeyRefusal(const SettingsPatch& patch,
                                             const SettingsPatch& reported,
                                             std::size_t wpaKeyBytes) {
    constexpr int kWpaEncryption = 3;  // position of "WPA" in kEncryptionTexts
    int encryption = patch.encryption ? *patch.encryption : reported.encryption.value_or(0);
    const int sizeClass = keySizeClass(encryption);
    if (sizeClass != 0) {
        if (!reported.wepKeys && !patch.wepKeys)
            return std::string(
                "wep_keys: the module does not report its WEP keys, so a write "
                "without wep_keys would erase the key in use; give wep_keys with "
                "WEP security");
        if (patch.wepKeys) {
            const int inUse =
                std::clamp(patch.keyInUse ? *patch.keyInUse : reported.keyInUse.value_or(1), 1, 4);
            for (std::size_t i = 0; i < 4; ++i) {
                const std::string& k = (*patch.wepKeys)[i];
                const std::string name = "wep_keys: key " + std::to_string(i + 1);
                if (k.empty() && static_cast<int>(i) + 1 == inUse)
                    return name +
                           " is the key in use and is empty, so the write would erase it; "
                           "give it with WEP security";
                const KeyFormat f = patch.keyFormats ? (*patch.keyFormats)[i] : KeyFormat::Hex;
                if (auto what = k.empty() ? std::nullopt : wepKeyFault(k, f, sizeClass))
                    return name + ": expected " + *what + " for " +
                           std::string(choiceText(kEncryptionTexts, encryption));
            }
        }
    }
    auto auth = patch.wpaAuthentication
                    ? *patch.wpaAuthentication
                    : reported.wpaAuthentication.value_or(WpaAuthentication::None);
    bool enterprise = auth == WpaAuthentication::WpaEnt || auth == WpaAuthentication::Wpa2Ent;
    if (encryption != kWpaEncryption || enterprise) return std::nullopt;
    if (patch.wpaKey && !patch.wpaKey->empty()) {
        if (auto what = wpaKeyFault(*patch.wpaKey, wpaKeyBytes))
            return "wpa_key: expected " + *what;
        return std::nullopt;
    }
    if (!patch.wpaKey && reported.wpaKey) return std::nullopt;  // the device's key is kept
    // An empty key counts as none: written, it would replace the module's key.
    if (!reported.wpaKey)
        return std::string(
            "wpa_key: the module does not report its WPA key, so a write without "
            "wpa_key would erase it; give wpa_key with WPA security");
    return std::string(
        "wpa_key: an empty key would erase the module's key; give wpa_key with WPA security");
}

std::vector<SettingChange> readBackDifferences(const SettingsPatch& written,
                                               const SettingsPatch& readBack) {
    return verifiableChanges(diffSettings(written, readBack));
}

std::string readBackMessage(const std::vector<SettingChange>& differences, bool showSecrets) {
    std::string out = kReadBackDiffersText;
    const char* sep = ": ";
    for (const SettingChange& c : differences) {
        bool hide = c.secret && !showSecrets;
        out += sep + c.key + ": written \"" + (hide ? "********" : c.newValue) +
               "\", read back \"" + (hide ? "********" : c.oldText()) + "\"";
        sep = "; ";
    }
    return out;
}

std::string describeChanges(const std::vector<SettingChange>& changes, bool showSecrets) {
    std::string out;
    for (const SettingChange& c : changes) {
        if (!out.empty()) out += "; ";
        bool hide = c.secret && !showSecrets;
        out += c.key + ": " + (hide && c.oldValue ? "********" : c.oldText()) + " -> " +
               (hide ? "********" : c.newValue);
    }
    return out;
}

}  // namespace setrion::wifi
