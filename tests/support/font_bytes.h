#pragma once
// The smallest TrueType file the font header check takes: an sfnt header with one table that
// fills the rest of `size` bytes (at least 28) with `fill`.
#include <cstddef>
#include <string>

namespace setrion::test {

inline std::string trueTypeBytes(size_t size = 28, char fill = '\x5A') {
    if (size < 28) size = 28;
    std::string b("\x00\x01\x00\x00\x00\x01\x00\x10\x00\x00\x00\x00", 12);  // version, 1 table
    b += "head";
    b += std::string("\x00\x00\x00\x00\x00\x00\x00\x1C", 8);  // checksum, offset 28
    const size_t length = size - 28;
    for (int shift : {24, 16, 8, 0}) b += static_cast<char>((length >> shift) & 0xFF);
    b += std::string(length, fill);
    return b;
}

}  // namespace setrion::test
