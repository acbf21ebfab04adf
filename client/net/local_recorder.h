// The remote client's writer for local recordings and backup downloads: the records of the video
// stream (from the frame dispatch) and of the audio stream go into recording folders through a
// media::RecordingSession, with the free-space rule, the backup's progress and completion, and
// the notifications that tell the main window to stop recording (1041) or that a backup finished
// (1074).
//
// Threads: the video reader writes pictures, the audio reader writes audio blocks, the window's
// thread turns recording on and off. One mutex orders them; each record is appended with its
// index entry under the process-wide recording lock inside the pair writer. Notifications are
// posted after the mutex is released.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "client/net/channel_info.h"
#include "client/net/message_table.h"
#include "client/net/sinks.h"
#include "media/calendar_file.h"
#include "media/channel_clock.h"
#include "media/recording_session.h"

namespace client {

// Free bytes of the file system that holds `path` (or, when it does not exist yet, its nearest
// existing parent folder); nothing when that cannot be measured.
using FreeSpaceProbe = std::function<std::optional<uint64_t>(const std::string& path)>;
std::optional<uint64_t> FreeSpaceOf(const std::string& path);

// Enough room to record: more than 50 whole MiB free.
inline constexpr uint64_t kMinFreeMiB = 50;
inline bool EnoughFreeSpace(uint64_t freeBytes) {
    return freeBytes / (uint64_t{1} << 20) > kMinFreeMiB;
}

enum class RecordingKind { Local, Backup };

struct RecorderSettings {
    std::string recordRoot = "./";  // local recordings ("RecordPath"), ends with '/'
    std::string backupRoot = "./";  // backup downloads ("BackupPath"), ends with '/'
    FreeSpaceProbe probe;           // empty: FreeSpaceOf
    // The free space is measured again after this many bytes or milliseconds (0: every record).
    uint64_t probeEveryBytes = uint64_t{1} << 20;
    int probeEveryMs = 1000;
};

// Why the recorder turned itself off.
enum class RecorderStop {
    None,
    DiskFull,         // 50 MiB or less free: 1041 for every record that arrives until it is off
    WriteFailed,      // a file could not be created or written: 1041 once, with a message
    BackupCompleted,  // the backup reached its end time: "Backup completed.", 1074 with 1
    BackupEnded,      // the recorder had no more video for the backup: 1074
};

struct RecorderStats {
    uint64_t videoWritten = 0;
    uint64_t audioWritten = 0;
    uint64_t refused = 0;   // records not written for want of room
    uint64_t repeated = 0;  // records a reopened stream sent again, not written twice
    uint64_t bytes = 0;
};

class LocalRecorder {
  public:
    LocalRecorder(Notifier& notifier, const MessageTable& messages);
    ~LocalRecorder();
    LocalRecorder(const LocalRecorder&) = delete;
    LocalRecorder& operator=(const LocalRecorder&) = delete;

    void Configure(const RecorderSettings& settings);
    // The progress control of the backup progress box, or null.
    void SetProgressView(ProgressView* view) { progress_.store(view); }

    // Recording on: files open lazily at each channel's first Intra picture. `channels`: bit n
    // records channel n. A backup needs its range first (SetBackupRange).
    void Start(RecordingKind kind, const std::string& dvrName, uint16_t channels);
    // The backup's start and end as wall times (the range texts read as UTC).
    void SetBackupRange(int64_t start, int64_t end);
    // Recording off: the pair and the calendar are closed, the folder forgotten.
    void Stop();

    bool on() const { return on_.load(); }
    RecordingKind kind() const { return kind_; }
    bool backupCompleted() const { return completed_.load(); }
    RecorderStop stopReason() const;

    // One video record (kinds 0..2, header and payload as received) from the frame dispatch;
    // `info` names the channels for a new calendar file.
    void WriteVideo(std::span<const uint8_t> record, const ChannelInfo& info);
    // One audio record from the audio stream: appended to the open pair.
    void WriteAudio(std::span<const uint8_t> record);

    // The recorder ended a backup's stream (result code 10) before its end time: what came is
    // kept and the backup ends.
    void BackupStreamEnded();
    // The stream was opened again after a loss and may send records already written: each
    // channel's records up to its last written one are not written again, nor audio blocks.
    void StreamReopened();
    // The same for the audio stream alone.
    void AudioStreamReopened();
    // The earliest of the channels' last written times (wall time), where a backup resumes.
    std::optional<int64_t> ResumeTime() const;

    std::string folder() const;
    RecorderStats stats() const;

  private:
    struct Outcome {
        bool stopRecording = false;  // post 1041
        int messageIndex = -1;       // MessageTable entry to show
        int messageId = 0;           // or a client text to show
        int progress = -1;
        int done = -1;  // post 1074 with this parameter
    };
    struct Last {
        bool valid = false;
        bool resuming = false;  // after a reopen: skip up to this record
        uint32_t stamp = 0;
        int64_t time = 0;
    };

    bool HasRoomLocked(size_t bytes);
    void ChannelInfoLocked(const ChannelInfo& info);
    // `time`: the record's wall time as the channel clock counts it.
    bool RepeatedLocked(const media::FrameHeader& h, int64_t time);
    void WrittenLocked(const media::FrameHeader& h, int64_t time);
    void FailLocked(Outcome* out);
    void FinishBackupLocked(bool completed, Outcome* out);
    void Deliver(const Outcome& out);

    Notifier& notifier_;
    const MessageTable& messages_;
    std::atomic<ProgressView*> progress_{nullptr};

    mutable std::mutex mutex_;
    RecorderSettings settings_;
    std::unique_ptr<media::RecordingSession> session_;
    std::atomic<bool> on_{false};
    std::atomic<bool> completed_{false};
    RecordingKind kind_ = RecordingKind::Local;
    RecorderStop stop_ = RecorderStop::None;
    int64_t backupStart_ = 0;
    int64_t backupEnd_ = 0;
    int lastProgress_ = -1;
    static constexpr int kAudioSlot = media::kChannelCount;
    Last last_[media::kChannelCount + 1];  // per channel's pictures, and the audio blocks
    media::ChannelClock clock_;            // the pictures' times, in the order they arrive
    RecorderStats stats_;

    // Free space as last measured.
    bool probed_ = false;
    bool room_ = true;
    uint64_t bytesSinceProbe_ = 0;
    int64_t probedAtMs_ = 0;

    // The channel information the session has (so it is copied only when it changes).
    int infoChannels_ = -1;
    std::array<std::string, media::kCalendarChannels> infoTitles_;
};

}  // namespace client
