#include "gui/win32/icons_win32.h"

#include <vector>

#include "gui/icon_pixels.h"

namespace setrion::gui {

namespace {

// One pixel of the icon scaled to `size`, by area averaging of the 32 x 32 source (straight
// alpha, so the colours are weighted by their coverage).
uint32_t sample(const uint32_t* src, int size, int x, int y) {
    const int n = kIconPixelSize;
    const int x0 = x * n / size;
    const int x1 = std::max(x0 + 1, (x + 1) * n / size);
    const int y0 = y * n / size;
    const int y1 = std::max(y0 + 1, (y + 1) * n / size);
    uint64_t a = 0, r = 0, g = 0, b = 0, count = 0;
    for (int sy = y0; sy < y1 && sy < n; ++sy) {
        for (int sx = x0; sx < x1 && sx < n; ++sx) {
            const uint32_t p = src[sy * n + sx];
            const uint32_t pa = p >> 24;
            a += pa;
            r += ((p >> 16) & 0xFF) * pa;
            g += ((p >> 8) & 0xFF) * pa;
            b += (p & 0xFF) * pa;
            ++count;
        }
    }
    if (a == 0) return 0;
    return static_cast<uint32_t>(((a / count) << 24) | ((r / a) << 16) | ((g / a) << 8) | (b / a));
}

}  // namespace

HICON makeIcon(int resource, int size) {
    const uint32_t* src = iconPixels(resource);
    if (src == nullptr || size <= 0) return nullptr;
    // Larger than the source: nearest pixel; smaller: the average of the pixels it covers.
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels[static_cast<size_t>(y * size + x)] =
                size >= kIconPixelSize
                    ? src[(y * kIconPixelSize / size) * kIconPixelSize + x * kIconPixelSize / size]
                    : sample(src, size, x, y);
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;  // top-down rows, as the pixel data is
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (colour == nullptr) return nullptr;
    std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

}  // namespace setrion::gui
