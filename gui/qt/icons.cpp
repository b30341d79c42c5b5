#include "gui/qt/icons.h"

#include <QPainter>
#include <QPainterPath>

namespace setrion::gui {

namespace {

const QColor kInk(40, 44, 52);
const QColor kGreen(46, 160, 67);
const QColor kRed(207, 34, 46);
const QColor kBlue(16, 140, 231);
const QColor kAmber(230, 160, 20);
const QColor kPaper(250, 250, 246);

void pen(QPainter& p, QColor c, qreal w) {
    p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// A small printer body with a paper slot; the common base of printer icons.
void printer(QPainter& p) {
    pen(p, kInk, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 3, 14, 9));          // paper going in
    p.setBrush(QColor(120, 128, 140));
    p.drawRoundedRect(QRectF(3, 11, 26, 12), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(8, 19, 16, 10));        // paper coming out
    p.setBrush(kGreen);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(25, 15), 1.6, 1.6);
}

void badge(QPainter& p, QColor c) {
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(c);
    p.drawEllipse(QPointF(23, 23), 8, 8);
}

void arrowRight(QPainter& p, QColor c) {
    badge(p, c);
    pen(p, Qt::white, 2.5);
    p.drawLine(QPointF(18, 23), QPointF(27, 23));
    p.drawLine(QPointF(24, 19.5), QPointF(27.5, 23));
    p.drawLine(QPointF(24, 26.5), QPointF(27.5, 23));
}

void crossBadge(QPainter& p) {
    badge(p, kRed);
    pen(p, Qt::white, 2.5);
    p.drawLine(QPointF(19.5, 19.5), QPointF(26.5, 26.5));
    p.drawLine(QPointF(26.5, 19.5), QPointF(19.5, 26.5));
}

void checkMark(QPainter& p, QRectF r, QColor c, qreal w) {
    pen(p, c, w);
    QPainterPath path;
    path.moveTo(r.left(), r.center().y());
    path.lineTo(r.left() + r.width() * 0.38, r.bottom());
    path.lineTo(r.right(), r.top());
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void serialPlug(QPainter& p) {
    pen(p, kInk, 1.5);
    p.setBrush(QColor(170, 178, 190));
    QPainterPath d;  // D-sub shell
    d.moveTo(3, 6);
    d.lineTo(21, 6);
    d.lineTo(19, 16);
    d.lineTo(5, 16);
    d.closeSubpath();
    p.drawPath(d);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (int i = 0; i < 5; ++i) p.drawEllipse(QPointF(6.0 + 3.0 * i, 9.5), 0.9, 0.9);
    for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(7.5 + 3.0 * i, 12.8), 0.9, 0.9);
    pen(p, kInk, 2);
    p.drawLine(QPointF(12, 16), QPointF(12, 22));
    p.drawLine(QPointF(12, 22), QPointF(4, 22));
}

void usbPlug(QPainter& p) {
    pen(p, kInk, 2);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(11, 4), QPointF(11, 24));
    p.drawLine(QPointF(11, 16), QPointF(5, 11));
    p.drawLine(QPointF(11, 19), QPointF(17, 13));
    p.setBrush(kInk);
    p.drawEllipse(QPointF(11, 25.5), 2.5, 2.5);
    p.drawEllipse(QPointF(5, 10), 1.8, 1.8);
    p.drawRect(QRectF(15.5, 10, 3, 3));
    QPolygonF tip{QPointF(11, 1.5), QPointF(8, 6), QPointF(14, 6)};
    p.drawPolygon(tip);
}

void floppy(QPainter& p) {
    pen(p, kInk, 1.5);
    p.setBrush(kBlue);
    QPainterPath body;
    body.moveTo(4, 4);
    body.lineTo(24, 4);
    body.lineTo(28, 8);
    body.lineTo(28, 28);
    body.lineTo(4, 28);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(kPaper);
    p.drawRect(QRectF(8, 17, 16, 11));
    p.setBrush(QColor(200, 206, 214));
    p.drawRect(QRectF(9, 4, 12, 8));
    p.setBrush(kInk);
    p.drawRect(QRectF(17, 5.5, 2.5, 5));
    pen(p, QColor(150, 150, 150), 1);
    p.drawLine(QPointF(10, 21), QPointF(22, 21));
    p.drawLine(QPointF(10, 24), QPointF(22, 24));
}

void door(QPainter& p) {
    pen(p, kInk, 1.5);
    p.setBrush(QColor(150, 100, 60));
    p.drawRect(QRectF(5, 3, 15, 26));
    p.setBrush(QColor(110, 70, 40));
    QPolygonF open{QPointF(5, 3), QPointF(14, 6), QPointF(14, 31), QPointF(5, 29)};
    p.drawPolygon(open);
    p.setBrush(kAmber);
    p.drawEllipse(QPointF(12, 17), 1.2, 1.2);
    pen(p, kRed, 3);
    p.drawLine(QPointF(18, 16), QPointF(29, 16));
    p.drawLine(QPointF(25, 11.5), QPointF(29.5, 16));
    p.drawLine(QPointF(25, 20.5), QPointF(29.5, 16));
}

void bluetooth(QPainter& p, qreal dx, qreal dy, qreal s) {
    p.save();
    p.translate(dx, dy);
    p.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(6, 1, 20, 30), 10, 10);
    pen(p, Qt::white, 2.2);
    p.setBrush(Qt::NoBrush);
    QPainterPath rune;
    rune.moveTo(10.5, 10);
    rune.lineTo(21, 21);
    rune.lineTo(16, 26);
    rune.lineTo(16, 6);
    rune.lineTo(21, 11);
    rune.lineTo(10.5, 22);
    p.drawPath(rune);
    p.restore();
}

void wifiArcs(QPainter& p, QPointF base, qreal scale, QColor c) {
    pen(p, c, 2.6 * scale);
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        const qreal r = 6.5 * i * scale;
        p.drawArc(QRectF(base.x() - r, base.y() - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(base, 2.2 * scale, 2.2 * scale);
}

void magnifier(QPainter& p, QPointF c, qreal r) {
    pen(p, kInk, 3);
    p.drawLine(c + QPointF(r * 0.7, r * 0.7), c + QPointF(r * 1.8, r * 1.8));
    pen(p, kInk, 2);
    p.setBrush(QColor(210, 232, 250, 220));
    p.drawEllipse(c, r, r);
}

void letters(QPainter& p, const QString& text, QColor tile) {
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 6, 28, 20), 4, 4);
    QFont f;
    f.setBold(true);
    f.setPixelSize(text.size() > 2 ? 9 : 14);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 6, 28, 20), Qt::AlignCenter, text);
}

void labelStrip(QPainter& p, bool blackMark) {
    pen(p, kInk, 1.2);
    p.setBrush(QColor(255, 226, 150));
    p.drawRect(QRectF(9, 2, 14, 28));  // liner
    p.setBrush(kPaper);
    p.drawRect(QRectF(10, 4, 12, 9));
    p.drawRect(QRectF(10, 17, 12, 9));
    if (blackMark) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(23, 13, 5, 4));
    } else {
        pen(p, kRed, 1.5);
        p.drawLine(QPointF(4, 15), QPointF(28, 15));
    }
}

void folder(QPainter& p) {
    pen(p, kInk, 1.3);
    p.setBrush(QColor(240, 190, 60));
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(11, 8);
    back.lineTo(13, 11);
    back.lineTo(27, 11);
    back.lineTo(27, 26);
    back.lineTo(3, 26);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(252, 214, 100));
    QPolygonF front{QPointF(3, 26), QPointF(7, 15), QPointF(31, 15), QPointF(27, 26)};
    p.drawPolygon(front);
    p.setPen(Qt::black);
    QFont f;
    f.setBold(true);
    f.setPixelSize(8);
    p.setFont(f);
    p.drawText(QRectF(6, 15, 24, 11), Qt::AlignCenter, "TT");
}

void downArrow(QPainter& p) {
    printer(p);
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(kGreen);
    QPolygonF a{QPointF(12, 1), QPointF(20, 1), QPointF(20, 9), QPointF(25, 9),
                QPointF(16, 18), QPointF(7, 9), QPointF(12, 9)};
    p.drawPolygon(a);
}

void densityBars(QPainter& p) {
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        const int g = 220 - 45 * i;
        p.setBrush(QColor(g, g, g));
        p.drawRect(QRectF(3 + 5.4 * i, 24 - 4.0 * i, 4.6, 5 + 4.0 * i));
    }
    pen(p, kInk, 1);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2, 3, 28, 27));
}

void powerSymbol(QPainter& p) {
    pen(p, kGreen, 3);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 6, 22, 22), 120 * 16, 300 * 16);
    p.drawLine(QPointF(16, 3), QPointF(16, 15));
}

void resetArrow(QPainter& p) {
    pen(p, kRed, 3);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 5, 22, 22), 90 * 16, 270 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    QPolygonF head{QPointF(16, 0.5), QPointF(22, 5.5), QPointF(16, 10.5)};
    p.drawPolygon(head);
    p.setPen(kInk);
    QFont f;
    f.setBold(true);
    f.setPixelSize(9);
    p.setFont(f);
    p.drawText(QRectF(5, 5, 22, 22), Qt::AlignCenter, "F");
}

void keyShield(QPainter& p) {
    pen(p, kInk, 1.5);
    p.setBrush(kBlue);
    QPainterPath shield;
    shield.moveTo(16, 2);
    shield.lineTo(28, 6);
    shield.cubicTo(28, 18, 23, 26, 16, 30);
    shield.cubicTo(9, 26, 4, 18, 4, 6);
    shield.closeSubpath();
    p.drawPath(shield);
    pen(p, kAmber, 2.5);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(16, 11), 3.5, 3.5);
    p.drawLine(QPointF(16, 14.5), QPointF(16, 24));
    p.drawLine(QPointF(16, 20), QPointF(19.5, 20));
    p.drawLine(QPointF(16, 23), QPointF(19, 23));
}

void paintIcon(QPainter& p, int resource) {
    switch (resource) {
        case 128:  // the program: printer with a Wi-Fi badge
            printer(p);
            wifiArcs(p, QPointF(24, 30), 0.55, kBlue);
            break;
        case 130: serialPlug(p); arrowRight(p, kGreen); break;   // open COM port
        case 135: serialPlug(p); crossBadge(p); break;           // close COM port
        case 142: usbPlug(p); arrowRight(p, kGreen); break;      // open USB
        case 143: usbPlug(p); crossBadge(p); break;              // close USB
        case 131: bluetooth(p, 0, 0, 1.0); break;                // Bluetooth information
        case 132: door(p); break;                                // exit, cancel
        case 133: floppy(p); break;                              // save
        case 134:                                                // print code page
            printer(p);
            p.setPen(kInk);
            p.setFont([] { QFont f; f.setPixelSize(7); f.setBold(true); return f; }());
            p.drawText(QRectF(8, 20, 16, 9), Qt::AlignCenter, "Aa");
            break;
        case 136: letters(p, "CPCL", QColor(90, 90, 200)); break;
        case 137: letters(p, "ESC", QColor(200, 90, 90)); break;
        case 138: letters(p, "?", QColor(90, 150, 90)); magnifier(p, QPointF(22, 21), 5); break;
        case 139:                                                // Wi-Fi settings
            printer(p);
            wifiArcs(p, QPointF(16, 20), 1.0, kBlue);
            break;
        case 141: powerSymbol(p); break;
        case 145: checkMark(p, QRectF(5, 8, 22, 17), kGreen, 4.5); break;  // OK, accept
        case 146: resetArrow(p); break;
        case 147:                                                // Wi-Fi search
            wifiArcs(p, QPointF(13, 24), 0.8, kBlue);
            magnifier(p, QPointF(20, 14), 6);
            break;
        case 149: labelStrip(p, false); break;                   // gap media
        case 150: labelStrip(p, true); break;                    // black-mark media
        case 152: densityBars(p); break;
        case 153:                                                // search running
            wifiArcs(p, QPointF(16, 26), 1.0, kAmber);
            break;
        case 154:                                                // search finished
            wifiArcs(p, QPointF(13, 26), 0.9, kBlue);
            checkMark(p, QRectF(18, 4, 12, 10), kGreen, 3);
            break;
        case 155: folder(p); break;                              // open font
        case 156: downArrow(p); break;                           // download font
        case 162: keyShield(p); break;                           // enterprise settings
        default: break;
    }
}

}  // namespace

const std::vector<int>& iconResources() {
    static const std::vector<int> kAll{128, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139,
                                       141, 142, 143, 145, 146, 147, 149, 150, 152, 153,
                                       154, 155, 156, 162};
    return kAll;
}

QPixmap iconPixmap(int resource, QSize size) {
    const auto& all = iconResources();
    if (std::find(all.begin(), all.end(), resource) == all.end() || size.isEmpty()) return {};
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size.width() / 32.0, size.height() / 32.0);
    paintIcon(p, resource);
    return pm;
}

QIcon windowIcon() {
    QIcon icon;
    for (int s : {16, 32, 48}) icon.addPixmap(iconPixmap(128, QSize(s, s)));
    return icon;
}

}  // namespace setrion::gui
