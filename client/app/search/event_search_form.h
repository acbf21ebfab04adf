// The event search form's values and the query the recorder is sent for them (MODE 4).
#pragma once

#include <string>

#include "media/wall_time.h"

namespace client::search {

// Event kinds of the form, in the order of its choices.
enum class EventKind : int { None = 0, Motion = 1, Sensor = 2 };

struct EventSearchForm {
    int channel = 0;  // 0-based
    media::CivilTime start;
    media::CivilTime end;
    EventKind event = EventKind::None;
};

// The years the query can carry: it sends two-digit years counted from 2000.
inline constexpr int kFirstSearchYear = 2000;
inline constexpr int kLastSearchYear = 2099;

// "MODE=4&STARTTIME=YYMMDDhhmmss&ENDTIME=YYMMDDhhmmss&CH=%d&EVENT=%d".
std::string EventSearchQuery(const EventSearchForm& form);

}  // namespace client::search
