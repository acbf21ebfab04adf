// What the user chooses before a local recording starts: the channels, how the recording ends and a
// keyword; with the rules the recording settings dialog applies to them.
#pragma once

#include <array>
#include <ctime>
#include <string>
#include <string_view>

#include "client/app/settings/client_settings.h"

namespace client {

inline constexpr int kRecordingChannels = 16;

struct RecordingChoice {
    std::array<bool, kRecordingChannels> channels{};
    RecordingEndType endType = RecordingEndType::kContinuous;
    int durationMinutes = kRecordingDurations.front();  // for kDuration
    std::time_t endMoment = 0;                          // for kEndTime: seconds since 1970
    std::string keyword;

    int ChosenChannelCount() const;
    // The recording view: -1 when no channel is chosen, the channel (0..15) when one is, 22 (all
    // sixteen panes) when several are.
    int RecordingView() const;
};

// How many channel boxes can be chosen on a recorder with `channelCount` channels (4, 8 or 16;
// anything else is kept within 0..16). The first that many start checked.
int SelectableChannelBoxes(int channelCount);

// A date and a time of day (minutes) in local time, as the date and time pickers give them.
struct LocalDate {
    int year = 1970;  // e.g. 2026
    int month = 1;    // 1..12
    int day = 1;      // 1..31
};
struct EndChoice {
    LocalDate date;
    int hour = 0;
    int minute = 0;
};

// False when the end lies in the past: a date before today's, or today's date with an hour and
// minute not later than the current ones. `now` is local time.
bool IsEndInFuture(const EndChoice& end, const std::tm& now);
// The end as seconds since 1970, with seconds 0 and daylight saving as the system decides.
std::time_t EndMomentOf(const EndChoice& end);
// What the dialog offers first: today, now plus 10 minutes (the date follows past midnight).
EndChoice DefaultEndChoice(std::time_t now);
// Local time of `t`.
std::tm LocalTimeOf(std::time_t t);

// The keyword may not hold * / , \ | : < > ? " (nor control characters): it is stored with the
// recording and must stay usable in file names.
bool IsKeywordCharacterAllowed(char32_t c);
// `utf8` without the characters above, cut to kRecordKeywordMaxLength characters.
std::string CleanKeyword(std::string_view utf8);

}  // namespace client
