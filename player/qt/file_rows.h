// The rows of the player's file lists: every still, recording and single-frame file of a folder,
// with the recorder, time, channel and keyword its name carries. Walking a big folder runs off
// the GUI thread; the walk reports progress and stops when asked, keeping the rows found so far.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace player {

struct FileRow {
    std::string recorder;
    std::string time;  // "yy-mm-dd hh:mm:ss", the picture's or the recording's start
    std::string channel;
    std::string keyword;
    std::string fileName;
    std::string path;  // folder + file name
};

// The start of a recording from its name ("20260314_095952.idx", or the folder's
// "Lobby_20260314_095952"): "26-03-14 09:59:52"; empty when the name carries no time.
std::string RecordingStartText(std::string_view name);

// The row of one file of `folder` (ending in a separator). A recording pair is listed by its
// index file; its recorder is the folder's name up to the first underscore.
FileRow MakeFileRow(const std::string& folder, std::string_view fileName);

// The names the lists show from a folder, in name order: stills (".jpg"), single-frame files
// (".ums"), and recordings (".umv", replaced by its ".idx" when the pair is complete).
std::vector<std::string> ListedFiles(const std::string& folder);

struct FolderWalkResult {
    bool stopped = false;
    std::vector<FileRow> rows;
};

// Lists the folder and builds its rows. `progress(done, total)` is called after every file from
// the walking thread; `stop` may be set from another thread at any time.
FolderWalkResult WalkFolder(const std::string& folder, const std::atomic<bool>& stop,
                            const std::function<void(size_t done, size_t total)>& progress = {});

}  // namespace player
