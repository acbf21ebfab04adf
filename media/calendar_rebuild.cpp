#include "media/calendar_rebuild.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

#include "media/calendar_file.h"
#include "media/channel_clock.h"
#include "media/frame_header.h"
#include "platform/mapped_file.h"

namespace media {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> DataFilesOf(const std::string& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext == ".umv" && it->is_regular_file(ec)) out.push_back(it->path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Notes every whole video record of a data file in the minutes it was recorded in.
void NoteRecords(std::span<const uint8_t> data, std::map<int32_t, DayEntry>* minutes,
                 uint8_t* modelCode) {
    ChannelClock clock;
    size_t offset = 0;
    while (data.size() - offset >= kFrameHeaderSize) {
        const uint8_t* raw = data.data() + offset;
        const size_t extent = RecordExtent(raw);
        if (extent > data.size() - offset) break;  // a torn tail
        offset += extent;
        const FrameHeader h = FrameHeader::Decode(raw);
        if (!h.IsVideo() || h.IsSkipped()) continue;
        if (*modelCode == 0) *modelCode = h.modelCode;
        const auto minute =
            static_cast<int32_t>(static_cast<uint32_t>(clock.Time(h).minuteStart()));
        DayEntry& entry = (*minutes)[minute];
        entry.minute = minute;
        entry.Note(h.channel, h.recordCause());
    }
}

bool AllDigits(const std::string& s, size_t count) {
    return !s.empty() && (count == 0 || s.size() == count) &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The recorder name a recording folder was named after: "NAME_YYYYMMDD_hhmmss", perhaps with a
// numbered "_N" behind it. Any other folder name is taken whole.
std::string NameFromFolder(const std::string& folder) {
    const std::string name = fs::path(folder).parent_path().filename().string();
    std::vector<std::string> parts;
    for (size_t from = 0;;) {
        const size_t cut = name.find('_', from);
        parts.push_back(name.substr(from, cut - from));
        if (cut == std::string::npos) break;
        from = cut + 1;
    }
    size_t end = parts.size();
    if (end >= 4 && AllDigits(parts[end - 1], 0) && AllDigits(parts[end - 2], 6) &&
        AllDigits(parts[end - 3], 8))
        --end;  // the numbered suffix
    if (end < 3 || !AllDigits(parts[end - 1], 6) || !AllDigits(parts[end - 2], 8)) return name;
    std::string out = parts[0];
    for (size_t i = 1; i + 2 < end; ++i)
        out += "_" + parts[i];
    return out;
}

int ChannelsOfModel(uint8_t modelCode) {
    return modelCode == 3 ? 4 : modelCode == 4 ? 8 : 16;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

RebuildResult RebuildCalendar(const std::string& folderArg) {
    RebuildResult result;
    const std::string folder =
        folderArg.empty() || folderArg.back() == '/' ? folderArg : folderArg + "/";
    const std::vector<std::string> dataFiles = DataFilesOf(folder.empty() ? "./" : folder);
    std::map<int32_t, DayEntry> minutes;
    uint8_t modelCode = 0;
    for (const std::string& path : dataFiles) {
        platform::MappedFile data;
        const platform::MapError e = data.Open(path);
        if (e == platform::MapError::kEmpty) continue;
        if (e != platform::MapError::kNone) {
            result.error = RebuildError::kCannotRead;
            result.path = path;
            return result;
        }
        NoteRecords(data.bytes(), &minutes, &modelCode);
        ++result.pairs;
    }
    if (result.pairs == 0) {
        result.error = RebuildError::kNoPairs;
        result.path = folder;
        return result;
    }

    std::string target = Calendar::FindInFolder(folder.empty() ? "./" : folder);
    CalendarHeader header;
    platform::MappedFile old;
    if (target.empty() || old.Open(target) != platform::MapError::kNone ||
        !CalendarHeader::Decode(old.bytes(), &header)) {
        header = CalendarHeader{};
        header.recorderName = NameFromFolder(folder.empty() ? "./" : folder);
        header.channels = ChannelsOfModel(modelCode);
    }
    old.Close();
    if (target.empty()) target = folder + fs::path(dataFiles.front()).stem().string() + ".cdb";

    const std::string temp = target + ".tmp";
    ::unlink(temp.c_str());  // left by a rebuild that did not finish
    CalendarWriter writer;
    bool ok = writer.Create(temp, header);
    for (const auto& [minute, entry] : minutes) {
        if (!ok) break;
        ok = writer.Append(entry);
    }
    ok = writer.Close() && ok;
    if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        result.error = RebuildError::kCannotWrite;
        result.path = target;
        return result;
    }
    SyncFolder(folder.empty() ? "./" : folder);
    result.path = target;
    result.minutes = minutes.size();
    return result;
}

}  // namespace media
