// What the calendar search dialog knows and decides, without widgets: the recorder's recording
// calendar (its MODE 7 answer, in the layout of a ".cdb" calendar file), the days and the parts of
// a day that hold recordings, the recorder's channel count, and the selected range as the texts
// the recorder takes ("YYYYMMDDhhmmss").
//
// The time bar of the dialog covers one day in slots of five minutes; a marker in slot s stands
// for the time s x 5 minutes after midnight.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "media/calendar_file.h"
#include "ui/calendar_date.h"

namespace client::search {

inline constexpr int kSlotMinutes = 5;
inline constexpr int kSlotsPerDay = 24 * 60 / kSlotMinutes;
inline constexpr int kLastSlot = kSlotsPerDay - 1;

// What a slot of a day holds, the strongest cause of any channel winning.
enum class SlotCode : uint8_t { None = 0, Manual = 1, Motion = 2, Sensor = 3 };

// One end of the selected range.
struct TimePoint {
    ui::CalendarDate date;
    int slot = 0;
    auto operator<=>(const TimePoint&) const = default;
};

struct TimeRange {
    TimePoint start;
    TimePoint end;
};

// "YYYYMMDDhhmm00" of a point.
std::string SelectionText(const TimePoint& point);
// A selection text back into a point (seconds and minutes rounded down to the slot); false when
// the text is not 14 digits of a real date and time.
bool ParseSelectionText(std::string_view text, TimePoint* point);

class CalendarSearch {
  public:
    // The recorder's calendar; false (and nothing marked) when the bytes are not a calendar.
    bool SetCalendarData(std::span<const uint8_t> bytes);
    // The time the dialog opens on ("YYYYMMDDhhmmss"), empty for a new search.
    void SetPreSelectedTime(std::string text) { preselected_ = std::move(text); }
    const std::string& preselectedTime() const { return preselected_; }
    // The recorder's channel count: 4 or 8, anything else counts as 16.
    void SetDVRChannel(unsigned count);
    int channels() const { return channels_; }

    bool empty() const { return calendar_.empty(); }
    const media::Calendar& calendar() const { return calendar_; }
    // Flags of the 42 cells of a month's grid (the calendar control's layout): the days with
    // recordings.
    std::array<bool, 42> Marks(int year, int month) const;
    // What each slot of a day holds.
    std::array<SlotCode, kSlotsPerDay> DaySlots(const ui::CalendarDate& date) const;

    // The range the dialog opens with: from the preselected time (an hour from it); otherwise the
    // recordings of the latest day that has any; otherwise the whole of `today`.
    TimeRange InitialRange(const ui::CalendarDate& today) const;

  private:
    media::Calendar calendar_;
    std::string preselected_;
    int channels_ = 16;
};

}  // namespace client::search
