// The Wi-Fi dialog's list and address handlers, the key-control refresh, the 5 GHz switch,
// filling the controls from a record and the enterprise exchange.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "common/trace.h"
#include "ui/wifi/choice_texts.h"
#include "ui/wifi/wifi_settings_dlg.h"
#include "wifi/settings/choice_codes.h"
#include "wifi/settings/key_rules.h"

namespace setrion::ui {

using namespace wifi_dlg;
using wifi::WifiSettings;
namespace field = wifi::field;

namespace {
std::vector<std::string> channels24() {
    std::vector<std::string> out;
    for (int i = 1; i <= 14; ++i) out.push_back(std::to_string(i));
    return out;
}
}  // namespace

void CWiFiSettings::refillChannels(bool fiveGhz) {
    Control& list = control(kChannel);
    if (fiveGhz) {
        list.setItems(texts(wifi::k5GhzChannelTexts));
        list.selectText(std::to_string(m_current5Ghz));
    } else {
        list.setItems(channels24(), m_channel - 1);
    }
}

void CWiFiSettings::modeChanged() {
    const EditTarget t = editTarget();
    if (t.kind == TargetKind::Discovered) return m_net->onModeChanged();
    const int pos = selection(kMode);
    if (t.kind == TargetKind::Record) {
        editRecord(t.index, [&](WifiSettings& r) { r.setChoice(field::kMode, pos); });
        trace(pos == 0 ? "*****Ad-hoc" : pos == 1 ? "*****Infrastructure" : "Unknown Setting");
        if (!m_networkMode && m_lpdSupport) {
            if (pos == 0) {
                show(k5Ghz, true);
                refillChannels(control(k5Ghz).checked);
            } else {
                show(k5Ghz, false);
                control(k5Ghz).checked = false;
                refillChannels(false);
            }
        }
    }
}

void CWiFiSettings::channelChanged() {
    const EditTarget t = editTarget();
    if (t.kind == TargetKind::Discovered) return m_net->onChannelChanged();
    const int pos = selection(kChannel);
    if (pos < 0) return;
    if (control(k5Ghz).checked && control(k5Ghz).visible) {
        // A 5 GHz channel lives in CHANNELTEXT only; the 2.4 GHz CHANNEL stays.
        m_current5Ghz = std::atoi(control(kChannel).selectedText().c_str());
        if (t.kind == TargetKind::Record) {
            std::string text = control(kChannel).selectedText();
            text.resize(3, ' ');
            editRecord(t.index,
                       [&](WifiSettings& r) { r.overwriteStart(field::kChannelText, text); });
        }
        return;
    }
    m_channel = pos + 1;
    if (t.kind == TargetKind::Record)
        editRecord(t.index, [&](WifiSettings& r) { r.setChannel(pos + 1); });
}

void CWiFiSettings::authenticationChanged() {
    const EditTarget t = editTarget();
    if (t.kind == TargetKind::Discovered) return m_net->onAuthenticationChanged();
    const int pos = selection(kAuthentication);
    if (t.kind == TargetKind::Record)
        editRecord(t.index, [&](WifiSettings& r) { r.setChoice(field::kAuthentication, pos); });
}

void CWiFiSettings::addressChanged(int id) {
    const EditTarget t = editTarget();
    if (m_networkMode && t.kind != TargetKind::Record) return m_net->onAddressChanged(id);
    if (t.kind != TargetKind::Record) return;
    const wifi::RecordField f = id == kIp        ? field::kIp
                                : id == kNetMask ? field::kSubnet
                                : id == kGateway ? field::kGateway
                                                 : field::kDns;
    // An emptied control leaves the record's address as it was.
    if (!control(id).hasAddress) return;
    const wifi::Octets octets = control(id).octets;
    editRecord(t.index, [&](WifiSettings& r) { r.setAddress(f, octets); });
}

void CWiFiSettings::showRecordAddress(Control& c, const WifiSettings& r, wifi::RecordField f) {
    const auto raw = r.raw(f);
    if (std::all_of(raw.begin(), raw.end(), [](uint8_t b) { return std::isxdigit(b) != 0; }))
        c.setAddress(r.address(f));
    else
        c.clearAddress();  // spaces (never set) or no address
}

void CWiFiSettings::enableKeyInUseOnly(int keyInUse) {
    for (int k = 0; k < 4; ++k) enable({kKeyEdits[k], kKeyFormats[k]}, k == keyInUse);
}

void CWiFiSettings::setKeyLimits(int encryption, const wifi::KeyFormats& formats) {
    const int sizeClass = wifi::keySizeClass(encryption);
    for (int k = 0; k < 4; ++k) {
        const auto limit = wifi::wepKeyEditLimit(sizeClass, formats[static_cast<std::size_t>(k)]);
        control(kKeyEdits[k]).textLimit = limit ? static_cast<std::size_t>(*limit) : 26;
    }
}

void CWiFiSettings::encryptionChanged() {
    const EditTarget t = editTarget();
    if (t.kind == TargetKind::Discovered) return m_net->onEncryptionChanged();
    const int pos = selection(kEncryption);
    if (t.kind == TargetKind::Controls && !m_networkMode) {
        if (pos <= 0) {
            control(kAuthentication).selection = 1;  // "Open System"
            enable(kUsingKeyId, false);
        } else {
            enable(kUsingKeyId, true);
        }
    } else if (t.kind == TargetKind::Record) {
        const bool wep = pos == 1 || pos == 2;
        editRecord(t.index, [&](WifiSettings& r) {
            r.setChoice(field::kEncryption, pos);
            control(kSsid).textLimit = 32;
            if (wep) {
                enable(kUsingKeyId, true);
                enableKeyInUseOnly(selection(kUsingKeyId));
            } else {
                enableKeyInUseOnly(-1);
                enable(kUsingKeyId, false);
            }
            setKeyLimits(pos, m_table->keyFormats(t.index));
            if (pos == 3) {
                const int auth = selection(kWpaAuthentication);
                if (auth == 0) control(kWpaEncryption).selection = 0;  // TKIP
                if (auth == 1) control(kWpaEncryption).selection = 1;  // AES
                enable({kWpaAuthentication, kWpaKey}, true);
            } else {
                r.setChoice(field::kWpa, 0);
                r.setChoice(field::kWpaEnc, 0);
                control(kWpaAuthentication).selection =
                    control(kWpaAuthentication).items.empty() ? -1 : 0;
                control(kWpaEncryption).selection = control(kWpaEncryption).items.empty() ? -1 : 0;
                enable({kWpaAuthentication, kWpaKey}, false);
            }
        });
        if (wep)
            for (int k = 0; k < 4; ++k) keyFormatChanged(k);
        enable(kWpaEncryption, false);
    }
    if (m_networkMode) return;
    keyControlRefresh(pos, selection(kUsingKeyId));
    // Enterprise settings belong to a record; a command-mode module has none to edit.
    const bool eapNone =
        t.kind == TargetKind::Controls || m_table->usingOrvane().raw(field::kEapType)[0] == '0';
    const bool enterprise = pos == 4 || (pos == 3 && !eapNone);
    enable(kEnterprise, enterprise);
    const bool wpaControls = pos == 3 && eapNone;
    enable({kWpaAuthentication, kWpaKey}, wpaControls);
}

void CWiFiSettings::keyInUseChanged() {
    const EditTarget t = editTarget();
    if (t.kind == TargetKind::Discovered) return m_net->onKeyInUseChanged();
    const int pos = selection(kUsingKeyId);
    const int encryption = selection(kEncryption);
    if (t.kind == TargetKind::Controls && !m_networkMode) {
        keyControlRefresh(encryption, pos);
        return;
    }
    if (t.kind == TargetKind::Record) {
        editRecord(t.index, [&](WifiSettings& r) {
            r.setChoice(field::kUseKey, pos + 1);
            enableKeyInUseOnly(encryption == 0 ? -1 : pos);
            setKeyLimits(encryption, m_table->keyFormats(t.index));
        });
    }
}

void CWiFiSettings::keyControlRefresh(int encryption, int keyInUse) {
    enableKeyInUseOnly(-1);
    switch (encryption) {
        case 0:
            enable({kWpaAuthentication, kWpaKey, kUsingKeyId}, false);
            break;
        case 1:
        case 2: {
            enable({kWpaAuthentication, kWpaKey}, false);
            enable(kUsingKeyId, true);
            enableKeyInUseOnly(keyInUse);
            const EditTarget t = editTarget();
            const wifi::KeyFormats& formats = formatsOf(t);
            setKeyLimits(encryption, formats);
            if (t.kind == TargetKind::Controls && !m_networkMode) {
                for (int k = 0; k < 4; ++k) {
                    const RememberedKey& key = m_remembered[static_cast<std::size_t>(k)];
                    const bool ascii =
                        formats[static_cast<std::size_t>(k)] == wifi::KeyFormat::Ascii;
                    control(kKeyEdits[k]).text = encryption == 1
                                                     ? (ascii ? key.wep64Ascii : key.wep64Hex)
                                                     : (ascii ? key.wep128Ascii : key.wep128Hex);
                }
            }
            break;
        }
        case 3:
            enable(kUsingKeyId, false);
            enable({kWpaAuthentication, kWpaKey}, true);
            break;
        default:
            enable({kWpaAuthentication, kWpaKey}, false);
            break;
    }
}

void CWiFiSettings::switch5Ghz() {
    control(kChannel).items.clear();
    control(kChannel).selection = -1;
    refillChannels(control(k5Ghz).checked);
}

void CWiFiSettings::refillWpaAuthentication(const WifiSettings& record) {
    std::vector<std::string> items{"WPA-PSK", "WPA2-PSK"};
    if (record.raw(field::kEapType)[0] != '0') {
        items.emplace_back("WPA-ENT");
        items.emplace_back("WPA2-ENT");
    }
    control(kWpaAuthentication).setItems(std::move(items));
}

void CWiFiSettings::fillFromRecord(std::size_t entry) {
    if (!takeBoundValues()) return;
    control(kMode).setItems(texts(wifi::kModeTexts));
    control(kAuthentication).setItems(texts(wifi::kAuthenticationTexts));
    control(kEncryption).setItems(texts(wifi::kEncryptionTexts));
    control(kChannel).setItems(channels24());
    for (int k = 0; k < 4; ++k) {
        control(kKeyFormats[k]).setItems(texts(wifi::kKeyFormatTexts));
        control(kKeyEdits[k]).text.clear();
    }
    control(kUsingKeyId).setItems(texts(wifi::kKeyIdTexts));
    control(kWpaEncryption).setItems(texts(wifi::kWpaEncTexts));

    m_table->loadEntry(entry);
    const WifiSettings& r = m_table->usingOrvane();
    refillWpaAuthentication(r);

    std::string mac = r.text(field::kMacAddress);
    for (char& c : mac) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (mac.size() == 12) {
        std::string shown;
        for (std::size_t i = 0; i < 12; i += 2) shown += (i ? ":" : "") + mac.substr(i, 2);
        control(kMacAddress).text = shown;
    } else {
        control(kMacAddress).text = mac;
    }
    control(kSsid).text = r.text(field::kSsid);
    showRecordAddress(control(kIp), r, field::kIp);
    showRecordAddress(control(kNetMask), r, field::kSubnet);
    showRecordAddress(control(kGateway), r, field::kGateway);
    showRecordAddress(control(kDns), r, field::kDns);
    const int mode = r.choice(field::kMode);
    const int channel = r.channel();
    if (channel >= 1 && channel <= 14) m_channel = channel;
    const int encryption = r.choice(field::kEncryption);
    const int keyInUse = r.choice(field::kUseKey) - 1;
    for (int k = 0; k < 4; ++k) {
        const auto raw = r.raw(field::kKeys[static_cast<std::size_t>(k)]);
        std::string key;
        for (uint8_t b : raw) {
            if (b == 0) break;
            key.push_back(static_cast<char>(b));
        }
        control(kKeyEdits[k]).text = key;
    }
    const int wpa = r.choice(field::kWpa);
    control(kWpaKey).text = r.text(field::kWpaKey);
    control(kTcpPort).text = std::to_string(r.tcpPort());
    m_eapId = r.text(field::kEapId);
    m_eapPassword = r.text(field::kEapPassword);
    m_caCertFile = r.text(field::kCaCertFile);
    m_clientCertFile = r.text(field::kClientCertFile);
    m_privateKeyFile = r.text(field::kPrivateKeyFile);

    control(kMode).selection = mode >= 0 && mode < 2 ? mode : -1;
    control(kChannel).selection = m_channel - 1;
    control(kAuthentication).selection = r.choice(field::kAuthentication);
    for (int k = 0; k < 4; ++k)
        control(kKeyFormats[k]).selection =
            static_cast<int>(m_table->keyFormats(entry)[static_cast<std::size_t>(k)]);
    control(kUsingKeyId).selection = keyInUse >= 0 && keyInUse < 4 ? keyInUse : -1;
    control(kSsid).textLimit = 32;
    enable(kUsingKeyId, encryption == 1 || encryption == 2);

    Control& wpaAuth = control(kWpaAuthentication);
    if (wpa <= 0) {
        wpaAuth.selection = 0;
        enable(kWpaEncryption, false);
    } else {
        enable(kWpaEncryption, true);
        wpaAuth.selection = wpa - 1 < static_cast<int>(wpaAuth.items.size()) ? wpa - 1 : -1;
    }
    control(kWpaEncryption).selection = r.choice(field::kWpaEnc);

    const bool eapNone = r.raw(field::kEapType)[0] == '0';
    int shownEncryption = encryption;
    if (eapNone ? wpa > 0 : (encryption != 4 && wpa > 0)) shownEncryption = 3;
    control(kEncryption).selection =
        shownEncryption >= 0 && shownEncryption < 5 ? shownEncryption : -1;

    enable(kDhcp, true);
    show(kDhcp, true);
    control(kDhcp).checked = r.choice(field::kDhcp) == 1;

    if (!r.hasLpdSupport()) {
        m_lpdSupport = false;
        for (int id : {kLpdEnable, k5Ghz, kLpdQueueLabel, kLpdQueue}) show(id, false);
    } else {
        m_lpdSupport = true;
        control(kLpdQueue).text = r.text(field::kLpdQueue);
        show(k5Ghz, mode == 0);
        for (int id : {kLpdEnable, kLpdQueueLabel, kLpdQueue}) show(id, true);
        control(kLpdEnable).checked = r.choice(field::kLpdEnable) == 1;
        const int current = r.channelTextNumber();
        if (current < 36) {
            control(k5Ghz).checked = false;
        } else {
            m_current5Ghz = current;
            control(k5Ghz).checked = true;
            refillChannels(true);
        }
    }

    enable({kSsid, kIp, kNetMask, kGateway, kDns, kMode, kChannel, kEncryption, kAuthentication},
           true);
    enable(kUsingKeyId, selection(kEncryption) > 0);
    keyControlRefresh(selection(kEncryption), selection(kUsingKeyId));
    enable({kGet, kSave, kReset, kEnterprise}, false);
    enable({kDhcp, kTcpPort}, true);
    encryptionChanged();
}

void CWiFiSettings::openEnterprise() {
    EnterpriseValues& v = m_enterprise.values();
    const WifiSettings& w = m_table->usingOrvane();
    // Whole texts by the record's text rule (a space inside a value is part of it).
    v.eapId = w.text(field::kEapId);
    v.eapPassword = w.text(field::kEapPassword);
    v.caCertFile = w.text(field::kCaCertFile);
    v.clientCertFile = w.text(field::kClientCertFile);
    v.privateKeyFile = w.text(field::kPrivateKeyFile);
    v.eapType = w.choice(field::kEapType);
    v.encryption = w.choice(field::kEncryption);
    v.wpaType = w.choice(field::kWpa);
    v.wpaCipher = w.choice(field::kWpaEnc);
    v.authentication = w.choice(field::kAuthentication);
    v.provisioning = w.choice(field::kEapFastProvisioning);
    v.maxServers = w.eapFastServers();
    if (shell().runModal(m_enterprise) != kIdOk) return;

    m_eapId = v.eapId;
    m_eapPassword = v.eapPassword;
    m_caCertFile = v.caCertFile;
    m_clientCertFile = v.clientCertFile;
    m_privateKeyFile = v.privateKeyFile;
    WifiSettings& r = m_table->usingOrvane();
    r.setText(field::kEapId, v.eapId);
    r.setText(field::kEapPassword, v.eapPassword);
    r.setText(field::kCaCertFile, v.caCertFile);
    r.setText(field::kClientCertFile, v.clientCertFile);
    r.setText(field::kPrivateKeyFile, v.privateKeyFile);
    r.setChoice(field::kEapType, v.eapType);
    r.setChoice(field::kEncryption, v.encryption);
    r.setChoice(field::kWpa, v.wpaType);
    r.setChoice(field::kWpaEnc, v.wpaCipher);
    r.setChoice(field::kAuthentication, v.authentication);
    r.setChoice(field::kEapFastProvisioning, v.provisioning);
    r.setEapFastServers(v.maxServers);
    m_table->storeEntry(0);

    control(kEncryption).selection = v.encryption;
    control(kAuthentication).selection = v.authentication;
    refillWpaAuthentication(r);
    const int wpaPos = v.wpaType - 1;
    control(kWpaAuthentication).selection =
        wpaPos >= 0 && wpaPos < static_cast<int>(control(kWpaAuthentication).items.size()) ? wpaPos
                                                                                           : -1;
}

}  // namespace setrion::ui
