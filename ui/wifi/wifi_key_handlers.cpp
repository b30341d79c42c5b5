// Key entry in the Wi-Fi dialog: the WEP key format lists and edits, the WPA key edit and
// the WPA Authentication list.
#include "ui/wifi/wifi_settings_dlg.h"
#include "wifi/settings/key_rules.h"

namespace setrion::ui {

using namespace wifi_dlg;
using wifi::KeyFormat;
using wifi::WifiSettings;
namespace field = wifi::field;

void CWiFiSettings::keyFormatChanged(int slot) {
    const auto k = static_cast<std::size_t>(slot);
    const int pos = selection(kKeyFormats[slot]);
    const KeyFormat format = pos == 1 ? KeyFormat::Ascii : KeyFormat::Hex;
    const EditTarget t = editTarget();
    if (t.kind == TargetKind::Discovered) return m_net->onKeyFormatChanged(slot);
    if (t.kind == TargetKind::Controls) {
        if (m_networkMode) return;
        m_keyFormat[k] = format;
        keyControlRefresh(selection(kEncryption), selection(kUsingKeyId));
        return;
    }
    if (t.kind != TargetKind::Record) return;
    const WifiSettings& r = m_table->entry(t.index);
    const int encryption = r.choice(field::kEncryption);
    const int sizeClass = wifi::keySizeClass(encryption);
    std::string stored;
    if (sizeClass != 0) {
        control(kEncryption).selection = encryption;
        const auto raw = r.raw(field::kKeys[k]);
        for (std::size_t i = 0; i < static_cast<std::size_t>(wifi::wepKeyHexLength(sizeClass)); ++i) {
            if (raw[i] == 0) break;
            stored.push_back(static_cast<char>(raw[i]));
        }
    }
    control(kKeyEdits[slot]).text = wifi::wepKeyDisplayText(stored, sizeClass, format);
    m_table->keyFormats(t.index)[k] = format;
    control(kKeyFormats[slot]).selection = static_cast<int>(format);
    control(kSsid).textLimit = 32;
    if (sizeClass != 0) setKeyLimits(encryption, m_table->keyFormats(t.index));
}

void CWiFiSettings::keyTextChanged(int slot) {
    const EditTarget t = editTarget();
    if (t.kind != TargetKind::Record) return;  // a command-mode save reads the edit itself
    const auto k = static_cast<std::size_t>(slot);
    const std::string stored =
        wifi::storedWepKeyText(control(kKeyEdits[slot]).text, m_table->keyFormats(t.index)[k]);
    editRecord(t.index, [&](WifiSettings& r) {
        // The key is written over the start of its field; a shorter key than before must not
        // leave the old key's tail behind as part of it.
        r.fill(field::kKeys[k], 0);
        r.overwriteStart(field::kKeys[k], stored.substr(0, field::kKeys[k].length));
    });
}

void CWiFiSettings::wpaKeyChanged() {
    const EditTarget t = editTarget();
    if (t.kind != TargetKind::Record) return;
    const wifi::WpaKeyEdit rule = wifi::applyWpaKeyRule(control(kWpaKey).text);
    control(kWpaKey).textLimit = static_cast<std::size_t>(rule.limit);
    control(kWpaKey).text = rule.text;
}

void CWiFiSettings::wpaAuthenticationChanged() {
    const EditTarget t = editTarget();
    const int pos = selection(kWpaAuthentication);
    wifi::WpaAuthenticationEffect effect;
    if (t.kind == TargetKind::Controls) {
        if (m_networkMode) return;
        effect = wifi::wpaAuthenticationChangedCommandMode(pos, m_conn.moduleGeneration());
    } else if (t.kind == TargetKind::Record) {
        effect = wifi::wpaAuthenticationChangedBlock(pos);
        if (effect.encryptionSelection) {
            const int code = *effect.encryptionSelection;
            editRecord(t.index, [&](WifiSettings& r) { r.setChoice(field::kWpaEnc, code); });
        }
    } else {
        return;
    }
    if (effect.encryptionSelection) control(kWpaEncryption).selection = *effect.encryptionSelection;
    if (effect.encryptionEnabled) enable(kWpaEncryption, *effect.encryptionEnabled);
}

}  // namespace setrion::ui
