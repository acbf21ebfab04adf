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
    if (writer_.isOpen()) {
        if (writer_.Close() != WriteError::kNone && error_ == WriteError::kNone)
            error_ = WriteError::kCannotWrite;
    }
    if (!keepFolder) folder_.clear();
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
    return error_ == WriteError::kNone ? Result::kWritten : Result::kError;
}

RecordingSession::Result RecordingSession::WriteAudio(const uint8_t* record, size_t size) {
    if (!writer_.isOpen()) return Result::kDropped;
    error_ = writer_.Append(record, size);
    return error_ == WriteError::kNone ? Result::kWritten : Result::kError;
}

}  // namespace media
