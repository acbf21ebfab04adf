#include "media/calendar_rebuild.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "media/calendar_file.h"
#include "media/recording_session.h"
#include "tests/support/records.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::MakeRecord;

// A folder of two pairs over 10:03..10:08 on channels 0 and 2, with motion on channel 2.
std::string RecordFolder(const std::string& root) {
    media::RecordingSession session(root, "Yard_cam");
    std::array<std::string, 16> titles;
    titles[2] = "Gate";
    session.setChannelInfo(8, titles);
    uint32_t stamp = 0;
    for (int s = 3 * 60; s < 8 * 60 + 30; s += 5) {
        for (int channel : {0, 2}) {
            auto r = MakeRecord({.channel = channel,
                                 .kind = s % 20 == 0 ? 0 : (s % 10 ? 2 : 1),
                                 .stamp = ++stamp,
                                 .minute = s / 60,
                                 .second = s % 60,
                                 .model = 4});
            if (channel == 2 && s > 6 * 60) r[15] = 1;
            session.WriteVideo(r.data(), r.size());
        }
    }
    const std::string folder = session.folder();
    EXPECT_EQ(session.pairsOpened(), 2);
    return folder;
}

TEST(CalendarRebuild, RestoresEveryRecordedMinuteOfAFolder) {
    testsupport::TempDir root;
    const std::string folder = RecordFolder(root.path());
    media::Calendar written;
    ASSERT_TRUE(written.LoadFolder(folder));
    ASSERT_EQ(written.minutes().size(), 6u);
    const std::string cdb = media::Calendar::FindInFolder(folder);
    auto bytes = testsupport::ReadFile(cdb);
    bytes.resize(media::kCalendarHeaderSize);  // only its header left, as after a crash
    testsupport::WriteFile(cdb, bytes);

    const media::RebuildResult r = media::RebuildCalendar(folder);
    ASSERT_EQ(r.error, media::RebuildError::kNone);
    EXPECT_EQ(r.path, cdb);
    EXPECT_EQ(r.pairs, 2u);
    EXPECT_EQ(r.minutes, 6u);
    media::Calendar rebuilt;
    ASSERT_TRUE(rebuilt.LoadFolder(folder));
    EXPECT_EQ(rebuilt.header().recorderName, "Yard_cam");
    EXPECT_EQ(rebuilt.header().titles[2], "Gate");
    ASSERT_EQ(rebuilt.minutes().size(), written.minutes().size());
    for (size_t i = 0; i < written.minutes().size(); ++i) {
        EXPECT_EQ(rebuilt.minutes()[i].minute, written.minutes()[i].minute) << i;
        EXPECT_EQ(rebuilt.minutes()[i].codes, written.minutes()[i].codes) << i;
    }
    EXPECT_FALSE(std::filesystem::exists(cdb + ".tmp"));
}

TEST(CalendarRebuild, AFolderWithoutACalendarGetsOneNamedAfterItsFirstPair) {
    testsupport::TempDir root;
    const std::string folder = RecordFolder(root.path());
    std::filesystem::remove(media::Calendar::FindInFolder(folder));
    const media::RebuildResult r = media::RebuildCalendar(folder.substr(0, folder.size() - 1));
    ASSERT_EQ(r.error, media::RebuildError::kNone);
    EXPECT_EQ(r.path, folder + "20080601_100300.cdb");
    media::Calendar rebuilt;
    ASSERT_TRUE(rebuilt.LoadFolder(folder));
    EXPECT_EQ(rebuilt.header().recorderName, "Yard_cam");  // from the folder's name
    EXPECT_EQ(rebuilt.header().channels, 8);               // from the model code
    EXPECT_EQ(rebuilt.minutes().size(), 6u);

    EXPECT_EQ(media::RebuildCalendar(root / "none").error, media::RebuildError::kNoPairs);
}

}  // namespace
