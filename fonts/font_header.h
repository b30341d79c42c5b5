#pragma once
#include <cstdint>
#include <span>

namespace setrion::fonts {

// What the first bytes of a font file say about it.
enum class FontHeaderError {
    None,       // an sfnt header whose table directory and tables lie within the file
    Empty,      // no bytes at all
    NotAFont,   // no TrueType/OpenType version tag, or no tables
    Truncated,  // the table directory or a table runs past the end of the file
};

// Checks the sfnt header of a TrueType or OpenType file: the version (0x00010000, "OTTO" or
// "true"), a table count, the table directory and each table record's extent within
// `bytes`. Nothing beyond the header is read.
FontHeaderError checkFontHeader(std::span<const uint8_t> bytes);

}  // namespace setrion::fonts
