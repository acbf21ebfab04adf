// umvtool's still and watermark commands, run as the user runs them.
#include <gtest/gtest.h>

#include <filesystem>

#include "media/still_image.h"
#include "tests/support/jpeg_pictures.h"
#include "tests/support/records.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Quote;
using testsupport::RunCommand;

const std::string kUmvtool = std::string(DVR_BINARY_DIR) + "/tools/umvtool/umvtool";

class UmvtoolStills : public ::testing::Test {
  protected:
    void SetUp() override {
        testsupport::WriteFile(dir / "plain.jpg",
                               testsupport::LibraryJpeg(testsupport::ScenePicture(352, 240)));
        testsupport::WriteFile(dir / "odd.jpg",
                               testsupport::LibraryJpeg(testsupport::ScenePicture(100, 60)));
    }
    // Runs umvtool with its settings in the test's folder; stderr joins stdout.
    testsupport::CommandResult Umvtool(const std::string& args) {
        return RunCommand("HALVEX_CONFIG=" + Quote(dir / "Environments.ini") + " " + kUmvtool +
                          " " + args + " 2>&1");
    }
    testsupport::TempDir dir;
};

TEST_F(UmvtoolStills, StillPrintsSizeAndTime) {
    auto r = Umvtool("still " + Quote(dir / "plain.jpg"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "size: 352x240\ntime: none\n");
    auto bytes = testsupport::ReadFile(dir / "plain.jpg");
    ASSERT_EQ(
        media::WriteStill(dir / "t.jpg", bytes, media::StillTrailer::At({2026, 3, 14, 9, 59, 55})),
        media::StillError::kNone);
    EXPECT_EQ(Umvtool("still " + Quote(dir / "t.jpg")).out,
              "size: 352x240\ntime: 2026-03-14 09:59:55\n");

    auto record = testsupport::MakeRecord({.kind = 0,
                                           .month = 2,
                                           .day = 14,
                                           .hour = 9,
                                           .minute = 59,
                                           .second = 52,
                                           .flags = 0x04});  // size code 2: 704 x 480
    testsupport::WriteFile(dir / "f.ums", record);
    EXPECT_EQ(Umvtool("still " + Quote(dir / "f.ums")).out,
              "size: 704x480\ntime: 2008-03-14 09:59:52\n");
    record.resize(24 + 262144);
    testsupport::WriteFile(dir / "big.UMS", record);
    r = Umvtool("still " + Quote(dir / "big.UMS"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, dir / "big.UMS" + ": The file size is too big!\n");
    testsupport::WriteFile(dir / "junk.jpg", {1, 2, 3, 4});
    r = Umvtool("still " + Quote(dir / "junk.jpg"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind(dir / "junk.jpg" + ": JPEG Fatal Error: Not a JPEG file", 0), 0u)
        << r.out;
    EXPECT_EQ(Umvtool("still " + Quote(dir / "none.jpg")).out,
              dir / "none.jpg" + ": File can't opened!\n");
}

TEST_F(UmvtoolStills, EmbedThenCheckShowsThePattern) {
    std::vector<uint8_t> mark(600, 0);
    for (int col = 0; col < 40; ++col)
        mark[7 * 40 + col] = 0xFF;  // one row of the pattern
    testsupport::WriteFile(dir / "m.raw", mark);
    auto r =
        Umvtool("watermark embed " + Quote(dir / "plain.jpg") + " " + Quote(dir / "marked.jpg") +
                " --mark " + Quote(dir / "m.raw") + " --time '2026-03-14 09:59:55'");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "size: 352x240\ntime: 2026-03-14 09:59:55\nwatermark: embedded\n");
    EXPECT_EQ(Umvtool("still " + Quote(dir / "marked.jpg")).out,
              "size: 352x240\ntime: 2026-03-14 09:59:55\n");

    r = Umvtool("watermark check " + Quote(dir / "marked.jpg") + " " + Quote(dir / "c.png"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.rfind("size: 352x240\npairs: 660\n", 0), 0u) << r.out;
    const auto png = testsupport::ReadFile(dir / "c.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ((png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19]), 352);
    EXPECT_EQ((png[20] << 24 | png[21] << 16 | png[22] << 8 | png[23]), 240);
}

TEST_F(UmvtoolStills, EmbedTakesTheDefaultPatternFromTheSettings) {
    auto r = Umvtool("watermark embed " + Quote(dir / "plain.jpg") + " " + Quote(dir / "o.jpg"));
    ASSERT_EQ(r.status, 0) << r.out;
    // The first reader wrote the default: the pattern beside the program.
    const auto written = testsupport::ReadFile(dir / "Environments.ini");
    EXPECT_NE(std::string(written.begin(), written.end())
                  .find("WaterMark=" + std::string(DVR_BINARY_DIR) + "/tools/umvtool/Mark4015.raw"),
              std::string::npos);
    const std::string ini =
        "[HKEY_LOCAL_MACHINE\\Software\\Halvex\\Environments]\nWaterMark=/no/such.raw\n";
    testsupport::WriteFile(dir / "Environments.ini", std::vector<uint8_t>(ini.begin(), ini.end()));
    r = Umvtool("watermark embed " + Quote(dir / "plain.jpg") + " " + Quote(dir / "o.jpg"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "/no/such.raw: The Watermark file name or path is not valid.\n");
    testsupport::WriteFile(dir / "short.raw", std::vector<uint8_t>(599, 0xFF));
    r = Umvtool("watermark embed " + Quote(dir / "plain.jpg") + " " + Quote(dir / "o.jpg") +
                " --mark " + Quote(dir / "short.raw"));
    EXPECT_EQ(r.out,
              dir / "short.raw" + ": The Watermark file you have selected is incompatible.\n");
}

TEST_F(UmvtoolStills, SizesNotMultiplesOf16AreWrittenUnmarked) {
    const std::string mark = std::string(DVR_SOURCE_DIR) + "/samples/Mark4015.raw";
    auto r = Umvtool("watermark embed " + Quote(dir / "odd.jpg") + " " + Quote(dir / "o.jpg") +
                     " --mark " + Quote(mark) + " --time '2026-01-02 03:04:05'");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("warning: 100x60 is not a multiple of 16"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("watermark: none"), std::string::npos);
    const auto in = testsupport::ReadFile(dir / "odd.jpg");
    auto out = testsupport::ReadFile(dir / "o.jpg");
    ASSERT_EQ(out.size(), in.size() + 11);
    EXPECT_TRUE(std::equal(in.begin(), in.end(), out.begin()));
}

TEST_F(UmvtoolStills, CheckRefusesVideoFilesAndStillsWithoutTime) {
    for (const char* name : {"a.umv", "a.idx", "a.ums"}) {
        testsupport::WriteFile(dir / name, {1});
        auto r = Umvtool("watermark check " + Quote(dir / name) + " " + Quote(dir / "c.png"));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, dir / name + ": You cannot extract the watermark from video files.\n");
    }
    auto r = Umvtool("watermark check " + Quote(dir / "plain.jpg") + " " + Quote(dir / "c.png"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("no capture time"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir / "c.png"));
    EXPECT_EQ(Umvtool("watermark").status, 2);
    EXPECT_EQ(Umvtool("watermark frob a b").status, 2);
}

}  // namespace
