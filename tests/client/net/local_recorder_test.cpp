#include "client/net/local_recorder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>

#include "client/net/client_strings.h"
#include "media/recording_file.h"
#include "tests/client/net/test_sinks.h"
#include "tests/support/records.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace client;
using testsupport::RecordSpec;

constexpr uint64_t kMiB = uint64_t{1} << 20;

class Progress : public ProgressView {
  public:
    void SetProgressText(std::string_view text) override { texts.emplace_back(text); }
    void SetProgressPosition(int percent) override { positions.push_back(percent); }
    std::vector<std::string> texts;
    std::vector<int> positions;
};

struct RecorderTest : ::testing::Test {
    testsupport::TempDir dir;
    nettest::RecordingSinks sinks;
    MessageTable messages;
    LocalRecorder recorder{sinks, messages};
    ChannelInfo info;
    uint64_t freeBytes = 1000 * kMiB;
    std::vector<std::string> probed;
    uint32_t stamp = 0;

    void SetUp() override {
        RecorderSettings s;
        s.recordRoot = dir / "record/";
        s.backupRoot = dir / "backup/";
        s.probe = [this](const std::string& path) -> std::optional<uint64_t> {
            probed.push_back(path);
            return freeBytes;
        };
        s.probeEveryBytes = 0;  // measured before every record
        recorder.Configure(s);
    }
    void Video(int channel, int kind, int hour, int minute, int second, uint8_t cause = 0) {
        auto r = testsupport::MakeRecord({.channel = channel,
                                          .kind = kind,
                                          .stamp = ++stamp,
                                          .hour = hour,
                                          .minute = minute,
                                          .second = second});
        r[15] = cause;
        recorder.WriteVideo(r, info);
        recorder.Flush();
    }
    void Audio(int channel) {
        auto r = testsupport::MakeRecord({.channel = channel, .kind = 3, .stamp = ++stamp});
        recorder.WriteAudio(r);
        recorder.Flush();
    }
    std::vector<std::string> Folders(const std::string& root) const {
        std::vector<std::string> out;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(root, ec))
            out.push_back(e.path().string() + "/");
        return out;
    }
};

TEST_F(RecorderTest, FiftyWholeMebibytesAreNotEnough) {
    EXPECT_FALSE(EnoughFreeSpace(50 * kMiB));
    EXPECT_FALSE(EnoughFreeSpace(51 * kMiB - 1));
    EXPECT_TRUE(EnoughFreeSpace(51 * kMiB));  // 53,477,376 bytes
}

TEST_F(RecorderTest, FreeSpaceIsMeasuredWhereTheRecordingGoes) {
    recorder.Start(RecordingKind::Local, "Shop", 0xFFFF);
    Video(0, 0, 10, 0, 0);
    ASSERT_FALSE(probed.empty());
    // Before the first pair: the root the folder is made in; then the folder itself.
    EXPECT_EQ(probed.front(), dir / "record/");
    Video(0, 1, 10, 0, 1);
    EXPECT_EQ(probed.back(), recorder.folder());
    EXPECT_EQ(recorder.folder(), dir / "record/Shop_20080601_100000/");

    // The measure works on folders that do not exist yet: their nearest existing parent.
    const auto free = FreeSpaceOf(dir / "not/yet/there/");
    ASSERT_TRUE(free.has_value());
    EXPECT_GT(*free, 0u);
}

TEST_F(RecorderTest, AFullDiskRefusesEveryRecordAndAsksToStop) {
    recorder.Start(RecordingKind::Local, "Shop", 0xFFFF);
    Video(0, 0, 10, 0, 0);
    Video(0, 1, 10, 0, 1);
    Audio(0);
    freeBytes = 50 * kMiB;
    Video(0, 1, 10, 0, 2);
    Video(0, 1, 10, 0, 3);
    Audio(0);  // nothing more is written while the disk is full
    // Said once, not for every refused record.
    EXPECT_EQ(sinks.Count("post", Notification::StopRecording), 1);
    EXPECT_EQ(recorder.stopReason(), RecorderStop::DiskFull);
    const RecorderStats stats = recorder.stats();
    EXPECT_EQ(stats.videoWritten, 2u);
    EXPECT_EQ(stats.audioWritten, 1u);
    EXPECT_EQ(stats.refused, 2u);
    const std::string folder = recorder.folder();
    recorder.Stop();  // the main window's answer
    recorder.Flush();
    // What was written before stays playable.
    media::RecordingFile file;
    ASSERT_EQ(file.Open(folder + "20080601_100000.idx"), media::OpenError::kNone);
    EXPECT_EQ(file.index().frameCount(), 2u);
    EXPECT_EQ(file.index().audioCount(), 1u);
}

TEST_F(RecorderTest, AFileThatCannotBeCreatedStopsTheRecordingWithAMessage) {
    testsupport::WriteFile(dir / "record", {1});  // a file where the root folder must go
    recorder.Start(RecordingKind::Local, "Shop", 0xFFFF);
    Video(0, 0, 10, 0, 0);
    Video(0, 0, 10, 0, 1);
    EXPECT_FALSE(recorder.on());
    EXPECT_EQ(recorder.stopReason(), RecorderStop::WriteFailed);
    EXPECT_EQ(sinks.Count("post", Notification::StopRecording), 1);  // once, not per record
    EXPECT_EQ(sinks.Messages(),
              std::vector<std::string>{"Record Failed!! The recording file cannot be written."});
    // What failed, for a window to show: the system's reason.
    EXPECT_NE(recorder.failure().error, 0);
}

TEST_F(RecorderTest, BackupShowsProgressAndCompletesAtItsEndTime) {
    Progress progress;
    recorder.SetProgressView(&progress);
    recorder.Start(RecordingKind::Backup, "Shop", 0x0003);
    recorder.SetBackupRange(media::WallTimeOf(108, 5, 1, 9, 0, 0),
                            media::WallTimeOf(108, 5, 1, 9, 4, 0));
    Video(0, 0, 9, 0, 0);
    Video(1, 0, 9, 0, 1);
    Video(0, 1, 9, 2, 0);
    Video(0, 2, 9, 3, 59);  // a Predicted picture counts at its Intra's 9:00: no progress back
    Video(1, 1, 9, 3, 0);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 50, 75}));
    EXPECT_EQ(progress.texts,
              (std::vector<std::string>{"completed 0%", "completed 50%", "completed 75%"}));
    EXPECT_EQ(sinks.Count("post", Notification::BackupDone), 0);
    Video(0, 1, 9, 4, 0);  // the end time: written, then the backup is complete
    EXPECT_EQ(progress.positions.back(), 100);
    EXPECT_EQ(progress.texts.back(), "completed 100%");
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"Backup completed."});
    EXPECT_EQ(sinks.Count("post", Notification::BackupDone, 1), 1);
    EXPECT_FALSE(recorder.on());
    EXPECT_TRUE(recorder.backupCompleted());
    EXPECT_EQ(recorder.stopReason(), RecorderStop::BackupCompleted);
    Video(0, 1, 9, 4, 1);  // ignored
    EXPECT_EQ(recorder.stats().videoWritten, 6u);

    const auto folders = Folders(dir / "backup/");
    ASSERT_EQ(folders.size(), 1u);
    media::RecordingFile file;
    ASSERT_EQ(file.Open(folders[0] + "20080601_090000.idx"), media::OpenError::kNone);
    EXPECT_EQ(file.index().frameCount(), 6u);
}

TEST_F(RecorderTest, ABackupTheRecorderEndsEarlyKeepsWhatCame) {
    recorder.Start(RecordingKind::Backup, "Shop", 0x0001);
    recorder.SetBackupRange(media::WallTimeOf(108, 5, 1, 9, 0, 0),
                            media::WallTimeOf(108, 5, 1, 10, 0, 0));
    Video(0, 0, 9, 10, 0);
    recorder.BackupStreamEnded();
    recorder.Flush();
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"Backup completed."});
    EXPECT_EQ(sinks.Count("post", Notification::BackupDone, 1), 1);
    EXPECT_FALSE(recorder.on());

    // Nothing at all in the range: the backup ends without claiming success.
    sinks.Clear();
    recorder.Start(RecordingKind::Backup, "Shop", 0x0001);
    recorder.SetBackupRange(media::WallTimeOf(108, 5, 1, 9, 0, 0),
                            media::WallTimeOf(108, 5, 1, 10, 0, 0));
    recorder.BackupStreamEnded();
    recorder.Flush();
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"No More Video!!"});
    EXPECT_EQ(sinks.Count("post", Notification::BackupDone, 0), 1);
    EXPECT_EQ(recorder.stopReason(), RecorderStop::BackupEnded);
}

TEST_F(RecorderTest, AReopenedStreamDoesNotWriteRecordsTwice) {
    recorder.Start(RecordingKind::Backup, "Shop", 0x0003);
    recorder.SetBackupRange(media::WallTimeOf(108, 5, 1, 9, 0, 0),
                            media::WallTimeOf(108, 5, 1, 10, 0, 0));
    const uint32_t s0 = stamp;
    Video(0, 0, 9, 0, 0);  // s0 + 1
    Video(1, 0, 9, 0, 0);  // s0 + 2
    Video(0, 1, 9, 0, 1);  // s0 + 3
    Video(0, 2, 9, 0, 0);  // s0 + 4
    Video(1, 1, 9, 0, 3);  // s0 + 5
    // Channel 0 last wrote a picture of 9:00:01, channel 1 one of 9:00:03.
    EXPECT_EQ(recorder.ResumeTime(), media::WallTimeOf(108, 5, 1, 9, 0, 1));
    recorder.StreamReopened();
    // The recorder sends again from 9:00:01.
    stamp = s0 + 2;
    Video(0, 1, 9, 0, 1);  // s0 + 3: written already
    Video(0, 2, 9, 0, 0);  // s0 + 4: the last one channel 0 wrote
    Video(1, 1, 9, 0, 3);  // s0 + 5: the last one channel 1 wrote
    Video(0, 1, 9, 0, 4);  // new
    Video(1, 1, 9, 0, 4);  // new
    const RecorderStats stats = recorder.stats();
    EXPECT_EQ(stats.repeated, 3u);
    EXPECT_EQ(stats.videoWritten, 7u);

    // A stream that resumes behind the last record writes from its first newer picture.
    recorder.StreamReopened();
    stamp = 1000;
    Video(0, 1, 9, 0, 9);
    EXPECT_EQ(recorder.stats().videoWritten, 8u);
}

TEST_F(RecorderTest, AFullDiskIsSaidAgainOnlyAfterRoomCameBack) {
    recorder.Start(RecordingKind::Local, "Shop", 0xFFFF);
    Video(0, 0, 10, 0, 0);
    freeBytes = 10 * kMiB;
    Video(0, 1, 10, 0, 1);
    Video(0, 1, 10, 0, 2);
    freeBytes = 1000 * kMiB;
    Video(0, 1, 10, 0, 3);
    freeBytes = 10 * kMiB;
    Video(0, 1, 10, 0, 4);
    EXPECT_EQ(sinks.Count("post", Notification::StopRecording), 2);
    EXPECT_EQ(recorder.stats().refused, 3u);
}

// The writer thread is held up (its disk measure blocks) while the readers go on: the readers
// never wait, a full queue stops the recording with a message, and every record queued before
// that still reaches the files.
TEST_F(RecorderTest, ADiskThatCannotKeepUpStopsTheRecordingCleanly) {
    std::mutex gate;
    std::unique_lock hold(gate);
    RecorderSettings s;
    s.recordRoot = dir / "record/";
    s.probe = [&gate](const std::string&) -> std::optional<uint64_t> {
        std::lock_guard wait(gate);
        return 1000 * kMiB;
    };
    s.probeEveryBytes = 0;
    s.queueRecords = 4;
    recorder.Configure(s);
    recorder.Start(RecordingKind::Local, "Shop", 0xFFFF);
    for (int i = 0; i < 8; ++i) {
        auto r = testsupport::MakeRecord(
            {.channel = 0, .kind = i == 0 ? 0 : 1, .stamp = ++stamp, .hour = 10, .second = i});
        recorder.WriteVideo(r, info);  // returns at once, with the writer stuck
    }
    EXPECT_FALSE(recorder.on());
    EXPECT_EQ(recorder.stopReason(), RecorderStop::TooSlow);
    EXPECT_EQ(sinks.Count("post", Notification::StopRecording), 1);
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{
                                    "Record Failed!! The disk cannot keep up with the recording."});
    hold.unlock();
    recorder.Flush();
    // The record the writer holds counts until it is written: four were accepted, and every
    // one is in the pair.
    const RecorderStats stats = recorder.stats();
    EXPECT_EQ(stats.videoWritten, 4u);
    media::RecordingFile file;
    const auto folders = Folders(dir / "record/");
    ASSERT_EQ(folders.size(), 1u);
    ASSERT_EQ(file.Open(folders[0] + "20080601_100000.idx"), media::OpenError::kNone);
    EXPECT_EQ(file.index().frameCount(), stats.videoWritten);
}

TEST_F(RecorderTest, AudioJoinsTheOpenPairOnly) {
    recorder.Start(RecordingKind::Local, "Shop", 0x0001);
    Audio(0);  // no pair yet
    Video(0, 0, 10, 0, 0);
    Audio(5);  // any channel's audio goes into the pair
    recorder.Stop();
    Audio(0);  // recording is off
    EXPECT_EQ(recorder.stats().audioWritten, 1u);
}

}  // namespace
