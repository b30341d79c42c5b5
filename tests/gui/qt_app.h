#pragma once
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QWidget>

namespace setrion::gui::test {

// One offscreen application for the whole test binary.
inline QApplication& app() {
    static int argc = 1;
    static char name[] = "gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = [] {
        // Offscreen, keeping options given to it (a screen of another scale).
        if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *instance;
}

inline QImage render(QWidget& w) {
    QImage img(w.size(), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    w.render(&img);
    return img;
}

// Saves a picture under build/screenshots/ of the build that runs the test.
inline void saveScreenshot(const QImage& img, const QString& name) {
    const QString dir = QStringLiteral(SETRION_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    img.save(dir + "/" + name + ".png");
}

// Pixels compared as 8-bit RGB, the precision an image holds.
inline QRgb px(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xff000000u; }
inline QRgb rgb(const QColor& c) { return c.rgb(); }

}  // namespace setrion::gui::test
