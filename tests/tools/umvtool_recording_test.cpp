// umvtool's recording commands, run as the user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "media/frame_index.h"
#include "media/recording_file.h"
#include "tests/support/records.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Quote;
using testsupport::RunCommand;

const std::string kUmvtool = std::string(DVR_BINARY_DIR) + "/tools/umvtool/umvtool";

testsupport::CommandResult Umvtool(const std::string& args, bool withStderr = false) {
    return RunCommand(kUmvtool + " " + args + (withStderr ? " 2>&1" : " 2>/dev/null"));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class UmvtoolRecording : public ::testing::Test {
  protected:
    void SetUp() override {
        testsupport::Recording r;
        r.Add({.channel = 2, .kind = 0, .stamp = 300, .minute = 1, .second = 5});
        r.Add({.channel = 0, .kind = 0, .stamp = 100, .second = 7});
        r.Add({.channel = 0, .kind = 3, .stamp = 150});
        r.Add({.channel = 0, .kind = 2, .stamp = 200, .second = 33});
        r.Add({.channel = 3, .kind = 1, .stamp = 250, .hour = 11, .model = 4});
        testsupport::WriteFile(idx(), r.index);
        testsupport::WriteFile(umv(), r.data);
    }
    std::string idx() const { return dir / "rec.idx"; }
    std::string umv() const { return dir / "rec.umv"; }
    testsupport::TempDir dir;
};

TEST_F(UmvtoolRecording, InfoPrintsTheSummaryLines) {
    auto result = Umvtool("info " + Quote(idx()));
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(Lines(result.out), (std::vector<std::string>{
                                     "frames: 4", "audio: 1", "channels: 1 3 4", "model: 5",
                                     "first: 2008-06-01 10:01:05", "last: 2008-06-01 11:00:00"}));
    // The data file alone gives the same summary (model from the first header).
    EXPECT_EQ(Umvtool("info " + Quote(umv())).out, result.out);
}

TEST_F(UmvtoolRecording, FramesListsThePlayOrderWithCopiedTimes) {
    auto result = Umvtool("frames " + Quote(idx()));
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(Lines(result.out), (std::vector<std::string>{
                                     "0 3 0 300 2008-06-01 10:01:05",
                                     "1 1 0 100 2008-06-01 10:00:07",
                                     "2 1 2 200 2008-06-01 10:00:07",
                                     "3 4 1 250 2008-06-01 11:00:00",
                                 }));
}

TEST_F(UmvtoolRecording, RejectedFilesPrintTheSystemsMessage) {
    testsupport::WriteFile(dir / "garbage.umv", std::vector<uint8_t>(4096, 0x5A));
    auto result = Umvtool("info " + Quote(dir / "garbage.umv"), true);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, dir / "garbage.umv" + ": Improper file type.\n");
    result = Umvtool("info " + Quote(dir / "missing.idx"), true);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, dir / "missing.idx" + ": File can't opened!\n");
    auto index = testsupport::ReadFile(idx());
    index[39] = 1;  // reserved byte of an accepted video entry
    testsupport::WriteFile(idx(), index);
    result = Umvtool("frames " + Quote(idx()), true);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, idx() + ": Improper file type.\n");
}

TEST_F(UmvtoolRecording, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Umvtool("").status, 2);
    EXPECT_EQ(Umvtool("info").status, 2);
    EXPECT_EQ(Umvtool("info a b").status, 2);
    EXPECT_EQ(Umvtool("nosuchcommand").status, 2);
    EXPECT_EQ(Umvtool("reindex --bogus x.umv").status, 2);
    auto help = Umvtool("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"info", "frames", "reindex", "mkrec"})
        EXPECT_NE(help.out.find(std::string("umvtool ") + command), std::string::npos) << command;
}

TEST_F(UmvtoolRecording, ReindexRebuildsTheIndexTheWriterWrote) {
    const auto original = testsupport::ReadFile(idx());
    EXPECT_EQ(Umvtool("reindex " + Quote(umv())).status, 1);  // refuses to overwrite
    EXPECT_EQ(testsupport::ReadFile(idx()), original);
    ASSERT_EQ(Umvtool("reindex --force " + Quote(umv())).status, 0);
    EXPECT_EQ(testsupport::ReadFile(idx()), original);
    // A lost index comes back; a torn data file loses only its incomplete record.
    std::filesystem::remove(idx());
    auto data = testsupport::ReadFile(umv());
    data.resize(data.size() - 3);
    testsupport::WriteFile(umv(), data);
    auto result = Umvtool("reindex " + Quote(umv()));
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(testsupport::ReadFile(idx()),
              std::vector<uint8_t>(original.begin(), original.end() - 20));
    EXPECT_EQ(Umvtool("info " + Quote(idx())).status, 0);
    testsupport::WriteFile(dir / "bad.umv", std::vector<uint8_t>(100, 1));
    EXPECT_EQ(Umvtool("reindex " + Quote(dir / "bad.umv")).status, 1);
}

TEST(UmvtoolSamples, EverySampleRecordingOpens) {
    int pairs = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(DVR_SOURCE_DIR) + "/samples")) {
        if (entry.path().extension() != ".idx") continue;
        ++pairs;
        for (const std::string& path :
             {entry.path().string(), media::DataPathForIndex(entry.path().string())}) {
            auto result = Umvtool("info " + Quote(path));
            ASSERT_EQ(result.status, 0) << path;
            EXPECT_EQ(result.out.find("warning"), std::string::npos) << result.out;
        }
    }
    EXPECT_GE(pairs, 2);
}

TEST(UmvtoolSamples, EverySampleFolderHasItsCalendar) {
    int folders = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(DVR_SOURCE_DIR) + "/samples")) {
        if (entry.path().extension() != ".idx") continue;
        ++folders;
        auto result = Umvtool("calendar " + Quote(entry.path().parent_path().string()));
        ASSERT_EQ(result.status, 0) << entry.path();
        const auto lines = Lines(result.out);
        ASSERT_GE(lines.size(), 4u);
        // Both recordings start at 09:59:52, with motion on channel 2 of the D1 recorder (and a
        // sensor on channel 3) and on channel 5 of the CIF recorder.
        const bool d1 = entry.path().string().find("d1_4ch") != std::string::npos;
        EXPECT_EQ(lines[d1 ? 6 : 18],
                  d1 ? "2026-03-14 09:59 FMSF............" : "2026-03-14 09:59 FFFFMFFFFFFFFFFF");
    }
    EXPECT_GE(folders, 2);
}

// mkrec against a stream made by ffmpeg: kinds follow the VOP types, every Intra carries the
// VOL, stamps rise in decode order, audio joins the channel's pair interleaved by stamp.
class Mkrec : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new testsupport::TempDir;
        stream_ = *dir_ / "cam.m4v";
        auto r = RunCommand(
            "ffmpeg -v error -y -f lavfi -i testsrc=s=352x240:r=15:d=2 -c:v mpeg4 "
            "-flags +bitexact -g 10 -bf 1 -f m4v " +
            Quote(stream_) +
            " && ffprobe -v error -select_streams v -show_entries frame=pict_type "
            "-of csv=p=0 " +
            Quote(stream_));
        ASSERT_EQ(r.status, 0) << "ffmpeg is needed (scripts/setup)";
        types_ = Lines(r.out);
        std::vector<uint8_t> alaw(2048 * 3 + 100, 0xD5);
        testsupport::WriteFile(*dir_ / "a.alaw", alaw);
    }
    static void TearDownTestSuite() { delete dir_; }
    static testsupport::TempDir* dir_;
    static std::string stream_;
    static std::vector<std::string> types_;  // display order from ffprobe
};
testsupport::TempDir* Mkrec::dir_;
std::string Mkrec::stream_;
std::vector<std::string> Mkrec::types_;

TEST_F(Mkrec, BuildsARecordingTheReaderAccepts) {
    const std::string out = *dir_ / "rec/";
    auto result = Umvtool("mkrec --out " + Quote(out) +
                              " --dvr-name Cam --fps 15 --stamp 4294960000"
                              " --start '2026-01-31 23:59:59' --audio 2:" +
                              Quote(*dir_ / "a.alaw") + " --motion 2:0.5-1 - " + Quote(stream_),
                          true);
    ASSERT_EQ(result.status, 0) << result.out;
    const std::string folder = out + "Cam_20260131_235959/";
    media::RecordingFile file;
    ASSERT_EQ(file.Open(folder + "20260131_235959.idx"), media::OpenError::kNone);
    const auto& index = file.index();
    ASSERT_EQ(index.frameCount(), types_.size());
    EXPECT_EQ(index.audioCount(), 3u);
    EXPECT_EQ(index.resultChannel(), 1);
    EXPECT_EQ(index.modelCode(), 3);
    int counts[3] = {};
    std::vector<uint8_t> buffer(media::kMaxPayloadSize);
    uint32_t previous = 0;
    for (size_t i = 0; i < index.frameCount(); ++i) {
        media::FrameHeader h;
        size_t size = 0;
        ASSERT_TRUE(file.ReadVideo(i, &h, buffer.data(), &size));
        ++counts[h.kind];
        EXPECT_EQ(h.sizeCode(), 1);
        EXPECT_TRUE(h.hasAudio());
        EXPECT_EQ(h.motion(), i >= 8 && i < 15) << i;
        if (i > 0) {
            EXPECT_EQ(h.stamp - previous, 3000u);  // wraps through 2^32 on the way
        }
        previous = h.stamp;
        if (h.kind == 0) {
            // A VOL start code comes before the VOP start code.
            const std::string bytes(buffer.begin(), buffer.begin() + static_cast<long>(size));
            const size_t vol = bytes.find(std::string("\0\0\1\x20", 4));
            const size_t vop = bytes.find(std::string("\0\0\1\xB6", 4));
            EXPECT_LT(vol, vop);
            EXPECT_NE(vop, std::string::npos);
        }
    }
    int expected[3] = {};
    for (const auto& t : types_)
        ++expected[t == "I" ? 0 : t == "P" ? 1 : 2];
    EXPECT_EQ(counts[0], expected[0]);
    EXPECT_EQ(counts[1], expected[1]);
    EXPECT_EQ(counts[2], expected[2]);
    EXPECT_GT(counts[2], 0);
    EXPECT_EQ(media::FormatWallTime(index.frames().back().time), "2026-02-01 00:00:00");
}

TEST_F(Mkrec, WritesTheFolderCalendarFromTheRecords) {
    const std::string out = *dir_ / "cal/";
    auto result = Umvtool("mkrec --out " + Quote(out) +
                              " --dvr-name Cam --fps 15 --start '2026-01-31 23:59:59'"
                              " --title 2:Gate --motion 2:0.5-1 - " +
                              Quote(stream_),
                          true);
    ASSERT_EQ(result.status, 0) << result.out;
    result = Umvtool("calendar " + Quote(out + "Cam_20260131_235959/"), true);
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(Lines(result.out), (std::vector<std::string>{
                                     "recorder: Cam",
                                     "channels: 4",
                                     "title 1: CAM 1",
                                     "title 2: Gate",
                                     "title 3: CAM 3",
                                     "title 4: CAM 4",
                                     "2026-01-31 23:59 .M..............",
                                     "2026-02-01 00:00 .F..............",
                                 }));
    result = Umvtool("calendar " + Quote(*dir_ / ""), true);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, *dir_ / "" + ": Improper file type.\n");
}

TEST_F(Mkrec, RefusesBadInput) {
    EXPECT_EQ(Umvtool("mkrec --out x").status, 2);
    EXPECT_EQ(Umvtool("mkrec --out x --start 2026-01-01 " + Quote(stream_)).status, 2);
    testsupport::WriteFile(*dir_ / "junk.m4v", std::vector<uint8_t>(100, 7));
    EXPECT_EQ(Umvtool("mkrec --out " + Quote(*dir_ / "o/") + " --start '2026-01-01 00:00:00' " +
                      Quote(*dir_ / "junk.m4v"))
                  .status,
              1);
}

}  // namespace
