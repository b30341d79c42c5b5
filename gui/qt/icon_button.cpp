#include "gui/qt/icon_button.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QUrl>

#include "gui/qt/icons.h"

namespace setrion::gui {

namespace {
constexpr int kIconGap = 3;  // icon distance from the edge it is aligned to
}

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
    return {icon.width() + text.width() + 4 * kIconGap, std::max(icon.height(), text.height()) + 4 * kIconGap};
}

QPoint IconButton::pointerPos() const { return mapFromGlobal(QCursor::pos()); }

IconButtonLook IconButton::look() const {
    IconButtonLook l;
    const bool focused = hasFocus();
    l.pressed = m_checkBox ? (isDown() || isChecked()) : (isDown() || m_menuShown);
    QRect r = rect();
    if (!m_flat && (focused || m_default)) {
        l.blackFrame = true;
        r.adjust(1, 1, -1, -1);
    }
    l.body = r;
    if (m_hover || l.pressed) {
        l.background = m_bg[PointerIn];
    } else if (focused) {
        l.background = m_bg[Focused];
    } else {
        l.background = m_bg[PointerOut];
    }
    if (!m_flat || m_drawBorder) {
        if (l.pressed) {
            l.border = IconButtonLook::Border::Sunken;
        } else if (!m_flat || m_hover) {
            l.border = IconButtonLook::Border::Raised;
        }
    }

    using Slot = IconButtonLook::IconSlot;
    if (!isEnabled()) {
        l.icon = !m_icons[2].isNull() ? Slot::Disabled : Slot::Normal;
    } else if (!m_icons[1].isNull() && !l.pressed && !m_hover) {
        l.icon = Slot::PointerOut;
    } else {
        l.icon = Slot::Normal;
    }
    const QPixmap pm = pixmapFor(l.icon);
    if (pm.isNull()) l.icon = Slot::None;
    const QSize is = pm.isNull() ? QSize(0, 0) : pm.deviceIndependentSize().toSize();
    const bool shift = l.pressed && !m_checkBox;
    l.captionRect = r;
    if (l.icon != Slot::None) {
        switch (m_align) {
            case Align::Left:
                l.iconRect = QRect(r.left() + kIconGap, r.top() + (r.height() - is.height()) / 2,
                                   is.width(), is.height());
                l.captionRect.setLeft(r.left() + is.width() + kIconGap);
                break;
            case Align::Top:
                l.iconRect = QRect(r.left() + (r.width() - is.width()) / 2, r.top() + kIconGap,
                                   is.width(), is.height());
                l.captionRect.setTop(r.top() + is.height() + kIconGap);
                break;
            case Align::Right:
                l.iconRect = QRect(r.right() - kIconGap - is.width() + 1,
                                   r.top() + (r.height() - is.height()) / 2, is.width(), is.height());
                l.captionRect.setRight(r.right() - is.width() - kIconGap);
                break;
        }
        if (shift) l.iconRect.translate(1, 1);
    }
    if (shift) l.captionRect.translate(1, 1);
    l.captionTwice = !isEnabled();
    const QPalette pal = palette();
    if (l.captionTwice) {
        l.captionColour = pal.color(QPalette::Dark);
    } else {
        l.captionColour = (m_hover || l.pressed) ? m_fg[PointerIn] : m_fg[PointerOut];
    }
    l.focusRect = focused && (!m_flat || m_flatFocus);
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
        opt.rect = l.body.adjusted(3, 3, -3, -3);
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
