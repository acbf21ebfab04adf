// The simulated recorder's disk and its playback logic.
#include <gtest/gtest.h>

#include "media/calendar_file.h"
#include "media/recording_session.h"
#include "tests/support/records.h"
#include "tests/support/temp_dir.h"
#include "tools/dvrsim/disk.h"
#include "tools/dvrsim/playback.h"

namespace {

using dvrsim::Disk;
using dvrsim::Playback;
using Step = dvrsim::Playback::Step;

// Two channels, two pictures a second each (an Intra every second), from 10:00:00 to 10:00:59;
// channel 1 sees motion from 10:00:10 to 10:00:19. Audio on channel 0 twice a second.
void MakeDisk(const std::string& root) {
    media::RecordingSession session(root, "Disk");
    uint32_t stamp = 0;
    for (int second = 0; second < 60; ++second) {
        for (int half = 0; half < 2; ++half) {
            for (int channel = 0; channel < 2; ++channel) {
                auto r = testsupport::MakeRecord(
                    {.channel = channel, .kind = half, .stamp = stamp += 11250, .second = second});
                if (channel == 1 && second >= 10 && second < 20) r[15] = 1;
                session.WriteVideo(r.data(), r.size());
            }
            auto a = testsupport::MakeRecord({.kind = 3, .stamp = stamp, .second = second});
            session.WriteAudio(a.data(), a.size());
        }
    }
    session.Stop();
}

struct DiskTest : ::testing::Test {
    void SetUp() override {
        MakeDisk(dir.path());
        std::string error;
        ASSERT_TRUE(disk.Load(dir.path(), &error)) << error;
    }
    int64_t At(int second) const { return media::WallTimeOf(108, 5, 1, 10, 0, second); }

    testsupport::TempDir dir;
    Disk disk;
};

TEST_F(DiskTest, FilesAreNamedAsTheClientReadsThem) {
    const std::string path = Disk::FilePath(At(10), 1, 1);
    EXPECT_EQ(path, "/hdda/recs/20080601/ch01/080601_100010_01_M.umv");
    EXPECT_EQ(path.substr(25, 13), "080601_100010");
    EXPECT_EQ(path.substr(39, 2), "01");
    EXPECT_EQ(path.substr(path.rfind('/') + 1).size(), 22u);

    // Channel 0 is one forced file; channel 1 forced, motion, forced again.
    ASSERT_EQ(disk.files().size(), 4u);
    EXPECT_EQ(disk.Search(At(0), At(59), -1, 0),
              "/hdda/recs/20080601/ch00/080601_100000_00_F.umv,080601100059,6720,0\n"
              "/hdda/recs/20080601/ch01/080601_100000_01_F.umv,080601100009,1120,0\n"
              "/hdda/recs/20080601/ch01/080601_100010_01_M.umv,080601100019,1120,1\n"
              "/hdda/recs/20080601/ch01/080601_100020_01_F.umv,080601100059,4480,0\n");
    EXPECT_EQ(disk.Search(At(0), At(59), 1, 1),
              "/hdda/recs/20080601/ch01/080601_100010_01_M.umv,080601100019,1120,1\n");
    EXPECT_EQ(disk.Search(At(0), At(59), 0, 2), "");
    // Files that overlap the range.
    EXPECT_EQ(disk.Search(At(30), At(40), 1, 0),
              "/hdda/recs/20080601/ch01/080601_100020_01_F.umv,080601100059,4480,0\n");
}

TEST_F(DiskTest, TheCalendarIsACalendarFileOfTheDisk) {
    media::CalendarHeader header;
    header.channels = 4;
    header.recorderName = "Sim";
    const std::vector<uint8_t> body = disk.Calendar(header);
    media::Calendar calendar;
    ASSERT_TRUE(calendar.Parse(body));
    EXPECT_EQ(calendar.header().recorderName, "Sim");
    ASSERT_EQ(calendar.minutes().size(), 1u);
    EXPECT_EQ(calendar.minutes()[0].minute, At(0));
    EXPECT_EQ(calendar.minutes()[0].codes[0], 1);  // forced
    EXPECT_EQ(calendar.minutes()[0].codes[1], 2);  // motion
}

TEST_F(DiskTest, RecorderTimes) {
    int64_t t = 0;
    ASSERT_TRUE(dvrsim::ParseRecorderTime("080601100010", &t));
    EXPECT_EQ(t, At(10));
    ASSERT_TRUE(dvrsim::ParseRecorderTime("20080601100010", &t));
    EXPECT_EQ(t, At(10));
    EXPECT_FALSE(dvrsim::ParseRecorderTime("0806011000", &t));
    EXPECT_FALSE(dvrsim::ParseRecorderTime("081301100010", &t));
    EXPECT_EQ(dvrsim::RecorderTimeText(At(10)), "080601100010");
}

TEST_F(DiskTest, PlaybackGoesThroughItsRangeAtItsSpeed) {
    Playback p(disk, dvrsim::BackupRange(disk, At(58), At(59), 0x0002));
    std::vector<int> seconds;
    while (p.Next() == Step::Record) {
        const auto& r = disk.records()[p.index()];
        EXPECT_EQ(r.header.channel, 1);
        EXPECT_EQ(p.state(), 1);
        seconds.push_back(r.header.second);
    }
    EXPECT_EQ(seconds, (std::vector<int>{58, 58, 59, 59}));
    EXPECT_EQ(p.Next(), Step::End);

    // Pictures follow each other by a quarter of a second of stamps.
    Playback q(disk, dvrsim::TimeRange(disk, At(30)));
    ASSERT_EQ(q.Next(), Step::Record);
    EXPECT_EQ(q.delaySeconds(), 0.0);
    ASSERT_EQ(q.Next(), Step::Record);
    EXPECT_DOUBLE_EQ(q.delaySeconds(), 0.25);
    q.Control(3);  // fast
    ASSERT_EQ(q.Next(), Step::Record);
    EXPECT_EQ(q.state(), 2);
    ASSERT_EQ(q.Next(), Step::Record);
    EXPECT_DOUBLE_EQ(q.delaySeconds(), 0.125);
    for (int i = 0; i < 5; ++i)
        q.Control(2);  // slow, down to +1/4X
    ASSERT_EQ(q.Next(), Step::Record);
    EXPECT_EQ(q.state(), 10);
    q.Control(1);
    EXPECT_EQ(q.Next(), Step::Stopped);

    EXPECT_EQ(Playback(disk, dvrsim::TimeRange(disk, At(60))).Next(), Step::End);
}

TEST_F(DiskTest, PauseStepsAndReverse) {
    Playback p(disk, dvrsim::TimeRange(disk, At(20)));
    ASSERT_EQ(p.Next(), Step::Record);
    const size_t first = p.index();
    p.Control(5);
    EXPECT_EQ(p.Next(), Step::Wait);
    EXPECT_EQ(p.Next(), Step::Wait);
    p.Control(7);  // next frame
    ASSERT_EQ(p.Next(), Step::Record);
    EXPECT_EQ(p.state(), 9);
    EXPECT_GT(p.index(), first);
    EXPECT_EQ(p.Next(), Step::Wait);
    p.Control(8);  // previous frame: the Intra before
    ASSERT_EQ(p.Next(), Step::Record);
    EXPECT_EQ(p.state(), 25);
    EXPECT_EQ(disk.records()[p.index()].header.kind, 0);
    p.Control(4);  // play
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(p.Next(), Step::Record);
        EXPECT_EQ(p.state(), 1);
    }

    p.Control(6);  // reverse: Intra pictures backwards, before the start time too
    int intras = 0;
    int64_t last = At(60);
    while (p.Next() == Step::Record) {
        const auto& r = disk.records()[p.index()];
        EXPECT_EQ(r.header.kind, 0);
        EXPECT_EQ(p.state(), 17);
        EXPECT_LE(r.time, last);
        last = r.time;
        ++intras;
    }
    EXPECT_EQ(last, At(0));
    EXPECT_EQ(intras, 44);  // channels 0 and 1 at 10:00:21 and every second before
}

}  // namespace
