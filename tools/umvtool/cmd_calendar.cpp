// calendar: what a recording folder's calendar file says, minute by minute.
#include <cstdio>
#include <string>

#include "media/calendar_file.h"
#include "media/wall_time.h"
#include "player/player_strings.h"
#include "tools/umvtool/command.h"

namespace umvtool {

int RunCalendar(std::span<char* const> words) {
    Args args(words, {}, {});
    if (!args.ok()) return UsageError("calendar", args.error());
    if (args.positional().size() != 1) return UsageError("calendar", "expected one FOLDER");
    media::Calendar calendar;
    if (!calendar.LoadFolder(args.positional()[0]))
        return Fail(player::PlayerStrings().Str(player::kTextImproperFileType));

    const media::CalendarHeader& header = calendar.header();
    std::string out = "recorder: " + header.recorderName + "\n";
    out += "channels: " + std::to_string(header.channels) + "\n";
    for (int c = 0; c < media::kCalendarChannels; ++c)
        if (!header.titles[c].empty())
            out += "title " + std::to_string(c + 1) + ": " + header.titles[c] + "\n";
    // One character per channel: nothing, forced, motion, sensor, and '?' for the code that
    // recorders never write.
    static constexpr char kCodes[] = {'.', 'F', 'M', 'S', '?'};
    for (const media::RecordedMinute& m : calendar.minutes()) {
        out += media::FormatWallTime(m.minute).substr(0, 16);
        out += ' ';
        for (uint8_t code : m.codes)
            out += kCodes[code];
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kExitOk;
}

}  // namespace umvtool
