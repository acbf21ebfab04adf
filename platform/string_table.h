// Numbered user-interface texts. Each program has its own English table built in; a language
// library may overlay translated texts under the same numbers.
//
// The language can change at run time while reader threads look texts up: each language is an
// immutable snapshot, and switching swaps the snapshot atomically. A lookup copies its text out
// of the snapshot it took, so a text never changes or disappears under a reader.
#pragma once

#include <memory>
#include <mutex>
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
    // One language as it was when it was set: never changed once published.
    class Snapshot {
      public:
        Snapshot(const std::vector<StringEntry>* english,
                 std::unordered_map<int, std::string> overlay)
            : english_(english), overlay_(std::move(overlay)) {}
        // The text of `id`, falling back to English, or "" when unknown. Valid while the
        // snapshot is held.
        std::string_view Text(int id) const;

      private:
        const std::vector<StringEntry>* english_;
        std::unordered_map<int, std::string> overlay_;
    };

    // `english` must outlive the table (the programs pass static arrays).
    explicit StringTable(std::span<const StringEntry> english);

    // The text of `id` in the current language, falling back to English, or "" when unknown.
    std::string Text(int id) const;
    std::string Str(int id) const { return Text(id); }

    // The current language, for a caller that looks up many texts at once.
    std::shared_ptr<const Snapshot> Current() const;

    // Replaces the translated texts; an empty map returns to English. Any thread.
    void SetOverlay(std::unordered_map<int, std::string> translated);

  private:
    std::vector<StringEntry> english_;  // sorted by id
    mutable std::mutex mutex_;          // guards the pointer only, never a lookup
    std::shared_ptr<const Snapshot> current_;
};

}  // namespace platform
