#include "media/recording_session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "media/recording_file.h"
#include "tests/support/records.h"
#include "tests/support/temp_dir.h"

namespace {

using media::RecordingSession;
using Result = media::RecordingSession::Result;
using testsupport::MakeRecord;
using testsupport::RecordSpec;

Result Write(RecordingSession& s, const RecordSpec& spec) {
    auto r = MakeRecord(spec);
    return spec.kind == 3 ? s.WriteAudio(r.data(), r.size()) : s.WriteVideo(r.data(), r.size());
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
              (std::vector<std::string>{"20080601_100040.idx", "20080601_100040.umv",
                                        "20080601_100502.idx", "20080601_100502.umv"}));
    media::RecordingFile first, second;
    ASSERT_EQ(first.Open(folder + "20080601_100040.idx"), media::OpenError::kNone);
    EXPECT_EQ(first.index().frameCount(), 4u);
    EXPECT_EQ(first.index().audioCount(), 1u);
    ASSERT_EQ(second.Open(folder + "20080601_100502.umv"), media::OpenError::kNone);
    EXPECT_EQ(second.index().frameCount(), 3u);
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

}  // namespace
