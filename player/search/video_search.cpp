#include "player/search/video_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "media/wall_time.h"

namespace player {

namespace fs = std::filesystem;
using platform::Hive;
using platform::kEnvironmentsKey;

namespace {

std::string WithSeparator(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

// Names of the sub-folders of `root` (not following errors: an unreadable root has none).
std::vector<std::string> SubFolders(const std::string& root) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool HasCalendar(const std::string& folder) {
    return !media::Calendar::FindInFolder(WithSeparator(folder)).empty();
}

int DigitsAt(const std::string& s, size_t pos, size_t count, bool* ok) {
    int value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9') {
            *ok = false;
            return 0;
        }
        value = value * 10 + (s[i] - '0');
    }
    return value;
}

}  // namespace

std::string RecordRootPath(platform::RegistryStore& store, const std::string& dataDir) {
    std::string path;
    if (store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "OrvRecordPath", &path))
        return WithSeparator(path);
    return WithSeparator(
        store.ReadOrInit(Hive::kLocalMachine, kEnvironmentsKey, "RecordPath", dataDir + "Record/"));
}

void StoreRecordRootPath(platform::RegistryStore& store, const std::string& root) {
    store.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "OrvRecordPath", WithSeparator(root));
}

RecordingTree RecordingTree::Scan(const std::string& root) {
    RecordingTree tree;
    if (HasCalendar(root)) {
        tree.rootIsFolder = true;
        std::string name = fs::path(WithSeparator(root)).parent_path().filename().string();
        tree.recorders.push_back(name.substr(0, name.find('_')));
        return tree;
    }
    for (const std::string& name : SubFolders(root)) {
        if (!HasCalendar(WithSeparator(root) + name)) continue;
        std::string recorder = name.substr(0, name.find('_'));
        if (std::find(tree.recorders.begin(), tree.recorders.end(), recorder) ==
            tree.recorders.end())
            tree.recorders.push_back(recorder);
    }
    std::sort(tree.recorders.begin(), tree.recorders.end());
    return tree;
}

std::vector<std::string> RecordingTree::StartTimes(const std::string& root,
                                                   const std::string& recorder) const {
    std::vector<std::string> times;
    if (rootIsFolder) {
        std::string name = fs::path(WithSeparator(root)).parent_path().filename().string();
        size_t underscore = name.find('_');
        if (underscore != std::string::npos) times.push_back(name.substr(underscore + 1));
        return times;
    }
    const std::string prefix = recorder + "_";
    for (const std::string& name : SubFolders(root)) {
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string rest = name.substr(prefix.size());
        if (rest.find('_') != std::string::npos) times.push_back(rest);
    }
    return times;
}

std::string RecordingTree::Folder(const std::string& root, const std::string& recorder,
                                  const std::string& startTime) const {
    if (rootIsFolder) return WithSeparator(root);
    return WithSeparator(root) + recorder + "_" + startTime + "/";
}

uint32_t BarRgb(BarColour colour) {
    switch (colour) {
        case BarColour::kForced:
            return 0xFF0000;
        case BarColour::kMotion:
            return 0x00FF00;
        case BarColour::kSensor:
            return 0xFFFF00;
        case BarColour::kForcedSelected:
            return 0x00FFFF;
        case BarColour::kMotionSelected:
            return 0xFF00FF;
        case BarColour::kSensorSelected:
            return 0x0000FF;
        case BarColour::kNone:
            break;
    }
    return 0xFFFFFF;
}

BarColour ColourOfCode(uint8_t code, bool selected) {
    switch (code) {
        case 1:
        case 4:
            return selected ? BarColour::kForcedSelected : BarColour::kForced;
        case 2:
            return selected ? BarColour::kMotionSelected : BarColour::kMotion;
        case 3:
            return selected ? BarColour::kSensorSelected : BarColour::kSensor;
        default:
            return BarColour::kNone;
    }
}

std::array<BarColour, 24> HourBar(const media::Calendar& calendar, int year, int month, int day,
                                  int rows) {
    std::array<BarColour, 24> bar{};
    rows = std::clamp(rows, 0, media::kCalendarChannels);
    for (int hour = 0; hour < 24; ++hour) {
        int forced = 0, motion = 0, sensor = 0;
        for (int channel = 0; channel < rows; ++channel) {
            for (uint8_t code : calendar.HourCodes(year, month, day, hour, channel)) {
                forced += code == 1 || code == 4;
                motion += code == 2;
                sensor += code == 3;
            }
        }
        if (forced + motion + sensor == 0) continue;
        if (forced >= motion && forced >= sensor)
            bar[hour] = BarColour::kForced;
        else if (motion >= sensor)
            bar[hour] = BarColour::kMotion;
        else
            bar[hour] = BarColour::kSensor;
    }
    return bar;
}

std::vector<std::array<BarColour, 60>> MinuteBar(const media::Calendar& calendar, int year,
                                                 int month, int day, int hour, int rows,
                                                 int rangeStart, int rangeEnd) {
    rows = std::clamp(rows, 0, media::kCalendarChannels);
    std::vector<std::array<BarColour, 60>> bar(static_cast<size_t>(rows));
    for (int channel = 0; channel < rows; ++channel) {
        std::array<uint8_t, 60> codes = calendar.HourCodes(year, month, day, hour, channel);
        for (int minute = 0; minute < 60; ++minute) {
            bool selected = minute >= rangeStart && minute <= rangeEnd;
            bar[channel][minute] = ColourOfCode(codes[minute], selected);
        }
    }
    return bar;
}

bool ParsePairTitle(const std::string& title, int64_t* start) {
    // "YYYYMMDD_hhmmss"
    if (title.size() < 15 || title[8] != '_') return false;
    bool ok = true;
    int year = DigitsAt(title, 0, 4, &ok);
    int month = DigitsAt(title, 4, 2, &ok);
    int day = DigitsAt(title, 6, 2, &ok);
    int hour = DigitsAt(title, 9, 2, &ok);
    int minute = DigitsAt(title, 11, 2, &ok);
    int second = DigitsAt(title, 13, 2, &ok);
    if (!ok || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 59)
        return false;
    *start = media::WallTimeOf(year - 1900, month - 1, day, hour, minute, second);
    return true;
}

std::vector<PairStart> ListPairs(const std::string& folder) {
    std::vector<PairStart> pairs;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        if (path.extension() != ".idx") continue;
        PairStart pair;
        if (!ParsePairTitle(path.stem().string(), &pair.start)) continue;
        pair.indexPath = path.string();
        pairs.push_back(std::move(pair));
    }
    std::sort(pairs.begin(), pairs.end(), [](const PairStart& a, const PairStart& b) {
        return a.start != b.start ? a.start < b.start : a.indexPath < b.indexPath;
    });
    return pairs;
}

int PairCovering(const std::vector<PairStart>& pairs, int64_t moment) {
    if (pairs.empty()) return -1;
    int chosen = 0;
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i].start <= moment) chosen = static_cast<int>(i);
    }
    return chosen;
}

}  // namespace player
