#include "ui/wifi/wifi_network_mode.h"

#include <algorithm>
#include <cstdio>

#include "common/trace.h"
#include "ui/main/status_window.h"
#include "wifi/net/network_search.h"
#include "wifi/net/text_frame.h"
#include "wifi/net/write_checks.h"

namespace setrion::ui {
namespace {

using net::DiscoveredPrinter;
namespace bits = net::wifi_bits;

std::vector<std::string> numbers(int from, int to) {
    std::vector<std::string> out;
    for (int i = from; i <= to; ++i) out.push_back(std::to_string(i));
    return out;
}

void enableAll(Dialog& d, std::initializer_list<int> ids, bool on) {
    for (int id : ids) d.control(id).enabled = on;
}

// Selects `index` when the list has it, else nothing.
void selectAt(Control& list, int index) {
    list.selection = (index >= 0 && static_cast<size_t>(index) < list.items.size()) ? index : -1;
}

uint32_t field(uint32_t flags, int shift, uint32_t mask) { return (flags >> shift) & mask; }

void setField(uint32_t& flags, int shift, uint32_t mask, uint32_t value) {
    flags = (flags & ~(mask << shift)) | ((value & mask) << shift);
}

// "02:00:00:00:00:A1" from a record's 12-character MAC text.
std::string textMacLine(const std::string& mac) {
    if (mac.size() != 12) return mac;
    std::string line;
    for (size_t i = 0; i < 12; i += 2) {
        if (i) line += ':';
        line += mac.substr(i, 2);
    }
    return line;
}

}  // namespace

WifiNetworkMode::WifiNetworkMode(Dialog& dialog, const WifiNetworkControls& ids,
                                 WifiNetworkHost& host, wifi::OrvaneInformation& table,
                                 net::NetConfig config)
    : m_dialog(dialog), m_ids(ids), m_host(host), m_table(table), m_textOpener(net::systemSocketOpener()) {
    m_ctx.config = config;
    m_ctx.clock = &dialog.shell().clock();
    m_ctx.blocks = &m_blocks;
}

WifiNetworkMode::~WifiNetworkMode() {
    discardTextSocket();
    if (m_searchPending) shell().killTimer(m_dialog, kSearchTimerId);
}

void WifiNetworkMode::setSocketOpener(net::SocketOpener opener) {
    m_ctx.openSocket = opener;
    m_textOpener = std::move(opener);
}

int WifiNetworkMode::selection(int id) const { return m_dialog.control(id).selection; }

std::optional<DeviceLine> WifiNetworkMode::selectedLine() const {
    const int s = selection(m_ids.printerList);
    if (s < 0 || static_cast<size_t>(s) >= m_lines.size()) return std::nullopt;
    return m_lines[static_cast<size_t>(s)];
}

DiscoveredPrinter* WifiNetworkMode::selectedModule() {
    auto line = selectedLine();
    if (!line || line->kind != 1 || line->index >= m_modules.size()) return nullptr;
    return &m_modules[line->index];
}

void WifiNetworkMode::discardTextSocket() {
    if (!m_sock) return;
    if (m_watchedFd != kNoSocket) shell().unwatchSocket(m_dialog, m_watchedFd);
    m_watchedFd = kNoSocket;
    m_sock.reset();
    m_remoteAddress = "255.255.255.255";
}

bool WifiNetworkMode::openTextSocket(net::CUdpSock::Mode mode, std::span<const uint8_t> frame) {
    auto created = net::CUdpSock::create(*this, m_ctx.config, m_textOpener);
    if (!created.sock) {
        shell().message(created.message);
        return false;
    }
    m_sock = std::move(created.sock);
    m_sock->setMode(mode);
    // The whole frame goes out: a save cut to its first 512 bytes would lose the record's end.
    m_sock->load(frame);
    if (mode == net::CUdpSock::Mode::Search && m_ctx.config.allInterfaces) {
        std::vector<net::SocketAddress> extra;
        for (uint32_t b : net::interfaceBroadcasts()) extra.push_back({b, m_ctx.config.textPort});
        m_sock->setExtraPeers(std::move(extra));
    }
    return true;
}

void WifiNetworkMode::watchTextSocket() {
    if (!m_sock || !m_sock->isOpen() || m_watchedFd != kNoSocket) return;
    m_watchedFd = m_sock->fd();
    if (m_watchedFd != kNoSocket) shell().watchSocket(m_dialog, m_watchedFd);
}

void WifiNetworkMode::showMessage(const std::string& text) { shell().message(text); }

void WifiNetworkMode::enableSave() { c(m_ids.save).enabled = true; }

size_t WifiNetworkMode::addLine(const std::string& text, DeviceLine entry) {
    const size_t position = m_lines.size();  // networkEntryCount + textEntryCount
    c(m_ids.printerList).items.push_back(text);
    m_lines.push_back(entry);
    m_lineKeyFormats.push_back({0, 0, 0, 0});
    return position;
}

// ---- search --------------------------------------------------------------------------

void WifiNetworkMode::onWifiSearch() {
    m_lines.clear();
    m_lineKeyFormats.clear();
    m_networkEntries = m_textEntries = 0;
    m_leftOut = 0;
    c(m_ids.save).enabled = false;
    c(m_ids.search).iconNumber = 153;
    shell().repaint(m_dialog);
    shell().setWaitCursor(true);
    m_searchDone = false;
    discardTextSocket();
    const std::vector<uint8_t> frame = net::buildTextSearchFrame();
    if (!openTextSocket(net::CUdpSock::Mode::Search, frame)) {
        // Nothing was sent: the search ends here, without a status window left waiting.
        shell().setWaitCursor(false);
        c(m_ids.search).iconNumber = 154;
        return;
    }
    m_sock->sendPending();
    c(m_ids.printerList).setItems({}, -1);
    m_modules.clear();
    if (!m_sock->isOpen()) {  // the send failed and was reported
        shell().setWaitCursor(false);
        c(m_ids.search).iconNumber = 154;
        return;
    }
    // The blocking management search runs from the dialog's timer once the status window
    // is up, so the window shows while the modules answer.
    m_searchPending = true;
    shell().setTimer(m_dialog, kSearchTimerId, 0);
    StatusWindow status(shell(), StatusWindow::Kind::Searching, this);
    shell().runModal(status);
    if (m_searchPending) runManagementSearch();
}

bool WifiNetworkMode::onTimer(int timerId) {
    if (timerId != kSearchTimerId) return false;
    if (m_searchPending) runManagementSearch();
    return true;
}

void WifiNetworkMode::runManagementSearch() {
    m_searchPending = false;
    shell().killTimer(m_dialog, kSearchTimerId);
    m_ctx.extraBroadcasts.clear();
    if (m_ctx.config.allInterfaces) m_ctx.extraBroadcasts = net::interfaceBroadcasts();
    net::SearchOutcome found = net::searchModules(m_ctx, 0);
    if (found.error != 0) trace("Management search: socket error " + std::to_string(found.error));
    m_modules = std::move(found.records);
    if (m_modules.size() > kMaxModules) m_modules.resize(kMaxModules);
    if (m_modules.size() > 1) net::sortPrinters(m_modules);

    std::optional<size_t> firstLine;
    for (size_t i = 0; i < m_modules.size(); ++i) {
        if (m_lines.size() >= kMaxLines) {
            ++m_leftOut;
            continue;
        }
        const size_t line = addLine(net::formatMac(m_modules[i].mac), {1, static_cast<uint8_t>(i)});
        if (!firstLine) firstLine = line;
        ++m_networkEntries;
    }
    if (m_leftOut)
        trace(std::to_string(m_leftOut) + " printers found but not listed: the list holds " +
              std::to_string(kMaxLines) + " lines");
    if (firstLine) {
        c(m_ids.mac).text = c(m_ids.printerList).items[*firstLine];
        fillFromModule(m_modules[0], *firstLine, true);
        selectAt(c(m_ids.printerList), 0);
        m_host.runKeyFormatHandlers();
        enableAll(m_dialog, {m_ids.ssid, m_ids.ip, m_ids.netmask, m_ids.gateway, m_ids.dns, m_ids.mode,
                         m_ids.channel, m_ids.encryption, m_ids.authentication},
                        true);
        const int enc = selection(m_ids.encryption);
        if (enc > 0) c(m_ids.keyInUse).enabled = true;
        m_host.keyControlRefresh(enc, selection(m_ids.keyInUse));
        enableAll(m_dialog, {m_ids.getInfo, m_ids.saveInfo, m_ids.reset}, false);
    }
    m_searchDoneTime = shell().clock().nowMs();
    shell().setWaitCursor(false);
    c(m_ids.search).iconNumber = 154;
    m_searchDone = true;
    // Text answers queued meanwhile are handled from now on, after the module lines.
    watchTextSocket();
}

void WifiNetworkMode::addTextPrinter(std::span<const uint8_t> frame) {
    auto record = net::answerRecord(frame);
    if (!record) return;
    const std::string mac = record->text(wifi::field::kMacAddress);
    // A printer heard on several broadcast addresses answers more than once: listed once.
    for (int k = 0; k < m_textEntries; ++k)
        if (m_table.entry(textRecordEntry(static_cast<size_t>(k))).text(wifi::field::kMacAddress) == mac) return;
    if (m_lines.size() >= kMaxLines ||
        textRecordEntry(static_cast<size_t>(m_textEntries)) >= wifi::OrvaneInformation::kEntries) {
        ++m_leftOut;
        trace("Printer list full: " + std::to_string(m_leftOut) + " printers not listed (answer of " +
              mac + ")");
        return;
    }
    const auto k = static_cast<size_t>(m_textEntries);
    m_table.entry(textRecordEntry(k)) = *record;
    addLine(textMacLine(mac), {0, static_cast<uint8_t>(k)});
    ++m_textEntries;
    m_searchDoneTime = shell().clock().nowMs();  // the status window waits for quiet
    selectAt(c(m_ids.printerList), 0);
    onPrinterSelected();
}

bool WifiNetworkMode::onSocketReadable(SocketHandle socket) {
    if (!m_sock || socket != m_watchedFd) return false;
    m_sock->onReadable();
    if (m_sock && m_sock->wantsWritable()) m_sock->onWritable();
    if (m_sock && !m_sock->isOpen() && m_watchedFd != kNoSocket) {
        shell().unwatchSocket(m_dialog, m_watchedFd);
        m_watchedFd = kNoSocket;
    }
    return true;
}

// ---- selection -------------------------------------------------------------------------

void WifiNetworkMode::onPrinterSelected() {
    const int s = selection(m_ids.printerList);
    auto line = selectedLine();
    if (!line || !m_host.readControls()) return;
    if (line->kind == 0) {
        m_host.fillFromRecord(textRecordEntry(line->index));
        Control& wpaEnc = c(m_ids.wpaEncryption);
        const int keep = wpaEnc.selection;
        wpaEnc.setItems({"TKIP", "AES"}, keep < 2 ? keep : -1);
        return;
    }
    if (line->index < m_modules.size())
        fillFromModule(m_modules[line->index], static_cast<size_t>(s), false);
}

void WifiNetworkMode::setKeyLimits(uint32_t wep, size_t line) {
    for (size_t k = 0; k < 4; ++k) {
        const bool ascii = line < m_lineKeyFormats.size() && m_lineKeyFormats[line][k] == 1;
        size_t limit = 26;
        if (wep == 1) limit = ascii ? 5 : 10;
        if (wep == 2) limit = ascii ? 13 : 26;
        c(m_ids.keys[k]).textLimit = limit;
    }
}

void WifiNetworkMode::enableKeyInUseOnly(int key) {
    for (int k = 0; k < 4; ++k) {
        const bool on = k == key;
        c(m_ids.keys[static_cast<size_t>(k)]).enabled = on;
        c(m_ids.keyFormats[static_cast<size_t>(k)]).enabled = on;
    }
}

void WifiNetworkMode::fillFromModule(const DiscoveredPrinter& r, size_t line, bool fromSearch) {
    const uint32_t f = r.wifiFlags;
    c(m_ids.mode).setItems({"adhoc", "infrastructure"});
    c(m_ids.authentication).setItems({"None", "Open System", "Shared Key", "Both"});
    c(m_ids.encryption).setItems({"None", "WEP64", "WEP128", "WPA", "802.1x"});
    c(m_ids.channel).setItems(numbers(1, 15));
    for (int id : m_ids.keyFormats) c(id).setItems({"HEX", "ASCII"});
    c(m_ids.keyInUse).setItems({"KEY ID 1", "KEY ID 2", "KEY ID 3", "KEY ID 4"});
    c(m_ids.wpaAuthentication).setItems({"None", "WPA-PSK", "WPA2-PSK"});
    c(m_ids.wpaEncryption).setItems({"None", "TKIP", "AES"});

    // A module answers from its own address. A reply from a loopback address can only come
    // from a simulated module on this host: there the address it reports is its own.
    if (r.replyAddress[0] == 127) {
        trace("Reply from loopback " + wifi::dottedAddress(r.replyAddress) +
              " (simulated module): showing its reported address " + wifi::dottedAddress(r.ipAddress));
        c(m_ids.ip).setAddress(r.ipAddress);
    } else {
        c(m_ids.ip).setAddress(r.replyAddress);
    }
    c(m_ids.netmask).setAddress(r.subnetMask);
    c(m_ids.gateway).setAddress(r.gateway);
    c(m_ids.dns).setAddress(r.dnsServer);
    c(m_ids.mac).text = net::formatMac(r.mac);
    c(m_ids.ssid).text = r.ssidText();
    c(m_ids.wpaKey).text = r.wpaPassphraseText();
    c(m_ids.tcpPort).text = std::to_string(r.ports[0].localPort());

    selectAt(c(m_ids.mode), static_cast<int>(f & bits::kTopologyMask));
    selectAt(c(m_ids.channel), static_cast<int>(field(f, bits::kChannelShift, 0xF)) - 1);
    const uint32_t wep = field(f, bits::kWepShift, 3);
    const uint32_t wpa = field(f, bits::kWpaModeShift, 7);
    // A module's key bytes, shown in the slot's format: hex digits, or the characters.
    auto keyShown = [&](int k) {
        const std::string raw = r.wepKeyText(static_cast<int>(wep), k);
        const bool ascii = line < m_lineKeyFormats.size() && m_lineKeyFormats[line][static_cast<size_t>(k)] == 1;
        return ascii ? raw : wifi::asciiKeyToHex(raw);
    };
    int enc = 0;
    if (fromSearch) {
        enc = wpa ? 3 : static_cast<int>(wep);
        if (wpa) {
            for (int id : m_ids.keys) c(id).text.clear();
        } else if (wep == 1 || wep == 2) {
            for (int k = 0; k < 4; ++k) c(m_ids.keys[static_cast<size_t>(k)]).text = keyShown(k);
        }
    } else if (wep == 1 || wep == 2) {
        enc = static_cast<int>(wep);
        for (int k = 0; k < 4; ++k) c(m_ids.keys[static_cast<size_t>(k)]).text = keyShown(k);
    } else {
        enc = wpa ? 3 : 0;
        for (int id : m_ids.keys) c(id).text.clear();
    }
    selectAt(c(m_ids.encryption), enc);

    selectAt(c(m_ids.authentication), static_cast<int>(field(f, bits::kAuthShift, 3)));
    for (size_t k = 0; k < 4; ++k)
        selectAt(c(m_ids.keyFormats[k]), line < m_lineKeyFormats.size() ? m_lineKeyFormats[line][k] : 0);
    const int key = static_cast<int>(field(f, bits::kKeyIndexShift, 3));
    selectAt(c(m_ids.keyInUse), key);

    enableAll(m_dialog, {m_ids.ssid, m_ids.ip, m_ids.netmask, m_ids.gateway, m_ids.dns, m_ids.mode,
                     m_ids.channel, m_ids.encryption, m_ids.authentication, m_ids.keyInUse},
                    true);
    enableKeyInUseOnly(key);

    c(m_ids.save).enabled = true;
    c(m_ids.ssid).textLimit = 32;
    for (int id : m_ids.keys) c(id).textLimit = wep == 1 ? 10 : 26;
    if (wep != 1 && wep != 2) {
        for (int id : m_ids.keys) c(id).enabled = false;
        for (int id : m_ids.keyFormats) c(id).enabled = false;
    }

    if (!fromSearch) trace("WPA Authentication = " + std::to_string(wpa));
    selectAt(c(m_ids.wpaAuthentication), static_cast<int>(field(f, 17, 3)));
    if (wpa == 0) {
        if (wep == 1 || wep == 2) c(m_ids.keyInUse).enabled = true;
        else if (wep == 0) c(m_ids.keyInUse).enabled = false;
        c(m_ids.wpaAuthentication).enabled = false;
        c(m_ids.wpaKey).enabled = false;
    } else {
        c(m_ids.keyInUse).enabled = false;
        c(m_ids.wpaAuthentication).enabled = true;
        c(m_ids.wpaKey).enabled = true;
    }
    selectAt(c(m_ids.wpaEncryption), static_cast<int>(field(f, bits::kWpaCipherShift, 3)));

    const bool dhcpShown = r.versionV3() > 5;
    c(m_ids.dhcp).enabled = dhcpShown;
    c(m_ids.dhcp).visible = dhcpShown;
    c(m_ids.dhcp).checked = (r.optionFlags & net::kOptionDhcpRead) != 0;

    m_host.runKeyFormatHandlers();
    if (line < m_lines.size() && m_lines[line].kind == 1 && m_lines[line].index < m_modules.size())
        applyEncryption(m_modules[m_lines[line].index], line);

    if (!fromSearch) return;
    // The search's fill: the module's generation decides Reset, DHCP and the WPA cipher list.
    int generation = 1;
    bool resetShown = false;
    bool dhcp = false;
    const uint32_t v2 = r.versionV2(), v3 = r.versionV3();
    if (v2 != 1) {
        if (((v2 << 8) | v3) > 511) {
            generation = 3;
            resetShown = true;
        }
    } else {
        generation = v3 > 5 ? 2 : 1;
        resetShown = dhcp = v3 > 5;
    }
    m_host.setModuleGeneration(generation);
    c(m_ids.reset).enabled = c(m_ids.reset).visible = resetShown;
    c(m_ids.dhcp).visible = dhcp;
    Control& wpaEnc = c(m_ids.wpaEncryption);
    if (generation == 3) {
        const int keep = static_cast<int>(field(f, bits::kWpaCipherShift, 3));
        wpaEnc.setItems({"None", "TKIP", "AES", "TKIP+AES"}, keep);
    }
    wpaEnc.enabled = wpa == 4;
}

// ---- edits of a found module -------------------------------------------------------------

void WifiNetworkMode::applyEncryption(DiscoveredPrinter& r, size_t line) {
    const int e = selection(m_ids.encryption);
    if (e == 3) setField(r.wifiFlags, bits::kWepShift, 3, 0);
    else setField(r.wifiFlags, bits::kWepShift, 3, static_cast<uint32_t>(std::max(e, 0)) & 3);
    c(m_ids.ssid).textLimit = 32;
    const int key = selection(m_ids.keyInUse);
    enableKeyInUseOnly(key);
    const uint32_t wep = field(r.wifiFlags, bits::kWepShift, 3);
    setKeyLimits(wep, line);
    if (wep == 0) enableKeyInUseOnly(-1);
    if (e == 3) {
        const int wpaAuth = selection(m_ids.wpaAuthentication);
        selectAt(c(m_ids.wpaEncryption), (wpaAuth >= 1 && wpaAuth <= 3) ? wpaAuth : 0);
        c(m_ids.keyInUse).enabled = false;
        c(m_ids.wpaAuthentication).enabled = true;
        c(m_ids.wpaKey).enabled = true;
    } else {
        setField(r.wifiFlags, bits::kWpaModeShift, 0x1F, 0);
        selectAt(c(m_ids.wpaAuthentication), 0);
        selectAt(c(m_ids.wpaEncryption), 0);
        c(m_ids.wpaAuthentication).enabled = false;
        c(m_ids.wpaKey).enabled = false;
        const bool wepChosen = e == 1 || e == 2;
        c(m_ids.keyInUse).enabled = wepChosen;
        if (wepChosen) m_host.runKeyFormatHandlers();
    }
    c(m_ids.wpaEncryption).enabled = false;
}

void WifiNetworkMode::onEncryptionChanged() {
    auto line = selectedLine();
    if (DiscoveredPrinter* r = selectedModule(); r && line)
        applyEncryption(*r, static_cast<size_t>(selection(m_ids.printerList)));
}

void WifiNetworkMode::onModeChanged() {
    if (DiscoveredPrinter* r = selectedModule())
        setField(r->wifiFlags, 0, bits::kTopologyMask, static_cast<uint32_t>(std::max(selection(m_ids.mode), 0)));
}

void WifiNetworkMode::onChannelChanged() {
    if (DiscoveredPrinter* r = selectedModule())
        setField(r->wifiFlags, bits::kChannelShift, 0xF,
                 static_cast<uint32_t>(std::max(selection(m_ids.channel), 0) + 1));
}

void WifiNetworkMode::onAuthenticationChanged() {
    if (DiscoveredPrinter* r = selectedModule())
        setField(r->wifiFlags, bits::kAuthShift, 3,
                 static_cast<uint32_t>(std::max(selection(m_ids.authentication), 0)));
}

void WifiNetworkMode::onKeyInUseChanged() {
    DiscoveredPrinter* r = selectedModule();
    if (!r) return;
    const int key = selection(m_ids.keyInUse);
    enableKeyInUseOnly(key);
    setField(r->wifiFlags, bits::kKeyIndexShift, 3, static_cast<uint32_t>(std::max(key, 0)));
    const int e = selection(m_ids.encryption);
    const size_t line = static_cast<size_t>(selection(m_ids.printerList));
    setKeyLimits(e == 1 || e == 2 ? static_cast<uint32_t>(e) : 0, line);
    if (e == 0) enableKeyInUseOnly(-1);
}

void WifiNetworkMode::onKeyFormatChanged(int slot) {
    const int s = selection(m_ids.printerList);
    DiscoveredPrinter* r = selectedModule();
    if (!r || slot < 0 || slot > 3) return;
    const int format = selection(m_ids.keyFormats[static_cast<size_t>(slot)]);
    uint8_t& held = m_lineKeyFormats[static_cast<size_t>(s)][static_cast<size_t>(slot)];
    const uint8_t next = format == 1 ? 1 : 0;
    // The key text follows its format as on the serial path: the same key as hex digits or
    // as the characters they encode.
    std::string& text = c(m_ids.keys[static_cast<size_t>(slot)]).text;
    if (held != next) text = next == 1 ? wifi::hexKeyToAscii(text) : wifi::asciiKeyToHex(text);
    held = next;
    setKeyLimits(field(r->wifiFlags, bits::kWepShift, 3), static_cast<size_t>(s));
}

void WifiNetworkMode::onAddressChanged(int id) {
    auto line = selectedLine();
    if (!line) {
        if (id == m_ids.dns) {
            if (!m_lines.empty()) selectAt(c(m_ids.printerList), 0);
            return;
        }
        shell().message("Select Printer before execute this function.");
        return;
    }
    DiscoveredPrinter* r = selectedModule();
    if (!r) return;
    DiscoveredPrinter copy = *r;
    copy.ipAddress = c(m_ids.ip).octets;
    copy.subnetMask = c(m_ids.netmask).octets;
    copy.gateway = c(m_ids.gateway).octets;
    copy.dnsServer = c(m_ids.dns).octets;
    if (!net::ipAddressUsable(net::octetsToHost(copy.ipAddress), net::octetsToHost(copy.subnetMask)))
        shell().message("Wrong Local IP address.");
}

}  // namespace setrion::ui
