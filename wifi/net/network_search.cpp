#include "wifi/net/network_search.h"

#include <algorithm>
#include <cctype>

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
    std::string line = macText;
    if (macText.size() == 12) {
        line.clear();
        for (size_t i = 0; i < 12; i += 2) {
            if (i) line += ':';
            line += macText.substr(i, 2);
        }
    }
    if (m_result.textRecords.size() >= kSearchCapacity) {
        trace("Printer list full: answer of " + macText + " not listed");
        if (std::find(m_result.leftOut.begin(), m_result.leftOut.end(), line) == m_result.leftOut.end())
            m_result.leftOut.push_back(line);
        return;
    }
    m_result.lines.push_back({NetworkLine::Kind::Text, m_result.textRecords.size(), line});
    m_result.textRecords.push_back(*record);
}

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool NetworkSearch::allWantedAnswered(const std::vector<ModuleEntry>& modules) {
    for (; m_modulesSeen < modules.size(); ++m_modulesSeen)
        m_missing.erase(formatMac(modules[m_modulesSeen].record.mac));
    // Text answers queue in the lines until the module search ends.
    for (; m_textsSeen < m_result.lines.size(); ++m_textsSeen)
        m_missing.erase(upper(m_result.lines[m_textsSeen].macText));
    return m_missing.empty();
}

NetworkSearchResult NetworkSearch::run(uint32_t textGraceMs, const std::vector<std::string>& wanted) {
    m_result = {};
    m_missing.clear();
    for (const auto& mac : wanted) m_missing.insert(upper(mac));
    m_modulesSeen = m_textsSeen = 0;
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

    ModuleSearchOptions options;
    options.capacity = kSearchCapacity;
    if (!wanted.empty())
        options.done = [&](const std::vector<ModuleEntry>& modules) {
            // Text answers that queued meanwhile count too.
            if (sock.wantsWritable()) sock.onWritable();
            while (sock.isOpen() && sock.pollOnce(0)) {
            }
            return allWantedAnswered(modules);
        };
    SearchOutcome found = searchModules(m_management, 0, 0, options);
    m_result.managementError = found.error;
    m_result.modules = std::move(found.records);
    for (const auto& mac : found.leftOut) m_result.leftOut.push_back(formatMac(mac));
    sortPrinters(m_result.modules);
    // The text answers that came in meanwhile are listed after the modules.
    std::vector<NetworkLine> textLines = std::move(m_result.lines);
    m_result.lines.clear();
    for (size_t i = 0; i < m_result.modules.size(); ++i)
        m_result.lines.push_back({NetworkLine::Kind::Module, i, formatMac(m_result.modules[i].mac)});
    for (auto& l : textLines) m_result.lines.push_back(l);
    // The grace for late text answers, ended early once every wanted printer is listed.
    size_t checked = 0;
    auto allListed = [&] {
        for (; checked < m_result.lines.size(); ++checked) m_missing.erase(upper(m_result.lines[checked].macText));
        return !wanted.empty() && m_missing.empty();
    };
    Clock& clock = *m_management.clock;
    uint64_t end = clock.nowMs() + textGraceMs;
    while (sock.isOpen() && !allListed()) {
        if (sock.wantsWritable()) sock.onWritable();
        uint64_t now = clock.nowMs();
        if (now >= end) break;
        sock.pollOnce(static_cast<uint32_t>(end - now));
    }
    return m_result;
}

}  // namespace setrion::net
