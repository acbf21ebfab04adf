// A recorder's calendar answer (MODE 7) for tests: the calendar header of a 4-channel recorder,
// then one entry per recorded minute of one channel with its cause.
#pragma once

#include <cstdint>
#include <vector>

#include "media/calendar_file.h"
#include "media/wall_time.h"

namespace client::search::test {

struct Minute {
    int64_t at;  // wall time of the minute
    int channel;
    int cause;
};

inline int64_t At(int year, int month, int day, int hour, int minute) {
    return media::WallTimeOf(year - 1900, month - 1, day, hour, minute, 0);
}

inline std::vector<uint8_t> CalendarAnswer(const std::vector<Minute>& minutes) {
    std::vector<uint8_t> bytes(media::kCalendarHeaderSize);
    media::CalendarHeader header;
    header.channels = 4;
    header.recorderName = "Lobby";
    header.Encode(bytes.data());
    for (const Minute& m : minutes) {
        media::DayEntry e;
        e.minute = static_cast<int32_t>(m.at);
        e.Note(m.channel, m.cause);
        uint8_t raw[media::kDayEntrySize];
        e.Encode(raw);
        bytes.insert(bytes.end(), raw, raw + sizeof raw);
    }
    return bytes;
}

}  // namespace client::search::test
