#include "gui/qt/icon_button.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QPainter>
#include <QMouseEvent>
#include <QTest>

#include "gui/qt/icons.h"
#include "tests/gui/qt_app.h"

namespace setrion::gui {
namespace {

using Border = IconButtonLook::Border;
using Slot = IconButtonLook::IconSlot;

// The pointer position is whatever the test says it is.
class ProbeButton : public IconButton {
public:
    using IconButton::IconButton;
    QPoint pointer{-100, -100};
    void move(QPoint at) {
        QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(mapToGlobal(at)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(this, &e);
    }

protected:
    QPoint pointerPos() const override { return pointer; }
};

class IconButtonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::app(); }
    void SetUp() override {
        window.resize(300, 200);
        button = new ProbeButton(&window);
        button->setGeometry(10, 10, 100, 40);
        button->setText("Open Port");
        button->setIcons(130, {32, 32});
        other = new ProbeButton(&window);
        other->setGeometry(10, 60, 100, 40);
        window.show();
        QApplication::setActiveWindow(&window);
    }
    QColor light() const { return button->palette().color(QPalette::Light); }
    QColor dark() const { return button->palette().color(QPalette::Dark); }
    QWidget window;
    ProbeButton* button = nullptr;
    ProbeButton* other = nullptr;
};

TEST_F(IconButtonTest, DefaultNonFlatButtonHasBlackFrameWithoutFocus) {
    button->setFlat(false);
    button->setDefaultButton(true);
    other->setFocus();
    ASSERT_FALSE(button->hasFocus());
    const IconButtonLook l = button->look();
    EXPECT_TRUE(l.blackFrame);
    EXPECT_EQ(l.body, QRect(1, 1, 98, 38));
    EXPECT_EQ(l.border, Border::Raised);
    const QImage img = test::render(*button);
    EXPECT_EQ(test::px(img, 0, 0), test::rgb(QColor(Qt::black)));
    EXPECT_EQ(test::px(img, 99, 39), test::rgb(QColor(Qt::black)));
    EXPECT_EQ(test::px(img, 1, 20), test::rgb(light()));   // raised: highlight left
    EXPECT_EQ(test::px(img, 98, 20), test::rgb(dark()));   // shadow right

    button->setDefaultButton(false);
    EXPECT_FALSE(button->look().blackFrame);
    EXPECT_NE(test::px(test::render(*button), 0, 0), test::rgb(QColor(Qt::black)));
}

TEST_F(IconButtonTest, FlatButtonBorderFollowsHover) {
    button->setFlat(true);
    EXPECT_EQ(button->look().border, Border::None);
    EXPECT_EQ(test::px(test::render(*button), 0, 20), test::rgb(button->look().background));

    button->move({20, 20});
    ASSERT_TRUE(button->isHovered());
    EXPECT_EQ(button->look().border, Border::Raised);
    EXPECT_EQ(test::px(test::render(*button), 0, 20), test::rgb(light()));

    // The 50 ms poll notices the pointer has gone and ends the hover.
    button->pointer = {20, 20};
    QTest::qWait(120);
    EXPECT_TRUE(button->isHovered());
    button->pointer = {150, 20};
    QTest::qWait(120);
    EXPECT_FALSE(button->isHovered());
    EXPECT_EQ(button->look().border, Border::None);
}

TEST_F(IconButtonTest, HoverIsNotStartedWhileLeftButtonHeldOrOnThreeDButtons) {
    button->setFlat(true);
    QMouseEvent drag(QEvent::MouseMove, QPointF(20, 20), QPointF(button->mapToGlobal(QPoint(20, 20))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &drag);
    EXPECT_FALSE(button->isHovered());

    other->setFlat(false);
    other->move({20, 20});
    EXPECT_FALSE(other->isHovered());
}

TEST_F(IconButtonTest, FlatButtonWithoutDrawBorderNeverGetsOne) {
    button->setDrawBorder(false);
    button->move({20, 20});
    EXPECT_EQ(button->look().border, Border::None);
    button->setDown(true);
    EXPECT_EQ(button->look().border, Border::None);
}

TEST_F(IconButtonTest, CheckBoxModeTogglesAndIsDrawnPushedWhileChecked) {
    button->setFlat(false);
    button->setCheckBoxMode(true);
    EXPECT_FALSE(button->look().pressed);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(button->isChecked());
    IconButtonLook l = button->look();
    EXPECT_TRUE(l.pressed);
    EXPECT_EQ(l.border, Border::Sunken);
    // A check box does not move its icon when pushed.
    EXPECT_EQ(l.iconRect.topLeft(), QPoint(4, 4));
    const QImage img = test::render(*button);
    EXPECT_EQ(test::px(img, 1, 20), test::rgb(dark()));   // sunken: shadow top-left
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(button->isChecked());
    EXPECT_FALSE(button->look().pressed);
}

TEST_F(IconButtonTest, PressedPushButtonIsSunkenAndShiftsIconAndCaption) {
    button->setFlat(false);
    other->setFocus();
    IconButtonLook up = button->look();
    EXPECT_EQ(up.iconRect, QRect(3, 4, 32, 32));
    EXPECT_EQ(up.captionRect, QRect(35, 0, 65, 40));
    button->setDown(true);
    IconButtonLook down = button->look();
    EXPECT_TRUE(down.pressed);
    EXPECT_EQ(down.border, Border::Sunken);
    EXPECT_EQ(down.iconRect, QRect(4, 5, 32, 32));
    EXPECT_EQ(down.captionRect, QRect(36, 1, 65, 40));
}

TEST_F(IconButtonTest, IconAlignmentAboveAndRight) {
    button->setGeometry(10, 10, 100, 60);
    button->setIconAlignment(1);
    IconButtonLook l = button->look();
    EXPECT_EQ(l.iconRect, QRect(34, 3, 32, 32));
    EXPECT_EQ(l.captionRect.top(), 35);
    button->setIconAlignment(2);
    l = button->look();
    EXPECT_EQ(l.iconRect, QRect(65, 14, 32, 32));
    EXPECT_EQ(l.captionRect.right(), 64);
    button->setIconAlignment(7);  // anything else is left
    EXPECT_EQ(button->look().iconRect.left(), 3);
}

TEST_F(IconButtonTest, DisabledCaptionIsDrawnTwiceAndUsesDisabledIcon) {
    button->setEnabled(false);
    IconButtonLook l = button->look();
    EXPECT_TRUE(l.captionTwice);
    EXPECT_EQ(l.captionColour, dark());
    EXPECT_EQ(l.icon, Slot::Normal);  // no disabled icon given
    button->setIcons(130, {32, 32}, 0, {}, 135, {32, 32});
    EXPECT_EQ(button->look().icon, Slot::Disabled);
    // Both the highlight copy and the shadow copy of the caption reach the image.
    const QImage img = test::render(*button);
    bool sawLight = false;
    bool sawDark = false;
    for (int y = 0; y < 40; ++y) {
        for (int x = 40; x < 99; ++x) {
            sawLight |= test::px(img, x, y) == test::rgb(light());
            sawDark |= test::px(img, x, y) == test::rgb(dark());
        }
    }
    EXPECT_TRUE(sawLight);
    EXPECT_TRUE(sawDark);
}

TEST_F(IconButtonTest, PointerOutIconOnlyWhenNeitherHoveredNorPressed) {
    button->setIcons(130, {32, 32}, 135, {32, 32});
    EXPECT_EQ(button->look().icon, Slot::PointerOut);
    button->move({20, 20});
    EXPECT_EQ(button->look().icon, Slot::Normal);
}

TEST_F(IconButtonTest, BackgroundColoursByState) {
    button->setColours(IconButton::PointerIn, Qt::yellow, Qt::red);
    button->setColours(IconButton::PointerOut, Qt::cyan, Qt::blue);
    button->setColours(IconButton::Focused, Qt::green, Qt::black);
    other->setFocus();
    EXPECT_EQ(button->look().background, QColor(Qt::cyan));
    EXPECT_EQ(button->look().captionColour, QColor(Qt::blue));
    button->setFocus();
    EXPECT_EQ(button->look().background, QColor(Qt::green));
    EXPECT_FALSE(button->look().focusRect);  // flat without flat focus
    button->setFlatFocus(true);
    EXPECT_TRUE(button->look().focusRect);
    button->move({20, 20});
    EXPECT_EQ(button->look().background, QColor(Qt::yellow));
    EXPECT_EQ(button->look().captionColour, QColor(Qt::red));
    button->resetColours();
    EXPECT_EQ(button->look().background, QApplication::palette().color(QPalette::Button));
}

TEST_F(IconButtonTest, DisablingFocusedButtonMovesFocusToNextControl) {
    window.activateWindow();
    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    button->move({20, 20});
    button->setEnabled(false);
    EXPECT_FALSE(button->hasFocus());
    EXPECT_TRUE(other->hasFocus());
    EXPECT_FALSE(button->isHovered());
}

TEST_F(IconButtonTest, ClickOpensUrlTruncatedTo260Bytes) {
    QStringList opened;
    button->setUrlOpener([&](const QString& u) { opened << u; });
    button->setUrl("http://127.0.0.1/" + QString(300, 'a'));
    EXPECT_EQ(button->url().toUtf8().size(), 260);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], button->url());
}

TEST_F(IconButtonTest, MenuIsShownAtBottomLeftAndDrawnPressedMeanwhile) {
    QMenu menu;
    menu.addAction("first");
    button->setMenu(&menu);
    bool pressedWhileShown = false;
    QPoint shownAt;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        QTimer::singleShot(0, [&] {
            pressedWhileShown = button->isMenuShown() && button->look().pressed;
            shownAt = menu.pos();
            menu.close();
        });
    });
    QStringList opened;
    button->setUrl("http://127.0.0.1/");
    button->setUrlOpener([&](const QString& u) { opened << u; });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(pressedWhileShown);
    EXPECT_EQ(shownAt, button->mapToGlobal(QPoint(0, 39)));
    EXPECT_FALSE(button->isMenuShown());
    EXPECT_TRUE(opened.isEmpty());  // the menu takes the click, not the URL
}

TEST(Icons, EveryResourceTheDialogsUseIsPainted) {
    test::app();
    const std::vector<int> expected{128, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 141, 142,
                                    143, 145, 146, 147, 149, 150, 152, 153, 154, 155, 156, 162};
    EXPECT_EQ(iconResources(), expected);
    for (int id : expected) {
        const QImage img = iconPixmap(id).toImage();
        ASSERT_EQ(img.size(), QSize(32, 32)) << id;
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) opaque += img.pixelColor(x, y).alpha() > 128 ? 1 : 0;
        EXPECT_GT(opaque, 60) << "icon " << id << " is nearly empty";
    }
    EXPECT_TRUE(iconPixmap(140).isNull());
    // Open and Close icons differ from each other and between COM and USB.
    EXPECT_NE(iconPixmap(130).toImage(), iconPixmap(135).toImage());
    EXPECT_NE(iconPixmap(130).toImage(), iconPixmap(142).toImage());

    // A sheet of all icons at twice their size, for looking at.
    QImage sheet(int(expected.size()) * 68, 68, QImage::Format_ARGB32);
    sheet.fill(QColor(240, 240, 240));
    QPainter p(&sheet);
    for (size_t i = 0; i < expected.size(); ++i)
        p.drawPixmap(int(i) * 68 + 2, 2, iconPixmap(expected[i], {64, 64}));
    p.end();
    test::saveScreenshot(sheet, "icons");
}

}  // namespace
}  // namespace setrion::gui
