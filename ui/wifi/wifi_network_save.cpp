// "Save..." in network mode: a found module through the management write, a text-frame
// printer through the save frame, each with its checks, messages and traces.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "common/atomic_file.h"
#include "common/trace.h"
#include "ui/main/status_window.h"
#include "ui/wifi/module_password_dlg.h"
#include "ui/wifi/wifi_network_mode.h"
#include "wifi/net/network_save.h"
#include "wifi/net/save_result.h"
#include "wifi/net/text_frame.h"
#include "wifi/net/write_checks.h"
#include "wifi/settings/choice_codes.h"
#include "wifi/settings/key_rules.h"

namespace setrion::ui {
namespace {

namespace f = wifi::field;

uint32_t host(const Control& c) { return net::octetsToHost(c.octets); }

std::optional<uint16_t> portNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    uint32_t v = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + static_cast<uint32_t>(ch - '0');
    }
    return static_cast<uint16_t>(v & 0xFFFF);
}

std::string addressTrace(const char* name, const wifi::WifiSettings& r, wifi::RecordField fld) {
    const auto o = r.address(fld);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s[%s]=%u.%u.%u.%u", name, r.text(fld).c_str(), o[0], o[1], o[2], o[3]);
    return buf;
}

void traceReadBack(const wifi::WifiSettings& r) {
    static const char* kEnc[] = {"Wi-Fi Encryption : None", "Wi-Fi Encryption : WEP-40Bit",
                                 "Wi-Fi Encryption : WEP-104Bit", "Wi-Fi Encryption : WPA"};
    static const char* kAuth[] = {"Wi-Fi Authentication : None", "Wi-Fi Authentication : Open",
                                  "Wi-Fi Authentication : Shared", "Wi-Fi Authentication : Both"};
    static const char* kWpa[] = {"WPA KEY Type : None", "WPA KEY Type : WPA-PSK", "WPA KEY Type : WPA2-PSK"};
    trace("PacketVersion=" + r.text(f::kVersion));
    trace("MAC=" + r.text(f::kMacAddress));
    trace("SSID=" + r.text(f::kSsid));
    const int dhcp = r.choice(f::kDhcp);
    trace(dhcp == 1 ? "DHCP ENABLE" : dhcp == 0 ? "DHCP DISABLE" : "Unknown Setting");
    trace(addressTrace("IP", r, f::kIp));
    trace(addressTrace("NETMASK", r, f::kSubnet));
    trace(addressTrace("GATEWAY", r, f::kGateway));
    trace(addressTrace("DNS", r, f::kDns));
    const int mode = r.choice(f::kMode);
    const char modeChar = static_cast<char>(r.raw(f::kMode)[0]);
    trace(mode == 0 ? "Ad-hoc" : "Infrastructure");
    trace("Mode=" + std::to_string(mode) + " " + std::string(1, modeChar));
    trace("CHANNEL=" + r.text(f::kChannel));
    const int enc = r.choice(f::kEncryption);
    if (enc >= 0 && enc <= 3) trace(kEnc[enc]);
    const int auth = r.choice(f::kAuthentication);
    if (auth >= 0 && auth <= 3) trace(kAuth[auth]);
    const int use = r.choice(f::kUseKey);
    if (use >= 1 && use <= 4) trace("KEY USE : " + std::to_string(use));
    for (size_t k = 0; k < 4; ++k)
        trace("KEY" + std::to_string(k + 1) + "=" + traceSecret(r.text(f::kKeys[k])));
    const int wpa = r.choice(f::kWpa);
    trace(wpa >= 0 && wpa <= 2 ? kWpa[wpa] : "Unknown Setting");
    const int wpaEnc = r.choice(f::kWpaEnc);
    const char encChar = static_cast<char>(r.raw(f::kWpaEnc)[0]);
    trace(wpaEnc == 0   ? std::string("WPA Encryption Type : TKIP")
          : wpaEnc == 1 ? std::string("WPA Encryption Type : AES")
                        : "Unknown Setting : " + std::string(1, encChar));
    trace("WPA KEY=" + traceSecret(r.text(f::kWpaKey)));
    trace("TCP PORT=" + std::to_string(r.tcpPort()));
}

}  // namespace

void WifiNetworkMode::onSave() {
    auto line = selectedLine();
    if (!line) {
        shell().message("Select Printer before execute this function.");
        return;
    }
    if (!m_host.readControls()) return;
    if (line->kind == 1) {
        if (line->index < m_modules.size()) saveModule(line->index);
    } else {
        saveTextRecord(line->index);
    }
}

void WifiNetworkMode::saveModule(size_t index) {
    net::DiscoveredPrinter& record = m_modules[index];
    net::NetworkEdit e;
    e.ip = host(c(m_ids.ip));
    e.netmask = host(c(m_ids.netmask));
    e.gateway = host(c(m_ids.gateway));
    e.dns = host(c(m_ids.dns));
    e.ssid = c(m_ids.ssid).text;
    e.tcpPort = portNumber(c(m_ids.tcpPort).text);
    e.wpaKey = c(m_ids.wpaKey).text;
    e.mode = std::max(selection(m_ids.mode), 0);
    e.channel = std::max(selection(m_ids.channel), 0) + 1;
    e.encryption = std::max(selection(m_ids.encryption), 0);
    e.authentication = std::max(selection(m_ids.authentication), 0);
    e.keyInUse = std::max(selection(m_ids.keyInUse), 0) + 1;
    e.wpaAuthentication = std::max(selection(m_ids.wpaAuthentication), 0);
    e.wpaEncryption = std::max(selection(m_ids.wpaEncryption), 0);
    e.dhcp = c(m_ids.dhcp).checked;

    // The address check comes before anything else is asked or sent.
    net::DiscoveredPrinter checked = record;
    if (const std::string refused = net::applyModuleEdit(checked, e); !refused.empty()) {
        shell().message(refused);
        return;
    }
    if (!net::ipAddressUsable(net::octetsToHost(checked.ipAddress), net::octetsToHost(checked.subnetMask))) {
        shell().message("Wrong Local IP address.");
        return;
    }
    std::array<uint8_t, 10> password{};
    if (std::any_of(record.password.begin(), record.password.end(), [](uint8_t b) { return b != 0; })) {
        auto typed = ModulePasswordDlg::ask(shell(), net::formatMac(record.mac));
        if (!typed) return;  // cancelled: nothing is sent
        std::copy_n(typed->begin(), std::min(typed->size(), password.size()), password.begin());
    }
    shell().setWaitCursor(true);
    const net::ModuleSaveResult result = net::saveModule(m_ctx, record, e, password);
    shell().setWaitCursor(false);
    if (result.ok()) {
        StatusWindow saved(shell(), StatusWindow::Kind::SettingsSaved);
        shell().runModal(saved);
        shell().setWaitCursor(false);
        return;
    }
    shell().message(result.code == 0 ? result.message : net::saveErrorMessage(result.code));
}

std::optional<std::string> WifiNetworkMode::textKeyError() {
    const int enc = selection(m_ids.encryption);
    if (enc <= 0) return std::nullopt;
    if (enc == 3) {
        if (c(m_ids.wpaKey).text.size() > 32) return std::string("WPA Key Length is not long");
        return wifi::wpaKeyError(c(m_ids.wpaKey).text);
    }
    if (enc != 1 && enc != 2) return std::nullopt;
    const int n = std::clamp(selection(m_ids.keyInUse), 0, 3);
    const bool ascii = selection(m_ids.keyFormats[static_cast<size_t>(n)]) == 1;
    const size_t length = c(m_ids.keys[static_cast<size_t>(n)]).text.size();
    const std::string key = "Key" + std::to_string(n + 1);
    if (ascii && length > (enc == 1 ? 5u : 13u)) return key + " Length is too long";
    if (!ascii && length != (enc == 1 ? 10u : 26u)) return key + " Length is not matched";
    const std::string& typed = c(m_ids.keys[static_cast<size_t>(n)]).text;
    if (wifi::wepKeyFault(typed, ascii ? wifi::KeyFormat::Ascii : wifi::KeyFormat::Hex, enc))
        return ascii ? key + " Length is not matched" : key + " must be hexadecimal digits only";
    return std::nullopt;
}

void WifiNetworkMode::saveTextRecord(size_t index) {
    if (auto error = textKeyError()) {
        shell().message(*error, "Error");
        return;
    }
    discardTextSocket();
    const size_t entry = textRecordEntry(index);
    const wifi::WifiSettings& source = m_table.entry(entry);
    // The record sent starts from what the printer reported, so the fields this dialog
    // does not show (enterprise, LPD, reserved) reach the printer unchanged.
    wifi::WifiSettings r = source;
    std::string mac;
    int parts = 0;
    for (size_t i = 0, start = 0; i <= c(m_ids.mac).text.size(); ++i) {
        const std::string& t = c(m_ids.mac).text;
        if (i == t.size() || t[i] == ':') {
            mac += t.substr(start, i - start);
            start = i + 1;
            ++parts;
        }
    }
    for (char& ch : mac) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (parts == 6) r.setText(f::kMacAddress, mac);
    r.setText(f::kSsid, c(m_ids.ssid).text);
    const bool dhcp = c(m_ids.dhcp).checked;
    r.setChoice(f::kDhcp, dhcp ? 1 : 0);
    trace(dhcp ? "DHCP YES" : "DHCP NO");
    r.setAddress(f::kIp, c(m_ids.ip).octets);
    r.setAddress(f::kSubnet, c(m_ids.netmask).octets);
    r.setAddress(f::kGateway, c(m_ids.gateway).octets);
    r.setAddress(f::kDns, c(m_ids.dns).octets);
    const int mode = std::max(selection(m_ids.mode), 0);
    r.setChoice(f::kMode, mode);
    trace(mode == 0 ? "*****Ad-hoc" : mode == 1 ? "*****Infrastructure" : "Unknown Setting");
    r.setChannel(std::max(selection(m_ids.channel), 0) + 1);
    const int enc = std::max(selection(m_ids.encryption), 0);
    r.setChoice(f::kEncryption, enc);
    r.setChoice(f::kAuthentication, std::max(selection(m_ids.authentication), 0));
    const int key = std::clamp(selection(m_ids.keyInUse), 0, 3);
    r.setChoice(f::kUseKey, key + 1);
    if (enc > 0) {
        for (const auto& k : f::kKeys) r.setText(k, "");
        const auto format = selection(m_ids.keyFormats[static_cast<size_t>(key)]) == 1
                                ? wifi::KeyFormat::Ascii
                                : wifi::KeyFormat::Hex;
        r.setText(f::kKeys[static_cast<size_t>(key)],
                  wifi::storedWepKeyText(c(m_ids.keys[static_cast<size_t>(key)]).text, format));
    }
    // The WPA list shows the record's codes by text ("WPA-PSK" is code 1 wherever it stands).
    const std::string wpaText = c(m_ids.wpaAuthentication).selectedText();
    const auto wpaCode = wifi::choiceIndex(wifi::kWpaTexts, wpaText);
    r.setChoice(f::kWpa, enc == 3 ? wpaCode.value_or(std::max(selection(m_ids.wpaAuthentication), 0)) : 0);
    r.setChoice(f::kWpaEnc, std::max(selection(m_ids.wpaEncryption), 0));
    r.setText(f::kWpaKey, c(m_ids.wpaKey).text);
    if (auto port = portNumber(c(m_ids.tcpPort).text)) r.setTcpPort(*port);

    const std::vector<uint8_t> frame = net::buildTextSaveFrame(r);
    if (!openTextSocket(net::CUdpSock::Mode::Save, frame)) return;
    m_sock->setExpectedMac(source.text(f::kMacAddress));
    m_saveConfirmed = false;
    m_sock->sendPending();
    if (!m_sock->isOpen()) return;  // the send failed and was reported: nothing went out
    watchTextSocket();

    StatusWindow saving(shell(), StatusWindow::Kind::Saving, this);
    shell().runModal(saving);
    shell().setWaitCursor(true);

    m_table.usingOrvane() = r;
    if (!writeFileAtomically(m_resultFile, std::span<const uint8_t>(r.bytes()))) {
        shell().setWaitCursor(false);
        shell().message(".\\result.out is not created !");
        return;
    }
    m_table.usingOrvane() = wifi::WifiSettings();
    std::optional<wifi::WifiSettings> readBack;
    if (std::ifstream in(m_resultFile, std::ios::binary); in.is_open()) {
        std::vector<uint8_t> back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        readBack = wifi::WifiSettings::fromBytes(back);
    }
    shell().setWaitCursor(false);
    if (!readBack) {
        shell().message(".\\result.out is not opened !");
        return;
    }
    m_table.usingOrvane() = *readBack;
    traceReadBack(*readBack);
}

}  // namespace setrion::ui
