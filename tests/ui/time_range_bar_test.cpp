#include "ui/time_range_bar.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "widget_support.h"

namespace ui {
namespace {

constexpr CalendarDate kDay{2026, 3, 14};
constexpr CalendarDate kNextDay{2026, 3, 15};

// Minutes of an hour: markers 9 wide (bitmaps 316, 317), 20 pixels a slot.
class TimeRangeBarTest : public testing::Test {
  protected:
    TimeRangeBarTest() : bar_(nullptr), spy_(&bar_, &TimeRangeBar::scrolled) {
        bar_.resize(1209, 18);
        bar_.SetMarkerBitmaps(316, 317);
        bar_.SetRange(0, 59);
        bar_.SetShownDate(kDay);
        bar_.SetStart(10, kDay);
        bar_.SetEnd(30, kDay);
    }
    TimeRangeBar bar_;
    QSignalSpy spy_;
};

TEST_F(TimeRangeBarTest, DragOfTheStartStopsOneShortOfTheEnd) {
    QTest::mousePress(&bar_, Qt::LeftButton, {}, QPoint(203, 5));
    QTest::mouseMove(&bar_, QPoint(900, 5));
    QTest::mouseRelease(&bar_, Qt::LeftButton, {}, QPoint(1100, 5));
    EXPECT_EQ(bar_.Model().StartPosition(), 29);
    ASSERT_EQ(spy_.count(), 2);
    EXPECT_EQ(spy_[0][0].toInt(), 5);
    EXPECT_EQ(spy_[0][1].toInt(), 29);
    EXPECT_EQ(spy_[1][0].toInt(), 4);
}

TEST_F(TimeRangeBarTest, RightClickBeforeTheStartDateDoesNothing) {
    bar_.SetStart(10, kNextDay);
    QTest::mouseClick(&bar_, Qt::RightButton, {}, QPoint(804, 5));
    EXPECT_EQ(spy_.count(), 0);
    EXPECT_EQ(bar_.Model().EndPosition(), 30);
    bar_.SetShownDate(kNextDay);
    QTest::mouseClick(&bar_, Qt::RightButton, {}, QPoint(804, 5));
    ASSERT_EQ(spy_.count(), 1);
    EXPECT_EQ(spy_[0][1].toInt(), 40);
}

TEST_F(TimeRangeBarTest, DoubleClickSetsTheStartAndOnlyVisibleMarkersAreDrawn) {
    QTest::mouseDClick(&bar_, Qt::LeftButton, {}, QPoint(104, 5));
    EXPECT_EQ(bar_.Model().StartPosition(), 5);
    QImage picture = test::Picture(bar_);
    EXPECT_NE(picture.pixel(100 + 1, 1), picture.pixel(400, 1));  // start marker at 5
    bar_.SetShownDate(kNextDay);
    picture = test::Picture(bar_);
    EXPECT_EQ(picture.pixel(100 + 1, 1), picture.pixel(400, 1));
}

}  // namespace
}  // namespace ui
