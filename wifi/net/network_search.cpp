#include "wifi/net/network_search.h"

#include <algorithm>

#include "common/trace.h"
#include "wifi/net/text_frame.h"

namespace setrion::net {

NetworkSearch::NetworkSearch(ManagementContext& management, SocketOpener textOpener)
    : m_management(management), m_textOpener(std::move(textOpener)) {}

void sortPrinters(std::vector<DiscoveredPrinter>& records) {
    std::stable_sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
        return comparePrinters(a, b) < 0;
    });
}

void NetworkSearch::addTextPrinter(std::span<const uint8_t> frame) {
    auto record = answerRecord(frame);
    if (!record) return;
    std::string macText = record->text(wifi::field::kMacAddress);
    // A printer that answers more than once (several broadcast addresses) is listed once.
    for (const auto& known : m_result.textRecords)
        if (known.text(wifi::field::kMacAddress) == macText) return;
    if (m_result.lines.size() >= kMaxListLines) {
        trace("Printer list full: answer of " + macText + " not listed");
        return;
    }
    std::string line = macText;
    if (macText.size() == 12) {
        line.clear();
        for (size_t i = 0; i < 12; i += 2) {
            if (i) line += ':';
            line += macText.substr(i, 2);
        }
    }
    m_result.lines.push_back({NetworkLine::Kind::Text, m_result.textRecords.size(), line});
    m_result.textRecords.push_back(*record);
}

NetworkSearchResult NetworkSearch::run(uint32_t textGraceMs) {
    m_result = {};
    auto created = CUdpSock::create(*this, m_management.config, m_textOpener);
    if (!created.sock) {
        m_result.failure = created.message;
        return m_result;
    }
    CUdpSock& sock = *created.sock;
    sock.setMode(CUdpSock::Mode::Search);
    sock.load(buildTextSearchFrame());
    std::vector<SocketAddress> extra;
    for (uint32_t b : m_management.extraBroadcasts) extra.push_back({b, m_management.config.textPort});
    sock.setExtraPeers(std::move(extra));
    sock.sendPending();
    if (!sock.isOpen()) return m_result;  // the send failed; its message is the failure

    SearchOutcome found = searchModules(m_management, 0);
    m_result.managementError = found.error;
    m_result.modules = std::move(found.records);
    sortPrinters(m_result.modules);
    if (m_result.modules.size() > kMaxListLines) m_result.modules.resize(kMaxListLines);
    // The text answers that came in meanwhile are listed after the modules.
    std::vector<NetworkLine> textLines = std::move(m_result.lines);
    m_result.lines.clear();
    for (size_t i = 0; i < m_result.modules.size(); ++i)
        m_result.lines.push_back({NetworkLine::Kind::Module, i, formatMac(m_result.modules[i].mac)});
    for (auto& l : textLines) {
        if (m_result.lines.size() >= kMaxListLines) break;
        m_result.lines.push_back(l);
    }

    Clock& clock = *m_management.clock;
    uint64_t end = clock.nowMs() + textGraceMs;
    while (sock.isOpen()) {
        if (sock.wantsWritable()) sock.onWritable();
        uint64_t now = clock.nowMs();
        if (now >= end) break;
        sock.pollOnce(static_cast<uint32_t>(end - now));
    }
    return m_result;
}

}  // namespace setrion::net
