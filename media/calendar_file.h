// The calendar file ".cdb" of a recording folder: a 439-byte header (recorder name, channel
// count, channel titles) followed by one 20-byte entry per recorded minute saying which channels
// have pictures in that minute and why they were recorded. The remote client writes it while it
// records; the player reads it to fill its calendar and time bar.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace media {

inline constexpr size_t kCalendarHeaderSize = 439;
inline constexpr size_t kDayEntrySize = 20;
inline constexpr size_t kCalendarNameMax = 12;   // recorder name, without its zero byte
inline constexpr size_t kChannelTitleSize = 13;  // one title with its zero byte
inline constexpr int kCalendarChannels = 16;

// The 2-bit cause codes of a DayEntry.
enum class MinuteCause : uint8_t { Forced = 0, Motion = 1, Sensor = 2 };

struct CalendarHeader {
    int channels = 16;         // the recorder's channel count: 4, 8, anything else means 16
    std::string recorderName;  // cut to 12 characters when written
    std::array<std::string, kCalendarChannels> titles;  // cut to 12 characters when written

    void Encode(uint8_t* out) const;  // kCalendarHeaderSize bytes
    // Magic "UD", version 1 and the zero bytes 435..438; false when any of them is wrong.
    static bool Decode(std::span<const uint8_t> bytes, CalendarHeader* out);

    // Rows of the time bar: 4 or 8 for those channel counts, otherwise 16.
    int timeBarRows() const { return channels == 4 || channels == 8 ? channels : 16; }
};

struct DayEntry {
    int32_t minute = 0;  // wall time (seconds since 1970 read as UTC) of the minute's start
    uint32_t mask = 0;   // bit i: channel i has pictures in this minute
    uint8_t causes[4] = {0, 0, 0, 0};  // channel i: byte i / 4, bits 2 x (i mod 4) and above

    // A video picture of `channel` recorded for `recordCause` (bits 0..2 of the header's cause
    // byte): marks the channel and, while its code is still 0, keeps the cause (3 counts as 0).
    void Note(int channel, int recordCause);
    int Cause(int channel) const { return (causes[channel / 4] >> (2 * (channel % 4))) & 3; }

    void Encode(uint8_t* out) const;  // kDayEntrySize bytes
    static DayEntry Decode(const uint8_t* bytes);
};

// Writes a calendar file: the header when it is created, then one entry per minute. Each entry
// reaches the file as soon as it is appended or updated.
class CalendarWriter {
  public:
    CalendarWriter() = default;
    ~CalendarWriter();
    CalendarWriter(const CalendarWriter&) = delete;
    CalendarWriter& operator=(const CalendarWriter&) = delete;

    // Creates the file and writes its header; false when that fails. A file of that name that
    // exists already is never replaced (false, and it stays as it was).
    bool Create(const std::string& path, const CalendarHeader& header);
    // Appends an entry; `slot` (when given) receives its number, 0 for the first.
    bool Append(const DayEntry& entry, size_t* slot = nullptr);
    // Writes entry number `slot` again with what `entry` now says (a minute that goes on).
    bool Update(size_t slot, const DayEntry& entry);
    // Pushes what was written to the disk (fdatasync).
    bool Sync();
    // Syncs and closes the file.
    bool Close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

  private:
    bool WriteAt(const uint8_t* bytes, size_t size, uint64_t offset);

    int fd_ = -1;
    uint64_t size_ = 0;
    std::string path_;
};

// One recorded minute as the player sees it: per channel 0 for nothing, else the cause code + 1
// (1 forced, 2 motion, 3 sensor, 4 a code the recorders do not write).
struct RecordedMinute {
    int64_t minute = 0;  // wall time of the minute's start
    std::array<uint8_t, kCalendarChannels> codes{};
};

// Days of one month that have recordings, laid out in the 6 x 7 grid of the calendar control:
// day d is cell w + d - 1 with w the weekday of the 1st (Monday 1 ... Sunday 7).
struct CalendarMonth {
    int year = 0;
    int month = 0;  // 1..12
    std::array<uint8_t, 42> dayCells{};
};

// The player's calendar of one recording folder. It keeps one record per recorded minute and
// one day grid per month that has recordings, so its size follows the file, not the span of
// time the file claims to cover.
class Calendar {
  public:
    // False (and an empty calendar) when the bytes are not a calendar file.
    bool Parse(std::span<const uint8_t> bytes);
    bool LoadFile(const std::string& path);
    // Loads the first "*.cdb" of the folder (by name); false when there is none or it is bad.
    bool LoadFolder(const std::string& folder);
    void Clear();

    const CalendarHeader& header() const { return header_; }
    bool empty() const { return minutes_.empty(); }
    // Recorded minutes in time order; entries of the same minute are merged, later ones
    // overriding the channels they name.
    const std::vector<RecordedMinute>& minutes() const { return minutes_; }
    int64_t earliest() const { return minutes_.empty() ? 0 : minutes_.front().minute; }
    int64_t latest() const { return minutes_.empty() ? 0 : minutes_.back().minute; }
    // Months from the earliest minute's to the latest minute's, both included.
    int monthSpan() const;
    // The day grid of a month (all zero for a month without recordings).
    CalendarMonth Month(int year, int month) const;
    // Codes (see RecordedMinute) of one channel for the 60 minutes of an hour.
    std::array<uint8_t, 60> HourCodes(int year, int month, int day, int hour, int channel) const;
    // The code of one channel in the minute that contains `wallTime`.
    uint8_t CodeAt(int64_t wallTime, int channel) const;

    // Cell of day `day` in the month grid.
    static int DayCell(int year, int month, int day);
    // "*.cdb" file of a folder that a reader takes, or "" when it has none.
    static std::string FindInFolder(const std::string& folder);

  private:
    CalendarHeader header_;
    std::vector<RecordedMinute> minutes_;
    std::vector<CalendarMonth> months_;  // only months with recordings, in time order
};

}  // namespace media
