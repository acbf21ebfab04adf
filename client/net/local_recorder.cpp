#include "client/net/local_recorder.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "client/net/client_strings.h"
#include "client/net/protocol.h"
#include "media/wall_time.h"

namespace client {
namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t WallTimeOfHeader(const media::FrameHeader& h) {
    return media::WallTimeOf(h.year, h.month, h.day, h.hour, h.minute, h.second);
}

}  // namespace

std::optional<uint64_t> FreeSpaceOf(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p = fs::absolute(path.empty() ? "." : path, ec);
    if (ec) return std::nullopt;
    // The recording folder may not exist yet: measure the file system it will be created on.
    while (!fs::exists(p, ec)) {
        if (!p.has_relative_path()) return std::nullopt;
        p = p.parent_path();
    }
    const fs::space_info s = fs::space(p, ec);
    if (ec) return std::nullopt;
    return s.available;
}

void ShowProgress(ProgressView* view, int percent) {
    if (!view) return;
    char text[32];
    std::snprintf(text, sizeof text, "completed %d%%", percent);
    view->SetProgressText(text);
    view->SetProgressPosition(percent);
}

LocalRecorder::LocalRecorder(Notifier& notifier, const MessageTable& messages)
    : notifier_(notifier), messages_(messages) {}

LocalRecorder::~LocalRecorder() {
    Stop();
}

void LocalRecorder::Configure(const RecorderSettings& settings) {
    std::lock_guard lock(mutex_);
    settings_ = settings;
    if (!settings_.probe) settings_.probe = &FreeSpaceOf;
}

void LocalRecorder::Start(RecordingKind kind, const std::string& dvrName, uint16_t channels) {
    std::lock_guard lock(mutex_);
    if (!settings_.probe) settings_.probe = &FreeSpaceOf;
    if (session_) session_->Stop();
    kind_ = kind;
    session_ = std::make_unique<media::RecordingSession>(
        kind == RecordingKind::Backup ? settings_.backupRoot : settings_.recordRoot, dvrName);
    session_->setRecordedChannels(channels);
    infoChannels_ = -1;
    stop_ = RecorderStop::None;
    lastProgress_ = -1;
    for (Last& l : last_)
        l = Last{};
    clock_.Reset();
    stats_ = RecorderStats{};
    probed_ = false;
    room_ = true;
    completed_.store(false);
    on_.store(true);
}

void LocalRecorder::SetBackupRange(int64_t start, int64_t end) {
    std::lock_guard lock(mutex_);
    backupStart_ = start;
    backupEnd_ = end;
}

void LocalRecorder::Stop() {
    std::lock_guard lock(mutex_);
    on_.store(false);
    if (session_) session_->Stop();
    for (Last& l : last_)
        l.resuming = false;
}

RecorderStop LocalRecorder::stopReason() const {
    std::lock_guard lock(mutex_);
    return stop_;
}

std::string LocalRecorder::folder() const {
    std::lock_guard lock(mutex_);
    return session_ ? session_->folder() : std::string();
}

RecorderStats LocalRecorder::stats() const {
    std::lock_guard lock(mutex_);
    return stats_;
}

bool LocalRecorder::HasRoomLocked(size_t bytes) {
    bytesSinceProbe_ += bytes;
    const int64_t now = NowMs();
    if (probed_ && room_ && bytesSinceProbe_ < settings_.probeEveryBytes &&
        now - probedAtMs_ < settings_.probeEveryMs)
        return true;
    // Measured where the files go: the recording folder, or the root it will be made in.
    const std::string& folder = session_->folder();
    const auto free =
        settings_.probe(folder.empty() ? (kind_ == RecordingKind::Backup ? settings_.backupRoot
                                                                         : settings_.recordRoot)
                                       : folder);
    // A file system that cannot be measured is written to; a failing write still stops it.
    room_ = !free || EnoughFreeSpace(*free);
    probed_ = true;
    probedAtMs_ = now;
    bytesSinceProbe_ = 0;
    return room_;
}

void LocalRecorder::ChannelInfoLocked(const ChannelInfo& info) {
    bool same = infoChannels_ == info.channelCount();
    for (int c = 0; same && c < media::kCalendarChannels; ++c)
        same = infoTitles_[static_cast<size_t>(c)] == info.Name(c);
    if (same) return;
    infoChannels_ = info.channelCount();
    for (int c = 0; c < media::kCalendarChannels; ++c)
        infoTitles_[static_cast<size_t>(c)] = std::string(info.Name(c));
    session_->setChannelInfo(infoChannels_, infoTitles_);
}

bool LocalRecorder::RepeatedLocked(const media::FrameHeader& h, int64_t time) {
    Last& l = last_[h.IsAudio() ? kAudioSlot : h.channel];
    if (!l.resuming) return false;
    // Newer than the last one written: the stream has caught up. A Predicted picture counts at
    // its Intra's time, which may lie before the channel's latest: its stamp alone decides.
    const bool newerStamp = static_cast<int32_t>(h.stamp - l.stamp) > 0;
    const bool predicted = h.kind == static_cast<uint8_t>(media::FrameKind::Predicted);
    const bool newer = predicted ? newerStamp : time > l.time || (time == l.time && newerStamp);
    if (newer) l.resuming = false;
    return !newer;
}

void LocalRecorder::WrittenLocked(const media::FrameHeader& h, int64_t time) {
    Last& l = last_[h.IsAudio() ? kAudioSlot : h.channel];
    // The latest time written: a Predicted picture (at its Intra's time) never moves it back.
    if (!l.valid || time > l.time) l.time = time;
    l.valid = true;
    l.stamp = h.stamp;
}

void LocalRecorder::FailLocked(Outcome* out) {
    on_.store(false);
    stop_ = RecorderStop::WriteFailed;
    session_->Stop();
    out->stopRecording = true;
    out->messageId =
        kind_ == RecordingKind::Backup ? kTextBackupWriteFailed : kTextRecordWriteFailed;
}

void LocalRecorder::FinishBackupLocked(bool completed, Outcome* out) {
    on_.store(false);
    completed_.store(true);
    session_->Stop();
    stop_ = completed ? RecorderStop::BackupCompleted : RecorderStop::BackupEnded;
    if (completed) {
        out->progress = 100;
        out->messageIndex = MessageTable::kBackupCompleted;
        out->done = 1;
    } else {
        out->messageIndex = kResultNoMoreVideo - 1;
        out->done = 0;
    }
}

void LocalRecorder::WriteVideo(std::span<const uint8_t> record, const ChannelInfo& info) {
    if (!on_.load()) return;
    Outcome out;
    {
        std::lock_guard lock(mutex_);
        if (!on_.load() || !session_ || record.size() < media::kFrameHeaderSize) return;
        const media::FrameHeader h = media::FrameHeader::Decode(record.data());
        if (!h.IsVideo() || h.IsSkipped() || h.extent() > record.size()) return;
        // The record is what its header announces; bytes a packet carries behind it are not.
        record = record.first(h.extent());
        const int64_t t = clock_.Time(h).wall();
        if (RepeatedLocked(h, t)) {
            ++stats_.repeated;
            return;
        }
        if (!HasRoomLocked(record.size())) {
            ++stats_.refused;
            stop_ = RecorderStop::DiskFull;
            out.stopRecording = true;
        } else {
            if (!session_->pairOpen()) ChannelInfoLocked(info);
            const auto result = session_->WriteVideo(record.data(), record.size());
            if (result == media::RecordingSession::Result::kError) {
                FailLocked(&out);
            } else if (result == media::RecordingSession::Result::kWritten) {
                ++stats_.videoWritten;
                stats_.bytes += record.size();
                WrittenLocked(h, t);
                if (kind_ == RecordingKind::Backup) {
                    if (t >= backupEnd_) {
                        FinishBackupLocked(true, &out);
                    } else if (t >= backupStart_ && backupEnd_ > backupStart_) {
                        const int p = static_cast<int>((t - backupStart_) * 100 /
                                                       (backupEnd_ - backupStart_));
                        if (p > lastProgress_) out.progress = lastProgress_ = p;
                    }
                }
            }
        }
    }
    Deliver(out);
}

void LocalRecorder::WriteAudio(std::span<const uint8_t> record) {
    if (!on_.load()) return;
    Outcome out;
    {
        std::lock_guard lock(mutex_);
        if (!on_.load() || !session_ || !session_->pairOpen() || !room_) return;
        if (record.size() < media::kFrameHeaderSize) return;
        const size_t extent = media::RecordExtent(record.data());
        if (extent > record.size()) return;
        const media::FrameHeader h = media::FrameHeader::Decode(record.data());
        const int64_t t = WallTimeOfHeader(h);
        if (RepeatedLocked(h, t)) {
            ++stats_.repeated;
            return;
        }
        const auto result = session_->WriteAudio(record.data(), extent);
        if (result == media::RecordingSession::Result::kError) {
            FailLocked(&out);
        } else if (result == media::RecordingSession::Result::kWritten) {
            WrittenLocked(h, t);
            ++stats_.audioWritten;
            stats_.bytes += extent;
            bytesSinceProbe_ += extent;
        }
    }
    Deliver(out);
}

void LocalRecorder::BackupStreamEnded() {
    Outcome out;
    {
        std::lock_guard lock(mutex_);
        if (!on_.load() || kind_ != RecordingKind::Backup || !session_) return;
        FinishBackupLocked(stats_.videoWritten > 0, &out);
    }
    Deliver(out);
}

void LocalRecorder::StreamReopened() {
    std::lock_guard lock(mutex_);
    for (Last& l : last_)
        l.resuming = l.valid;
}

void LocalRecorder::AudioStreamReopened() {
    std::lock_guard lock(mutex_);
    last_[kAudioSlot].resuming = last_[kAudioSlot].valid;
}

std::optional<int64_t> LocalRecorder::ResumeTime() const {
    std::lock_guard lock(mutex_);
    std::optional<int64_t> earliest;
    for (int c = 0; c < media::kChannelCount; ++c) {
        const Last& l = last_[c];
        if (l.valid && l.time > 0 && (!earliest || l.time < *earliest)) earliest = l.time;
    }
    return earliest;
}

void LocalRecorder::Deliver(const Outcome& out) {
    if (out.progress >= 0) ShowProgress(progress_.load(), out.progress);
    if (out.messageIndex >= 0)
        notifier_.ShowMessage(messages_.id(out.messageIndex), messages_.Text(out.messageIndex));
    if (out.messageId) notifier_.ShowMessage(out.messageId, ClientText(out.messageId));
    if (out.stopRecording) notifier_.Post(kNotifyStopRecording, 0);
    if (out.done >= 0) notifier_.Post(kNotifyBackupDone, out.done);
}

}  // namespace client
