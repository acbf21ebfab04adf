#include "client/net/local_recorder.h"

#include <algorithm>
#include <cerrno>
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

bool IsPredicted(const media::FrameHeader& h) {
    return h.kind == static_cast<uint8_t>(media::FrameKind::Predicted);
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
    : notifier_(notifier), messages_(messages) {
    settings_.probe = &FreeSpaceOf;
    writer_ = std::thread([this] { WriterLoop(); });
}

LocalRecorder::~LocalRecorder() {
    Stop();
    {
        std::lock_guard lock(queueMutex_);
        quit_ = true;
        queueCv_.notify_all();
    }
    writer_.join();
}

void LocalRecorder::Configure(const RecorderSettings& settings) {
    std::lock_guard lock(queueMutex_);
    settings_ = settings;
    if (!settings_.probe) settings_.probe = &FreeSpaceOf;
}

bool LocalRecorder::Enqueue(Item item) {
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(std::move(item));
        ++enqueued_;
    }
    queueCv_.notify_all();
    return true;
}

bool LocalRecorder::EnqueueRecord(Op op, std::span<const uint8_t> record, const ChannelInfo* info,
                                  bool endsBackup) {
    {
        std::lock_guard lock(queueMutex_);
        // Checked again under the lock: an overflow on another reader may just have ended it.
        if (!on_.load()) return true;
        if (queuedRecords_ >= settings_.queueRecords ||
            queuedBytes_ + record.size() > settings_.queueBytes) {
            on_.store(false);
        } else {
            Item item;
            item.op = op;
            if (!spare_.empty()) {
                item.bytes = std::move(spare_.back());
                spare_.pop_back();
                spareBytes_ -= item.bytes.capacity();
            }
            item.bytes.assign(record.begin(), record.end());
            if (info) item.info = *info;
            item.endsBackup = endsBackup;
            queue_.push_back(std::move(item));
            ++queuedRecords_;
            queuedBytes_ += record.size();
            ++enqueued_;
            queueCv_.notify_all();
            std::lock_guard state(stateMutex_);
            stats_.queuePeak = std::max(stats_.queuePeak, queuedRecords_);
            return true;
        }
    }
    Overflow();
    return false;
}

void LocalRecorder::Overflow() {
    // The disk cannot keep up: recording stops here, said so once. What is queued is still
    // written, then the pair is closed.
    RecordingKind kind;
    {
        std::lock_guard state(stateMutex_);
        stop_ = RecorderStop::TooSlow;
        kind = kind_;
    }
    Enqueue(Item{.op = Op::Stop});
    const int id = kind == RecordingKind::Backup ? kTextBackupTooSlow : kTextRecordTooSlow;
    notifier_.ShowMessage(id, ClientText(id));
    notifier_.Post(Notification::StopRecording, 0);
}

void LocalRecorder::Start(RecordingKind kind, const std::string& dvrName, uint16_t channels) {
    {
        std::lock_guard state(stateMutex_);
        kind_ = kind;
        stop_ = RecorderStop::None;
        failure_ = RecorderFailure{};
    }
    completed_.store(false);
    endQueued_.store(false);
    backup_.store(kind == RecordingKind::Backup);
    backupEndSeen_.store(INT64_MAX);
    Item item;
    item.op = Op::Start;
    item.kind = kind;
    item.dvrName = dvrName;
    item.channels = channels;
    Enqueue(std::move(item));
    on_.store(true);
}

void LocalRecorder::SetBackupRange(int64_t start, int64_t end) {
    backupEndSeen_.store(end);
    Enqueue(Item{.op = Op::Range, .start = start, .end = end});
}

void LocalRecorder::Stop() {
    on_.store(false);
    Enqueue(Item{.op = Op::Stop});
}

void LocalRecorder::Flush() {
    std::unique_lock lock(queueMutex_);
    const uint64_t target = enqueued_;
    queueCv_.wait(lock, [&] { return processed_ >= target; });
}

void LocalRecorder::WriterLoop() {
    for (;;) {
        Item item;
        {
            std::unique_lock lock(queueMutex_);
            queueCv_.wait(lock, [this] { return quit_ || !queue_.empty(); });
            if (queue_.empty()) return;
            item = std::move(queue_.front());
            queue_.pop_front();
        }
        Outcome out;
        Process(item, &out);
        Deliver(out);
        {
            std::lock_guard lock(queueMutex_);
            if (item.op == Op::Video || item.op == Op::Audio) {
                --queuedRecords_;
                queuedBytes_ -= item.bytes.size();
                // Kept for reuse up to a full queue's worth of bytes: a backlog allocates only
                // once.
                if (spareBytes_ + item.bytes.capacity() <= settings_.queueBytes) {
                    spareBytes_ += item.bytes.capacity();
                    spare_.push_back(std::move(item.bytes));
                }
            }
            ++processed_;
        }
        queueCv_.notify_all();
    }
}

void LocalRecorder::Process(Item& item, Outcome* out) {
    switch (item.op) {
        case Op::Video:
            ProcessVideo(item.bytes, item.info, item.endsBackup, out);
            break;
        case Op::Audio:
            ProcessAudio(item.bytes, out);
            break;
        case Op::Start:
            StartSession(item);
            break;
        case Op::Stop:
            StopSession();
            break;
        case Op::Range:
            backupStart_ = item.start;
            backupEnd_ = item.end;
            break;
        case Op::BackupEnded:
            if (writing_ && session_) {
                uint64_t written;
                {
                    std::lock_guard state(stateMutex_);
                    written = stats_.videoWritten;
                }
                FinishBackup(written > 0, out);
            }
            break;
        case Op::Reopened:
        case Op::AudioReopened: {
            std::lock_guard state(stateMutex_);
            const int first = item.op == Op::Reopened ? 0 : kAudioSlot;
            for (int c = first; c <= kAudioSlot; ++c)
                last_[c].resuming = last_[c].valid;
            break;
        }
    }
}

void LocalRecorder::StartSession(const Item& item) {
    if (session_) session_->Stop();
    {
        std::lock_guard lock(queueMutex_);
        active_ = settings_;
    }
    session_ = std::make_unique<media::RecordingSession>(
        item.kind == RecordingKind::Backup ? active_.backupRoot : active_.recordRoot, item.dvrName);
    session_->setRecordedChannels(item.channels);
    {
        // Reset here, in order: records of the previous recording queued before its stop were
        // counted for it.
        std::lock_guard state(stateMutex_);
        stats_ = RecorderStats{};
        folder_.clear();
        for (Last& l : last_)
            l = Last{};
    }
    infoChannels_ = -1;
    lastProgress_ = -1;
    clock_.Reset();
    probed_ = false;
    room_ = true;
    diskFullPosted_ = false;
    writing_ = true;
}

void LocalRecorder::StopSession() {
    writing_ = false;
    if (session_) session_->Stop();
    std::lock_guard state(stateMutex_);
    for (Last& l : last_)
        l.resuming = false;
}

RecordingKind LocalRecorder::kind() const {
    std::lock_guard state(stateMutex_);
    return kind_;
}

RecorderStop LocalRecorder::stopReason() const {
    std::lock_guard state(stateMutex_);
    return stop_;
}

RecorderFailure LocalRecorder::failure() const {
    std::lock_guard state(stateMutex_);
    return failure_;
}

std::string LocalRecorder::folder() const {
    std::lock_guard state(stateMutex_);
    return folder_;
}

RecorderStats LocalRecorder::stats() const {
    std::lock_guard state(stateMutex_);
    return stats_;
}

bool LocalRecorder::HasRoom(size_t bytes) {
    bytesSinceProbe_ += bytes;
    const int64_t now = NowMs();
    if (probed_ && room_ && bytesSinceProbe_ < active_.probeEveryBytes &&
        now - probedAtMs_ < active_.probeEveryMs)
        return true;
    // Measured where the files go: the recording folder, or the root it will be made in.
    const std::string& folder = session_->folder();
    const RecordingKind kind = this->kind();
    const auto free = active_.probe(
        folder.empty() ? (kind == RecordingKind::Backup ? active_.backupRoot : active_.recordRoot)
                       : folder);
    // A file system that cannot be measured is written to; a failing write still stops it.
    room_ = !free || EnoughFreeSpace(*free);
    probed_ = true;
    probedAtMs_ = now;
    bytesSinceProbe_ = 0;
    return room_;
}

void LocalRecorder::ChannelInfoChanged(const ChannelInfo& info) {
    bool same = infoChannels_ == info.channelCount();
    for (int c = 0; same && c < media::kCalendarChannels; ++c)
        same = infoTitles_[static_cast<size_t>(c)] == info.Name(c);
    if (same) return;
    infoChannels_ = info.channelCount();
    for (int c = 0; c < media::kCalendarChannels; ++c)
        infoTitles_[static_cast<size_t>(c)] = std::string(info.Name(c));
    session_->setChannelInfo(infoChannels_, infoTitles_);
}

bool LocalRecorder::Repeated(const media::FrameHeader& h, int64_t time) {
    std::lock_guard state(stateMutex_);
    Last& l = last_[h.IsAudio() ? kAudioSlot : h.channel];
    if (!l.resuming) return false;
    // Newer than the last one written: the stream has caught up. A Predicted picture counts at
    // its Intra's time, which may lie before the channel's latest: its stamp alone decides.
    const bool newerStamp = static_cast<int32_t>(h.stamp - l.stamp) > 0;
    const bool newer =
        IsPredicted(h) ? newerStamp : time > l.time || (time == l.time && newerStamp);
    if (newer) l.resuming = false;
    if (!newer) ++stats_.repeated;
    return !newer;
}

void LocalRecorder::Written(const media::FrameHeader& h, int64_t time, size_t bytes) {
    std::lock_guard state(stateMutex_);
    Last& l = last_[h.IsAudio() ? kAudioSlot : h.channel];
    // The latest time written: a Predicted picture (at its Intra's time) never moves it back.
    if (!l.valid || time > l.time) l.time = time;
    l.valid = true;
    l.stamp = h.stamp;
    if (h.IsAudio())
        ++stats_.audioWritten;
    else
        ++stats_.videoWritten;
    stats_.bytes += bytes;
    if (folder_ != session_->folder()) folder_ = session_->folder();
}

void LocalRecorder::Fail(Outcome* out) {
    const int error = errno;
    on_.store(false);
    writing_ = false;
    RecorderFailure failure;
    failure.error = error;
    failure.path = session_->calendarFailed()             ? session_->calendarPath()
                   : !session_->currentDataPath().empty() ? session_->currentDataPath()
                                                          : session_->folder();
    session_->Stop();
    std::lock_guard state(stateMutex_);
    stop_ = RecorderStop::WriteFailed;
    failure_ = std::move(failure);
    out->stopRecording = true;
    out->messageId =
        kind_ == RecordingKind::Backup ? kTextBackupWriteFailed : kTextRecordWriteFailed;
}

void LocalRecorder::FinishBackup(bool completed, Outcome* out) {
    on_.store(false);
    writing_ = false;
    completed_.store(true);
    session_->Stop();
    {
        std::lock_guard state(stateMutex_);
        stop_ = completed ? RecorderStop::BackupCompleted : RecorderStop::BackupEnded;
    }
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
    if (!on_.load() || record.size() < media::kFrameHeaderSize) return;
    const media::FrameHeader h = media::FrameHeader::Decode(record.data());
    if (!h.IsVideo() || h.IsSkipped() || h.extent() > record.size()) return;
    if (endQueued_.load()) return;
    // A Predicted picture's date bytes are not its own: it does not end a backup.
    const bool endsBackup =
        backup_.load() && !IsPredicted(h) && WallTimeOfHeader(h) >= backupEndSeen_.load();
    if (endsBackup) endQueued_.store(true);
    // The record is what its header announces; bytes a packet carries behind it are not.
    EnqueueRecord(Op::Video, record.first(h.extent()), &info, endsBackup);
}

void LocalRecorder::WriteAudio(std::span<const uint8_t> record) {
    if (!on_.load() || record.size() < media::kFrameHeaderSize) return;
    const size_t extent = media::RecordExtent(record.data());
    if (extent > record.size()) return;
    EnqueueRecord(Op::Audio, record.first(extent), nullptr);
}

void LocalRecorder::ProcessVideo(std::span<const uint8_t> record, const ChannelInfo& info,
                                 bool endsBackup, Outcome* out) {
    if (!writing_ || !session_) return;
    const media::FrameHeader h = media::FrameHeader::Decode(record.data());
    const int64_t t = clock_.Time(h).wall();
    if (Repeated(h, t)) return;
    if (!HasRoom(record.size())) {
        std::lock_guard state(stateMutex_);
        ++stats_.refused;
        stop_ = RecorderStop::DiskFull;
        // Said once: the window stops the recording; a disk that gets room again and fills up
        // once more says it again.
        out->stopRecording = !diskFullPosted_;
        diskFullPosted_ = true;
        return;
    }
    if (!session_->pairOpen()) ChannelInfoChanged(info);
    const auto result = session_->WriteVideo(record.data(), record.size());
    if (result == media::RecordingSession::Result::kError) {
        Fail(out);
        return;
    }
    if (result == media::RecordingSession::Result::kWritten) {
        diskFullPosted_ = false;
        Written(h, t, record.size());
    }
    if (endsBackup) {
        // The range is done, whether or not this very record belonged in the pair.
        FinishBackup(true, out);
        return;
    }
    if (result != media::RecordingSession::Result::kWritten) return;
    if (kind() == RecordingKind::Backup) {
        // Progress only rises: a Predicted picture counts at its Intra's (earlier) time.
        if (t >= backupStart_ && t < backupEnd_ && backupEnd_ > backupStart_) {
            const int p = static_cast<int>((t - backupStart_) * 100 / (backupEnd_ - backupStart_));
            if (p > lastProgress_) out->progress = lastProgress_ = p;
        }
    }
}

void LocalRecorder::ProcessAudio(std::span<const uint8_t> record, Outcome* out) {
    if (!writing_ || !session_ || !session_->pairOpen() || !room_) return;
    const media::FrameHeader h = media::FrameHeader::Decode(record.data());
    const int64_t t = WallTimeOfHeader(h);
    if (Repeated(h, t)) return;
    const auto result = session_->WriteAudio(record.data(), record.size());
    if (result == media::RecordingSession::Result::kError) {
        Fail(out);
    } else if (result == media::RecordingSession::Result::kWritten) {
        Written(h, t, record.size());
        bytesSinceProbe_ += record.size();
    }
}

void LocalRecorder::BackupStreamEnded() {
    Enqueue(Item{.op = Op::BackupEnded});
}

void LocalRecorder::StreamReopened() {
    Enqueue(Item{.op = Op::Reopened});
}

void LocalRecorder::AudioStreamReopened() {
    Enqueue(Item{.op = Op::AudioReopened});
}

std::optional<int64_t> LocalRecorder::ResumeTime() const {
    std::lock_guard state(stateMutex_);
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
    if (out.stopRecording) notifier_.Post(Notification::StopRecording, 0);
    if (out.done >= 0) notifier_.Post(Notification::BackupDone, out.done);
}

}  // namespace client
