// Wall time: the recorder's local date and time fields read as if they were UTC, as seconds
// since 1970 in 32 bits. Independent of the machine's time zone by construction.
#pragma once

#include <cstdint>
#include <string>

namespace media {

struct FrameHeader;

struct CivilTime {
    int year = 1970;  // full year
    int month = 1;    // 1..12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Seconds since 1970 of the broken-down fields read as UTC, normalising out-of-range fields
// exactly as timegm() does (month 12 is January of the next year, day 0 the last of the previous
// month). `year1900` counts from 1900 and `month0` from 0, as in the frame header.
int64_t WallTimeOf(int year1900, int month0, int day, int hour, int minute, int second);
// The same as stored in ".idx" and ".cdb" files: reduced to 32 bits.
uint32_t WallTime32(const FrameHeader& header);

// The fields of a wall time read as UTC.
CivilTime BreakWallTime(int64_t seconds);
// "%04d-%02d-%02d %02d:%02d:%02d".
std::string FormatWallTime(int64_t seconds);
std::string FormatCivil(const CivilTime& t);

// The indexers' plausibility test on broken-down fields (month from 0, so 12 still passes).
inline bool IsPlausibleTime(int month0, int day, int hour, int minute, int second) {
    return month0 <= 12 && day <= 31 && hour <= 23 && minute <= 59 && second <= 59;
}

// Parses "YYYY-MM-DD hh:mm:ss" (fields range-checked); false when malformed.
bool ParseCivil(const std::string& text, CivilTime* out);

}  // namespace media
