#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace setrion::wifi {

// Capacity of the decode buffer.
inline constexpr std::size_t kDecodeBufferSize = 256;
// Offset of the value in a decoded item (after type, index and length).
inline constexpr std::size_t kDecodedValueOffset = 4;

struct ParameterReply {
    bool accepted = false;
    // The bytes decoded from the reply's hex text (empty without decode, or when the reply
    // is too short to carry any).
    std::vector<uint8_t> decoded;

    // `length` value bytes from `offset` of the item's value; missing bytes read as zero
    // (the decode buffer is cleared before use).
    std::vector<uint8_t> value(std::size_t offset, std::size_t length) const;
};

// The hex text of a reply: `length - 13` bytes from byte 5 (after "701" CR LF; the last 8
// bytes, the checksum's text and CR LF, are not decoded), taken in digit pairs with every
// other character skipped, at most kDecodeBufferSize bytes.
std::vector<uint8_t> decodeReplyText(std::span<const uint8_t> reply);

// Judges a reply. Without decode it is accepted when it begins with "701"; with decode it
// also needs CR LF at bytes 3-4, and its text is decoded.
ParameterReply parseParameterReply(std::span<const uint8_t> reply, bool decode);

}  // namespace setrion::wifi
