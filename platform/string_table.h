// Numbered user-interface texts. Each program has its own English table built in; a language
// library may overlay translated texts under the same numbers.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

struct StringEntry {
    int id;
    std::string_view text;
};

class StringTable {
  public:
    // `english` must outlive the table (the programs pass static arrays).
    explicit StringTable(std::span<const StringEntry> english);

    // The text of `id` in the current language, falling back to English, or "" when unknown.
    std::string_view Text(int id) const;
    std::string Str(int id) const { return std::string(Text(id)); }

    // Replaces the translated texts; an empty map returns to English.
    void SetOverlay(std::unordered_map<int, std::string> translated);

  private:
    std::vector<StringEntry> english_;  // sorted by id
    std::unordered_map<int, std::string> overlay_;
};

}  // namespace platform
