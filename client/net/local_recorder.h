// The remote client's writer for local recordings and backup downloads: the records of the video
// stream (from the frame dispatch) and of the audio stream go into recording folders through a
// media::RecordingSession, with the free-space rule, the backup's progress and completion, and
// the notifications that tell the main window to stop recording (1041) or that a backup finished
// (1074).
//
// Threads: the readers and the window only queue work (records, start, stop) and return; a writer
// thread of its own takes the queue in order and does every file operation, including the syncs,
// with no lock held. The queue is bounded: a disk that cannot keep up stops the recording with a
// message (nothing is dropped silently), and what was queued before is still written. Flush waits
// for the writer, for tools and tests; the windows never need it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

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
    // The writer's queue: at most this many records or bytes wait for the disk.
    size_t queueRecords = 2048;
    size_t queueBytes = size_t{64} << 20;
};

// Why the recorder turned itself off.
enum class RecorderStop {
    None,
    DiskFull,         // 50 MiB or less free: records are refused, 1041 once until room returns
    WriteFailed,      // a file could not be created or written: 1041 once, with a message
    TooSlow,          // the writer's queue was full: 1041 once, with a message
    BackupCompleted,  // the backup reached its end time: "Backup completed.", 1074 with 1
    BackupEnded,      // the recorder had no more video for the backup: 1074
};

struct RecorderStats {
    uint64_t videoWritten = 0;
    uint64_t audioWritten = 0;
    uint64_t refused = 0;   // records not written for want of room
    uint64_t repeated = 0;  // records a reopened stream sent again, not written twice
    uint64_t bytes = 0;
    size_t queuePeak = 0;  // most records waiting for the writer at once
};

// Why a file operation of the recording failed: the file and the system's error number.
struct RecorderFailure {
    std::string path;  // the file or folder that could not be written (may be empty)
    int error = 0;     // errno of the failing call, 0 when unknown
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
    // Recording off: what was queued is written, then the pair and the calendar are closed and
    // the folder forgotten. Returns at once.
    void Stop();
    // Waits until the writer has done everything queued so far.
    void Flush();

    bool on() const { return on_.load(); }
    RecordingKind kind() const;
    // The backup reached its end time (its last record may still be on its way to the disk): the
    // stream's further records are not wanted.
    bool backupCompleted() const { return completed_.load() || endQueued_.load(); }
    RecorderStop stopReason() const;
    RecorderFailure failure() const;

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
    enum class Op { Video, Audio, Start, Stop, Range, BackupEnded, Reopened, AudioReopened };
    struct Item {
        Op op = Op::Video;
        std::vector<uint8_t> bytes;  // a record (Video, Audio)
        ChannelInfo info;            // Video
        bool endsBackup = false;     // Video: the record that reaches the backup's end time
        RecordingKind kind = RecordingKind::Local;
        std::string dvrName;  // Start
        uint16_t channels = 0;
        int64_t start = 0, end = 0;  // Range
    };
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

    // Queues one item; false when the queue is full (records only).
    bool Enqueue(Item item);
    bool EnqueueRecord(Op op, std::span<const uint8_t> record, const ChannelInfo* info,
                       bool endsBackup = false);
    void Overflow();
    void WriterLoop();
    void Process(Item& item, Outcome* out);
    void StartSession(const Item& item);
    void StopSession();
    void ProcessVideo(std::span<const uint8_t> record, const ChannelInfo& info, bool endsBackup,
                      Outcome* out);
    void ProcessAudio(std::span<const uint8_t> record, Outcome* out);

    bool HasRoom(size_t bytes);
    void ChannelInfoChanged(const ChannelInfo& info);
    // `time`: the record's wall time as the channel clock counts it.
    bool Repeated(const media::FrameHeader& h, int64_t time);
    void Written(const media::FrameHeader& h, int64_t time, size_t bytes);
    void Fail(Outcome* out);
    void FinishBackup(bool completed, Outcome* out);
    void Deliver(const Outcome& out);

    Notifier& notifier_;
    const MessageTable& messages_;
    std::atomic<ProgressView*> progress_{nullptr};
    std::atomic<bool> on_{false};
    std::atomic<bool> completed_{false};
    // The callers' view of a backup's end, so the stream stops at the record that reaches it.
    std::atomic<bool> backup_{false};
    std::atomic<int64_t> backupEndSeen_{INT64_MAX};
    std::atomic<bool> endQueued_{false};

    // The queue between the callers and the writer thread.
    std::mutex queueMutex_;
    std::condition_variable queueCv_;
    std::deque<Item> queue_;
    std::vector<std::vector<uint8_t>> spare_;  // record buffers for reuse
    size_t spareBytes_ = 0;
    size_t queuedRecords_ = 0;
    size_t queuedBytes_ = 0;
    uint64_t enqueued_ = 0;
    uint64_t processed_ = 0;
    bool quit_ = false;
    RecorderSettings settings_;  // as configured; the writer takes a copy at each start

    // What the callers may read while the writer works.
    mutable std::mutex stateMutex_;
    RecordingKind kind_ = RecordingKind::Local;
    RecorderStop stop_ = RecorderStop::None;
    RecorderFailure failure_;
    RecorderStats stats_;
    std::string folder_;
    static constexpr int kAudioSlot = media::kChannelCount;
    Last last_[media::kChannelCount + 1];  // per channel's pictures, and the audio blocks

    // The writer thread's own state: touched by it alone.
    std::unique_ptr<media::RecordingSession> session_;
    RecorderSettings active_;
    bool writing_ = false;  // a session is on and has not failed or finished
    int64_t backupStart_ = 0;
    int64_t backupEnd_ = 0;
    int lastProgress_ = -1;
    media::ChannelClock clock_;  // the pictures' times, in the order they arrive
    bool probed_ = false;
    bool room_ = true;
    bool diskFullPosted_ = false;
    uint64_t bytesSinceProbe_ = 0;
    int64_t probedAtMs_ = 0;
    int infoChannels_ = -1;
    std::array<std::string, media::kCalendarChannels> infoTitles_;

    std::thread writer_;
};

}  // namespace client
