// calendar: what a recording folder's calendar file says, minute by minute; --rebuild writes it
// again from the folder's pairs.
#include <cstdio>
#include <string>

#include "media/calendar_file.h"
#include "media/calendar_rebuild.h"
#include "media/wall_time.h"
#include "player/player_strings.h"
#include "tools/umvtool/command.h"
#include "tools/umvtool/printable.h"

namespace umvtool {
namespace {

int Rebuild(const std::string& folder) {
    const media::RebuildResult r = media::RebuildCalendar(folder);
    switch (r.error) {
        case media::RebuildError::kNone:
            std::printf("calendar: %s\npairs: %zu\nminutes: %zu\n", Printable(r.path).c_str(),
                        r.pairs, r.minutes);
            return kExitOk;
        case media::RebuildError::kNoPairs:
            return FailFile(folder, "no recording (.umv) to rebuild the calendar from");
        case media::RebuildError::kCannotRead:
            return FailFile(r.path, player::PlayerStrings().Str(player::kTextFileCantOpened));
        case media::RebuildError::kCannotWrite:
            return FailFile(r.path, "cannot write the calendar file");
    }
    return kExitFailure;
}

}  // namespace

int RunCalendar(std::span<char* const> words) {
    Args args(words, {}, {"rebuild"});
    if (!args.ok()) return UsageError("calendar", args.error());
    if (args.positional().size() != 1) return UsageError("calendar", "expected one FOLDER");
    const std::string& folder = args.positional()[0];
    if (args.has("rebuild")) return Rebuild(folder);
    media::Calendar calendar;
    if (!calendar.LoadFolder(folder))
        return FailFile(folder, player::PlayerStrings().Str(player::kTextImproperFileType));

    const media::CalendarHeader& header = calendar.header();
    std::string out = "recorder: " + Printable(header.recorderName) + "\n";
    out += "channels: " + std::to_string(header.channels) + "\n";
    for (int c = 0; c < media::kCalendarChannels; ++c)
        if (!header.titles[c].empty())
            out += "title " + std::to_string(c + 1) + ": " + Printable(header.titles[c]) + "\n";
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
