// Font file headers: any bytes must be judged without reading past them, and a header
// judged sound must have every table within the bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fonts/font_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace setrion::fonts;
    const std::span<const uint8_t> bytes(data, size);
    if (checkFontHeader(bytes) != FontHeaderError::None) return 0;
    const size_t tables = (size_t{data[4]} << 8) | data[5];
    if (tables == 0 || size < 12 + 16 * tables) __builtin_trap();
    return 0;
}
