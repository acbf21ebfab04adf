#include "tools/dvrsim/disk.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "media/channel_clock.h"
#include "media/wall_time.h"
#include "platform/mapped_file.h"

namespace dvrsim {
namespace fs = std::filesystem;

namespace {

constexpr char kEventLetters[] = {'F', 'M', 'S'};

bool HasExtension(const fs::path& p, const char* ext) {
    std::string e = p.extension().string();
    std::transform(e.begin(), e.end(), e.begin(), ::tolower);
    return e == ext;
}

int EventOf(const media::FrameHeader& h) {
    const int cause = h.recordCause();
    return cause == 1 || cause == 2 ? cause : 0;
}

}  // namespace

bool ParseRecorderTime(const std::string& text, int64_t* out) {
    std::string t = text;
    if (t.size() == 14) t = t.substr(2);
    if (t.size() != 12 || t.find_first_not_of("0123456789") != std::string::npos) return false;
    auto field = [&](size_t at) { return (t[at] - '0') * 10 + (t[at + 1] - '0'); };
    const int month = field(2), day = field(4), hour = field(6), minute = field(8),
              second = field(10);
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return false;
    *out = media::WallTimeOf(100 + field(0), month - 1, day, hour, minute, second);
    return true;
}

std::string RecorderTimeText(int64_t time) {
    const media::CivilTime c = media::BreakWallTime(time);
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", c.year % 100, c.month, c.day,
                  c.hour, c.minute, c.second);
    return text;
}

std::string Disk::FilePath(int64_t start, int channel, int event) {
    const media::CivilTime c = media::BreakWallTime(start);
    char text[96];
    std::snprintf(text, sizeof text,
                  "/hdda/recs/%04d%02d%02d/ch%02d/%02d%02d%02d_%02d%02d%02d_%02d_%c.umv", c.year,
                  c.month, c.day, channel, c.year % 100, c.month, c.day, c.hour, c.minute, c.second,
                  channel, kEventLetters[event]);
    return text;
}

int Disk::channelCount() const {
    if (records_.empty()) return 16;
    const uint8_t model = records_.front().header.modelCode;
    return model == 3 ? 4 : model == 4 ? 8 : 16;
}

bool Disk::LoadData(const std::string& path, std::string* error) {
    platform::MappedFile file;
    const platform::MapError e = file.Open(path);
    if (e == platform::MapError::kEmpty) return true;
    if (e != platform::MapError::kNone) {
        *error = "cannot read " + path;
        return false;
    }
    AddRecords(file.bytes());
    return true;
}

void Disk::AddData(std::span<const uint8_t> bytes) {
    AddRecords(bytes);
    files_.clear();
    BuildFiles();
}

void Disk::AddRecords(std::span<const uint8_t> bytes) {
    media::ChannelClock clock;
    pairStarts_.push_back(records_.size());
    size_t at = 0;
    while (at + media::kFrameHeaderSize <= bytes.size()) {
        const uint8_t* h = bytes.data() + at;
        const size_t extent = media::RecordExtent(h);
        if (!media::IsWellFormed(h) || extent > bytes.size() - at) break;  // a torn tail
        at += extent;
        DiskRecord r;
        r.header = media::FrameHeader::Decode(h);
        if (r.header.IsSkipped() || r.header.kind > 3) continue;
        r.time = clock.Time(r.header).wall();
        r.payload.assign(h + media::kFrameHeaderSize, h + extent);
        records_.push_back(std::move(r));
    }
    if (pairStarts_.back() == records_.size()) pairStarts_.pop_back();
}

bool Disk::Load(const std::string& path, std::string* error) {
    records_.clear();
    files_.clear();
    pairStarts_.clear();
    std::vector<std::string> data;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        for (auto it = fs::recursive_directory_iterator(path, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->is_regular_file() && HasExtension(it->path(), ".umv"))
                data.push_back(it->path().string());
    } else {
        fs::path p(path);
        if (HasExtension(p, ".idx")) p.replace_extension(".umv");
        data.push_back(p.string());
    }
    // Pairs in time order: their names are their first record's date and time.
    std::sort(data.begin(), data.end(), [](const std::string& a, const std::string& b) {
        return fs::path(a).filename() < fs::path(b).filename();
    });
    for (const std::string& d : data)
        if (!LoadData(d, error)) return false;
    BuildFiles();
    return true;
}

void Disk::BuildFiles() {
    for (size_t p = 0; p < pairStarts_.size(); ++p) {
        const size_t from = pairStarts_[p];
        const size_t to = p + 1 < pairStarts_.size() ? pairStarts_[p + 1] : records_.size();
        DiskFile open[media::kChannelCount];
        bool isOpen[media::kChannelCount] = {};
        auto close = [&](int c) {
            if (!isOpen[c]) return;
            open[c].path = FilePath(open[c].start, c, open[c].event);
            files_.push_back(open[c]);
            isOpen[c] = false;
        };
        for (size_t i = from; i < to; ++i) {
            const DiskRecord& r = records_[i];
            if (!r.header.IsVideo()) continue;
            const int c = r.header.channel;
            const bool intra = r.header.kind == static_cast<uint8_t>(media::FrameKind::Intra);
            if (isOpen[c] && intra && EventOf(r.header) != open[c].event) close(c);
            if (!isOpen[c]) {
                if (!intra) continue;  // a file starts with an Intra picture
                open[c] = DiskFile{};
                open[c].channel = c;
                open[c].event = EventOf(r.header);
                open[c].start = r.time;
                open[c].first = i;
                isOpen[c] = true;
            }
            open[c].end = std::max(open[c].end, r.time);
            open[c].last = i;
            open[c].bytes += media::kFrameHeaderSize + r.payload.size();
        }
        for (int c = 0; c < media::kChannelCount; ++c)
            close(c);
    }
    std::stable_sort(files_.begin(), files_.end(), [](const DiskFile& a, const DiskFile& b) {
        return a.start != b.start ? a.start < b.start : a.channel < b.channel;
    });
}

const DiskFile* Disk::FindFile(const std::string& path) const {
    for (const DiskFile& f : files_)
        if (f.path == path) return &f;
    return nullptr;
}

size_t Disk::FirstAtOrAfter(int64_t time) const {
    for (size_t i = 0; i < records_.size(); ++i)
        if (records_[i].time >= time) return i;
    return records_.size();
}

std::string Disk::Search(int64_t from, int64_t to, int channel, int event) const {
    std::string out;
    for (const DiskFile& f : files_) {
        if (f.end < from || f.start > to) continue;
        if (channel >= 0 && channel < media::kChannelCount && f.channel != channel) continue;
        if ((event == 1 || event == 2) && f.event != event) continue;
        out += f.path + "," + RecorderTimeText(f.end) + "," + std::to_string(f.bytes) + "," +
               std::to_string(f.event) + "\n";
    }
    return out;
}

std::vector<uint8_t> Disk::Calendar(const media::CalendarHeader& header) const {
    std::map<int64_t, media::DayEntry> minutes;
    for (const DiskRecord& r : records_) {
        if (!r.header.IsVideo()) continue;
        const int64_t minute = r.time - r.time % 60;
        media::DayEntry& e = minutes[minute];
        e.minute = static_cast<int32_t>(static_cast<uint32_t>(minute));
        e.Note(r.header.channel, r.header.recordCause());
    }
    std::vector<uint8_t> out(media::kCalendarHeaderSize + minutes.size() * media::kDayEntrySize);
    header.Encode(out.data());
    size_t at = media::kCalendarHeaderSize;
    for (const auto& [minute, entry] : minutes) {
        entry.Encode(out.data() + at);
        at += media::kDayEntrySize;
    }
    return out;
}

}  // namespace dvrsim
