#pragma once
// The simulated LAN: management-protocol modules and text-frame printers, answering
// searches and saves and keeping what was saved.
#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "wifi/net/net_config.h"
#include "wifi/net/net_types.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::sim::lan {

struct SimItem {
    uint8_t type = 0;
    uint8_t index = 0;
    std::vector<uint8_t> body;  // data and padding
};

struct SimModule {
    net::MacAddress mac{};
    std::vector<SimItem> items;
    bool answerWrites = true;
    uint8_t productCode = 0x15;
    uint8_t versionV2 = 1;  // firmware version in the reply header: generation 2
    uint8_t versionV3 = 6;
    int writes = 0;  // writes taken (shown in the state, so tests see a write left out)
    uint32_t searchDelayMs = 0;  // answers a search this long after it (a slow or busy module)

    std::vector<uint8_t> payload() const;
    const SimItem* find(uint8_t type, uint8_t index) const;
    void put(uint8_t type, uint8_t index, std::vector<uint8_t> body);
    nlohmann::json state() const;
    void setIp(const net::Ipv4Octets& ip) { put(3, 0, {ip.begin(), ip.end()}); }
};

struct SimTextPrinter {
    wifi::WifiSettings record;
    bool storesSaves = true;  // false: confirms a save and keeps its old record
    int saves = 0;            // saves confirmed
    nlohmann::json state() const;
};

// Module i (0-based): MAC 02:00:00:00 followed by i+1 in two bytes, address 192.168.1.(20+i),
// a Wi-Fi module; module 1 has the password "secret", module 2 carries an item type the
// program does not model.
SimModule makeModule(size_t i);
// A fleet of mixed modules: module i keeps makeModule(i) when i % 3 == 0; i % 3 == 1 is a
// generation-1 module with WEP64 and open authentication on channel 11; i % 3 == 2 is a
// generation-3 module with WPA-PSK/TKIP on channel 1 and DHCP on.
void varyModule(SimModule& m, size_t i);
// Printer j: MAC text 0200000000A(j+1), or 02000000FFA(j+1) beside more than 160 modules.
SimTextPrinter makeTextPrinter(size_t j, size_t modules = 0);
// Printer j of a set that carries every byte value in its texts: the SSID holds the bytes
// 8j..8j+7, and so does the MAC text, followed by "AA" and j in two hexadecimal digits. It
// confirms saves but keeps what it holds, so a read-back shows its bytes again.
SimTextPrinter makeHostileTextPrinter(size_t j);

struct Datagram {
    std::vector<uint8_t> bytes;
    uint32_t delayMs = 0;  // sent this long after the request
};

class LanDevices {
  public:
    LanDevices(size_t modules, size_t printers, const net::ProtocolKeyPrefix& key);

    // Answers to one management request (empty when it is not one, or nobody answers).
    std::vector<Datagram> onManagement(std::span<const uint8_t> request);
    // Answers to one text frame.
    std::vector<Datagram> onText(std::span<const uint8_t> frame);

    std::vector<SimModule>& modules() { return m_modules; }
    std::vector<SimTextPrinter>& printers() { return m_printers; }
    nlohmann::json state() const;
    bool takeChanged() { return std::exchange(m_changed, false); }

    // A fault to show: every device stores at most this many bytes of a written SSID.
    std::size_t ssidKeeps = 32;

  private:
    Datagram replyOf(const SimModule& m, uint8_t flags, uint8_t command, uint8_t status) const;
    uint8_t applyWrite(SimModule& m, std::span<const uint8_t> plain);

    std::vector<SimModule> m_modules;
    std::vector<SimTextPrinter> m_printers;
    net::ProtocolKeyPrefix m_key;
    bool m_changed = true;
};

}  // namespace setrion::sim::lan
