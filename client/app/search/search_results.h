// The rows of the search result list: the recordings the recorder listed for an event search,
// each with its start, end, channel and event as the list shows them and the recorder's path of
// the file that playback and download name.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "client/net/event_search.h"

namespace client::search {

// Entries whose path is long enough to carry their start time and channel; shorter ones are not
// listed.
std::vector<SearchEntry> ResultRows(std::span<const uint8_t> body);
std::vector<SearchEntry> ResultRows(std::string_view body);

}  // namespace client::search
