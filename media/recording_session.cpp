#include "media/recording_session.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "media/wall_time.h"

namespace media {

bool CreateFolderLevels(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

RecordingSession::RecordingSession(std::string root, std::string dvrName)
    : root_(std::move(root)), dvrName_(std::move(dvrName)) {
    if (!root_.empty() && root_.back() != '/') root_.push_back('/');
    calendarHeader_.recorderName = dvrName_;
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
    if (!FlushMinute() && error_ == WriteError::kNone) error_ = WriteError::kCannotWrite;
    if (writer_.isOpen()) {
        if (writer_.Close() != WriteError::kNone && error_ == WriteError::kNone)
            error_ = WriteError::kCannotWrite;
    }
    if (!keepFolder) {
        if (!calendar_.Close()) calendarFailed_ = true;
        folder_.clear();
    }
}

bool RecordingSession::OpenCalendar(const std::string& baseName) {
    // A split keeps the folder's calendar open; a folder that has one already gets no other.
    if (calendar_.isOpen() || !Calendar::FindInFolder(folder_).empty()) return true;
    if (calendar_.Create(folder_ + baseName + ".cdb", calendarHeader_)) return true;
    calendarFailed_ = true;
    return false;
}

bool RecordingSession::NoteMinute(const FrameHeader& h) {
    // A Predicted picture's date bytes are not its own (readers take its Intra's time): it joins
    // the minute being filled instead of starting one from its bytes.
    if (h.kind != static_cast<uint8_t>(FrameKind::Predicted) || !minuteActive_) {
        const auto minute = static_cast<int32_t>(
            static_cast<uint32_t>(WallTimeOf(h.year, h.month, h.day, h.hour, h.minute, 0)));
        if (minuteActive_ && minute_.minute != minute) {
            // A recorded minute ends: its entry and everything written so far go to the disk.
            if (!FlushMinute() || !SyncFiles()) return false;
        }
        if (!minuteActive_) {
            minute_ = DayEntry{};
            minute_.minute = minute;
            minuteActive_ = true;
        }
    }
    minute_.Note(h.channel, h.recordCause());
    return true;
}

bool RecordingSession::FlushMinute() {
    if (!minuteActive_) return true;
    minuteActive_ = false;
    if (calendar_.isOpen() && !calendar_.Append(minute_)) {
        calendarFailed_ = true;
        return false;
    }
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
    if (folder_.empty()) {
        folder_ = root_ + dvrName_ + "_" + base + "/";
        if (!CreateFolderLevels(folder_)) {
            folder_.clear();
            return Fail(WriteError::kCannotCreate);
        }
    }
    const WriteError opened = writer_.Open(folder_, base);
    if (opened != WriteError::kNone) return Fail(opened);
    if (!OpenCalendar(base)) return Fail(WriteError::kCannotCreate);
    error_ = WriteError::kNone;
    minuteActive_ = false;
    ++pairsOpened_;
    pairStartMinute_ = WallTimeOf(first.year, first.month, first.day, first.hour, first.minute, 0);
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
    const int64_t minute = WallTimeOf(h.year, h.month, h.day, h.hour, h.minute, 0);
    if (minute >= pairStartMinute_ + kSplitSeconds) splitPending_ = true;

    const WriteError appended = writer_.Append(record, size);
    if (appended != WriteError::kNone) return Fail(appended);
    if (!NoteMinute(h)) return Fail(WriteError::kCannotWrite);
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
