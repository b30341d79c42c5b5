// The Wi-Fi dialog and its INI file: the controls filled from the file at start, and the
// keys the user changed written back when the dialog goes.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "common/trace.h"
#include "ui/wifi/choice_texts.h"
#include "ui/wifi/wifi_settings_dlg.h"
#include "wifi/settings/choice_codes.h"
#include "wifi/settings/key_rules.h"
#include "wifi/settings/wifi_ini.h"

namespace setrion::ui {

using namespace wifi_dlg;
using wifi::ModuleKind;
using wifi::WifiSettings;
namespace field = wifi::field;

namespace {

bool isHex(const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// A text value as the file must hold it to be read back whole: the reader drops blanks
// around a value and one pair of quotes around it, so such a value goes in quotes.
std::string quotedIfNeeded(const std::string& v) {
    if (v.empty()) return v;
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool quoted =
        v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
    if (blank(v.front()) || blank(v.back()) || quoted) return '"' + v + '"';
    return v;
}

// The MAC edit's "00:11:AA:BB:CC:DD" as the file's twelve upper-case hex digits, or "".
std::string macKeyValue(const std::string& shown) {
    std::vector<std::string> parts(1);
    for (char c : shown) {
        if (c == ':')
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::string joined;
    for (const auto& p : parts) joined += p;
    if (parts.size() != 6 || joined.size() != 12 || !isHex(joined)) return {};
    return joined;
}

}  // namespace

void CWiFiSettings::loadIniFile() {
    WifiIniAccess* ini = m_services.ini;
    if (ini == nullptr || !ini->exists()) {
        m_conn.setModuleKind(ModuleKind::CommandMode);
        enable(kEnterprise, false);
        return;
    }
    m_table->fillWithSpaces();
    std::vector<wifi::WifiIniRefusal> refused;
    ini->load(m_table->entry(0), refused);
    // A text longer than its field is not loaded (its control stays empty and its line is
    // kept at close unless edited): the box gives the edit's limit message and names the key.
    for (const auto& x : refused)
        shell().message("Please enter no more than " + std::to_string(x.limit) + " characters.\n" +
                            x.key + " in " + ini->name() + " is longer and was not loaded.",
                        wifi::kWifiIniErrorCaption);
    m_conn.setModuleKind(ModuleKind::SettingsBlock);
    const WifiSettings& r = m_table->entry(0);

    const int mode = r.choice(field::kMode);
    control(kMode).setItems(texts(wifi::kModeTexts), mode);
    const int channel = r.channel();
    if (channel >= 1 && channel <= 14) m_channel = channel;
    refillChannels(false);
    control(kAuthentication)
        .setItems(texts(wifi::kAuthenticationTexts), r.choice(field::kAuthentication));
    control(kUsingKeyId).setItems(texts(wifi::kKeyIdTexts), r.choice(field::kUseKey) - 1);
    for (int k = 0; k < 4; ++k)
        control(kKeyFormats[k])
            .setItems(texts(wifi::kKeyFormatTexts), static_cast<int>(m_table->keyFormats(0)[k]));
    // The file's WPA value is the position in a list without "None".
    const int wpa = r.choice(field::kWpa);
    control(kWpaAuthentication).setItems({"WPA-PSK", "WPA2-PSK"}, wpa == 0 ? 0 : wpa);
    enable(kWpaEncryption, wpa > 0);
    control(kWpaEncryption).setItems(texts(wifi::kWpaEncTexts), r.choice(field::kWpaEnc));
    control(kEncryption)
        .setItems(texts(wifi::kEncryptionTexts), wpa > 0 ? 3 : r.choice(field::kEncryption));

    show(kDhcp, true);
    enable(kDhcp, true);
    control(kDhcp).checked = r.choice(field::kDhcp) == 1;
    showRecordAddress(control(kIp), r, field::kIp);
    showRecordAddress(control(kNetMask), r, field::kSubnet);
    showRecordAddress(control(kGateway), r, field::kGateway);
    showRecordAddress(control(kDns), r, field::kDns);
    control(kSsid).text = r.text(field::kSsid);
    const std::string mac = r.text(field::kMacAddress);
    if (mac.size() == 12) {
        std::string shown;
        for (std::size_t i = 0; i < 12; i += 2) {
            if (i) shown += ':';
            shown += mac.substr(i, 2);
        }
        control(kMacAddress).text = shown;
    }
    for (int k = 0; k < 4; ++k)
        control(kKeyEdits[k]).text = r.text(field::kKeys[static_cast<std::size_t>(k)]);
    control(kWpaKey).text = r.text(field::kWpaKey);
    const std::string port = r.text(field::kTcpPort);
    if (!port.empty()) control(kTcpPort).text = std::to_string(r.tcpPort());
    m_eapId = r.text(field::kEapId);
    m_eapPassword = r.text(field::kEapPassword);
    m_caCertFile = r.text(field::kCaCertFile);
    m_clientCertFile = r.text(field::kClientCertFile);
    m_privateKeyFile = r.text(field::kPrivateKeyFile);

    enable({kSsid, kIp, kNetMask, kGateway, kDns, kMode, kChannel, kEncryption, kAuthentication},
           true);
    enable(kUsingKeyId, selection(kEncryption) > 0);
    keyControlRefresh(selection(kEncryption), selection(kUsingKeyId));
    enable(kGet, false);
    enable({kSave, kMacAddress, kTcpPort}, true);
    enable(kEnterprise, false);
    m_iniAtLoad = iniImage(false);
}

CWiFiSettings::IniImage CWiFiSettings::iniImage(bool stopAtKeyError) const {
    IniImage img;
    auto put = [&](const char* key, std::string value) {
        img.values.emplace_back(key, std::move(value));
    };
    // A list's position as one digit, when something is selected.
    auto digit = [&](const char* key, int id, int offset = 0) {
        const int pos = selection(id);
        if (pos >= 0 && pos + offset <= 9) put(key, std::to_string(pos + offset));
    };
    auto address = [&](const char* key, int id) {
        if (control(id).hasAddress) put(key, wifi::dottedAddress(control(id).octets));
    };

    const WifiSettings& r = m_table->entry(0);
    const std::string version(r.bytes().begin(), r.bytes().begin() + 2);
    if (std::all_of(version.begin(), version.end(), [](char c) { return c > ' ' && c < 0x7F; }))
        put("Version", version);
    if (std::string mac = macKeyValue(control(kMacAddress).text); !mac.empty())
        put("MacAddress", mac);
    put("SSID", quotedIfNeeded(control(kSsid).text));
    put("DHCP", control(kDhcp).checked ? "1" : "0");
    address("IP", kIp);
    address("SUBNET", kNetMask);
    address("GATEWAY", kGateway);
    address("DNS", kDns);
    digit("MODE", kMode);
    const int channel = std::atoi(control(kChannel).selectedText().c_str());
    if (channel >= 1 && channel <= 14) {
        char two[4];
        std::snprintf(two, sizeof two, "%02d", channel);
        put("CHANNEL", two);
    }
    digit("ENCRYPTION", kEncryption);
    digit("AUTHENTICATION", kAuthentication);
    digit("USEKEY", kUsingKeyId, 1);

    // The key in use is checked against the encryption; after a refusal the WPA keys and
    // the port are left as the file has them.
    const int encryption = selection(kEncryption);
    const int key = selection(kUsingKeyId);
    if ((encryption == 1 || encryption == 2) && key >= 0 && key <= 3) {
        const std::string& typed = control(kKeyEdits[key]).text;
        img.checkedKey = typed;
        const wifi::KeyFormat f = formatsOf(editTarget())[static_cast<std::size_t>(key)];
        if (auto error = wifi::wepKeyError(encryption, f, typed)) {
            img.keyError = *error;
            if (stopAtKeyError) return img;
        } else {
            put(("KEY" + std::to_string(key + 1)).c_str(),
                f == wifi::KeyFormat::Ascii ? wifi::asciiKeyToHex(typed) : typed);
        }
    } else if (encryption == 3) {
        // The same limit as the key edit: 64 characters only as hex digits, else 63.
        const std::string& wpaKey = control(kWpaKey).text;
        img.checkedKey = wpaKey;
        if (wpaKey.size() > static_cast<std::size_t>(wifi::applyWpaKeyRule(wpaKey).limit)) {
            img.keyError = wifi::kWifiIniWpaKeyNotLongText;
            if (stopAtKeyError) return img;
        } else if (!wpaKey.empty() && wifi::wpaKeyFault(wpaKey)) {
            // An empty edit leaves the file's key; any other key follows the key rule.
            img.keyError = wifi::kWpaKeyRangeText;
            if (stopAtKeyError) return img;
        }
    }
    digit("WPA", kWpaAuthentication);
    digit("WPAENC", kWpaEncryption);
    if (control(kWpaKey).text.size() <= field::kWpaKey.capacity())
        put("WPAKEY", quotedIfNeeded(control(kWpaKey).text));
    // The TCP PORT edit, so that a typed port is kept as a save would send it.
    const std::string& port = control(kTcpPort).text;
    char* end = nullptr;
    const long value = std::strtol(port.c_str(), &end, 10);
    if (!port.empty() && *end == '\0' && value >= 0 && value <= 65535)
        put("TCPPORT", std::to_string(value));
    return img;
}

void CWiFiSettings::writeIniFile() {
    WifiIniAccess* ini = m_services.ini;
    if (ini == nullptr || static_cast<int>(m_conn.moduleKind()) < 2 || !ini->exists()) return;
    if (m_networkMode) {
        // The controls show a printer found on the LAN, not the file's module.
        trace("Wi-Fi INI file not written: the dialog ended in network mode");
        return;
    }
    const IniImage now = iniImage();
    // Only what the user changed is written: an untouched file stays byte for byte as it was,
    // and a key whose control holds no value keeps its line.
    WifiIniAccess::KeyValues changed;
    for (const auto& kv : now.values)
        if (std::find(m_iniAtLoad.values.begin(), m_iniAtLoad.values.end(), kv) ==
            m_iniAtLoad.values.end())
            changed.push_back(kv);
    // A key length message when the user changed something the check stops from being kept.
    const bool edited = !changed.empty() || now.keyError != m_iniAtLoad.keyError ||
                        now.checkedKey != m_iniAtLoad.checkedKey;
    if (!now.keyError.empty() && edited) shell().message(now.keyError, wifi::kWifiIniErrorCaption);
    if (changed.empty()) return;
    std::string error;
    if (!ini->write(changed, error))
        shell().message("The Wi-Fi settings could not be written to " + ini->name() + ":\n" + error,
                        wifi::kWifiIniErrorCaption);
}

}  // namespace setrion::ui
