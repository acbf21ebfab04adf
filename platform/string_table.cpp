#include "platform/string_table.h"

#include <algorithm>

namespace platform {

StringTable::StringTable(std::span<const StringEntry> english)
    : english_(english.begin(), english.end()) {
    std::sort(english_.begin(), english_.end(),
              [](const StringEntry& a, const StringEntry& b) { return a.id < b.id; });
}

std::string_view StringTable::Text(int id) const {
    if (auto it = overlay_.find(id); it != overlay_.end()) return it->second;
    auto it = std::lower_bound(english_.begin(), english_.end(), id,
                               [](const StringEntry& e, int key) { return e.id < key; });
    if (it != english_.end() && it->id == id) return it->text;
    return {};
}

void StringTable::SetOverlay(std::unordered_map<int, std::string> translated) {
    overlay_ = std::move(translated);
}

}  // namespace platform
