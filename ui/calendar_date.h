// Plain Gregorian dates for the calendar control and the time bar.
#pragma once

#include <compare>

namespace ui {

struct CalendarDate {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31

    auto operator<=>(const CalendarDate&) const = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// 0 = Sunday .. 6 = Saturday.
int DayOfWeek(const CalendarDate& date);
CalendarDate AddDays(const CalendarDate& date, int days);
// The same day number in the month `months` away, or that month's last day when it is shorter.
CalendarDate AddMonthsClamped(const CalendarDate& date, int months);

}  // namespace ui
