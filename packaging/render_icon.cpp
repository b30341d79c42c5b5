// Renders the program's painted window icon (resource 128) into a hicolor icon theme tree:
// render_icon OUTDIR SIZE... writes OUTDIR/hicolor/<S>x<S>/apps/setrion.png for each size.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

#include "gui/qt/icons.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: render_icon OUTDIR SIZE...\n");
        return 1;
    }
    // Build machines have no display; pixmaps need a GUI application all the same.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
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
