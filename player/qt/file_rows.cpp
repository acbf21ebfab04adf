#include "player/qt/file_rows.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "player/search/still_search.h"

namespace player {
namespace fs = std::filesystem;
namespace {

bool EndsWith(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), name.end() - suffix.size(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

bool AllDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The folder's own name: "/x/Lobby_20260314_095952/" -> "Lobby_20260314_095952".
std::string FolderName(const std::string& folder) {
    fs::path path(folder);
    if (!path.has_filename()) path = path.parent_path();
    return path.filename().string();
}

}  // namespace

std::string RecordingStartText(std::string_view name) {
    // The last "YYYYMMDD_hhmmss" of the name: the recording's start as the recorder names it.
    for (size_t at = name.size() >= 15 ? name.size() - 15 + 1 : 0; at-- > 0;) {
        const std::string_view t = name.substr(at, 15);
        if (t[8] != '_' || !AllDigits(t.substr(0, 8)) || !AllDigits(t.substr(9, 6))) continue;
        const auto two = [&](size_t i) { return std::string(t.substr(i, 2)); };
        const int month = std::stoi(two(4)), day = std::stoi(two(6));
        if (month < 1 || month > 12 || day < 1 || day > 31 || std::stoi(two(9)) > 23 ||
            std::stoi(two(11)) > 59 || std::stoi(two(13)) > 59)
            continue;
        return two(2) + "-" + two(4) + "-" + two(6) + " " + two(9) + ":" + two(11) + ":" + two(13);
    }
    return {};
}

FileRow MakeFileRow(const std::string& folder, std::string_view fileName) {
    FileRow row;
    row.fileName = std::string(fileName);
    row.path = folder + row.fileName;
    if (EndsWith(fileName, ".jpg")) {
        StillRow still = MakeStillRow(folder, fileName);
        row.recorder = std::move(still.recorder);
        row.time = std::move(still.time);
        row.channel = std::move(still.channel);
        row.keyword = std::move(still.keyword);
        return row;
    }
    // Recordings and single-frame files: the recorder names the folder "<name>_<start>" and the
    // files after their start; a single-frame file carries "_ch<N>" after it.
    const std::string folderName = FolderName(folder);
    const size_t underscore = folderName.find('_');
    const std::string_view base = fileName.substr(0, fileName.rfind('.'));
    if (underscore != std::string::npos && RecordingStartText(folderName) != "")
        row.recorder = folderName.substr(0, underscore);
    else if (const size_t u = base.find('_');
             u != std::string_view::npos && u > 0 && !AllDigits(base.substr(0, u)))
        row.recorder = std::string(base.substr(0, u));
    row.time = RecordingStartText(base);
    if (row.time.empty()) row.time = RecordingStartText(folderName);
    if (const size_t ch = base.rfind("_ch");
        ch != std::string_view::npos && ch + 3 < base.size() && AllDigits(base.substr(ch + 3)))
        row.channel = std::string(base.substr(ch + 3));
    return row;
}

std::vector<std::string> ListedFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        std::string name = it->path().filename().string();
        if (EndsWith(name, ".umv")) {
            // A complete pair is listed (and played) by its index file.
            std::string index = name.substr(0, name.size() - 4) + ".idx";
            if (fs::exists(fs::path(folder) / index, typeError)) name = std::move(index);
            names.push_back(std::move(name));
        } else if (EndsWith(name, ".jpg") || EndsWith(name, ".ums")) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

FolderWalkResult WalkFolder(const std::string& folder, const std::atomic<bool>& stop,
                            const std::function<void(size_t done, size_t total)>& progress) {
    FolderWalkResult result;
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    const std::vector<std::string> names = ListedFiles(dir);
    result.rows.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        if (stop.load(std::memory_order_relaxed)) {
            result.stopped = true;
            break;
        }
        result.rows.push_back(MakeFileRow(dir, names[i]));
        if (progress) progress(i + 1, names.size());
    }
    return result;
}

}  // namespace player
