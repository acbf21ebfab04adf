#include "client/app/search/search_session.h"

#include <algorithm>

namespace client::search {

void SearchSession::BeginSearch() {
    remembered_.clear();
    purpose_ = SearchPurpose::Search;
}

void SearchSession::BeginBackup() {
    remembered_.clear();
    purpose_ = SearchPurpose::Backup;
    backupStep_ = 0;
}

std::string SearchSession::Play(const std::string& selection) {
    const bool digits = std::all_of(selection.begin(), selection.end(),
                                    [](char c) { return c >= '0' && c <= '9'; });
    if (selection.size() != 14 || !digits) return {};
    remembered_ = selection;
    return selection.substr(2);
}

}  // namespace client::search
