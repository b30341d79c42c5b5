#pragma once
#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <array>
#include <functional>

#include <QMenu>

namespace setrion::gui {

// One paint of an icon button, worked out before anything is drawn, so the
// drawing rules can be checked without comparing pictures.
struct IconButtonLook {
    enum class Border { None, Raised, Sunken };
    enum class IconSlot { None, Normal, PointerOut, Disabled };
    bool pressed = false;
    bool blackFrame = false;    // outer rectangle framed in black, body shrunk by 1
    QRect body;                 // rectangle filled with the background
    QColor background;
    Border border = Border::None;
    IconSlot icon = IconSlot::None;
    QRect iconRect;
    QRect captionRect;
    bool captionTwice = false;  // disabled: highlight at (1, 1), then shadow on top
    QColor captionColour;
    bool focusRect = false;
};

// Push button that draws an icon beside its caption; flat with a hover highlight
// or 3-D, optionally a check box, a pop-up menu or a link.
class IconButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Align { Left = 0, Top = 1, Right = 2 };
    enum ColourState { PointerIn = 0, PointerOut = 1, Focused = 2 };
    static constexpr int kMaxUrlBytes = 260;
    static constexpr int kHoverPollMs = 50;

    explicit IconButton(QWidget* parent = nullptr);
    ~IconButton() override;

    // Icons by resource number (0 = none), each with its own size.
    void setIcons(int normal, QSize normalSize, int pointerOut = 0, QSize outSize = {},
                  int disabled = 0, QSize disabledSize = {});
    int iconNumber() const { return m_iconNumbers[0]; }
    void setFlat(bool flat, bool redraw = true);
    bool isFlat() const { return m_flat; }
    void setDefaultButton(bool on);
    bool isDefaultButton() const { return m_default; }
    void setCheckBoxMode(bool on);
    bool isCheckBoxMode() const { return m_checkBox; }
    void setIconAlignment(int align);
    void setDrawBorder(bool on);
    void setFlatFocus(bool on);
    void setTrackAlways(bool on) { m_trackAlways = on; }
    void resetColours();
    void setColours(ColourState state, QColor background, QColor text);
    // Copies at most kMaxUrlBytes bytes of the URL.
    void setUrl(const QString& url);
    QString url() const { return m_url; }
    void setButtonCursor(const QCursor& cursor);
    void setMenu(QMenu* menu) { m_menu = menu; }
    bool isMenuShown() const { return m_menuShown; }
    bool isHovered() const { return m_hover; }
    // Replaces how a URL is opened (the default asks the desktop to open it).
    void setUrlOpener(std::function<void(const QString&)> opener) { m_opener = std::move(opener); }

    IconButtonLook look() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Where the pointer is, in this button's coordinates (overridable for tests).
    virtual QPoint pointerPos() const;

private:
    void onClicked();
    void checkPointer();
    void endHover();
    QPixmap pixmapFor(IconButtonLook::IconSlot slot) const;

    bool m_flat = true;
    bool m_hover = false;
    bool m_default = false;
    bool m_checkBox = false;
    Align m_align = Align::Left;
    bool m_drawBorder = true;
    bool m_flatFocus = false;
    bool m_trackAlways = true;
    bool m_menuShown = false;
    std::array<QColor, 3> m_bg;
    std::array<QColor, 3> m_fg;
    std::array<int, 3> m_iconNumbers{};
    std::array<QPixmap, 3> m_icons;
    QString m_url;
    QPointer<QMenu> m_menu;
    QTimer m_hoverTimer;
    std::function<void(const QString&)> m_opener;
};

}  // namespace setrion::gui
