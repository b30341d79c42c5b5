#include "gui/icon_pixels.h"

namespace setrion::gui {

const uint32_t* iconPixels(int resource) {
    for (const IconPixels& icon : iconPixelTable())
        if (icon.resource == resource) return icon.argb;
    return nullptr;
}

}  // namespace setrion::gui
