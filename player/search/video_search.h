// The video search: which recorders and recording stretches lie under the record root, the
// colours of the hour and minute bars drawn from a folder's calendar, and which recording pair
// of a folder covers a chosen moment.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "media/calendar_file.h"
#include "platform/registry_store.h"

namespace player {

// The record root: "OrvRecordPath", else "RecordPath", else the user's data folder
// (platform::UserDataDirectory()) + "Record/" (stored as "RecordPath"). Always ends in a separator.
std::string RecordRootPath(platform::RegistryStore& store, const std::string& dataDir);
// Remembers the folder the user picked in the search dialog as "OrvRecordPath".
void StoreRecordRootPath(platform::RegistryStore& store, const std::string& root);

// Recorders and their recording stretches under a root. A stretch folder is named
// "<recorder>_<first pair's base name>" and holds a calendar file.
struct RecordingTree {
    // The root itself is a stretch folder: its own name gives the only recorder and start time.
    bool rootIsFolder = false;
    std::vector<std::string> recorders;  // distinct, in name order

    static RecordingTree Scan(const std::string& root);
    // Start times (base names of first pairs) of one recorder, in name order.
    std::vector<std::string> StartTimes(const std::string& root, const std::string& recorder) const;
    // The folder of one stretch, ending in a separator.
    std::string Folder(const std::string& root, const std::string& recorder,
                       const std::string& startTime) const;
};

// What a time-bar cell shows.
enum class BarColour : uint8_t {
    kNone,
    kForced,          // red
    kMotion,          // green
    kSensor,          // yellow
    kForcedSelected,  // cyan
    kMotionSelected,  // magenta
    kSensorSelected,  // blue
};
// 0xRRGGBB of a colour (kNone gives 0xFFFFFF, the bar's background).
uint32_t BarRgb(BarColour colour);

// The colour of a calendar code (1 or 4 forced, 2 motion, 3 sensor), selected or not.
BarColour ColourOfCode(uint8_t code, bool selected);

// Hour bar of a day: the cause with the most recorded minutes over all rows, ties going to
// forced, then motion, then sensor.
std::array<BarColour, 24> HourBar(const media::Calendar& calendar, int year, int month, int day,
                                  int rows);

// Minute bar of an hour: `rows` rows of 60 cells; minutes from `rangeStart` to `rangeEnd`
// (minutes of the hour, both included) are drawn in the selected colours.
std::vector<std::array<BarColour, 60>> MinuteBar(const media::Calendar& calendar, int year,
                                                 int month, int day, int hour, int rows,
                                                 int rangeStart, int rangeEnd);

// A recording pair of a folder and its start, read from the index file's title
// ("YYYYMMDD_hhmmss").
struct PairStart {
    std::string indexPath;
    int64_t start = 0;  // wall time
};
// Reads the start of a pair from its title; false when the title does not carry one.
bool ParsePairTitle(const std::string& title, int64_t* start);
// The folder's "*.idx" files with a readable title, in start order.
std::vector<PairStart> ListPairs(const std::string& folder);

// The pair to open for a chosen moment: the last whose start is at or before it; the first when
// the moment lies before every start. -1 when there is no pair.
int PairCovering(const std::vector<PairStart>& pairs, int64_t moment);

}  // namespace player
