#include "gui/qt/xp_group_box.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "tests/gui/qt_app.h"

namespace setrion::gui {
namespace {

class GroupBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::app(); }
    void SetUp() override {
        box.resize(200, 80);
        box.setBorderColour(QColor(255, 0, 0));
        box.setBackgroundColour(QColor(0, 255, 0));
    }
    int captionHeight() const { return QFontMetrics(box.boxFont()).height(); }
    CXPGroupBox box;
};

TEST_F(GroupBoxTest, EmptyCaptionFrameStartsAtTopOfArea) {
    const CXPGroupBox::Geometry g = box.geometryFor();
    EXPECT_EQ(g.area, QRect(1, 1, 198, 78));
    EXPECT_EQ(g.frame.top(), 1);
    EXPECT_TRUE(g.caption.isEmpty());
    const QImage img = test::render(box);
    for (int x = 20; x < 180; x += 10) EXPECT_EQ(test::px(img, x, 1), test::rgb(QColor(255, 0, 0))) << x;
}

TEST_F(GroupBoxTest, CaptionIsStoredWithBlanksAndMeasuredWithThem) {
    box.setCaption("Ports");
    EXPECT_EQ(box.caption(), QString(" Ports "));
    const QFontMetrics fm(box.boxFont());
    const CXPGroupBox::Geometry g = box.geometryFor();
    EXPECT_EQ(g.caption.width(), fm.horizontalAdvance(" Ports "));
    EXPECT_GT(g.caption.width(), fm.horizontalAdvance("Ports"));
    EXPECT_EQ(g.caption.left(), 11);  // 10 pixels into the area
    EXPECT_EQ(g.frame.top(), 1 + captionHeight() / 2);
}

TEST_F(GroupBoxTest, FrameLineIsBrokenByTheCaption) {
    box.setCaption("Ports");
    const CXPGroupBox::Geometry g = box.geometryFor();
    const QImage img = test::render(box);
    const int y = g.frame.top();
    for (int x = g.caption.left(); x <= g.caption.right(); ++x)
        EXPECT_NE(test::px(img, x, y), test::rgb(QColor(255, 0, 0))) << "frame drawn through caption at " << x;
    EXPECT_EQ(img.pixelColor(g.caption.left() + 1, g.caption.top()), QColor(0, 255, 0));
    for (int x = g.caption.right() + 3; x < 185; x += 7)
        EXPECT_EQ(test::px(img, x, y), test::rgb(QColor(255, 0, 0))) << x;
    EXPECT_EQ(test::px(img, 1, 40), test::rgb(QColor(255, 0, 0)));     // left side of the frame
    EXPECT_EQ(test::px(img, 198, 40), test::rgb(QColor(255, 0, 0)));   // right side
}

TEST_F(GroupBoxTest, WindowTextServesAsCaptionWhenNoneIsSet) {
    box.setWindowText("Emulation Settings");
    box.geometryFor();
    EXPECT_EQ(box.caption(), QString(" Emulation Settings "));
    box.setCaption("Other");
    EXPECT_EQ(box.caption(), QString(" Other "));
}

TEST_F(GroupBoxTest, BoldOffAfterOnGivesWeight400) {
    box.setBold(true);
    EXPECT_EQ(box.boxFont().weight(), 700);
    box.setBold(false);
    EXPECT_EQ(box.boxFont().weight(), 400);
}

TEST_F(GroupBoxTest, FontSettersChangeOnlyTheirField) {
    box.setBold(true);
    box.setItalic(true);
    box.setUnderline(true);
    box.setFontSize(14);
    EXPECT_EQ(box.boxFont().pointSize(), 14);
    EXPECT_EQ(box.boxFont().weight(), 700);
    EXPECT_TRUE(box.boxFont().italic());
    EXPECT_TRUE(box.boxFont().underline());
}

TEST_F(GroupBoxTest, AlignmentOutOfRangeIsLeft) {
    box.setCaption("Ports");
    const int cx = box.geometryFor().caption.width();
    box.setAlignment(1);
    EXPECT_EQ(box.alignment(), 1);
    EXPECT_EQ(box.geometryFor().caption.left(), 1 + (198 - cx) / 2);
    box.setAlignment(2);
    EXPECT_EQ(box.geometryFor().caption.right(), 198 - 10);
    box.setAlignment(5);
    EXPECT_EQ(box.alignment(), 0);
    EXPECT_EQ(box.geometryFor().caption.left(), 11);
}

TEST_F(GroupBoxTest, WindowStyleFillsBodyBelowCaptionBand) {
    box.setCaption("Ports");
    box.setBackgroundColours(QColor(0, 255, 0), QColor(0, 0, 255));
    box.setBoxStyle(1);
    const CXPGroupBox::Geometry g = box.geometryFor();
    EXPECT_EQ(g.caption.topLeft(), QPoint(3, 3));
    EXPECT_EQ(g.frame.top(), 1 + captionHeight() + 4);
    const QImage img = test::render(box);
    EXPECT_EQ(test::px(img, 100, g.frame.top()), test::rgb(QColor(255, 0, 0)));
    EXPECT_EQ(test::px(img, 100, 70), test::rgb(QColor(0, 0, 255)));
    box.setBoxStyle(3);
    EXPECT_EQ(box.boxStyle(), 0);
}

TEST_F(GroupBoxTest, EverySetterRedraws) {
    const int before = box.redrawCount();
    box.setBorderColour(Qt::black);
    box.setCaptionTextColour(QColor(16, 140, 231));
    box.setBackgroundColours(Qt::white, Qt::white);
    box.setBoxStyle(0);
    box.setCaption("x");
    box.setBold(true);
    box.setFontName("Sans");
    box.setUnderline(false);
    box.setItalic(false);
    box.setFontSize(9);
    box.setFontDescription(QFont());
    box.setAlignment(0);
    EXPECT_EQ(box.redrawCount() - before, 12);
    EXPECT_EQ(box.captionTextColour(), QColor(16, 140, 231));
}

}  // namespace
}  // namespace setrion::gui
