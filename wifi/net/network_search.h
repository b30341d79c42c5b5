#pragma once
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "wifi/net/management_exchange.h"
#include "wifi/net/udp_text_sock.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::net {

inline constexpr size_t kMaxListLines = 200;  // the dialog's printer list
// The printers one search keeps, of each kind; those answering beyond it are named in
// NetworkSearchResult::leftOut.
inline constexpr size_t kSearchCapacity = 4096;
// What a search that found nothing tells the user.
inline constexpr const char* kNothingFoundText =
    "Cannot search the Wi-Fi printer.\nPlease check the firewall...";

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
    std::vector<NetworkLine> lines;  // modules first, then text printers
    std::vector<std::string> leftOut;  // MACs of printers that answered a full search
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
    // With `wanted` (MACs as "02:00:00:00:00:01"), the search ends as soon as each of them
    // has answered, rather than at the end of its window and grace.
    NetworkSearchResult run(uint32_t textGraceMs = 300, const std::vector<std::string>& wanted = {});

    void addTextPrinter(std::span<const uint8_t> frame) override;
    void showMessage(const std::string& text) override { m_result.failure = text; }

private:
    bool allWantedAnswered(const std::vector<ModuleEntry>& modules);

    ManagementContext& m_management;
    SocketOpener m_textOpener;
    NetworkSearchResult m_result;
    std::set<std::string> m_missing;  // wanted MACs (upper case) not answered yet
    size_t m_modulesSeen = 0;         // modules already taken off m_missing
    size_t m_textsSeen = 0;
};

// Sorts by MAC (the list's order for modules).
void sortPrinters(std::vector<DiscoveredPrinter>& records);

}  // namespace setrion::net
