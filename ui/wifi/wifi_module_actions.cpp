// Get, Save and Reset (Factory Settings) of the Wi-Fi dialog over its own link.
#include <cstdlib>

#include "ui/main/information_window.h"
#include "ui/main/status_window.h"
#include "ui/wifi/choice_texts.h"
#include "ui/wifi/wifi_settings_dlg.h"
#include "wifi/module/command_mode_write.h"
#include "wifi/module/factory_reset.h"
#include "wifi/module/settings_block_exchange.h"
#include "wifi/settings/choice_codes.h"

namespace setrion::ui {

using namespace wifi_dlg;
using wifi::ModuleKind;
using wifi::ReadStep;
using wifi::WifiSettings;
namespace field = wifi::field;

namespace {
// The wait cursor while a module exchange blocks the dialog; off again before any window
// that waits for the user.
class BusyCursor {
public:
    explicit BusyCursor(Shell& shell) : m_shell(shell) { m_shell.setWaitCursor(true); }
    ~BusyCursor() { m_shell.setWaitCursor(false); }
    void release() { m_shell.setWaitCursor(false); }

private:
    Shell& m_shell;
};

std::string asciiOf(const std::vector<uint8_t>& bytes) {
    std::string s;
    for (uint8_t b : bytes) {
        if (b == 0) break;
        s.push_back(static_cast<char>(b));
    }
    return s;
}
}  // namespace

void CWiFiSettings::setProgress(int position) {
    control(kProgress).position = position;
    shell().repaint(*this);
}

void CWiFiSettings::getInformation() {
    if (m_conn.moduleKind() == ModuleKind::CommandMode)
        getCommandMode();
    else
        getSettingsBlock();
}

void CWiFiSettings::applyReadStep(ReadStep step, const wifi::CommandModeSettings& v, int progress) {
    switch (step) {
        case ReadStep::IpAddress: control(kIp).setAddress(v.ip); break;
        case ReadStep::SubnetMask: control(kNetMask).setAddress(v.netmask); break;
        case ReadStep::Gateway: control(kGateway).setAddress(v.gateway); break;
        case ReadStep::Dns: control(kDns).setAddress(v.dns); break;
        case ReadStep::Ssid: control(kSsid).text = v.ssid; break;
        case ReadStep::WlanOptions: {
            const wifi::WlanOptionsValue& o = v.options;
            m_channel = o.channel >= 1 && o.channel <= 14 ? o.channel : 1;
            control(kMode).setItems(texts(wifi::kModeTexts), o.mode);
            refillChannels(false);
            control(kAuthentication).setItems(texts(wifi::kAuthenticationTexts), o.authentication);
            control(kUsingKeyId).setItems(texts(wifi::kKeyIdTexts), o.keyInUse);
            enable(kUsingKeyId, o.wepEncryption > 0);
            for (int k = 0; k < 4; ++k)
                control(kKeyFormats[k])
                    .setItems(texts(wifi::kKeyFormatTexts),
                              static_cast<int>(m_keyFormat[static_cast<std::size_t>(k)]));
            control(kWpaAuthentication).setItems({});
            control(kWpaEncryption).setItems({});
            break;
        }
        case ReadStep::WepKeys40:
            for (std::size_t k = 0; k < 4; ++k) {
                m_remembered[k].wep64Hex = v.wep40.hex[k];
                m_remembered[k].wep64Ascii = asciiOf(v.wep40.bytes[k]);
            }
            break;
        case ReadStep::WepKeys104: {
            for (std::size_t k = 0; k < 4; ++k) {
                m_remembered[k].wep128Hex = v.wep104.hex[k];
                m_remembered[k].wep128Ascii = asciiOf(v.wep104.bytes[k]);
            }
            const int gen = m_conn.moduleGeneration();
            Control& auth = control(kWpaAuthentication);
            auth.setItems({"None Use", "WPA-PSK", "WPA2-PSK"});
            switch (v.options.wpaMode) {
                case 0: auth.selection = 0; enable(kWpaEncryption, false); break;
                case 2: auth.selection = 1; enable(kWpaEncryption, false); break;
                case 4:
                    auth.selection = 2;
                    if (gen == 3) enable(kWpaEncryption, true);
                    break;
                default: break;
            }
            std::vector<std::string> ciphers{"None Use", "TKIP", "AES"};
            if (gen == 3) ciphers.emplace_back("TKIP+AES");
            control(kWpaEncryption).setItems(std::move(ciphers), v.options.wpaCipher);
            break;
        }
        case ReadStep::WpaKey:
        case ReadStep::WpaKeyExtended: control(kWpaKey).text = v.passphrase; break;
        case ReadStep::TcpIpPort: control(kTcpPort).text = std::to_string(v.tcpPort); break;
        case ReadStep::WpaPsk: {
            std::vector<std::string> list{"None", "WEP64", "WEP128"};
            if (v.encryptionCapability == 2) {
                list.emplace_back("WPA");
                list.emplace_back("802.1x");
                control(kWpaKey).text = v.passphrase;
            }
            control(kEncryption).setItems(std::move(list),
                                          v.options.wpaMode != 0 ? 3 : v.options.wepEncryption);
            break;
        }
        case ReadStep::TcpActiveOptions: control(kDhcp).checked = v.dhcp; break;
        case ReadStep::ModuleInfo: control(kMacAddress).text = v.macText; break;
    }
    if (progress >= 0) control(kProgress).position = progress;
    shell().repaint(*this);
}

void CWiFiSettings::enableAfterRead() {
    enable({kSsid, kIp, kNetMask, kGateway, kDns, kMode, kChannel, kEncryption, kAuthentication}, true);
    enable(kUsingKeyId, selection(kEncryption) > 0);
    keyControlRefresh(selection(kEncryption), selection(kUsingKeyId));
    enable(kGet, false);
    enable(kSave, true);
}

void CWiFiSettings::getCommandMode() {
    BusyCursor busy(shell());
    Control& bar = control(kProgress);
    bar.rangeMin = 0;
    bar.rangeMax = 100;
    bar.position = 0;
    m_remembered = {};
    const wifi::SequenceResult r = wifi::readCommandModeSettings(
        m_conn, m_read, [this](ReadStep step, const wifi::CommandModeSettings& v, int progress) {
            applyReadStep(step, v, progress);
        });
    busy.release();
    if (!r.ok) {
        shell().message(r.message, r.caption);
        return;
    }
    enableAfterRead();
    if (m_read.encryptionCapability == 2) {
        enable(kReset, false);
        enable({kDhcp, kTcpPort}, true);
    }
    setProgress(100);
    StatusWindow done(shell(), StatusWindow::Kind::ReadCompleted);
    shell().runModal(done);
}

void CWiFiSettings::getSettingsBlock() {
    BusyCursor busy(shell());
    const wifi::SequenceResult r = wifi::readSettingsBlock(m_conn, m_table->entry(0));
    busy.release();
    if (!r.ok) {
        shell().message(r.message, r.caption);
        return;
    }
    fillFromRecord();
    StatusWindow done(shell(), StatusWindow::Kind::ReadCompleted);
    shell().runModal(done);
    enableAfterRead();
    enable(kReset, false);
    enable({kDhcp, kTcpPort}, true);
}

void CWiFiSettings::saveInformation() {
    // The INI file enables the button before any port is open; a save then would go through
    // every step against a closed link and fail only at its end.
    if (!m_conn.portOpen()) {
        shell().message(kSaveNeedsOpenPortText, wifi::kModuleErrorCaption);
        return;
    }
    if (m_conn.moduleKind() == ModuleKind::CommandMode)
        saveCommandMode();
    else
        saveSettingsBlock();
}

void CWiFiSettings::saveCommandMode() {
    wifi::CommandModeWriteInput in;
    in.ip = control(kIp).octets;
    in.netmask = control(kNetMask).octets;
    in.gateway = control(kGateway).octets;
    in.dns = control(kDns).octets;
    in.ssid = control(kSsid).text;
    in.mode = selection(kMode);
    in.channelSelection = selection(kChannel);
    in.encryption = selection(kEncryption);
    in.keyInUse = selection(kUsingKeyId);
    in.authentication = selection(kAuthentication);
    in.wpaAuthentication = selection(kWpaAuthentication);
    in.wpaEncryption = selection(kWpaEncryption);
    for (int k = 0; k < 4; ++k) in.keyTexts[static_cast<std::size_t>(k)] = control(kKeyEdits[k]).text;
    in.keyFormats = m_keyFormat;
    in.wpaKey = control(kWpaKey).text;
    in.tcpPort = control(kTcpPort).text.empty() ? 0 : std::strtol(control(kTcpPort).text.c_str(), nullptr, 10);
    in.dhcp = control(kDhcp).checked;
    if (auto refused = wifi::validateCommandModeWrite(in)) {
        shell().message(refused->message, refused->caption);
        return;
    }
    if (!takeBoundValues()) return;

    BusyCursor busy(shell());
    Control& bar = control(kProgress);
    bar.rangeMin = 0;
    bar.rangeMax = 100;
    bar.position = 0;
    const wifi::SequenceResult r = wifi::writeCommandModeSettings(
        m_conn, in, m_read, nullptr, [this](wifi::WriteStep, int progress) {
            if (progress >= 0) setProgress(progress);
        });
    busy.release();
    if (!r.ok) {
        shell().message(r.message, r.caption);
        return;
    }
    for (int id : {kSsid, kIp, kNetMask, kGateway, kDns, kMode, kChannel, kEncryption, kUsingKeyId,
                   kAuthentication, kSave, kDhcp, kWpaEncryption})
        enable(id, false);
    enable({kGet, kReset}, true);
    setProgress(100);
    keyControlRefresh(0, selection(kUsingKeyId));
    StatusWindow done(shell(), StatusWindow::Kind::SaveCompleted);
    shell().runModal(done);
}

void CWiFiSettings::saveSettingsBlock() {
    wifi::BlockWriteInput in;
    in.macText = control(kMacAddress).text;
    in.ssid = control(kSsid).text;
    in.dhcp = control(kDhcp).checked;
    in.ip = control(kIp).octets;
    in.netmask = control(kNetMask).octets;
    in.gateway = control(kGateway).octets;
    in.dns = control(kDns).octets;
    in.mode = selection(kMode);
    in.channel = m_lpdSupport ? m_channel : selection(kChannel) + 1;
    in.encryption = selection(kEncryption);
    in.authentication = selection(kAuthentication);
    in.keyInUse = selection(kUsingKeyId);
    for (int k = 0; k < 4; ++k) in.keyTexts[static_cast<std::size_t>(k)] = control(kKeyEdits[k]).text;
    in.keyFormats = m_table->keyFormats(0);
    in.wpaAuthentication = selection(kWpaAuthentication);
    in.wpaEncryption = selection(kWpaEncryption);
    if (in.encryption >= 0 && in.encryption < 3) {
        // No WPA with None or WEP: the record must not say WPA-PSK because the WPA list
        // still shows its first entry.
        in.wpaAuthentication = -1;
        in.wpaEncryption = 0;
    }
    in.wpaKey = control(kWpaKey).text;
    in.tcpPort = static_cast<uint16_t>(std::strtol(control(kTcpPort).text.c_str(), nullptr, 10));
    in.lpdEnable = control(kLpdEnable).checked;
    in.lpdQueue = control(kLpdQueue).text;
    in.channelText = control(kChannel).selectedText();
    in.eapId = m_eapId;
    in.eapPassword = m_eapPassword;
    in.caCertFile = m_caCertFile;
    in.clientCertFile = m_clientCertFile;
    in.privateKeyFile = m_privateKeyFile;
    if (!takeBoundValues()) return;
    if (auto refused = wifi::validateBlockWrite(in, m_lpdSupport)) {
        shell().message(refused->message, refused->caption);
        return;
    }
    wifi::fillRecordFromInput(m_table->entry(0), in, m_lpdSupport);

    BusyCursor busy(shell());
    WifiSettings record = m_table->entry(0);
    const wifi::SequenceResult r =
        wifi::writeSettingsBlock(m_conn, record, [this](int position) { setProgress(position); });
    busy.release();
    if (!r.ok) {
        if (!r.message.empty()) shell().message(r.message, r.caption);
        return;
    }
    m_table->entry(0) = record;
    fillFromRecord();
    enableAfterRead();
    enable({kDhcp, kTcpPort}, true);
    StatusWindow done(shell(), StatusWindow::Kind::SaveCompleted);
    shell().runModal(done);
}

void CWiFiSettings::resetFactory() {
    // A factory reset loses every setting of the module: ask first.
    if (shell().question(kResetQuestion) != kIdYes) return;
    BusyCursor busy(shell());
    const wifi::SequenceResult r = wifi::resetModuleSequence(m_conn);
    busy.release();
    if (!r.ok) {
        shell().message(r.message, r.caption);
        return;
    }
    closePort();
    portSelectionChanged();
    InformationWindow info(shell(), InformationWindow::Kind::FactoryReset);
    shell().runModal(info);
}

}  // namespace setrion::ui
