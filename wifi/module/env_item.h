#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace setrion::wifi {

// One checksummed binary configuration item: type, index, 16-bit little-endian total
// length, value, zero padding to a multiple of four, CRC-16 over everything before it
// (low byte first).
struct EnvItem {
    uint8_t type = 0;
    uint8_t index = 0;
    std::vector<uint8_t> value;

    // The item's bytes. The padding is (2 - n) mod 4 zero bytes, so the total is a multiple
    // of 4.
    std::vector<uint8_t> build() const;
};

inline constexpr std::size_t kEnvItemHeaderSize = 4;

// Padding bytes for a value of n bytes.
constexpr std::size_t envItemPadding(std::size_t n) { return (6 - n % 4) % 4; }
// Total length of an item with a value of n bytes.
constexpr std::size_t envItemLength(std::size_t n) { return n + envItemPadding(n) + 6; }

// Record text: each byte as two upper-case hexadecimal digits followed by a blank.
std::string envItemRecordText(std::span<const uint8_t> item);

// An item read from bytes, with the number of bytes it took.
struct ParsedEnvItem {
    EnvItem item;
    std::size_t length = 0;
    bool crcValid = false;
};
// Reads the item at the start of `bytes` (its value is everything between the header and
// the checksum, padding included). Nothing when the length field is shorter than an empty
// item or longer than the bytes given.
std::optional<ParsedEnvItem> parseEnvItem(std::span<const uint8_t> bytes);

}  // namespace setrion::wifi
