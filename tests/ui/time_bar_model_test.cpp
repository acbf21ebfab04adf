#include "ui/time_bar_model.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

constexpr CalendarDate kDay{2026, 3, 14};
constexpr CalendarDate kNextDay{2026, 3, 15};

// Minutes of an hour on a bar 1,209 pixels wide with 9-pixel markers: 20 pixels a slot.
TimeBarModel HourBar() {
    TimeBarModel bar;
    bar.SetRange(0, 59);
    bar.SetGeometry(1209, 9, 16);
    bar.SetShownDate(kDay);
    bar.SetStart(10, kDay);
    bar.SetEnd(30, kDay);
    return bar;
}

TEST(TimeBarModel, SlotArithmetic) {
    const TimeBarModel bar = HourBar();
    EXPECT_EQ(bar.SlotWidth(), 20);
    EXPECT_EQ(bar.MarkerX(10), 200);
    EXPECT_EQ(bar.PositionFromX(4), 0);  // half a marker in
    EXPECT_EQ(bar.PositionFromX(204), 10);
    EXPECT_EQ(bar.PositionFromX(5000), 59);  // clamped
    EXPECT_EQ(bar.PositionFromX(-50), 0);
}

TEST(TimeBarModel, DraggingTheStartReportsEachChangeThenTheEnd) {
    TimeBarModel bar = HourBar();
    ASSERT_TRUE(bar.LeftPress(203, 5));
    EXPECT_EQ(bar.Dragging(), TimeBarMarker::Start);
    EXPECT_EQ(bar.DragTo(244), (TimeBarNotice{5, 12}));
    EXPECT_EQ(bar.DragTo(245), std::nullopt);  // same position
    const auto release = bar.LeftRelease(284);
    EXPECT_EQ(release.changed, (TimeBarNotice{5, 14}));
    EXPECT_EQ(release.ended, (TimeBarNotice{4, 14}));
    EXPECT_EQ(bar.StartPosition(), 14);
    EXPECT_EQ(bar.Dragging(), TimeBarMarker::None);
}

TEST(TimeBarModel, AClickWithoutMovementEndsWithoutNotices) {
    TimeBarModel bar = HourBar();
    ASSERT_TRUE(bar.LeftPress(603, 5));  // the end marker
    const auto release = bar.LeftRelease(604);
    EXPECT_FALSE(release.changed);
    EXPECT_FALSE(release.ended);
    EXPECT_FALSE(bar.LeftPress(400, 5));  // no marker there
}

TEST(TimeBarModel, StartDraggedOntoTheEndStopsOnePositionShort) {
    TimeBarModel bar = HourBar();
    ASSERT_TRUE(bar.LeftPress(203, 5));
    EXPECT_EQ(bar.DragTo(1000), (TimeBarNotice{5, 29}));
    EXPECT_EQ(bar.EndPosition(), 30);
    ASSERT_TRUE(bar.LeftRelease(1000).ended);
    // And the end cannot pass the start either.
    ASSERT_TRUE(bar.LeftPress(603, 5));
    EXPECT_EQ(bar.DragTo(0), std::nullopt);  // already one right of the start
    EXPECT_EQ(bar.EndPosition(), 30);
}

TEST(TimeBarModel, MarkersOnOtherDatesAreHiddenAndNotDraggable) {
    TimeBarModel bar = HourBar();
    bar.SetEnd(5, kNextDay);
    EXPECT_FALSE(bar.EndVisible());
    EXPECT_FALSE(bar.LeftPress(103, 5));
    // On different dates the markers are not kept apart: the start may go past the end's position.
    ASSERT_TRUE(bar.LeftPress(203, 5));
    EXPECT_EQ(bar.DragTo(604), (TimeBarNotice{5, 30}));
}

TEST(TimeBarModel, DoubleClickSetsTheStartUnlessTheEndIsEarlier) {
    TimeBarModel bar = HourBar();
    bar.SetShownDate(kNextDay);
    EXPECT_EQ(bar.LeftDoubleClick(404), std::nullopt);  // end on the day before
    EXPECT_EQ(bar.StartDate(), kDay);
    bar.SetEnd(40, kNextDay);
    EXPECT_EQ(bar.LeftDoubleClick(404), (TimeBarNotice{5, 20}));
    EXPECT_EQ(bar.StartDate(), kNextDay);
}

TEST(TimeBarModel, RightClickBeforeTheStartDateDoesNothing) {
    TimeBarModel bar = HourBar();
    bar.SetStart(10, kNextDay);
    bar.SetShownDate(kDay);
    EXPECT_EQ(bar.RightPress(804), std::nullopt);
    EXPECT_EQ(bar.EndPosition(), 30);
    bar.SetShownDate(kNextDay);
    EXPECT_EQ(bar.RightPress(804), (TimeBarNotice{5, 40}));
    EXPECT_EQ(bar.EndDate(), kNextDay);
    // A right click left of the start on the same date keeps the end one position right of it.
    EXPECT_EQ(bar.RightPress(4), (TimeBarNotice{5, 11}));
}

TEST(TimeBarModel, SeparationAtTheEndsOfTheRange) {
    TimeBarModel bar = HourBar();
    bar.SetEnd(0, kDay);  // cannot pass the start
    EXPECT_EQ(bar.EndPosition(), 11);
    bar.SetStart(0, kDay);
    bar.SetEnd(0, kDay);
    EXPECT_EQ(bar.EndPosition(), 1);
    // A start on the last position of another day, then the end set on that day: the start gives
    // way so both stay inside the range.
    bar.SetStart(59, kNextDay);
    bar.SetShownDate(kNextDay);
    EXPECT_EQ(bar.RightPress(1208), (TimeBarNotice{5, 59}));
    EXPECT_EQ(bar.StartPosition(), 58);
}

}  // namespace
}  // namespace ui
