// Arbitrary calendar-file bytes: the reader and the calendar's queries.
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/calendar_file.h"
#include "media/wall_time.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    media::Calendar calendar;
    if (!calendar.Parse(std::span(data, size)) || calendar.empty()) return 0;
    (void)calendar.monthSpan();
    for (int64_t t : {calendar.earliest(), calendar.latest()}) {
        const media::CivilTime c = media::BreakWallTime(t);
        (void)calendar.Month(c.year, c.month);
        (void)calendar.HourCodes(c.year, c.month, c.day, c.hour, data[0] % 16);
        (void)calendar.CodeAt(t, data[size - 1] % 17);
    }
    return 0;
}
