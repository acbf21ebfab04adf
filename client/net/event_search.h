// The recorder's answer to an event search (MODE 4): one line per recording file, ended by a line
// feed, fields separated by commas: the file's path on the recorder, its end time, fields the
// client does not read, and the event type last. The path carries the start time (characters
// 25..37, YYMMDD_hhmmss) and the 0-based channel (characters 39..40).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace client {

struct SearchEntry {
    std::string path;   // whole first field: names the file for playback and download
    std::string start;  // "YY-MM-DD hh:mm:ss", or empty when the path is 44 characters or shorter
    std::string end;    // "YY-MM-DD hh:mm:ss", or empty when the field is 11 characters or shorter
    std::string channel;  // the channel counted from 1, or empty
    std::string event;    // "Forced", "Motion", "Sensor" or empty

    // The path is long enough to carry the start time and the channel.
    bool complete() const { return !start.empty(); }
};

inline constexpr size_t kSearchPathMin = 45;
inline constexpr size_t kSearchStartAt = 25;
inline constexpr size_t kSearchChannelAt = 39;

// Every line that ends with a line feed; text after the last line feed is not an entry, nor is a
// line with an empty first field.
std::vector<SearchEntry> ParseEventSearch(std::span<const uint8_t> body);
std::vector<SearchEntry> ParseEventSearch(std::string_view body);

// The event type names: 0 and 3 "Forced", 1 "Motion", 2 "Sensor", anything else empty.
std::string_view EventName(std::string_view code);
// "YYMMDD_hhmmss" -> "YY-MM-DD hh:mm:ss".
std::string StartTimeDisplay(std::string_view thirteen);
// "YYMMDDhhmmss" -> "YY-MM-DD hh:mm:ss".
std::string EndTimeDisplay(std::string_view twelve);

}  // namespace client
