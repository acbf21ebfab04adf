// What the main window remembers between calendar searches: whether the calendar was opened to
// play (DVR Search) or to back up (DVR Backup), the time last chosen for playing, which is offered
// again the next time, and the backup mode of the last range chosen.
#pragma once

#include <string>

namespace client::search {

enum class SearchPurpose { Search = 0, Backup = 1 };

class SearchSession {
  public:
    // The DVR Search button: a new search that remembers nothing.
    void BeginSearch();
    // The DVR Backup button: the same for a backup, back to the normal backup mode.
    void BeginBackup();

    SearchPurpose purpose() const { return purpose_; }
    // The time the next calendar opens on: the last selection played, or empty.
    const std::string& preselectedTime() const { return remembered_; }

    // The calendar's play action with its selection ("YYYYMMDDhhmmss"): remembers the whole text
    // and returns the start time the recorder plays from, the text without its first two
    // characters ("YYMMDDhhmmss"). Empty (and nothing remembered) when the text is not 14 digits.
    std::string Play(const std::string& selection);

    // The backup range was chosen with this backup mode (0 normal, 1 double speed).
    void ChooseBackup(int mode) { backupStep_ = mode; }
    int backupStep() const { return backupStep_; }

  private:
    SearchPurpose purpose_ = SearchPurpose::Search;
    std::string remembered_;
    int backupStep_ = 0;
};

}  // namespace client::search
