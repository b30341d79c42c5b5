#include "gui/qt/icon_button.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QUrl>

#include "gui/control_drawing.h"
#include "gui/qt/icons.h"

namespace setrion::gui {


IconButton::IconButton(QWidget* parent) : QAbstractButton(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    resetColours();
    m_hoverTimer.setInterval(kHoverPollMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &IconButton::checkPointer);
    connect(this, &QAbstractButton::clicked, this, &IconButton::onClicked);
    m_opener = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
}

IconButton::~IconButton() {
    m_hoverTimer.stop();
    unsetCursor();
}

void IconButton::setIcons(int normal, QSize normalSize, int pointerOut, QSize outSize,
                          int disabled, QSize disabledSize) {
    m_iconNumbers = {normal, pointerOut, disabled};
    const std::array<QSize, 3> sizes{normalSize, outSize, disabledSize};
    for (size_t i = 0; i < 3; ++i) {
        m_icons[i] = (m_iconNumbers[i] != 0 && !sizes[i].isEmpty())
                         ? iconPixmap(m_iconNumbers[i], sizes[i])
                         : QPixmap();
    }
    update();
}

void IconButton::setFlat(bool flat, bool redraw) {
    m_flat = flat;
    if (redraw) update();
}

void IconButton::setDefaultButton(bool on) {
    m_default = on;
    update();
}

void IconButton::setCheckBoxMode(bool on) {
    m_checkBox = on;
    setCheckable(on);
    update();
}

void IconButton::setIconAlignment(int align) {
    m_align = (align == 1) ? Align::Top : (align == 2) ? Align::Right : Align::Left;
    update();
}

void IconButton::setDrawBorder(bool on) {
    m_drawBorder = on;
    update();
}

void IconButton::setFlatFocus(bool on) {
    m_flatFocus = on;
    update();
}

void IconButton::resetColours() {
    const QPalette pal = QApplication::palette();
    m_bg.fill(pal.color(QPalette::Button));
    m_fg.fill(pal.color(QPalette::ButtonText));
    update();
}

void IconButton::setColours(ColourState state, QColor background, QColor text) {
    m_bg[static_cast<size_t>(state)] = background;
    m_fg[static_cast<size_t>(state)] = text;
    update();
}

void IconButton::setUrl(const QString& url) {
    QByteArray bytes = url.toUtf8();
    if (bytes.size() > kMaxUrlBytes) bytes.truncate(kMaxUrlBytes);
    m_url = QString::fromUtf8(bytes);
}

void IconButton::setButtonCursor(const QCursor& cursor) { setCursor(cursor); }

QSize IconButton::sizeHint() const {
    const QSize icon = m_icons[0].isNull() ? QSize() : m_icons[0].deviceIndependentSize().toSize();
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    return {icon.width() + text.width() + 4 * drawing::kIconGap, std::max(icon.height(), text.height()) + 4 * drawing::kIconGap};
}

QPoint IconButton::pointerPos() const { return mapFromGlobal(QCursor::pos()); }

namespace {

drawing::Box toBox(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }
QRect toQRect(const drawing::Box& b) { return QRect(b.left, b.top, b.width(), b.height()); }

}  // namespace

IconButtonLook IconButton::look() const {
    drawing::IconButtonState s;
    s.enabled = isEnabled();
    s.focused = hasFocus();
    s.isDefault = m_default;
    s.pressed = m_checkBox ? (isDown() || isChecked()) : (isDown() || m_menuShown);
    s.hover = m_hover;
    s.checkBox = m_checkBox;
    s.flat = m_flat;
    s.drawBorder = m_drawBorder;
    s.flatFocus = m_flatFocus;
    s.align = m_align == Align::Top     ? drawing::IconAlign::Top
              : m_align == Align::Right ? drawing::IconAlign::Right
                                        : drawing::IconAlign::Left;
    for (size_t i = 0; i < 3; ++i) {
        const QSize is = m_icons[i].isNull() ? QSize() : m_icons[i].deviceIndependentSize().toSize();
        s.icons[i] = {is.width(), is.height()};
    }
    const drawing::IconButtonLayout d = drawing::layoutIconButton(toBox(rect()), s);

    IconButtonLook l;
    l.pressed = s.pressed;
    l.blackFrame = d.blackFrame;
    l.body = toQRect(d.body);
    l.background = m_bg[d.colours == drawing::ButtonColours::PointerIn ? PointerIn
                        : d.colours == drawing::ButtonColours::Focused ? Focused
                                                                       : PointerOut];
    l.border = d.border == drawing::ButtonBorder::Sunken   ? IconButtonLook::Border::Sunken
               : d.border == drawing::ButtonBorder::Raised ? IconButtonLook::Border::Raised
                                                           : IconButtonLook::Border::None;
    using Slot = IconButtonLook::IconSlot;
    l.icon = d.icon == drawing::ButtonIcon::Normal       ? Slot::Normal
             : d.icon == drawing::ButtonIcon::PointerOut ? Slot::PointerOut
             : d.icon == drawing::ButtonIcon::Disabled   ? Slot::Disabled
                                                         : Slot::None;
    if (l.icon != Slot::None) l.iconRect = toQRect(d.iconBox);
    l.captionRect = toQRect(d.caption);
    l.captionTwice = d.captionTwice;
    const QPalette pal = palette();
    if (l.captionTwice) {
        l.captionColour = pal.color(QPalette::Dark);
    } else {
        l.captionColour = (m_hover || l.pressed) ? m_fg[PointerIn] : m_fg[PointerOut];
    }
    l.focusRect = d.focusRect;
    return l;
}

QPixmap IconButton::pixmapFor(IconButtonLook::IconSlot slot) const {
    switch (slot) {
        case IconButtonLook::IconSlot::Normal: return m_icons[0];
        case IconButtonLook::IconSlot::PointerOut: return m_icons[1];
        case IconButtonLook::IconSlot::Disabled: return m_icons[2];
        case IconButtonLook::IconSlot::None: break;
    }
    return {};
}

void IconButton::paintEvent(QPaintEvent*) {
    const IconButtonLook l = look();
    const QPalette pal = palette();
    QPainter p(this);
    if (l.blackFrame) {
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    p.fillRect(l.body, l.background);
    if (l.border != IconButtonLook::Border::None) {
        const bool sunken = l.border == IconButtonLook::Border::Sunken;
        const QColor topLeft = pal.color(sunken ? QPalette::Dark : QPalette::Light);
        const QColor bottomRight = pal.color(sunken ? QPalette::Light : QPalette::Dark);
        const QRect& b = l.body;
        p.setPen(topLeft);
        p.drawLine(b.topLeft(), b.topRight());
        p.drawLine(b.topLeft(), b.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(b.bottomLeft(), b.bottomRight());
        p.drawLine(b.topRight(), b.bottomRight());
    }
    if (l.icon != IconButtonLook::IconSlot::None) p.drawPixmap(l.iconRect, pixmapFor(l.icon));

    const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    const QString caption = text().left(256);
    if (l.captionTwice) {
        p.setPen(pal.color(QPalette::Light));
        p.drawText(l.captionRect.translated(1, 1), flags, caption);
    }
    p.setPen(l.captionColour);
    p.drawText(l.captionRect, flags, caption);

    if (l.focusRect) {
        QStyleOptionFocusRect opt;
        opt.initFrom(this);
        const int in = drawing::kFocusInset;
        opt.rect = l.body.adjusted(in, in, -in, -in);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
    }
}

void IconButton::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    if (!m_flat || m_hover) return;
    if ((event->buttons() & Qt::LeftButton) != 0) return;
    if (!rect().contains(event->position().toPoint())) return;
    if (!m_trackAlways && QApplication::activeWindow() == nullptr) return;
    m_hover = true;
    update();
    m_hoverTimer.start();
}

void IconButton::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void IconButton::checkPointer() {
    if (!rect().contains(pointerPos())) endHover();
}

void IconButton::endHover() {
    m_hoverTimer.stop();
    if (!m_hover) return;
    m_hover = false;
    update();
}

void IconButton::leaveEvent(QEvent* event) {
    endHover();
    QAbstractButton::leaveEvent(event);
}

void IconButton::focusOutEvent(QFocusEvent* event) {
    endHover();
    QAbstractButton::focusOutEvent(event);
}

void IconButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        if (hasFocus() && !focusNextChild() && parentWidget() != nullptr) parentWidget()->setFocus();
        endHover();
    } else if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        endHover();
    }
    QAbstractButton::changeEvent(event);
}

void IconButton::onClicked() {
    if (m_checkBox) {
        update();  // the toggle itself is the checkable button's own
        return;
    }
    if (m_menu) {
        m_menuShown = true;
        update();
        m_menu->exec(mapToGlobal(rect().bottomLeft()));
        m_menuShown = false;
        update();
        return;
    }
    if (!m_url.isEmpty() && m_opener) m_opener(m_url);
}

}  // namespace setrion::gui
