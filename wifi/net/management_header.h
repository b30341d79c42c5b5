#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "wifi/net/net_config.h"
#include "wifi/net/net_types.h"

namespace setrion::net {

inline constexpr std::array<uint8_t, 4> kManagementMagic = {0x2A, 0x76, 0x4E, 0x01};
inline constexpr uint8_t kManagementProtocolByte = 0x10;
inline constexpr uint8_t kFlagRequest = 0x01;
inline constexpr uint8_t kFlagDirected = 0x02;
inline constexpr uint8_t kFlagReply = 0x80;

inline constexpr uint8_t kCommandSearchAll = 1;
inline constexpr uint8_t kCommandSearchOne = 2;
inline constexpr uint8_t kCommandWriteConfig = 3;

inline constexpr uint8_t kStatusSuccess = 0;
inline constexpr uint8_t kStatusPasswordMismatch = 2;
inline constexpr uint8_t kStatusProductIdMismatch = 3;

inline constexpr size_t kManagementHeaderSize = 32;
inline constexpr size_t kReceiveBufferSize = 1460;
inline constexpr size_t kRequestBufferSize = 1500;

// The 32-byte header in front of every management datagram.
struct ManagementHeader {
    std::array<uint8_t, 4> magic = kManagementMagic;
    uint8_t protocol = kManagementProtocolByte;
    uint8_t flags = 0;
    uint8_t command = 0;
    uint8_t status = 0;
    uint16_t payloadCheck = 0;  // little-endian on the wire
    MacAddress mac{};
    uint8_t productCode = 0;
    uint8_t versionV1 = 0;
    uint8_t versionV2 = 0;
    uint8_t versionV3 = 0;
    std::array<uint8_t, 12> reserved{};

    std::array<uint8_t, kManagementHeaderSize> encode() const;
    // The first 32 bytes, or nothing when fewer are given.
    static std::optional<ManagementHeader> decode(std::span<const uint8_t> datagram);
    bool hasMagic() const { return magic == kManagementMagic; }
};

// RC4 over the whole payload with the key prefix and the datagram's payload check
// (low byte, then high byte) as key bytes 14 and 15. Enciphers and deciphers.
void applyPayloadCipher(const ProtocolKeyPrefix& prefix, uint16_t payloadCheck,
                        std::span<uint8_t> payload);

}  // namespace setrion::net
