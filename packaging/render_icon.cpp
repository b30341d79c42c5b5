// Renders the program's painted icons.
//   render_icon OUTDIR SIZE...   writes the window icon (resource 128) into a hicolor icon theme
//                                tree: OUTDIR/hicolor/<S>x<S>/apps/setrion.png for each size.
//   render_icon --pixels FILE    writes every icon at 32 x 32 as the C++ pixel table the
//                                hosts without Qt draw from (gui/icon_pixels_data.cpp).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/icon_pixels.h"
#include "gui/qt/icons.h"

namespace {

int writePixelTable(const char* path) {
    std::FILE* out = std::fopen(path, "w");
    if (out == nullptr) {
        std::fprintf(stderr, "render_icon: cannot write %s\n", path);
        return 1;
    }
    const int size = setrion::gui::kIconPixelSize;
    std::fprintf(
        out,
        "// The painted icons as 32 x 32 ARGB pixels (0xAARRGGBB, straight alpha), made by\n"
        "// `render_icon --pixels` from the Qt host's painting. Do not edit by hand.\n"
        "// clang-format off\n#include \"gui/icon_pixels.h\"\n\nnamespace setrion::gui "
        "{\nnamespace {\n\n");
    for (int resource : setrion::gui::iconResources()) {
        const QImage image = setrion::gui::iconPixmap(resource, QSize(size, size))
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        std::fprintf(out, "const uint32_t kIcon%d[%d] = {\n", resource, size * size);
        for (int y = 0; y < size; ++y) {
            const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
            for (int x = 0; x < size; ++x)
                std::fprintf(out, x % 8 == 0 ? "    0x%08x," : " 0x%08x,",
                             static_cast<unsigned>(line[x]));
            std::fprintf(out, "\n");
        }
        std::fprintf(out, "};\n");
    }
    std::fprintf(out,
                 "\n}  // namespace\n\nconst std::vector<IconPixels>& iconPixelTable() {\n"
                 "    static const std::vector<IconPixels> kTable{\n");
    for (int resource : setrion::gui::iconResources())
        std::fprintf(out, "        {%d, kIcon%d},\n", resource, resource);
    std::fprintf(out, "    };\n    return kTable;\n}\n\n}  // namespace setrion::gui\n");
    return std::fclose(out) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: render_icon OUTDIR SIZE... | render_icon --pixels FILE\n");
        return 1;
    }
    // Build machines have no display; pixmaps need a GUI application all the same.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (std::strcmp(argv[1], "--pixels") == 0) return writePixelTable(argv[2]);
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString dir = QString("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        const QPixmap pm = setrion::gui::iconPixmap(128, QSize(size, size));
        if (pm.isNull() || !QDir().mkpath(dir) || !pm.save(dir + "/setrion.png", "PNG")) {
            std::fprintf(stderr, "render_icon: cannot write %s/setrion.png\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
