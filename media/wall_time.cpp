#include "media/wall_time.h"

#include <cstdio>

#include "media/frame_header.h"

namespace media {
namespace {

// Days from 1970-01-01 to year-month-day of the proleptic Gregorian calendar (month 1..12).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

int64_t WallTimeOf(int year1900, int month0, int day, int hour, int minute, int second) {
    const int64_t years = FloorDiv(month0, 12);
    const int64_t month = month0 - years * 12;  // 0..11
    const int64_t days = DaysFromCivil(1900 + year1900 + years, month + 1, 1) + day - 1;
    return days * 86400 + int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
}

uint32_t WallTime32(const FrameHeader& h) {
    return static_cast<uint32_t>(WallTimeOf(h.year, h.month, h.day, h.hour, h.minute, h.second));
}

CivilTime BreakWallTime(int64_t seconds) {
    int64_t days = FloorDiv(seconds, 86400);
    int64_t rest = seconds - days * 86400;
    // Civil from days (inverse of DaysFromCivil).
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2);
    CivilTime t;
    t.year = static_cast<int>(y);
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::string FormatCivil(const CivilTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string FormatWallTime(int64_t seconds) {
    return FormatCivil(BreakWallTime(seconds));
}

bool ParseCivil(const std::string& text, CivilTime* out) {
    CivilTime t;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &tail) != 6)
        return false;
    if (t.year < 1900 || t.year > 2155 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 ||
        t.hour > 23 || t.minute > 59 || t.second > 59)
        return false;
    *out = t;
    return true;
}

}  // namespace media
