// The recordings the simple player offers: those of its own folder.
#pragma once

#include <string>
#include <vector>

namespace quenby {

// The recordings in `folder` in name order (which is time order): a pair by its ".idx" file, a
// data file without its index by its ".umv" file. Names only, without the folder.
std::vector<std::string> RecordingsOf(const std::string& folder);

}  // namespace quenby
