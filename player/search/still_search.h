// The still search: finds captured still images in a folder by recorder name, date, channel and
// keyword, through the file-name patterns that the names are built for, and lists them as rows.
// A search over a big folder runs off the GUI thread; it reports progress through a callback
// and stops when asked.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace player {

// Channel criterion for pictures of several channels ("M" in names).
inline constexpr int kStillChannelMulti = 255;

struct StillDate {
    int year = 0;  // full year
    int month = 0;
    int day = 0;
    bool operator==(const StillDate&) const = default;
};

struct StillCriteria {
    std::string recorder;           // empty: any
    std::optional<StillDate> date;  // none: any
    int channel = 0;                // 0 any, 1..16, or kStillChannelMulti
    std::string keyword;            // empty: any
};

// The name patterns of a search (without the folder). Patterns that name the recorder fix the
// time field to 14 characters; a second pattern with 13 characters follows them so that the
// names this system writes ("yymmdd_hhmmss") are found too.
std::vector<std::string> StillPatterns(const StillCriteria& criteria);

// Full year of a two-digit year in a still's name: 20yy, or 19yy when that would pass 2038.
int StillYear(int twoDigits);

// The date carried by a still's name (six digits after the first comma, or at the first
// comma + 8); none when the name does not carry one or is 20 characters or shorter.
std::optional<StillDate> StillNameDate(std::string_view fileName);

struct StillRow {
    std::string recorder;
    std::string time;  // "yy-mm-dd hh:mm:ss"
    std::string channel;
    std::string keyword;
    std::string path;  // folder + file name
};
// The row of a still's name (missing fields stay empty).
StillRow MakeStillRow(const std::string& folder, std::string_view fileName);

// "1,234,567".
std::string GroupThousands(uint64_t value);

// Names of the ".jpg" files (any case) of a folder, in name order.
std::vector<std::string> ListStillFiles(const std::string& folder);

// Distinct recorder names of the folder's stills (text before the first comma of names that
// follow the still-name rule), in name order.
std::vector<std::string> StillRecorderNames(const std::vector<std::string>& fileNames);

enum class StillSearchStatus { kDone, kNoFiles, kStopped };

struct StillSearchResult {
    StillSearchStatus status = StillSearchStatus::kDone;
    size_t matched = 0;  // files that matched the patterns
    std::vector<StillRow> rows;
};

class StillSearch {
  public:
    // Called with (files handled, files matched) after every file, from the searching thread.
    using Progress = std::function<void(size_t done, size_t total)>;

    // Searches `folder` (ending in a separator). `stop` may be set from another thread.
    static StillSearchResult Run(const std::string& folder, const StillCriteria& criteria,
                                 const std::atomic<bool>& stop, const Progress& progress = {});
    // The same over a listing already made.
    static StillSearchResult Run(const std::string& folder,
                                 const std::vector<std::string>& fileNames,
                                 const StillCriteria& criteria, const std::atomic<bool>& stop,
                                 const Progress& progress = {});
    // The counter text of the progress dialog: "12 / 1,234".
    static std::string CounterText(size_t done, size_t total);
    // Steps of the progress bar: one per 30 files, rounded up.
    static size_t ProgressSteps(size_t total) { return (total + 29) / 30; }
};

}  // namespace player
