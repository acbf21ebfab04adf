#include "media/calendar_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "media/byte_order.h"
#include "media/wall_time.h"
#include "platform/mapped_file.h"

namespace media {
namespace {

constexpr size_t kNameOffset = 6;
constexpr size_t kTitlesOffset = 19;
constexpr size_t kTailOffset = 435;

// A zero-terminated text of a fixed-size field; stops at the field's end when the zero is
// missing.
std::string FieldText(const uint8_t* p, size_t size) {
    size_t n = 0;
    while (n < size && p[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

void PutField(uint8_t* p, size_t size, const std::string& text) {
    std::memcpy(p, text.data(), std::min(text.size(), size - 1));
}

int64_t MinuteStart(int64_t wallTime) {
    return wallTime - ((wallTime % 60) + 60) % 60;
}

}  // namespace

void CalendarHeader::Encode(uint8_t* out) const {
    std::memset(out, 0, kCalendarHeaderSize);
    out[0] = 'U';
    out[1] = 'D';
    out[4] = 1;  // version, big-endian
    out[5] = static_cast<uint8_t>(channels);
    PutField(out + kNameOffset, kCalendarNameMax + 1, recorderName);
    for (int i = 0; i < kCalendarChannels; ++i)
        PutField(out + kTitlesOffset + i * kChannelTitleSize, kChannelTitleSize, titles[i]);
}

bool CalendarHeader::Decode(std::span<const uint8_t> bytes, CalendarHeader* out) {
    if (bytes.size() < kCalendarHeaderSize) return false;
    const uint8_t* p = bytes.data();
    if (p[0] != 'U' || p[1] != 'D' || p[2] != 0 || p[3] != 0 || p[4] != 1) return false;
    if (Be32(p + kTailOffset) != 0) return false;
    CalendarHeader h;
    h.channels = p[5];
    h.recorderName = FieldText(p + kNameOffset, kCalendarNameMax + 1);
    for (int i = 0; i < kCalendarChannels; ++i)
        h.titles[i] = FieldText(p + kTitlesOffset + i * kChannelTitleSize, kChannelTitleSize);
    *out = std::move(h);
    return true;
}

void DayEntry::Note(int channel, int recordCause) {
    if (channel < 0 || channel >= kCalendarChannels) return;
    mask |= 1u << channel;
    const int code = (recordCause & 7) == 3 ? 0 : (recordCause & 7);
    if (Cause(channel) == 0 && code <= 2)
        causes[channel / 4] |= static_cast<uint8_t>(code << (2 * (channel % 4)));
}

void DayEntry::Encode(uint8_t* out) const {
    std::memset(out, 0, kDayEntrySize);
    PutBe32(out, static_cast<uint32_t>(minute));
    PutBe32(out + 4, mask);
    std::memcpy(out + 8, causes, 4);
}

DayEntry DayEntry::Decode(const uint8_t* bytes) {
    DayEntry e;
    e.minute = static_cast<int32_t>(Be32(bytes));
    e.mask = Be32(bytes + 4);
    std::memcpy(e.causes, bytes + 8, 4);
    return e;
}

CalendarWriter::~CalendarWriter() {
    Close();
}

bool CalendarWriter::WriteAt(const uint8_t* bytes, size_t size, uint64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

bool CalendarWriter::Create(const std::string& path, const CalendarHeader& header) {
    Close();
    path_ = path;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0) return false;
    uint8_t bytes[kCalendarHeaderSize];
    header.Encode(bytes);
    size_ = 0;
    if (!WriteAt(bytes, sizeof bytes, 0)) return false;
    size_ = sizeof bytes;
    return true;
}

bool CalendarWriter::Append(const DayEntry& entry, size_t* slot) {
    if (fd_ < 0) return false;
    uint8_t bytes[kDayEntrySize];
    entry.Encode(bytes);
    if (!WriteAt(bytes, sizeof bytes, size_)) return false;
    if (slot) *slot = static_cast<size_t>((size_ - kCalendarHeaderSize) / kDayEntrySize);
    size_ += sizeof bytes;
    return true;
}

bool CalendarWriter::Update(size_t slot, const DayEntry& entry) {
    const uint64_t offset = kCalendarHeaderSize + uint64_t{slot} * kDayEntrySize;
    if (fd_ < 0 || offset + kDayEntrySize > size_) return false;
    uint8_t bytes[kDayEntrySize];
    entry.Encode(bytes);
    return WriteAt(bytes, sizeof bytes, offset);
}

bool CalendarWriter::Sync() {
    return fd_ >= 0 && ::fdatasync(fd_) == 0;
}

bool CalendarWriter::Close() {
    if (fd_ < 0) return true;
    bool ok = Sync();
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    return ok;
}

void Calendar::Clear() {
    header_ = CalendarHeader{};
    minutes_.clear();
    months_.clear();
}

bool Calendar::Parse(std::span<const uint8_t> bytes) {
    Clear();
    CalendarHeader header;
    if (!CalendarHeader::Decode(bytes, &header)) return false;
    const size_t count = (bytes.size() - kCalendarHeaderSize) / kDayEntrySize;
    const uint8_t* entries = bytes.data() + kCalendarHeaderSize;
    if (count > 0 && Be32(entries + 16) != 0) return false;
    header_ = std::move(header);

    // One record per entry (recorded minutes only), then ordered by minute; entries of the same
    // minute are merged in file order so that later ones override the channels they name.
    minutes_.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const DayEntry e = DayEntry::Decode(entries + i * kDayEntrySize);
        if (e.minute <= 0) continue;
        RecordedMinute m;
        m.minute = MinuteStart(e.minute);
        for (int c = 0; c < kCalendarChannels; ++c)
            if (e.mask & (1u << c)) m.codes[c] = static_cast<uint8_t>(e.Cause(c) + 1);
        minutes_.push_back(m);
    }
    std::stable_sort(minutes_.begin(), minutes_.end(),
                     [](const auto& a, const auto& b) { return a.minute < b.minute; });
    size_t kept = 0;
    for (size_t i = 0; i < minutes_.size(); ++i) {
        if (kept > 0 && minutes_[kept - 1].minute == minutes_[i].minute) {
            for (int c = 0; c < kCalendarChannels; ++c)
                if (minutes_[i].codes[c]) minutes_[kept - 1].codes[c] = minutes_[i].codes[c];
        } else {
            minutes_[kept++] = minutes_[i];
        }
    }
    minutes_.resize(kept);
    minutes_.shrink_to_fit();

    for (const RecordedMinute& m : minutes_) {
        const CivilTime t = BreakWallTime(m.minute);
        if (months_.empty() || months_.back().year != t.year || months_.back().month != t.month)
            months_.push_back(CalendarMonth{t.year, t.month, {}});
        months_.back().dayCells[DayCell(t.year, t.month, t.day)] = 1;
    }
    return true;
}

bool Calendar::LoadFile(const std::string& path) {
    Clear();
    platform::MappedFile file;
    if (file.Open(path) != platform::MapError::kNone) return false;
    return Parse(file.bytes());
}

std::string Calendar::FindInFolder(const std::string& folder) {
    std::error_code ec;
    std::string first;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::filesystem::path& p = it->path();
        std::string ext = p.extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        // Only regular files: a FIFO or a device named like a calendar is never opened.
        if (ext != ".cdb" || !it->is_regular_file(ec)) continue;
        if (first.empty() || p.string() < first) first = p.string();
    }
    return first;
}

bool Calendar::LoadFolder(const std::string& folder) {
    const std::string path = FindInFolder(folder);
    if (path.empty()) {
        Clear();
        return false;
    }
    return LoadFile(path);
}

int Calendar::monthSpan() const {
    if (minutes_.empty()) return 0;
    const CivilTime a = BreakWallTime(earliest());
    const CivilTime b = BreakWallTime(latest());
    return (b.year - a.year) * 12 + (b.month - a.month) + 1;
}

CalendarMonth Calendar::Month(int year, int month) const {
    auto it = std::lower_bound(months_.begin(), months_.end(), std::pair{year, month},
                               [](const CalendarMonth& m, const std::pair<int, int>& key) {
                                   return std::pair{m.year, m.month} < key;
                               });
    if (it != months_.end() && it->year == year && it->month == month) return *it;
    return CalendarMonth{year, month, {}};
}

std::array<uint8_t, 60> Calendar::HourCodes(int year, int month, int day, int hour,
                                            int channel) const {
    std::array<uint8_t, 60> codes{};
    if (channel < 0 || channel >= kCalendarChannels) return codes;
    const int64_t start = WallTimeOf(year - 1900, month - 1, day, hour, 0, 0);
    auto it = std::lower_bound(minutes_.begin(), minutes_.end(), start,
                               [](const RecordedMinute& m, int64_t t) { return m.minute < t; });
    for (; it != minutes_.end() && it->minute < start + 3600; ++it)
        codes[(it->minute - start) / 60] = it->codes[channel];
    return codes;
}

uint8_t Calendar::CodeAt(int64_t wallTime, int channel) const {
    if (channel < 0 || channel >= kCalendarChannels) return 0;
    const int64_t start = MinuteStart(wallTime);
    auto it = std::lower_bound(minutes_.begin(), minutes_.end(), start,
                               [](const RecordedMinute& m, int64_t t) { return m.minute < t; });
    return it != minutes_.end() && it->minute == start ? it->codes[channel] : 0;
}

int Calendar::DayCell(int year, int month, int day) {
    const int64_t days = WallTimeOf(year - 1900, month - 1, 1, 0, 0, 0) / 86400;
    const int weekday = static_cast<int>(((days + 3) % 7 + 7) % 7) + 1;  // 1970-01-01: Thursday
    return weekday + day - 1;
}

}  // namespace media
