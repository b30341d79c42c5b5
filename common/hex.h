#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace setrion {

// Upper-case hexadecimal, two digits a byte, with `separator` after every byte when given.
std::string toHex(std::span<const uint8_t> bytes, std::string_view separator = {});

// Skipping decoder: characters outside 0-9 a-f A-F are skipped, successive digit pairs form
// bytes (high nibble first); a lone final digit is dropped.
std::vector<uint8_t> decodeHexSkipping(std::string_view text);

// Value of one hexadecimal digit, or -1.
int hexDigitValue(char c);

}  // namespace setrion
