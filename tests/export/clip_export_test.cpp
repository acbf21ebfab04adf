// umvtool export against recordings made by mkrec from ffmpeg-encoded streams, with ffmpeg and
// ffprobe as the oracle: the exported pictures decode to exactly what our decoder gives for the
// same records, at the recorded times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "export/clip_export.h"
#include "export/manifest.h"
#include "media/frame_header.h"
#include "media/recording_pair_writer.h"
#include "media/wall_time.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Quote;
using testsupport::RunCommand;

const std::string kUmvtool = DVR_BINARY_DIR "/tools/umvtool/umvtool";

testsupport::CommandResult Umvtool(const std::string& args) {
    return RunCommand(kUmvtool + " " + args + " 2>&1");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

// Picture digests as ffmpeg decodes the file (the same inverse DCT as ours, every picture as
// it comes, none repeated or dropped for timing).
std::vector<std::string> FfmpegDigests(const std::string& file) {
    auto r = RunCommand("ffmpeg -v error -threads 1 -idct xvid -i " + Quote(file) +
                        " -map 0:v -fps_mode passthrough -f framemd5 - | grep -v '^#' | "
                        "awk -F, '{gsub(/ /, \"\", $6); print $6}'");
    return Lines(r.out);
}

std::vector<std::string> OurDigests(const std::string& recording, int channel) {
    return Lines(RunCommand(kUmvtool + " decode " + Quote(recording) + " --channel " +
                            std::to_string(channel) + " --md5")
                     .out);
}

// One ffprobe value per line, e.g. Probe(f, "v", "packet=dts_time").
std::vector<std::string> Probe(const std::string& file, const std::string& stream,
                               const std::string& entries, bool count = false) {
    return Lines(RunCommand("ffprobe -v error " +
                            (stream.empty() ? std::string() : "-select_streams " + stream) +
                            (count ? " -count_frames" : "") + " -show_entries " + entries +
                            " -of csv=p=0 " + Quote(file))
                     .out);
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ClipExport : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new testsupport::TempDir;
        // 4 s at 15 pictures per second, an Intra every 12 pictures, two B-pictures between
        // anchors; channel 1 with audio (2.3 s of it), channel 2 without.
        auto r = RunCommand(
            "ffmpeg -v error -y -f lavfi -i testsrc=s=352x240:r=15:d=4 -c:v mpeg4 -flags "
            "+bitexact -g 12 -bf 2 -f m4v " +
            Quote(*dir_ / "b.m4v") +
            " && ffmpeg -v error -y -f lavfi -i testsrc=s=352x240:r=15:d=4 -c:v mpeg4 -flags "
            "+bitexact -g 15 -f m4v " +
            Quote(*dir_ / "p.m4v") +
            " && ffmpeg -v error -y -f lavfi -i sine=r=8000:d=2.4 -c:a pcm_alaw -f alaw " +
            Quote(*dir_ / "a.alaw"));
        ASSERT_EQ(r.status, 0) << "ffmpeg is needed (scripts/setup)";
        r = Umvtool("mkrec --out " + Quote(*dir_ / "rec") +
                    " --dvr-name Shop --fps 15 --start '2026-03-14 09:59:52' --audio 1:" +
                    Quote(*dir_ / "a.alaw") + " " + Quote(*dir_ / "b.m4v") + " " +
                    Quote(*dir_ / "p.m4v"));
        ASSERT_EQ(r.status, 0) << r.out;
        folder_ = *dir_ / "rec/Shop_20260314_095952/";
        pair_ = folder_ + "20260314_095952.idx";
    }
    static void TearDownTestSuite() { delete dir_; }

    static testsupport::TempDir* dir_;
    static std::string folder_;
    static std::string pair_;
};
testsupport::TempDir* ClipExport::dir_;
std::string ClipExport::folder_;
std::string ClipExport::pair_;

TEST_F(ClipExport, BPicturesKeepTheirOrderAndDecodeToOurPictures) {
    for (const char* name : {"bp.mp4", "bm.mkv"}) {
        SCOPED_TRACE(name);
        const std::string out = *dir_ / name;
        auto r = Umvtool("export " + Quote(pair_) + " --channel 1 " + Quote(out));
        ASSERT_EQ(r.status, 0) << r.out;
        const std::vector<std::string> ours = OurDigests(pair_, 1);
        ASSERT_EQ(ours.size(), 60u);
        EXPECT_EQ(FfmpegDigests(out), ours);

        EXPECT_EQ(Probe(out, "v", "stream=codec_name,nb_read_frames", true),
                  std::vector<std::string>{"mpeg4,60"});
        // Decode times rise; the pictures are shown one 1/15 s apart, over 4 s in all.
        std::vector<double> dts, pts;
        for (const std::string& line : Probe(out, "v", "packet=dts_time,pts_time")) {
            double p = 0, d = 0;
            ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf", &p, &d), 2) << line;
            pts.push_back(p);
            dts.push_back(d);
        }
        ASSERT_EQ(dts.size(), 60u);
        EXPECT_TRUE(std::is_sorted(dts.begin(), dts.end()));
        EXPECT_EQ(std::adjacent_find(dts.begin(), dts.end()), dts.end());
        std::sort(pts.begin(), pts.end());
        for (size_t i = 1; i < pts.size(); ++i)
            EXPECT_NEAR(pts[i] - pts[i - 1], 1.0 / 15, 0.002) << i;
        for (size_t i = 0; i < pts.size(); ++i)
            EXPECT_GE(pts[i] + 1e-9, dts[i] - 1.0 / 15) << i;
        const auto duration = Probe(out, "", "format=duration");
        ASSERT_EQ(duration.size(), 1u);
        EXPECT_NEAR(std::stod(duration[0]), 4.0, 1.0 / 15 + 0.001);
        // The display order matches the source stream's.
        const auto types = Probe(out, "v", "frame=pict_type");
        EXPECT_EQ(types, Probe(*dir_ / "b.m4v", "v", "frame=pict_type"));
        // Nine blocks of 2,048 samples: all the audio the recording holds for the channel.
        const auto audio = Probe(out, "a", "stream=codec_name");
        ASSERT_EQ(audio.size(), 1u);
        EXPECT_TRUE(audio[0] == "pcm_alaw" || audio[0] == "pcm_s16le") << audio[0];
        const auto samples = Lines(
            RunCommand("ffmpeg -v error -i " + Quote(out) + " -map 0:a -f s16le - | wc -c").out);
        ASSERT_EQ(samples.size(), 1u);
        EXPECT_EQ(std::stol(samples[0]) / 2, 9 * 2048);
    }
    // Matroska carries the wall time as a subtitle track too.
    EXPECT_EQ(Probe(*dir_ / "bm.mkv", "s", "stream=codec_name"),
              std::vector<std::string>{"subrip"});
}

TEST_F(ClipExport, SideFilesGiveTheRecordersTimeOfEachSecond) {
    const std::string out = *dir_ / "side.mp4";
    ASSERT_EQ(Umvtool("export " + Quote(pair_) + " --channel 2 " + Quote(out)).status, 0);
    const auto srt = Lines(RunCommand("cat " + Quote(*dir_ / "side.srt")).out);
    const auto vtt = Lines(RunCommand("cat " + Quote(*dir_ / "side.vtt")).out);
    // Four seconds: 09:59:52 to 09:59:55, each a cue.
    ASSERT_EQ(srt.size(), 12u);
    EXPECT_EQ(srt[0], "1");
    EXPECT_EQ(srt[1], "00:00:00,000 --> 00:00:01,000");
    EXPECT_EQ(srt[2], "2026-03-14 09:59:52");
    EXPECT_EQ(srt[11], "2026-03-14 09:59:55");
    ASSERT_EQ(vtt.size(), 9u);
    EXPECT_EQ(vtt[0], "WEBVTT");
    EXPECT_EQ(vtt[1], "00:00:00.000 --> 00:00:01.000");
    EXPECT_EQ(vtt[8], "2026-03-14 09:59:55");
    // A channel without audio gives a file with its pictures only, as plain MP4.
    EXPECT_EQ(Probe(out, "a", "stream=codec_name"), std::vector<std::string>{});
    EXPECT_EQ(FfmpegDigests(out), OurDigests(pair_, 2));
    EXPECT_NE(RunCommand("ffprobe -v error -show_entries format=format_name " + Quote(out))
                  .out.find("mp4"),
              std::string::npos);
}

TEST_F(ClipExport, ARangeStartsAtTheIntraBeforeIt) {
    // 09:59:54 is picture 30; the Intra before it is picture 24 (09:59:53.6).
    const std::string out = *dir_ / "range.mkv";
    auto r = Umvtool("export " + Quote(folder_) +
                     " --channel 1 --from '2026-03-14 09:59:54' --to '2026-03-14 09:59:54' " +
                     Quote(out));
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<std::string> all = OurDigests(pair_, 1);
    const std::vector<std::string> clip = FfmpegDigests(out);
    // Pictures 24..44 (up to the last taken in 09:59:54), less the B-pictures shown before the
    // Intra; what is shown is a run of the channel's pictures beginning with that Intra.
    ASSERT_GE(clip.size(), 16u);
    ASSERT_LE(clip.size(), 22u);
    const auto at = std::search(all.begin(), all.end(), clip.begin(), clip.end());
    ASSERT_NE(at, all.end());
    EXPECT_LE(at - all.begin(), 24);
    EXPECT_GE(at - all.begin(), 22);
    EXPECT_EQ(Probe(out, "v", "frame=pict_type").front(), "I");
}

TEST_F(ClipExport, BadRequestsFailWithOneMessageAndLeaveNothing) {
    testsupport::TempDir out;
    struct Case {
        std::string args;
        std::string message;
    } cases[] = {
        {Quote(pair_) + " --channel 3 " + Quote(out / "x.mp4"), "channel 3 has no pictures"},
        {Quote(pair_) + " --channel 1 --from '2026-03-14 10:30:00' " + Quote(out / "x.mp4"),
         "has no pictures from 2026-03-14 10:30:00"},
        {Quote(pair_) + " --channel 1 --to '2026-03-14 09:00:00' " + Quote(out / "x.mp4"),
         "has no pictures from the start to 2026-03-14 09:00:00"},
        {Quote(pair_) + " --channel 1 " + Quote(out / "missing/x.mkv"), "missing/x.mkv"},
        {Quote(pair_) + " --channel 1 --evidence " + Quote(out / "missing/ev"), "missing/ev"},
        {Quote(*dir_ / "nothing.idx") + " --channel 1 " + Quote(out / "x.mp4"), "nothing.idx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        auto r = Umvtool("export " + c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(Lines(r.out).size(), 1u) << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
        EXPECT_EQ(Names(out.path()), std::vector<std::string>{});
    }
    // A folder that cannot be written into.
    std::filesystem::create_directory(out / "ro");
    std::filesystem::permissions(
        out / "ro", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::geteuid() != 0) {
        auto r = Umvtool("export " + Quote(pair_) + " --channel 1 " + Quote(out / "ro/x.mp4"));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(Names(out / "ro"), std::vector<std::string>{});
    }
    // An existing file is never replaced.
    testsupport::WriteFile(out / "keep.srt", {'k'});
    auto r = Umvtool("export " + Quote(pair_) + " --channel 1 " + Quote(out / "keep.mp4"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Names(out.path()), (std::vector<std::string>{"keep.srt", "ro"}));
    EXPECT_EQ(testsupport::ReadFile(out / "keep.srt"), std::vector<uint8_t>{'k'});
}

// Rewrites a recording's records into a new pair, moving everything from the first Intra at or
// after the `from`-th picture on by `seconds` in stamp and time, as a recorder that stopped for
// a while would have.
void CopyWithGap(const std::string& data, const std::string& folder, size_t from, int seconds) {
    const std::vector<uint8_t> bytes = testsupport::ReadFile(data);
    media::RecordingPairWriter writer;
    ASSERT_EQ(writer.Open(folder, "20260314_095952"), media::WriteError::kNone);
    size_t pictures = 0;
    bool shifting = false;
    for (size_t at = 0; at + media::kFrameHeaderSize <= bytes.size();) {
        const size_t extent = media::RecordExtent(&bytes[at]);
        std::vector<uint8_t> record(bytes.begin() + static_cast<long>(at),
                                    bytes.begin() + static_cast<long>(at + extent));
        media::FrameHeader h = media::FrameHeader::Decode(record.data());
        if (h.IsVideo() && h.channel == 0 && ++pictures > from && h.kind == 0) shifting = true;
        if (shifting) {
            const int64_t wall =
                media::WallTimeOf(h.year, h.month, h.day, h.hour, h.minute, h.second) + seconds;
            const media::CivilTime t = media::BreakWallTime(wall);
            h.year = static_cast<uint8_t>(t.year - 1900);
            h.month = static_cast<uint8_t>(t.month - 1);
            h.day = static_cast<uint8_t>(t.day);
            h.hour = static_cast<uint8_t>(t.hour);
            h.minute = static_cast<uint8_t>(t.minute);
            h.second = static_cast<uint8_t>(t.second);
            h.stamp += static_cast<uint32_t>(seconds * 45000);
            h.Encode(record.data());
        }
        ASSERT_EQ(writer.Append(record.data(), record.size()), media::WriteError::kNone);
        at += extent;
    }
    ASSERT_EQ(writer.Close(), media::WriteError::kNone);
}

TEST_F(ClipExport, AGapStaysAGapOfTheSameLength) {
    const std::string gapFolder = *dir_ / "gap/";
    std::filesystem::create_directory(gapFolder);
    CopyWithGap(folder_ + "20260314_095952.umv", gapFolder, 24, 20);
    const std::string idx = gapFolder + "20260314_095952.idx";
    const std::string out = *dir_ / "gap.mp4";
    auto r = Umvtool("export " + Quote(idx) + " --channel 1 " + Quote(out));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(FfmpegDigests(out), OurDigests(idx, 1));
    std::vector<double> pts;
    for (const std::string& line : Probe(out, "v", "frame=pts_time"))
        pts.push_back(std::stod(line));
    ASSERT_EQ(pts.size(), 60u);
    // The pictures are shown 1/15 s apart, but for one step of twenty seconds more.
    std::sort(pts.begin(), pts.end());
    int gaps = 0;
    for (size_t i = 1; i < pts.size(); ++i) {
        const double step = pts[i] - pts[i - 1];
        gaps += step > 1;
        EXPECT_NEAR(step, (step > 1 ? 20.0 : 0.0) + 1.0 / 15, 0.002) << i;
    }
    EXPECT_EQ(gaps, 1);
    const auto duration = Probe(out, "", "format=duration");
    EXPECT_NEAR(std::stod(duration.at(0)), 24.0, 1.0 / 15);
    // The subtitles jump with the pictures.
    const std::string srt = RunCommand("cat " + Quote(*dir_ / "gap.srt")).out;
    // The second before the pause ends with its last picture; the next cue starts 20 s later.
    EXPECT_NE(srt.find("00:00:02,200 --> 00:00:02,266\n2026-03-14 09:59:54\n"), std::string::npos)
        << srt;
    EXPECT_NE(srt.find("00:00:22,266 --> 00:00:23,200\n2026-03-14 10:00:14\n"), std::string::npos)
        << srt;
}

TEST(ClipExportFolder, AFolderAcrossTwoPairsIsOneClip) {
    testsupport::TempDir dir;
    // 5 min 20 s at 2 pictures per second: the recording splits after five minutes.
    auto r = RunCommand(
        "ffmpeg -v error -y -f lavfi -i testsrc=s=352x240:r=2:d=320 -c:v mpeg4 "
        "-flags +bitexact -g 20 -f m4v " +
        Quote(dir / "long.m4v"));
    ASSERT_EQ(r.status, 0);
    r = Umvtool("mkrec --out " + Quote(dir / "rec") +
                " --dvr-name Long --fps 2 --start "
                "'2026-03-14 09:58:30' " +
                Quote(dir / "long.m4v"));
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string folder = dir / "rec/Long_20260314_095830/";
    std::vector<std::string> pairs;
    for (const std::string& name : Names(folder))
        if (name.ends_with(".idx")) pairs.push_back(folder + name);
    ASSERT_EQ(pairs.size(), 2u);
    r = Umvtool("export " + Quote(folder) + " --channel 1 " + Quote(dir / "all.mkv"));
    ASSERT_EQ(r.status, 0) << r.out;
    // The recorder starts the second pair at an Intra picture and drops the pictures before it:
    // those ten seconds stay a gap.
    std::vector<std::string> ours = OurDigests(pairs[0], 1);
    const std::vector<std::string> second = OurDigests(pairs[1], 1);
    ours.insert(ours.end(), second.begin(), second.end());
    EXPECT_EQ(ours.size(), 621u);
    EXPECT_EQ(FfmpegDigests(dir / "all.mkv"), ours);
    EXPECT_NEAR(std::stod(Probe(dir / "all.mkv", "", "format=duration").at(0)), 320.0, 0.5);

    // The evidence folder holds both pairs, the calendar and the clip.
    r = Umvtool("export " + Quote(folder) + " --channel 1 --evidence " + Quote(dir / "ev"));
    ASSERT_EQ(r.status, 0) << r.out;
    const auto names = Names(dir / "ev");
    EXPECT_EQ(names.size(), 9u);
    EXPECT_EQ(Umvtool("verify " + Quote(dir / "ev")).out, "verified: 8 files\n");
}

TEST_F(ClipExport, VerifyNamesEveryChangedMissingAndExtraFile) {
    const std::string ev = *dir_ / "ev";
    auto r = Umvtool("export " + Quote(pair_) + " --channel 1 --evidence " + Quote(ev));
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<std::string> files = {"20260314_095952.cdb",
                                            "20260314_095952.idx",
                                            "20260314_095952.umv",
                                            "clip.mp4",
                                            "clip.srt",
                                            "clip.vtt"};
    std::vector<std::string> expected = files;
    expected.push_back("MANIFEST.sha256");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(ev), expected);
    // The copies are the recording's bytes.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(testsupport::ReadFile(ev + "/" + files[i]),
                  testsupport::ReadFile(folder_ + files[i]))
            << files[i];
    const std::string manifest = RunCommand("cat " + Quote(ev + "/MANIFEST.sha256")).out;
    for (const char* fact : {"recorder: Shop\n", "channel: 1\n", "first: 2026-03-14 09:59:52\n",
                             "last: 2026-03-14 09:59:55\n", "pictures: 60\n", "audio-blocks: 9\n"})
        EXPECT_NE(manifest.find(fact), std::string::npos) << fact;
    EXPECT_EQ(Umvtool("verify " + Quote(ev)).out, "verified: 6 files\n");

    // Each file with one flipped byte.
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        const std::string path = ev + "/" + name;
        std::vector<uint8_t> bytes = testsupport::ReadFile(path);
        const std::vector<uint8_t> original = bytes;
        bytes[bytes.size() / 2] ^= 0x01;
        testsupport::WriteFile(path, bytes);
        r = Umvtool("verify " + Quote(ev));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.out.find("changed: " + name + "\n"), std::string::npos) << r.out;
        testsupport::WriteFile(path, original);
    }
    // A deleted file, an added one, and both at once.
    std::filesystem::rename(ev + "/clip.vtt", *dir_ / "clip.vtt.kept");
    testsupport::WriteFile(ev + "/note.txt", {'x'});
    r = Umvtool("verify " + Quote(ev));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.out),
              (std::vector<std::string>{"missing: clip.vtt", "extra: note.txt",
                                        "umvtool: the folder does not match its manifest"}));
    std::filesystem::rename(*dir_ / "clip.vtt.kept", ev + "/clip.vtt");
    std::filesystem::remove(ev + "/note.txt");
    EXPECT_EQ(Umvtool("verify " + Quote(ev)).status, 0);
    // A changed manifest is caught by its own digest.
    std::string edited = manifest;
    edited.replace(edited.find("pictures: 60"), 12, "pictures: 61");
    testsupport::WriteFile(ev + "/MANIFEST.sha256",
                           std::vector<uint8_t>(edited.begin(), edited.end()));
    r = Umvtool("verify " + Quote(ev));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("the manifest itself was changed"), std::string::npos) << r.out;
}

// verify cuts the clip again from the copied pairs: a manifest whose facts were rewritten and
// sealed again is caught by its facts; a range export verifies, and so does a manifest written
// before the range was recorded (by its files and seal).
TEST_F(ClipExport, VerifyRecomputesTheFactsFromTheCopiedPairs) {
    const std::string ev = *dir_ / "ev";
    auto r = Umvtool("export " + Quote(pair_) + " --channel 1 --from '2026-03-14 09:59:54' " +
                     "--evidence " + Quote(ev));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Umvtool("verify " + Quote(ev)).status, 0);
    const std::string path = ev + "/" + exporter::kManifestName;
    const std::vector<uint8_t> sealed = testsupport::ReadFile(path);
    exporter::Manifest manifest;
    std::string error;
    ASSERT_TRUE(exporter::ParseManifest(
        std::string_view(reinterpret_cast<const char*>(sealed.data()), sealed.size()), &manifest,
        &error))
        << error;
    auto reseal = [&](const exporter::Manifest& m) {
        const std::string text = exporter::FormatManifest(m);
        testsupport::WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
    };
    auto set = [](exporter::Manifest m, const std::string& key, const std::string& value) {
        for (auto& fact : m.facts)
            if (fact.first == key) fact.second = value;
        return m;
    };
    const auto stated = [&](const std::string& key) {
        for (const auto& fact : manifest.facts)
            if (fact.first == key) return fact.second;
        return std::string();
    };
    ASSERT_EQ(stated("from"), "2026-03-14 09:59:54");
    ASSERT_EQ(stated("to"), "-");

    reseal(set(manifest, "pictures", "61"));
    r = Umvtool("verify " + Quote(ev));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.out).at(0),
              "mismatch: pictures: the manifest says 61, the copied recording "
              "gives " +
                  stated("pictures"))
        << r.out;
    reseal(set(set(manifest, "first", "2026-03-14 09:59:50"), "audio-blocks", "0"));
    const exporter::VerifyReport report = exporter::VerifyFolder(ev);
    EXPECT_EQ(report.verified, 6u);
    ASSERT_EQ(report.facts.size(), 2u);
    EXPECT_EQ(report.facts[0].rfind("first: ", 0), 0u);
    EXPECT_EQ(report.facts[1].rfind("audio-blocks: ", 0), 0u);

    // Written before the range was recorded: the files and the seal still verify it.
    exporter::Manifest legacy = manifest;
    std::erase_if(legacy.facts, [](const auto& f) { return f.first == "from" || f.first == "to"; });
    reseal(legacy);
    r = Umvtool("verify " + Quote(ev));
    EXPECT_EQ(r.status, 0) << r.out;
    // The copied pair itself is the evidence: a whole-recording range over it gives other facts.
    reseal(set(manifest, "from", "-"));
    EXPECT_EQ(Umvtool("verify " + Quote(ev)).status, 1);
}

// The controller the player drives: progress rises to the end, and a cancel at any point
// leaves neither the clip, its side files nor the evidence folder.
TEST_F(ClipExport, ProgressRisesAndACancelLeavesNothing) {
    testsupport::TempDir out;
    exporter::ClipPlan plan;
    std::string error;
    ASSERT_TRUE(plan.Build({pair_, 0, std::nullopt, std::nullopt}, &error)) << error;
    std::vector<uint64_t> seen;
    exporter::ExportCallbacks watch;
    watch.progress = [&](uint64_t done, uint64_t total) {
        EXPECT_EQ(total, 1000u);
        seen.push_back(done);
    };
    const exporter::ExportResult done = exporter::ExportClip(plan, out / "all.mp4", watch);
    ASSERT_TRUE(done.ok) << done.error;
    EXPECT_EQ(done.pictures, 60u);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 1000u);

    for (int after : {0, 1, 5}) {
        SCOPED_TRACE(after);
        int asked = 0;
        exporter::ExportCallbacks stop;
        stop.cancelled = [&] { return asked++ >= after; };
        const exporter::ExportResult clip = exporter::ExportClip(plan, out / "c.mkv", stop);
        EXPECT_FALSE(clip.ok);
        EXPECT_TRUE(clip.cancelled);
        asked = 0;
        const exporter::ExportResult ev = exporter::ExportEvidence(plan, out / "ev", "test", stop);
        EXPECT_FALSE(ev.ok);
        EXPECT_TRUE(ev.cancelled);
        EXPECT_EQ(Names(out.path()), (std::vector<std::string>{"all.mp4", "all.srt", "all.vtt"}));
    }
}

}  // namespace
