#include "gui/qt/xp_group_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include "gui/control_drawing.h"

namespace setrion::gui {

CXPGroupBox::CXPGroupBox(QWidget* parent) : QWidget(parent), m_font(font()) {
    const QPalette pal = QApplication::palette();
    m_border = pal.color(QPalette::Dark);
    m_captionBg = pal.color(QPalette::Button);
    m_bodyBg = pal.color(QPalette::Button);
    m_textColour = pal.color(QPalette::WindowText);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CXPGroupBox::redraw() {
    ++m_redraws;
    update();
    if (parentWidget() != nullptr) parentWidget()->update(geometry());
}

void CXPGroupBox::setBorderColour(QColor c) {
    m_border = c;
    redraw();
}

void CXPGroupBox::setCaptionTextColour(QColor c) {
    m_textColour = c;
    redraw();
}

void CXPGroupBox::setBackgroundColours(QColor caption, QColor body) {
    m_captionBg = caption;
    m_bodyBg = body;
    redraw();
}

void CXPGroupBox::setBackgroundColour(QColor both) { setBackgroundColours(both, both); }

void CXPGroupBox::setBoxStyle(int style) {
    m_style = style == Window ? Window : Frame;
    redraw();
}

void CXPGroupBox::setCaption(const QString& text) {
    m_caption = " " + text + " ";
    redraw();
}

void CXPGroupBox::setWindowText(const QString& text) {
    m_windowText = text;
    redraw();
}

void CXPGroupBox::setBold(bool on) {
    m_font.setWeight(on ? QFont::Bold : QFont::Normal);
    redraw();
}

void CXPGroupBox::setFontName(const QString& family) {
    m_font.setFamily(family);
    redraw();
}

void CXPGroupBox::setUnderline(bool on) {
    m_font.setUnderline(on);
    redraw();
}

void CXPGroupBox::setItalic(bool on) {
    m_font.setItalic(on);
    redraw();
}

void CXPGroupBox::setFontSize(int points) {
    QFont f(m_font.family(), points);
    f.setWeight(m_font.weight());
    f.setItalic(m_font.italic());
    f.setUnderline(m_font.underline());
    m_font = f;
    redraw();
}

void CXPGroupBox::setFontDescription(const QFont& font) {
    m_font = font;
    redraw();
}

void CXPGroupBox::setAlignment(int alignment) {
    m_alignment = (alignment == Centre || alignment == Right) ? alignment : Left;
    redraw();
}

const QString& CXPGroupBox::effectiveCaption() const {
    if (m_caption.isEmpty() && !m_windowText.isEmpty()) m_caption = " " + m_windowText + " ";
    return m_caption;
}

CXPGroupBox::Geometry CXPGroupBox::geometryFor() const {
    const QString& text = effectiveCaption();
    const QFontMetrics fm(m_font);
    const drawing::Size captionSize{text.isEmpty() ? 0 : fm.horizontalAdvance(text),
                                    text.isEmpty() ? 0 : fm.height()};
    const QRect r = rect();
    const drawing::GroupBoxLayout d = drawing::layoutGroupBox(
        {r.left(), r.top(), r.right() + 1, r.bottom() + 1}, captionSize,
        static_cast<drawing::CaptionAlign>(m_alignment),
        m_style == Window ? drawing::GroupStyle::Window : drawing::GroupStyle::Frame);
    auto toQRect = [](const drawing::Box& b) { return QRect(b.left, b.top, b.width(), b.height()); };
    Geometry g;
    g.area = toQRect(d.area);
    g.caption = toQRect(d.caption);
    g.frame = toQRect(d.frame);
    return g;
}

void CXPGroupBox::paintEvent(QPaintEvent*) {
    const Geometry g = geometryFor();
    QPainter p(this);
    p.setFont(m_font);
    p.setPen(QPen(m_border, 1));
    if (m_style == Window) {
        p.setBrush(m_bodyBg);
        p.drawRect(g.frame.adjusted(0, 0, -1, -1));
    } else {
        p.setBrush(Qt::NoBrush);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.drawRoundedRect(g.frame.adjusted(0, 0, -1, -1), kCornerSize / 2.0, kCornerSize / 2.0);
        if (!g.caption.isEmpty()) p.fillRect(g.caption, m_captionBg);
    }
    if (!g.caption.isEmpty()) {
        p.setPen(m_textColour);
        p.drawText(g.caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_caption);
    }
}

}  // namespace setrion::gui
