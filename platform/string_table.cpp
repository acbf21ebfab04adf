#include "platform/string_table.h"

#include <algorithm>

namespace platform {

std::string_view StringTable::Snapshot::Text(int id) const {
    if (auto it = overlay_.find(id); it != overlay_.end()) return it->second;
    auto it = std::lower_bound(english_->begin(), english_->end(), id,
                               [](const StringEntry& e, int key) { return e.id < key; });
    if (it != english_->end() && it->id == id) return it->text;
    return {};
}

StringTable::StringTable(std::span<const StringEntry> english)
    : english_(english.begin(), english.end()) {
    std::sort(english_.begin(), english_.end(),
              [](const StringEntry& a, const StringEntry& b) { return a.id < b.id; });
    current_ = std::make_shared<const Snapshot>(&english_, std::unordered_map<int, std::string>{});
}

std::shared_ptr<const StringTable::Snapshot> StringTable::Current() const {
    std::lock_guard lock(mutex_);
    return current_;
}

std::string StringTable::Text(int id) const {
    return std::string(Current()->Text(id));
}

void StringTable::SetOverlay(std::unordered_map<int, std::string> translated) {
    auto next = std::make_shared<const Snapshot>(&english_, std::move(translated));
    std::lock_guard lock(mutex_);
    current_ = std::move(next);
}

}  // namespace platform
