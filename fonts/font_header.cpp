#include "fonts/font_header.h"

namespace setrion::fonts {
namespace {

constexpr size_t kOffsetTableSize = 12;
constexpr size_t kTableRecordSize = 16;

uint32_t be32(std::span<const uint8_t> b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}

}  // namespace

FontHeaderError checkFontHeader(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return FontHeaderError::Empty;
    if (bytes.size() < 4) return FontHeaderError::NotAFont;
    const uint32_t version = be32(bytes, 0);
    if (version != 0x00010000u && version != 0x4F54544Fu /* OTTO */ &&
        version != 0x74727565u /* true */)
        return FontHeaderError::NotAFont;
    if (bytes.size() < kOffsetTableSize) return FontHeaderError::Truncated;
    const size_t tables = (size_t{bytes[4]} << 8) | bytes[5];
    if (tables == 0) return FontHeaderError::NotAFont;
    if (bytes.size() < kOffsetTableSize + tables * kTableRecordSize)
        return FontHeaderError::Truncated;
    for (size_t i = 0; i < tables; ++i) {
        const size_t record = kOffsetTableSize + i * kTableRecordSize;
        const uint64_t offset = be32(bytes, record + 8);
        const uint64_t length = be32(bytes, record + 12);
        if (offset + length > bytes.size()) return FontHeaderError::Truncated;
    }
    return FontHeaderError::None;
}

}  // namespace setrion::fonts
