#pragma once
#include <cstdint>
#include <span>

namespace setrion {

// CRC-16/AUG-CCITT: polynomial 0x1021, initial value 0x1D0F, not reflected, no final XOR.
inline constexpr uint16_t kCrc16Initial = 0x1D0F;

uint16_t crc16(std::span<const uint8_t> data, uint16_t crc = kCrc16Initial);

}  // namespace setrion
