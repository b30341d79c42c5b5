#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "wifi/net/net_types.h"

namespace setrion::net {

// One of a module's four serial/TCP ports.
struct PortEntry {
    std::array<uint8_t, 12> head{};   // 16/n; first 32-bit word carries bit 18
    std::array<uint8_t, 20> block{};  // 32/n; local port at byte 8, mode at byte 12
    std::array<uint8_t, 64> text{};   // 35/n, n = 0 and 1 only
    bool present = false;             // set when 16/n or 32/n arrives

    uint16_t localPort() const { return static_cast<uint16_t>(block[8] | (block[9] << 8)); }
    void setLocalPort(uint16_t port) {
        block[8] = static_cast<uint8_t>(port & 0xFF);
        block[9] = static_cast<uint8_t>(port >> 8);
    }
    uint8_t mode() const { return block[12]; }
};

// wifiFlags bit fields.
namespace wifi_bits {
inline constexpr uint32_t kTopologyMask = 0xFu;            // bits 0..3
inline constexpr int kChannelShift = 4;                    // bits 4..7
inline constexpr int kWepShift = 8;                        // bits 8..9
inline constexpr int kKeyIndexShift = 10;                  // bits 10..11
inline constexpr int kAuthShift = 14;                      // bits 14..15
inline constexpr int kWpaModeShift = 16;                   // bits 16..18
inline constexpr int kWpaCipherShift = 19;                 // bits 19..20
}  // namespace wifi_bits

// optionFlags bits.
inline constexpr uint32_t kOptionDhcpRead = 1u << 3;
inline constexpr uint32_t kOptionDhcpWrite = (1u << 3) | (1u << 5);
inline constexpr uint32_t kOptionWebPortCheck = 1u << 20;

// One module's settings as parsed from a management reply.
struct DiscoveredPrinter {
    MacAddress mac{};
    std::array<uint8_t, 6> macTail{};
    uint16_t versionV1 = 0;
    uint16_t versionV2V3 = 0;  // V2 high byte, V3 low byte
    Ipv4Octets ipAddress{};
    Ipv4Octets subnetMask{};
    Ipv4Octets gateway{};
    std::array<uint8_t, 48> block8a{};
    Ipv4Octets replyAddress{};
    Ipv4Octets dnsServer{};
    uint16_t productCode = 0;
    uint16_t subProductCode = 0;
    std::array<uint8_t, 48> block8b{};
    std::array<uint8_t, 64> optionText{};
    std::array<PortEntry, 4> ports{};
    uint32_t optionFlags = 0;
    std::array<uint8_t, 6> text33{};
    std::array<uint8_t, 8> text34{};
    std::array<uint8_t, 64> text7{};
    std::array<uint8_t, 10> password{};
    std::array<uint8_t, 10> block6b{};
    uint8_t slotCountA = 0;
    uint8_t slotCountB = 0;
    uint16_t port64 = 0;
    std::array<std::array<uint8_t, 32>, 8> macros{};
    std::array<uint8_t, 64> ioText{};
    std::array<std::array<uint8_t, 16>, 8> slotNamesA{};
    std::array<std::array<uint8_t, 16>, 8> slotNamesB{};
    std::array<uint8_t, 56> ioBlock{};
    bool hasIoItems = false;
    std::array<uint8_t, 24> block38{};
    std::array<uint8_t, 64> text38{};
    bool hasBlock38 = false;
    std::array<uint8_t, 12> block39{};
    std::array<uint8_t, 10> webBlock{};
    uint32_t wifiFlags = 0;
    std::array<uint8_t, 32> ssid{};
    std::array<uint8_t, 20> wep40Keys{};
    std::array<uint8_t, 52> wep104Keys{};
    std::array<uint8_t, 32> wpaPassphrase{};
    std::array<uint8_t, 32> wpaPsk{};
    std::array<uint8_t, 16> wifiTail{};
    bool isWifiModule = false;

    uint8_t versionV2() const { return static_cast<uint8_t>(versionV2V3 >> 8); }
    uint8_t versionV3() const { return static_cast<uint8_t>(versionV2V3 & 0xFF); }

    // ioBlock fields.
    uint32_t ioFlags() const;
    uint16_t modbusPort() const;
    uint16_t ioPortA() const;
    uint16_t ioPortB() const;
    uint16_t webPort() const { return static_cast<uint16_t>(webBlock[0] | (webBlock[1] << 8)); }

    std::string ssidText() const;
    // Replaces the SSID (NUL-padded, at most 32 characters are kept).
    void setSsidText(std::string_view text);
    // The WPA key text: up to its first NUL in the 64 bytes from wpaPassphrase on.
    std::string wpaKeyText() const;
    // The key text as the dialog shows it: the 32-byte wpaPassphrase field only.
    std::string wpaPassphraseText() const;
    // Stores a key of at most 64 characters across wpaPassphrase and wpaPsk, both
    // cleared first so a key of exactly 32 characters is not read on into an old
    // pre-shared key. Returns false (record unchanged) for a longer key.
    bool setWpaKeyText(std::string_view text);
    // Text of WEP key `k` (0..3) of the 40-bit (wep = 1) or 104-bit (wep = 2) table, read
    // from the key's first byte to a NUL (keys are back to back, so a full key runs on).
    std::string wepKeyText(int wep, int k) const;
};

// Orders by MAC, first byte most significant: negative, zero or positive.
int comparePrinters(const DiscoveredPrinter& a, const DiscoveredPrinter& b);

}  // namespace setrion::net
