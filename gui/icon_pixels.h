#pragma once
#include <cstdint>
#include <vector>

namespace setrion::gui {

// The program's icons as pixel data, one table for every host: each host turns an entry into
// its own bitmap and scales it to the size it shows.
inline constexpr int kIconPixelSize = 32;

struct IconPixels {
    int resource = 0;
    const uint32_t* argb = nullptr;  // kIconPixelSize rows of kIconPixelSize, 0xAARRGGBB
};

const std::vector<IconPixels>& iconPixelTable();
// The pixels of one icon resource, or nullptr for an unknown number.
const uint32_t* iconPixels(int resource);

}  // namespace setrion::gui
