#include "ui/calendar_model.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(CalendarDate, LeapYearsFollowTheGregorianRule) {
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DayOfWeek({2026, 3, 1}), 0);    // a Sunday
    EXPECT_EQ(DayOfWeek({1969, 12, 31}), 3);  // before the epoch too
    EXPECT_EQ(AddDays({2024, 2, 28}, 1), (CalendarDate{2024, 2, 29}));
    EXPECT_EQ(AddDays({2026, 1, 1}, -1), (CalendarDate{2025, 12, 31}));
}

TEST(CalendarModel, GridStartsOnTheSundayBeforeTheFirst) {
    CalendarModel model;
    model.SetDate({2026, 12, 8});  // 1 December 2026 is a Tuesday
    EXPECT_EQ(model.Cell(0).date, (CalendarDate{2026, 11, 29}));
    EXPECT_EQ(model.Cell(0).kind, DayKind::OtherMonth);
    EXPECT_EQ(model.Cell(2).date, (CalendarDate{2026, 12, 1}));
    EXPECT_EQ(model.Cell(2).kind, DayKind::ShownMonth);
    EXPECT_EQ(model.Cell(41).date, (CalendarDate{2027, 1, 9}));
    EXPECT_EQ(model.SelectedCell(), 9);
    EXPECT_TRUE(model.Cell(9).selected);
}

TEST(CalendarModel, MonthStartingOnSundayShowsAWholePreviousWeekFirst) {
    CalendarModel model;
    model.SetDate({2026, 3, 14});  // 1 March 2026 is a Sunday
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(model.Cell(i).date, (CalendarDate{2026, 2, 22 + i}));
        EXPECT_EQ(model.Cell(i).kind, DayKind::OtherMonth);
    }
    EXPECT_EQ(model.Cell(7).date, (CalendarDate{2026, 3, 1}));
}

TEST(CalendarModel, PagingBackFromTheThirtyFirstClampsToTheEndOfFebruary) {
    CalendarModel leap;
    leap.SetDate({2024, 3, 31});
    leap.PageMonth(-1);
    EXPECT_EQ(leap.SelectedDate(), (CalendarDate{2024, 2, 29}));
    EXPECT_EQ(leap.ShownMonth(), 2);
    EXPECT_TRUE(leap.Cell(leap.SelectedCell()).selected);
    EXPECT_EQ(leap.Cell(leap.SelectedCell()).date, (CalendarDate{2024, 2, 29}));

    CalendarModel common;
    common.SetDate({2026, 3, 31});
    common.PageMonth(-1);
    EXPECT_EQ(common.SelectedDate(), (CalendarDate{2026, 2, 28}));
}

TEST(CalendarModel, PagingAcrossTheYearBoundary) {
    CalendarModel model;
    model.SetDate({2026, 12, 31});
    model.PageMonth(1);
    EXPECT_EQ(model.ShownYear(), 2027);
    EXPECT_EQ(model.ShownMonth(), 1);
    EXPECT_EQ(model.SelectedDate(), (CalendarDate{2027, 1, 31}));
    model.PageMonth(-1);
    EXPECT_EQ(model.ShownYear(), 2026);
    EXPECT_EQ(model.ShownMonth(), 12);
}

TEST(CalendarModel, MarksShowOnlyInTheirMonthAndOnlyOnItsDays) {
    CalendarModel model;
    model.SetDate({2026, 12, 8});
    CalendarModel::Marks marks{};
    marks[0] = true;   // 29 November: not a day of the marked month
    marks[10] = true;  // 9 December
    model.SetMarks(2026, 12, marks);
    EXPECT_EQ(model.Cell(0).kind, DayKind::OtherMonth);
    EXPECT_EQ(model.Cell(10).kind, DayKind::WithRecordings);
    model.PageMonth(1);
    EXPECT_EQ(model.Cell(10).kind, DayKind::ShownMonth);
    model.PageMonth(-1);
    EXPECT_EQ(model.Cell(10).kind, DayKind::WithRecordings);
}

TEST(CalendarModel, PickingTakesDaysOfTheShownMonthOnly) {
    CalendarModel model;
    model.SetDate({2026, 12, 8});
    EXPECT_EQ(model.FirstSelectionCell(), 9);
    EXPECT_FALSE(model.PickCell(0));   // 29 November, greyed
    EXPECT_FALSE(model.PickCell(42));  // outside the grid
    EXPECT_EQ(model.SelectedDate(), (CalendarDate{2026, 12, 8}));
    EXPECT_TRUE(model.PickCell(20));
    EXPECT_EQ(model.SelectedDate(), (CalendarDate{2026, 12, 19}));
    EXPECT_FALSE(model.Cell(9).selected);
    EXPECT_TRUE(model.Cell(20).selected);
    EXPECT_EQ(model.FirstSelectionCell(), 9);
}

}  // namespace
}  // namespace ui
