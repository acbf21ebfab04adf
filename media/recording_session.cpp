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
}

void RecordingSession::ClosePair(bool keepFolder) {
    FlushMinute();
    if (writer_.isOpen()) {
        if (writer_.Close() != WriteError::kNone && error_ == WriteError::kNone)
            error_ = WriteError::kCannotWrite;
    }
    if (!keepFolder) {
        if (!calendar_.Close()) calendarFailed_ = true;
        folder_.clear();
    }
}

void RecordingSession::OpenCalendar(const std::string& baseName) {
    // A split keeps the folder's calendar open; a folder that has one already gets no other.
    if (calendar_.isOpen() || !Calendar::FindInFolder(folder_).empty()) return;
    if (!calendar_.Create(folder_ + baseName + ".cdb", calendarHeader_)) calendarFailed_ = true;
}

void RecordingSession::NoteMinute(const FrameHeader& h) {
    // A Predicted picture's date bytes are not its own (readers take its Intra's time): it joins
    // the minute being filled instead of starting one from its bytes.
    if (h.kind != static_cast<uint8_t>(FrameKind::Predicted) || !minuteActive_) {
        const auto minute = static_cast<int32_t>(
            static_cast<uint32_t>(WallTimeOf(h.year, h.month, h.day, h.hour, h.minute, 0)));
        if (minuteActive_ && minute_.minute != minute) FlushMinute();
        if (!minuteActive_) {
            minute_ = DayEntry{};
            minute_.minute = minute;
            minuteActive_ = true;
        }
    }
    minute_.Note(h.channel, h.recordCause());
}

void RecordingSession::FlushMinute() {
    if (!minuteActive_) return;
    minuteActive_ = false;
    if (calendar_.isOpen() && !calendar_.Append(minute_)) calendarFailed_ = true;
}

RecordingSession::Result RecordingSession::OpenPair(const FrameHeader& first) {
    const std::string base =
        PairBaseName(first.year, first.month, first.day, first.hour, first.minute, first.second);
    if (folder_.empty()) {
        folder_ = root_ + dvrName_ + "_" + base + "/";
        if (!CreateFolderLevels(folder_)) {
            error_ = WriteError::kCannotCreate;
            folder_.clear();
            return Result::kError;
        }
    }
    error_ = writer_.Open(folder_, base);
    if (error_ != WriteError::kNone) return Result::kError;
    OpenCalendar(base);
    minuteActive_ = false;
    ++pairsOpened_;
    pairStartMinute_ = WallTimeOf(first.year, first.month, first.day, first.hour, first.minute, 0);
    return Result::kWritten;
}

RecordingSession::Result RecordingSession::WriteVideo(const uint8_t* record, size_t size) {
    if (size < kFrameHeaderSize) return Result::kDropped;
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
    }
    if (!(started_ & bit)) {
        if (h.kind != static_cast<uint8_t>(FrameKind::Intra)) return Result::kDropped;
        if (!writer_.isOpen() && OpenPair(h) == Result::kError) return Result::kError;
        started_ |= bit;
    }
    const int64_t minute = WallTimeOf(h.year, h.month, h.day, h.hour, h.minute, 0);
    if (minute >= pairStartMinute_ + kSplitSeconds) splitPending_ = true;

    error_ = writer_.Append(record, size);
    if (error_ != WriteError::kNone) return Result::kError;
    NoteMinute(h);
    return Result::kWritten;
}

RecordingSession::Result RecordingSession::WriteAudio(const uint8_t* record, size_t size) {
    if (!writer_.isOpen()) return Result::kDropped;
    error_ = writer_.Append(record, size);
    return error_ == WriteError::kNone ? Result::kWritten : Result::kError;
}

}  // namespace media
