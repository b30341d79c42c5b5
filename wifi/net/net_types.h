#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace setrion::net {

using MacAddress = std::array<uint8_t, 6>;
// An IPv4 address as its four octets, first octet first (network byte order).
using Ipv4Octets = std::array<uint8_t, 4>;

// An IPv4 address in host byte order and a port.
struct SocketAddress {
    uint32_t ip = 0;
    uint16_t port = 0;
    bool operator==(const SocketAddress&) const = default;
};

// "02:00:00:00:00:01"
std::string formatMac(const MacAddress& mac);
// Accepts "02:00:00:00:00:01", "02-00-...", or 12 hexadecimal digits.
std::optional<MacAddress> parseMac(std::string_view text);

uint32_t octetsToHost(const Ipv4Octets& o);
Ipv4Octets hostToOctets(uint32_t ip);
// "192.168.1.20"
std::string formatIpv4(uint32_t hostOrder);
std::string formatIpv4(const Ipv4Octets& o);
// Strict dotted-quad parser: the settings' one address rule (wifi::parseDottedAddress).
std::optional<uint32_t> parseIpv4(std::string_view text);

}  // namespace setrion::net
