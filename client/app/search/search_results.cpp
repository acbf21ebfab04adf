#include "client/app/search/search_results.h"

#include <algorithm>

namespace client::search {

std::vector<SearchEntry> ResultRows(std::string_view body) {
    std::vector<SearchEntry> rows = ParseEventSearch(body);
    std::erase_if(rows, [](const SearchEntry& e) { return !e.complete(); });
    return rows;
}

std::vector<SearchEntry> ResultRows(std::span<const uint8_t> body) {
    return ResultRows(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
}

}  // namespace client::search
