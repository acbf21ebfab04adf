#include "client/app/search/calendar_search.h"

#include <algorithm>
#include <cstdio>

#include "media/wall_time.h"

namespace client::search {
namespace {

int64_t DayStart(const ui::CalendarDate& date) {
    return media::WallTimeOf(date.year - 1900, date.month - 1, date.day, 0, 0, 0);
}

ui::CalendarDate DateOf(int64_t wallTime) {
    const media::CivilTime t = media::BreakWallTime(wallTime);
    return {t.year, t.month, t.day};
}

SlotCode CodeOfMinute(const media::RecordedMinute& m) {
    SlotCode code = SlotCode::None;
    for (uint8_t c : m.codes) {
        // Per channel: 0 nothing, 1 forced, 2 motion, 3 sensor, 4 a cause no recorder writes.
        const SlotCode s = c == 0   ? SlotCode::None
                           : c == 2 ? SlotCode::Motion
                           : c == 3 ? SlotCode::Sensor
                                    : SlotCode::Manual;
        code = std::max(code, s);
    }
    return code;
}

}  // namespace

std::string SelectionText(const TimePoint& point) {
    const int minutes = std::clamp(point.slot, 0, kLastSlot) * kSlotMinutes;
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d00", point.date.year, point.date.month,
                  point.date.day, minutes / 60, minutes % 60);
    return text;
}

bool ParseSelectionText(std::string_view text, TimePoint* point) {
    if (text.size() != 14 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    auto number = [&](size_t at, size_t n) {
        int v = 0;
        for (size_t i = at; i < at + n; ++i)
            v = v * 10 + (text[i] - '0');
        return v;
    };
    const ui::CalendarDate date{number(0, 4), number(4, 2), number(6, 2)};
    const int hour = number(8, 2), minute = number(10, 2), second = number(12, 2);
    if (date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > ui::DaysInMonth(date.year, date.month) || hour > 23 || minute > 59 ||
        second > 59)
        return false;
    point->date = date;
    point->slot = (hour * 60 + minute) / kSlotMinutes;
    return true;
}

bool CalendarSearch::SetCalendarData(std::span<const uint8_t> bytes) {
    if (calendar_.Parse(bytes)) return true;
    calendar_.Clear();
    return false;
}

void CalendarSearch::SetDVRChannel(unsigned count) {
    channels_ = count == 4 || count == 8 ? static_cast<int>(count) : 16;
}

std::array<bool, 42> CalendarSearch::Marks(int year, int month) const {
    std::array<bool, 42> marks{};
    const media::CalendarMonth grid = calendar_.Month(year, month);
    for (size_t i = 0; i < marks.size(); ++i)
        marks[i] = grid.dayCells[i] != 0;
    return marks;
}

std::array<SlotCode, kSlotsPerDay> CalendarSearch::DaySlots(const ui::CalendarDate& date) const {
    std::array<SlotCode, kSlotsPerDay> slots{};
    const int64_t start = DayStart(date);
    const auto& minutes = calendar_.minutes();
    auto it =
        std::lower_bound(minutes.begin(), minutes.end(), start,
                         [](const media::RecordedMinute& m, int64_t t) { return m.minute < t; });
    for (; it != minutes.end() && it->minute < start + 86400; ++it) {
        SlotCode& slot = slots[static_cast<size_t>((it->minute - start) / 60 / kSlotMinutes)];
        slot = std::max(slot, CodeOfMinute(*it));
    }
    return slots;
}

TimeRange CalendarSearch::InitialRange(const ui::CalendarDate& today) const {
    TimePoint start;
    if (ParseSelectionText(preselected_, &start)) {
        start.slot = std::min(start.slot, kLastSlot - 1);
        return {start, {start.date, std::min(start.slot + 60 / kSlotMinutes, kLastSlot)}};
    }
    if (calendar_.empty()) return {{today, 0}, {today, kLastSlot}};
    const ui::CalendarDate day = DateOf(calendar_.latest());
    const auto codes = DaySlots(day);
    int first = 0, last = kLastSlot;
    while (first < kLastSlot && codes[static_cast<size_t>(first)] == SlotCode::None)
        ++first;
    while (last > first && codes[static_cast<size_t>(last)] == SlotCode::None)
        --last;
    // The end marker stands after the last recorded slot, and always right of the start.
    first = std::min(first, kLastSlot - 1);
    last = std::clamp(last + 1, first + 1, kLastSlot);
    return {{day, first}, {day, last}};
}

}  // namespace client::search
