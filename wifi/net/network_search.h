#pragma once
#include <memory>
#include <string>
#include <vector>

#include "wifi/net/management_exchange.h"
#include "wifi/net/udp_text_sock.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::net {

inline constexpr size_t kMaxListLines = 200;

// One line of the printer list: kind and index into the matching table.
struct NetworkLine {
    enum class Kind { Text = 0, Module = 1 };
    Kind kind = Kind::Module;
    size_t index = 0;
    std::string macText;  // "02:00:00:00:00:01"
};

struct NetworkSearchResult {
    std::vector<DiscoveredPrinter> modules;       // ascending MAC order
    std::vector<wifi::WifiSettings> textRecords;  // as they answered
    std::vector<NetworkLine> lines;  // modules first, then text printers; at most 200
    std::string failure;             // the message box text when the text socket failed
    int managementError = 0;
};

// A search over both protocols: the text-frame search frame goes out first, then the
// blocking management search runs; text answers that queued meanwhile, and those that
// arrive within `textGraceMs` after it, are appended. A dialog that drives the text
// socket from its own watch uses the pieces (CUdpSock, searchModules, comparePrinters).
class NetworkSearch final : public CUdpSockOwner {
public:
    NetworkSearch(ManagementContext& management, SocketOpener textOpener = systemSocketOpener());
    NetworkSearchResult run(uint32_t textGraceMs = 300);

    void addTextPrinter(std::span<const uint8_t> frame) override;
    void showMessage(const std::string& text) override { m_result.failure = text; }

private:
    ManagementContext& m_management;
    SocketOpener m_textOpener;
    NetworkSearchResult m_result;
};

// Sorts by MAC (the list's order for modules).
void sortPrinters(std::vector<DiscoveredPrinter>& records);

}  // namespace setrion::net
