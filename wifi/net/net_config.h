#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace setrion::net {

// Bytes 0..13 of the management payload's RC4 key; bytes 14..15 come from each datagram.
using ProtocolKeyPrefix = std::array<uint8_t, 14>;

// The module firmware's own prefix is not known to this program. This placeholder
// ("SETRION-LAN-K1" in ASCII) is what the simulator uses unless told otherwise; a user
// who has the firmware's prefix passes it with --protocol-key or SETRION_PROTOCOL_KEY.
inline constexpr ProtocolKeyPrefix kDefaultProtocolKeyPrefix = {
    'S', 'E', 'T', 'R', 'I', 'O', 'N', '-', 'L', 'A', 'N', '-', 'K', '1'};

inline constexpr uint16_t kDefaultManagementPort = 50005;
inline constexpr uint16_t kDefaultTextPort = 61001;

// Where the LAN exchanges send and which ports they bind. Tests and demos use the
// loopback broadcast 127.255.255.255 with ports of their own.
struct NetConfig {
    uint32_t broadcast = 0xFFFFFFFFu;  // host order
    uint16_t mgmtPort = kDefaultManagementPort;       // the modules' port
    uint16_t mgmtLocalPort = kDefaultManagementPort;  // bound here
    uint16_t textPort = kDefaultTextPort;
    uint16_t textLocalPort = kDefaultTextPort;
    ProtocolKeyPrefix protocolKey = kDefaultProtocolKeyPrefix;
    // Also send searches to the directed broadcast address of every IPv4 interface.
    bool allInterfaces = false;
};

// Exactly 28 hexadecimal digits.
std::optional<ProtocolKeyPrefix> parseProtocolKey(std::string_view hex);
// The prefix from SETRION_PROTOCOL_KEY when set and valid, else the default; `error`
// is filled when the variable is set but malformed.
ProtocolKeyPrefix protocolKeyFromEnvironment(std::string* error = nullptr);

}  // namespace setrion::net
