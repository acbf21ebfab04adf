#include "media/recording_session.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "media/wall_time.h"
#include "platform/path_component.h"

namespace media {
namespace {

// How many numbered names are tried before a name counts as unavailable.
constexpr int kMaxSuffix = 9999;

// The n-th choice of a name: the name itself, then name_2, name_3, ...
std::string Numbered(const std::string& name, int n) {
    return n == 1 ? name : name + "_" + std::to_string(n);
}

bool SameEntry(const DayEntry& a, const DayEntry& b) {
    return a.minute == b.minute && a.mask == b.mask &&
           std::memcmp(a.causes, b.causes, sizeof a.causes) == 0;
}

}  // namespace

bool CreateFolderLevels(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

RecordingSession::RecordingSession(std::string root, std::string dvrName)
    : root_(std::move(root)), folderName_(platform::SafePathComponent(dvrName)) {
    if (!root_.empty() && root_.back() != '/') root_.push_back('/');
    calendarHeader_.recorderName = std::move(dvrName);
}

void RecordingSession::setChannelInfo(int channelCount,
                                      const std::array<std::string, kCalendarChannels>& titles) {
    calendarHeader_.channels = channelCount;
    calendarHeader_.titles = titles;
}

RecordingSession::~RecordingSession() {
    Stop();
}

void RecordingSession::Stop() {
    ClosePair(false);
    started_ = 0;
    splitPending_ = false;
    failed_ = false;
    clock_.Reset();
}

RecordingSession::Result RecordingSession::Fail(WriteError error) {
    error_ = error;
    ClosePair(false);
    started_ = 0;
    splitPending_ = false;
    failed_ = true;
    return Result::kError;
}

void RecordingSession::ClosePair(bool keepFolder) {
    if (writer_.isOpen()) {
        if (writer_.Close() != WriteError::kNone && error_ == WriteError::kNone)
            error_ = WriteError::kCannotWrite;
    }
    if (keepFolder) {
        // The calendar stays open for the next pair; what it says so far goes to the disk with
        // the pair that just closed.
        if (calendar_.isOpen() && !calendar_.Sync()) calendarFailed_ = true;
        return;
    }
    if (!calendar_.Close()) calendarFailed_ = true;
    openMinutes_.clear();
    folder_.clear();
}

bool RecordingSession::CreateOwnFolder(const std::string& baseName) {
    if (!CreateFolderLevels(root_.empty() ? std::string("./") : root_)) return false;
    const std::string name = folderName_ + "_" + baseName;
    for (int n = 1; n <= kMaxSuffix; ++n) {
        // mkdir either makes the folder ours or fails: a folder of an earlier recording is never
        // written into.
        const std::string candidate = root_ + Numbered(name, n) + "/";
        if (::mkdir(candidate.c_str(), 0755) == 0) {
            folder_ = candidate;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

WriteError RecordingSession::OpenFreshPair(const std::string& baseName) {
    for (int n = 1; n <= kMaxSuffix; ++n) {
        const WriteError opened = writer_.Open(folder_, Numbered(baseName, n));
        if (opened != WriteError::kExists) return opened;
    }
    return WriteError::kCannotCreate;
}

bool RecordingSession::OpenCalendar(const std::string& baseName) {
    // A split keeps the folder's calendar open; the folder is new, so its calendar is too.
    if (calendar_.isOpen()) return true;
    if (calendar_.Create(folder_ + baseName + ".cdb", calendarHeader_)) return true;
    calendarFailed_ = true;
    return false;
}

bool RecordingSession::NoteMinute(const PictureTime& t, const FrameHeader& h) {
    const auto minute = static_cast<int32_t>(static_cast<uint32_t>(t.minuteStart()));
    for (OpenMinute& open : openMinutes_) {
        if (open.entry.minute != minute) continue;
        const DayEntry before = open.entry;
        open.entry.Note(h.channel, h.recordCause());
        if (SameEntry(before, open.entry) || calendar_.Update(open.slot, open.entry)) return true;
        calendarFailed_ = true;
        return false;
    }
    // Another minute begins: what was written before goes to the disk, pair and calendar
    // together.
    if (!openMinutes_.empty() && !SyncFiles()) return false;
    // The new minute is in the calendar from its first picture on, so a recording cut short
    // still lists it.
    OpenMinute open;
    open.entry.minute = minute;
    open.entry.Note(h.channel, h.recordCause());
    if (!calendar_.Append(open.entry, &open.slot)) {
        calendarFailed_ = true;
        return false;
    }
    if (openMinutes_.size() == kOpenMinutes) openMinutes_.erase(openMinutes_.begin());
    openMinutes_.push_back(open);
    return true;
}

bool RecordingSession::SyncFiles() {
    if (writer_.isOpen() && writer_.Sync() != WriteError::kNone) return false;
    if (calendar_.isOpen() && !calendar_.Sync()) {
        calendarFailed_ = true;
        return false;
    }
    return true;
}

RecordingSession::Result RecordingSession::OpenPair(const FrameHeader& first) {
    const std::string base =
        PairBaseName(first.year, first.month, first.day, first.hour, first.minute, first.second);
    if (folder_.empty() && !CreateOwnFolder(base)) {
        folder_.clear();
        return Fail(WriteError::kCannotCreate);
    }
    const WriteError opened = OpenFreshPair(base);
    if (opened != WriteError::kNone) return Fail(opened);
    if (!OpenCalendar(base)) return Fail(WriteError::kCannotCreate);
    error_ = WriteError::kNone;
    ++pairsOpened_;
    pairStartMinute_ = PictureTime::Of(first).minuteStart();
    return Result::kWritten;
}

RecordingSession::Result RecordingSession::WriteVideo(const uint8_t* record, size_t size) {
    if (failed_) return Result::kError;
    if (size < kFrameHeaderSize || RecordExtent(record) != size) return Result::kDropped;
    const FrameHeader h = FrameHeader::Decode(record);
    if (!h.IsVideo() || h.IsSkipped()) return Result::kDropped;
    const uint16_t bit = static_cast<uint16_t>(1u << h.channel);
    if (!(recorded_ & bit)) return Result::kDropped;

    if (splitPending_) {
        // The pair is complete: close it but keep its folder; every channel starts again at its
        // next Intra picture (this one, when it is an Intra, opens the next pair at once).
        ClosePair(true);
        started_ = 0;
        splitPending_ = false;
        if (error_ != WriteError::kNone) return Fail(error_);
    }
    if (!(started_ & bit)) {
        if (h.kind != static_cast<uint8_t>(FrameKind::Intra)) return Result::kDropped;
        if (!writer_.isOpen() && OpenPair(h) == Result::kError) return Result::kError;
        started_ |= bit;
    }
    const PictureTime t = clock_.Time(h);
    if (t.minuteStart() >= pairStartMinute_ + kSplitSeconds) splitPending_ = true;

    const WriteError appended = writer_.Append(record, size);
    if (appended != WriteError::kNone) return Fail(appended);
    if (!NoteMinute(t, h)) return Fail(WriteError::kCannotWrite);
    return Result::kWritten;
}

RecordingSession::Result RecordingSession::WriteAudio(const uint8_t* record, size_t size) {
    if (failed_) return Result::kError;
    if (!writer_.isOpen()) return Result::kDropped;
    if (size < kFrameHeaderSize || RecordExtent(record) != size) return Result::kDropped;
    const WriteError appended = writer_.Append(record, size);
    if (appended != WriteError::kNone) return Fail(appended);
    return Result::kWritten;
}

}  // namespace media
