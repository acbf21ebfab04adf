#include "media/recording_session.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <filesystem>

#include "media/calendar_file.h"

#include "media/recording_file.h"
#include "tests/support/records.h"
#include "tests/support/temp_dir.h"

namespace {

using media::RecordingSession;
using Result = media::RecordingSession::Result;
using testsupport::MakeRecord;
using testsupport::RecordSpec;

Result Write(RecordingSession& s, const RecordSpec& fields) {
    auto r = MakeRecord(fields);
    return fields.kind == 3 ? s.WriteAudio(r.data(), r.size()) : s.WriteVideo(r.data(), r.size());
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RecordingSession, ChannelsStartAtTheirFirstIntraAndPairsSplitAfterFiveMinutes) {
    testsupport::TempDir root;
    RecordingSession session(root.path() + "rec", "Shop");
    uint32_t stamp = 0;
    auto at = [&](int channel, int kind, int minute, int second) {
        return Write(session, {.channel = channel,
                               .kind = kind,
                               .stamp = ++stamp,
                               .minute = minute,
                               .second = second});
    };
    EXPECT_EQ(at(0, 3, 0, 30), Result::kDropped);  // audio before any pair
    EXPECT_EQ(at(0, 1, 0, 35), Result::kDropped);  // no Intra yet
    EXPECT_EQ(at(0, 0, 0, 40), Result::kWritten);  // opens 20080601_100040
    EXPECT_EQ(at(1, 1, 0, 41), Result::kDropped);  // channel 1 waits for its Intra
    EXPECT_EQ(at(1, 0, 0, 42), Result::kWritten);
    EXPECT_EQ(at(0, 3, 0, 43), Result::kWritten);
    EXPECT_EQ(at(0, 1, 4, 59), Result::kWritten);
    EXPECT_EQ(at(0, 1, 5, 0), Result::kWritten);  // first record of 10:05: split pending
    EXPECT_EQ(at(1, 1, 5, 1), Result::kDropped);  // the pair has ended; channels restart
    EXPECT_EQ(at(0, 0, 5, 2), Result::kWritten);  // the next Intra opens the next pair
    EXPECT_EQ(at(1, 0, 5, 3), Result::kWritten);
    EXPECT_EQ(at(1, 2, 5, 4), Result::kWritten);
    const std::string folder = session.folder();
    EXPECT_EQ(folder, root.path() + "rec/Shop_20080601_100040/");
    session.Stop();
    EXPECT_TRUE(session.folder().empty());
    EXPECT_EQ(FilesIn(folder),
              (std::vector<std::string>{"20080601_100040.cdb", "20080601_100040.idx",
                                        "20080601_100040.umv", "20080601_100502.idx",
                                        "20080601_100502.umv"}));
    media::RecordingFile first, second;
    ASSERT_EQ(first.Open(folder + "20080601_100040.idx"), media::OpenError::kNone);
    EXPECT_EQ(first.index().frameCount(), 4u);
    EXPECT_EQ(first.index().audioCount(), 1u);
    ASSERT_EQ(second.Open(folder + "20080601_100502.umv"), media::OpenError::kNone);
    EXPECT_EQ(second.index().frameCount(), 3u);
}

TEST(RecordingSession, TheCalendarGetsOneEntryPerRecordedMinute) {
    testsupport::TempDir root;
    RecordingSession session(root.path(), "A recorder with a long name");
    std::array<std::string, 16> titles;
    titles[0] = "Door";
    titles[2] = "Yard";
    session.setChannelInfo(4, titles);
    session.setRecordedChannels(0x0007);
    uint32_t stamp = 0;
    auto at = [&](int channel, int kind, int minute, int second, int cause = 0) {
        auto r = MakeRecord({.channel = channel,
                             .kind = kind,
                             .stamp = ++stamp,
                             .minute = minute,
                             .second = second});
        r[15] = static_cast<uint8_t>(cause | 0x08);  // playback-state bits do not matter
        return session.WriteVideo(r.data(), r.size());
    };
    EXPECT_EQ(at(0, 0, 0, 40), Result::kWritten);
    EXPECT_EQ(at(1, 1, 0, 41, 1), Result::kDropped);  // not written: not in the calendar
    EXPECT_EQ(at(2, 0, 0, 42, 2), Result::kWritten);
    EXPECT_EQ(at(0, 1, 0, 43, 1), Result::kWritten);  // forced is code 0: motion replaces it
    EXPECT_EQ(at(3, 0, 0, 44, 1), Result::kDropped);  // not a recorded channel
    EXPECT_EQ(at(0, 1, 1, 0, 3), Result::kWritten);   // 10:01: cause 3 counts as forced
    EXPECT_EQ(at(2, 2, 0, 0, 1), Result::kWritten);   // a B-picture counts at its Intra's 10:00
    EXPECT_EQ(at(1, 0, 1, 2, 1), Result::kWritten);
    EXPECT_EQ(at(0, 1, 5, 0), Result::kWritten);     // 10:05: split pending
    EXPECT_EQ(at(0, 0, 5, 2, 1), Result::kWritten);  // next pair, same folder and calendar
    const std::string folder = session.folder();
    const std::string cdb = session.calendarPath();
    EXPECT_EQ(cdb, folder + "20080601_100040.cdb");
    // One entry per minute, each in the file from the minute's first picture on.
    EXPECT_EQ(testsupport::ReadFile(cdb).size(), 439u + 3 * 20u);
    session.Stop();
    EXPECT_FALSE(session.calendarFailed());

    media::Calendar cal;
    ASSERT_TRUE(cal.LoadFolder(folder));
    EXPECT_EQ(cal.header().recorderName, "A recorder w");
    EXPECT_EQ(cal.header().channels, 4);
    EXPECT_EQ(cal.header().titles[2], "Yard");
    const auto& m = cal.minutes();
    ASSERT_EQ(m.size(), 3u);
    using Codes = std::array<uint8_t, 16>;
    EXPECT_EQ(m[0].codes, (Codes{2, 0, 3}));
    EXPECT_EQ(m[1].codes, (Codes{1, 2, 0}));
    // The first pair's last minute and the second pair's first minute are both 10:05: they
    // share the folder calendar's one entry for it.
    EXPECT_EQ(m[2].minute, media::WallTimeOf(108, 5, 1, 10, 5, 0));
    EXPECT_EQ(m[2].codes, (Codes{2}));

    // A new recording gets a new folder with its own calendar.
    EXPECT_EQ(at(1, 0, 7, 0), Result::kWritten);
    EXPECT_NE(session.folder(), folder);
    EXPECT_EQ(session.calendarPath(), session.folder() + "20080601_100700.cdb");
}

TEST(RecordingSession, ARecordingNeverReplacesAnEarlierOne) {
    testsupport::TempDir root;
    auto record = [&](int channel) {
        RecordingSession session(root.path(), "Lobby");
        session.setRecordedChannels(static_cast<uint16_t>(1u << channel));
        for (uint32_t i = 0; i < 3; ++i)
            EXPECT_EQ(Write(session, {.channel = channel,
                                      .kind = i == 0 ? 0 : 1,
                                      .stamp = i + 1,
                                      .second = static_cast<int>(i)}),
                      Result::kWritten);
        const std::string folder = session.folder();
        session.Stop();
        return folder;
    };
    // The same range twice, for different channels: the same folder and pair names.
    const std::string first = record(0);
    const std::string second = record(2);
    EXPECT_EQ(first, root.path() + "Lobby_20080601_100000/");
    EXPECT_EQ(second, root.path() + "Lobby_20080601_100000_2/");
    for (const auto& [folder, channel] : {std::pair{first, 0}, std::pair{second, 2}}) {
        media::RecordingFile file;
        ASSERT_EQ(file.Open(folder + "20080601_100000.idx"), media::OpenError::kNone);
        EXPECT_EQ(file.index().frameCount(), 3u);
        EXPECT_EQ(file.index().resultChannel(), channel);
        media::Calendar cal;
        ASSERT_TRUE(cal.LoadFolder(folder));
        ASSERT_EQ(cal.minutes().size(), 1u);
        std::array<uint8_t, 16> codes{};
        codes[static_cast<size_t>(channel)] = 1;
        EXPECT_EQ(cal.minutes()[0].codes, codes) << folder;
    }

    // Inside one folder, a pair whose name is taken gets a numbered name (a clock set back).
    RecordingSession session(root.path(), "Desk");
    EXPECT_EQ(Write(session, {.kind = 0, .stamp = 1}), Result::kWritten);
    EXPECT_EQ(Write(session, {.kind = 1, .stamp = 2, .second = 1}), Result::kWritten);
    EXPECT_EQ(Write(session, {.kind = 1, .stamp = 3, .minute = 5}), Result::kWritten);
    EXPECT_EQ(Write(session, {.kind = 0, .stamp = 4}), Result::kWritten);  // 10:00:00 again
    const std::string folder = session.folder();
    session.Stop();
    EXPECT_EQ(FilesIn(folder),
              (std::vector<std::string>{"20080601_100000.cdb", "20080601_100000.idx",
                                        "20080601_100000.umv", "20080601_100000_2.idx",
                                        "20080601_100000_2.umv"}));
    media::RecordingFile kept;
    ASSERT_EQ(kept.Open(folder + "20080601_100000.idx"), media::OpenError::kNone);
    EXPECT_EQ(kept.index().frameCount(), 3u);
}

TEST(RecordingSession, AKilledRecordingKeepsTheMinuteInProgressInItsCalendar) {
    testsupport::TempDir root;
    // A child process records into the middle of 10:02 and dies with SIGKILL.
    const pid_t pid = fork();
    if (pid == 0) {
        RecordingSession session(root.path(), "Cut");
        uint32_t stamp = 0;
        for (int second = 50; second < 60 + 60 + 30; ++second)
            Write(session, {.channel = 1,
                            .kind = second % 10 ? 2 : 0,
                            .stamp = ++stamp,
                            .minute = second / 60,
                            .second = second % 60});
        raise(SIGKILL);
    }
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    media::Calendar cal;
    ASSERT_TRUE(cal.LoadFolder(root / "Cut_20080601_100050/"));
    ASSERT_EQ(cal.minutes().size(), 3u);
    EXPECT_EQ(cal.minutes()[2].minute, media::WallTimeOf(108, 5, 1, 10, 2, 0));
    EXPECT_EQ(cal.minutes()[2].codes[1], 1);
}

TEST(RecordingSession, PairsSplitByThePicturesClockTime) {
    testsupport::TempDir root;
    RecordingSession session(root.path(), "Clock");
    EXPECT_EQ(Write(session, {.kind = 0, .stamp = 1}), Result::kWritten);
    // A Predicted picture whose own bytes say 10:59 still counts at 10:00: no split.
    EXPECT_EQ(Write(session, {.kind = 2, .stamp = 2, .minute = 59}), Result::kWritten);
    EXPECT_EQ(Write(session, {.kind = 1, .stamp = 3, .second = 1}), Result::kWritten);
    EXPECT_EQ(session.pairsOpened(), 1);
    const std::string folder = session.folder();
    session.Stop();
    media::Calendar cal;
    ASSERT_TRUE(cal.LoadFolder(folder));
    EXPECT_EQ(cal.minutes().size(), 1u);  // and no minute 10:59 in the calendar
}

TEST(RecordingSession, TheRecorderNameStaysOneFolderInsideTheRoot) {
    testsupport::TempDir top;
    const std::string root = top / "a/b/root/";
    const std::vector<std::string> names = {"../../x", "a/b", "..", ".", "", "two\nlines", "로비"};
    for (const std::string& name : names) {
        RecordingSession session(root, name);
        ASSERT_EQ(Write(session, {.kind = 0, .stamp = 1}), Result::kWritten) << name;
        const std::string folder = session.folder();
        EXPECT_EQ(std::filesystem::path(folder).parent_path().parent_path().string() + "/", root)
            << name;
        session.Stop();
        // The calendar keeps the name as the recorder gave it.
        media::Calendar cal;
        ASSERT_TRUE(cal.LoadFolder(folder));
        EXPECT_EQ(cal.header().recorderName, name.substr(0, 12));
    }
    // Nothing was written anywhere but in the root.
    for (const auto& e : std::filesystem::recursive_directory_iterator(top.path()))
        EXPECT_TRUE(e.path().string().rfind(root, 0) == 0 || root.rfind(e.path().string(), 0) == 0)
            << e.path();
    EXPECT_EQ(FilesIn(root).size(), names.size());
}

TEST(RecordingSession, OnlyRecordedChannelsAreWritten) {
    testsupport::TempDir root;
    RecordingSession session(root.path(), "D");
    session.setRecordedChannels(0x0002);
    EXPECT_EQ(Write(session, {.channel = 0, .kind = 0, .stamp = 1}), Result::kDropped);
    EXPECT_FALSE(session.pairOpen());
    EXPECT_EQ(Write(session, {.channel = 1, .kind = 0, .stamp = 2}), Result::kWritten);
    EXPECT_TRUE(session.pairOpen());
}

TEST(RecordingSession, AnUnwritableRootIsAnError) {
    testsupport::TempDir root;
    testsupport::WriteFile(root / "file", {1});
    RecordingSession session(root / "file", "D");  // a file where a folder must go
    EXPECT_EQ(Write(session, {.kind = 0, .stamp = 1}), Result::kError);
    EXPECT_EQ(session.error(), media::WriteError::kCannotCreate);
}

// Files of this process may not grow beyond `bytes` while it lives: writes fail with EFBIG, as
// on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(RecordingSession, AFailedWriteEndsThePairAtItsLastWholeRecord) {
    testsupport::TempDir root;
    RecordingSession session(root.path(), "D");
    std::string folder;
    int written = 0;
    {
        const FileSizeLimit limit(20000);
        Result r = Result::kWritten;
        for (uint32_t i = 0; i < 100 && r == Result::kWritten; ++i) {
            r = Write(session,
                      {.kind = i % 10 ? 1 : 0, .stamp = i, .second = int(i % 60), .length = 16});
            if (r == Result::kWritten) {
                ++written;
                folder = session.folder();
            }
        }
        EXPECT_EQ(r, Result::kError);
        EXPECT_TRUE(session.failed());
        EXPECT_EQ(session.error(), media::WriteError::kCannotWrite);
        EXPECT_FALSE(session.pairOpen());  // closed at once
        // Nothing more is tried until the recording is stopped.
        EXPECT_EQ(Write(session, {.kind = 0, .stamp = 500}), Result::kError);
    }
    ASSERT_GT(written, 10);
    media::RecordingFile file;
    ASSERT_EQ(file.Open(folder + "20080601_100000.idx"), media::OpenError::kNone);
    EXPECT_EQ(file.index().frameCount(), static_cast<size_t>(written));
    EXPECT_EQ(std::filesystem::file_size(folder + "20080601_100000.umv"),
              static_cast<uintmax_t>(written) * (24 + 16 * 32));

    // Stopped, the session records again.
    session.Stop();
    EXPECT_FALSE(session.failed());
    EXPECT_EQ(Write(session, {.kind = 0, .stamp = 600, .minute = 9}), Result::kWritten);
}

TEST(RecordingSession, ACalendarThatCannotBeCreatedFailsTheRecording) {
    testsupport::TempDir root;
    RecordingSession session(root.path(), "D");
    {
        // Room for the empty pair files, not for the calendar's header.
        const FileSizeLimit limit(100);
        EXPECT_EQ(Write(session, {.kind = 0, .stamp = 1}), Result::kError);
    }
    EXPECT_EQ(session.error(), media::WriteError::kCannotCreate);
    EXPECT_TRUE(session.calendarFailed());
    EXPECT_FALSE(session.pairOpen());
}

}  // namespace
