// Capturing the renderer's picture into still files, end to end: compose, encode, mark, write,
// and read back with the command-line tool as a user would.
#include "ui/still_save.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "media/watermark.h"
#include "output/channel_display.h"
#include "platform/mapped_file.h"
#include "platform/registry_store.h"
#include "tests/output/sample_frames.h"
#include "tests/support/temp_dir.h"

namespace ui {
namespace {

const std::string kUmvtool = std::string(DVR_BINARY_DIR) + "/tools/umvtool/umvtool";
const std::string kMarkFile = std::string(DVR_SOURCE_DIR) + "/samples/Mark4015.raw";

class NoMessages final : public output::DisplayMessages {
  public:
    void ShowInformation(std::string_view) override {}
};

std::string RunTool(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen((command + " 2>&1").c_str(), "r")) {
        std::array<char, 256> buf;
        while (std::fgets(buf.data(), buf.size(), p))
            out += buf.data();
        if (::pclose(p) != 0) out += "\n(exit status not zero)";
    }
    return out;
}

FreeSpaceProbe FreeMiB(uint64_t mib) {
    return [mib](const std::string&) { return std::optional<uint64_t>(mib << 20); };
}

class CaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sample_ = testsupport::LoadSample(testsupport::kCifSample);
        ASSERT_FALSE(sample_.frames.empty());
        display_.SetResolution(sample_.sizeCode);
        ASSERT_TRUE(display_.OpenDecoders());
        // Two pictures per channel, so that every channel shows a real one.
        for (size_t i = 0; i < sample_.frames.size() && i < 64; ++i) {
            const auto& f = sample_.frames[i];
            display_.DecodeAndShow(f.channel, f.bytes.data(), f.bytes.size());
        }
    }
    SaveStillRequest Request(int layout, const std::string& name) {
        SaveStillRequest r;
        EXPECT_TRUE(CaptureLayout(display_, layout, &r.picture));
        media::CivilTime now{2026, 3, 14, 9, 59, 52};
        r.path = media::StillName(dir_.path() + "Frame/", "Depot", now,
                                  StillChannelOfLayout(layout), "");
        r.keyword = name;
        r.markPath = kMarkFile;
        r.trailer = TrailerFromTimeText("2026-03-14 09:59:52");
        return r;
    }

    testsupport::TempDir dir_;
    platform::RegistryStore settings_{dir_ / "Environments.ini"};
    NoMessages messages_;
    output::ChannelDisplay display_{settings_, &messages_};
    testsupport::SampleRecording sample_;
};

TEST_F(CaptureTest, GridAndSingleChannelStillsDecodeWithTheirSizes) {
    std::string saved, error;
    SaveStillRequest grid = Request(16, "");
    EXPECT_EQ(grid.picture.width, 720);
    EXPECT_EQ(grid.picture.height, 480);
    ASSERT_EQ(SaveStill(grid, FreeMiB(51), &saved, &error), SaveStillResult::kSaved);
    EXPECT_EQ(std::filesystem::path(saved).filename(), "Depot,260314_095952,M,.jpg");
    std::string shown = RunTool(kUmvtool + " still '" + saved + "'");
    EXPECT_NE(shown.find("720x480"), std::string::npos) << shown;
    EXPECT_NE(shown.find("2026-03-14 09:59:52"), std::string::npos) << shown;

    const int channel = sample_.frames[0].channel;
    SaveStillRequest one = Request(channel, "door");
    EXPECT_EQ(one.picture.width, 352);
    EXPECT_EQ(one.picture.height, 240);
    ASSERT_EQ(SaveStill(one, FreeMiB(51), &saved, &error), SaveStillResult::kSaved);
    EXPECT_EQ(std::filesystem::path(saved).filename(),
              "Depot,260314_095952," + std::to_string(channel + 1) + ",door.jpg");
    shown = RunTool(kUmvtool + " still '" + saved + "'");
    EXPECT_NE(shown.find("352x240"), std::string::npos) << shown;
    EXPECT_EQ(std::filesystem::directory_iterator(dir_.path() + "Frame/")->path().extension(),
              ".jpg");  // no temporary file left behind
}

TEST_F(CaptureTest, WatermarkIsFoundByTheCheck) {
    std::string saved, error;
    SaveStillRequest r = Request(16, "");
    r.watermark = true;
    ASSERT_EQ(SaveStill(r, FreeMiB(51), &saved, &error), SaveStillResult::kSaved) << error;
    std::string checked =
        RunTool(kUmvtool + " watermark check '" + saved + "' '" + dir_.path() + "check.png'");
    EXPECT_EQ(checked.find("exit status"), std::string::npos) << checked;

    // The check picture draws the pattern: pairs of mark bit 1 brighter than those of bit 0.
    platform::MappedFile file;
    ASSERT_EQ(file.Open(saved), platform::MapError::kNone);
    media::JpegLocation where = media::LocateJpeg(file.bytes());
    ASSERT_TRUE(where.hasTrailer && where.trailer.timePresent);
    media::RgbPicture picture;
    media::WatermarkCheck check;
    ASSERT_TRUE(media::CheckJpeg(where.jpeg(file.bytes()), &picture, &check, &error));
    media::WatermarkPattern pattern;
    ASSERT_EQ(media::LoadWatermarkPattern(kMarkFile, &pattern), media::MarkFileError::kNone);
    int agree = 0, informative = 0;
    for (int i = 0; i < check.pairs; ++i) {
        int v = check.values[i];
        if (v == 1) continue;
        ++informative;
        int bit = pattern.bit((i / check.blocksWide) % 15, (i % check.blocksWide) % 40);
        agree += (v > 127) == (bit == 1);
    }
    ASSERT_GT(informative, 100);
    EXPECT_GT(agree, informative * 95 / 100);
}

TEST_F(CaptureTest, RefusalsWriteNothing) {
    std::string saved, error;
    SaveStillRequest r = Request(16, "");
    EXPECT_EQ(SaveStill(r, FreeMiB(50), &saved, &error), SaveStillResult::kDiskFull);
    // 50 MiB and a bit more is still 50 whole MiB.
    FreeSpaceProbe almost = [](const std::string&) {
        return std::optional<uint64_t>((uint64_t{50} << 20) + 4096);
    };
    EXPECT_EQ(SaveStill(r, almost, &saved, &error), SaveStillResult::kDiskFull);
    r.watermark = true;
    r.markPath = dir_ / "missing.raw";
    EXPECT_EQ(SaveStill(r, FreeMiB(51), &saved, &error), SaveStillResult::kMarkMissing);
    testsupport::WriteFile(dir_ / "short.raw", std::vector<uint8_t>(599, 0xFF));
    r.markPath = dir_ / "short.raw";
    EXPECT_EQ(SaveStill(r, FreeMiB(51), &saved, &error), SaveStillResult::kMarkIncompatible);
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path() + "Frame/"));
    EXPECT_TRUE(FileSystemFreeSpace(dir_.path()).has_value());
}

TEST(StillSaveText, KeywordAndTrailer) {
    EXPECT_EQ(InsertKeyword("/f/Gate,260314_095952,5,.jpg", "door"),
              "/f/Gate,260314_095952,5,door.jpg");
    EXPECT_EQ(StillChannelOfLayout(8), 9);
    EXPECT_EQ(StillChannelOfLayout(16), 0);
    media::StillTrailer t = TrailerFromTimeText("2008-06-01 10:11:12");
    EXPECT_TRUE(t.timePresent);
    EXPECT_EQ(t.time.year, 2008);
    EXPECT_EQ(t.time.second, 12);
    // A time field that does not hold a time gives a still without one, not a false 0000-00-00.
    EXPECT_FALSE(TrailerFromTimeText("").timePresent);
    EXPECT_FALSE(TrailerFromTimeText("Loading.....").timePresent);
}

}  // namespace
}  // namespace ui
