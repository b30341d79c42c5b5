#include "wifi/net/net_types.h"

#include <cstdio>

#include "common/hex.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::net {

std::string formatMac(const MacAddress& mac) {
    char buf[18];
    std::snprintf(buf, sizeof buf, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
                  mac[4], mac[5]);
    return buf;
}

std::optional<MacAddress> parseMac(std::string_view text) {
    MacAddress mac{};
    size_t digits = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ':' || c == '-') {
            if (digits % 2 != 0) return std::nullopt;
            continue;
        }
        int v = hexDigitValue(c);
        if (v < 0 || digits >= 12) return std::nullopt;
        mac[digits / 2] = static_cast<uint8_t>((mac[digits / 2] << 4) | v);
        ++digits;
    }
    if (digits != 12) return std::nullopt;
    return mac;
}

uint32_t octetsToHost(const Ipv4Octets& o) {
    return (uint32_t{o[0]} << 24) | (uint32_t{o[1]} << 16) | (uint32_t{o[2]} << 8) | o[3];
}

Ipv4Octets hostToOctets(uint32_t ip) {
    return {static_cast<uint8_t>(ip >> 24), static_cast<uint8_t>(ip >> 16),
            static_cast<uint8_t>(ip >> 8), static_cast<uint8_t>(ip)};
}

std::string formatIpv4(uint32_t hostOrder) { return formatIpv4(hostToOctets(hostOrder)); }

std::string formatIpv4(const Ipv4Octets& o) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", o[0], o[1], o[2], o[3]);
    return buf;
}

std::optional<uint32_t> parseIpv4(std::string_view text) {
    auto octets = wifi::parseDottedAddress(text);
    if (!octets) return std::nullopt;
    return octetsToHost(*octets);
}

}  // namespace setrion::net
