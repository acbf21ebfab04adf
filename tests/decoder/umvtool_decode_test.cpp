// `umvtool decode`, run as the user runs it: digests of streams, recordings and ".ums" files,
// raw and PNG output, and its errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "media/frame_header.h"
#include "tests/decoder/decode_support.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Quote;
using testsupport::RunCommand;

const std::string kUmvtool = std::string(DVR_BINARY_DIR) + "/tools/umvtool/umvtool";
const std::string kSamples = std::string(DVR_SOURCE_DIR) + "/samples/";

testsupport::CommandResult Umvtool(const std::string& args) {
    return RunCommand(kUmvtool + " " + args + " 2>/dev/null");
}

std::string FirstFile(const std::string& folder, const std::string& extension) {
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        if (e.path().extension() == extension) return e.path().string();
    return {};
}

size_t LineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(UmvtoolDecodeTest, DigestsOfAStreamMatchTheReference) {
    const std::string stream = testsupport::CorpusPath("b2_704x480.m4v");
    const auto r = Umvtool("decode --md5 " + Quote(stream));
    ASSERT_EQ(r.status, 0);
    std::string expected;
    for (const std::string& line :
         testsupport::ReadLines(testsupport::CorpusPath("b2_704x480.md5")))
        expected += line + "\n";
    EXPECT_EQ(r.out, expected);
}

TEST(UmvtoolDecodeTest, RawAndPngOutput) {
    testsupport::TempDir dir;
    const std::string stream = testsupport::CorpusPath("q31_352x240.m4v");
    ASSERT_EQ(Umvtool("decode --yuv " + Quote(dir / "out.yuv") + " " + Quote(stream)).status, 0);
    const auto yuv = testsupport::ReadFile(dir / "out.yuv");
    const size_t pictureBytes = 352 * 240 * 3 / 2;
    ASSERT_EQ(yuv.size(), 10 * pictureBytes);
    // The raw pictures are the ones the digests describe.
    const auto digests = testsupport::ReadLines(testsupport::CorpusPath("q31_352x240.md5"));
    EXPECT_EQ(testsupport::Md5Hex(yuv.data() + 3 * pictureBytes, pictureBytes), digests[3]);

    ASSERT_EQ(Umvtool("decode --png " + Quote(dir / "png") + " " + Quote(stream)).status, 0);
    size_t pngs = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir / "png")) {
        const auto bytes = testsupport::ReadFile(e.path().string());
        ASSERT_GT(bytes.size(), 8u);
        EXPECT_EQ(bytes[1], 'P');
        EXPECT_EQ(bytes[2], 'N');
        ++pngs;
    }
    EXPECT_EQ(pngs, 10u);
    const auto null = Umvtool("decode --null " + Quote(stream));
    EXPECT_EQ(null.status, 0);
    EXPECT_EQ(null.out, "");
}

// A recording: the pictures of one channel, by default the first channel with pictures.
TEST(UmvtoolDecodeTest, RecordingChannels) {
    const std::string index = FirstFile(kSamples + "d1_4ch", ".idx");
    ASSERT_FALSE(index.empty());
    const auto frames = Umvtool("frames " + Quote(index));
    size_t channel2 = 0;
    size_t channel1 = 0;
    std::istringstream in(frames.out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        size_t i;
        int channel;
        words >> i >> channel;
        channel1 += channel == 1;
        channel2 += channel == 2;
    }
    const auto two = Umvtool("decode --md5 --channel 2 " + Quote(index));
    ASSERT_EQ(two.status, 0);
    EXPECT_EQ(LineCount(two.out), channel2);
    const auto first = Umvtool("decode --md5 " + Quote(index));
    EXPECT_EQ(LineCount(first.out), channel1);
    EXPECT_NE(first.out, two.out);
    const std::string data = FirstFile(kSamples + "cif_16ch", ".umv");
    const auto alone = Umvtool("decode --md5 --channel 16 " + Quote(data));
    EXPECT_EQ(alone.status, 0);
    EXPECT_GT(LineCount(alone.out), 0u);
}

// A ".ums" file: one frame record; the intra picture is shown once.
TEST(UmvtoolDecodeTest, SingleFrameFiles) {
    testsupport::TempDir dir;
    const auto stream = testsupport::ReadFile(testsupport::CorpusPath("q31_352x240.m4v"));
    const auto frames = testsupport::SplitFrames(stream);
    media::FrameHeader h;
    h.channel = 0;
    h.kind = 0;
    h.flags = media::SizeCodeFlags(1);  // 352 x 240
    h.modelCode = 5;
    std::vector<uint8_t> ums(media::kFrameHeaderSize);
    h.Encode(ums.data());
    ums.insert(ums.end(), frames[0].begin(), frames[0].end());
    testsupport::WriteFile(dir / "still.ums", ums);
    const auto r = Umvtool("decode --md5 " + Quote(dir / "still.ums"));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, testsupport::ReadLines(testsupport::CorpusPath("q31_352x240.md5"))[0] + "\n");

    std::vector<uint8_t> big(media::kFrameHeaderSize + media::kMaxPayloadSize);
    h.Encode(big.data());
    testsupport::WriteFile(dir / "big.ums", big);
    const auto tooBig = RunCommand(kUmvtool + " decode --md5 " + Quote(dir / "big.ums") + " 2>&1");
    EXPECT_EQ(tooBig.status, 1);
    EXPECT_NE(tooBig.out.find("The file size is too big!"), std::string::npos);
}

TEST(UmvtoolDecodeTest, UnsupportedStreamsAndUsageErrors) {
    const auto qpel = RunCommand(kUmvtool + " decode --md5 " +
                                 Quote(testsupport::CorpusPath("qpel_352x288.m4v")) + " 2>&1");
    EXPECT_EQ(qpel.status, 1);
    EXPECT_NE(qpel.out.find("quarter-sample motion vectors are not supported (status 105)"),
              std::string::npos);
    EXPECT_EQ(Umvtool("decode " + Quote(testsupport::CorpusPath("q31_352x240.m4v"))).status, 2);
    EXPECT_EQ(Umvtool("decode --md5 --null x.m4v").status, 2);
    EXPECT_EQ(Umvtool("decode --md5 --channel 17 x.idx").status, 2);
    EXPECT_EQ(Umvtool("decode --md5 /nonexistent.m4v").status, 1);
}

// A stream whose picture size changes: each picture comes out at its own size, none lost, in
// both directions.
TEST(UmvtoolDecodeTest, PictureSizeChangesInAStream) {
    testsupport::TempDir dir;
    const auto cif = testsupport::ReadFile(testsupport::CorpusPath("pan_352x288.m4v"));
    const auto d1 = testsupport::ReadFile(testsupport::CorpusPath("b2_704x480.m4v"));
    const auto cifMd5 = testsupport::ReadLines(testsupport::CorpusPath("pan_352x288.md5"));
    const auto d1Md5 = testsupport::ReadLines(testsupport::CorpusPath("b2_704x480.md5"));
    for (bool growing : {true, false}) {
        std::vector<uint8_t> stream = growing ? cif : d1;
        const auto& second = growing ? d1 : cif;
        stream.insert(stream.end(), second.begin(), second.end());
        const std::string path = dir / "changing.m4v";
        testsupport::WriteFile(path, stream);
        const auto r = Umvtool("decode --md5 " + Quote(path));
        EXPECT_EQ(r.status, 0) << growing;
        std::string expected;
        const std::vector<std::string>* order[2] = {&cifMd5, &d1Md5};
        if (!growing) std::swap(order[0], order[1]);
        for (const auto* list : order)
            for (const std::string& line : *list)
                expected += line + "\n";
        EXPECT_EQ(r.out, expected) << growing;
        ASSERT_EQ(Umvtool("decode --yuv " + Quote(dir / "out.yuv") + " " + Quote(path)).status, 0);
        EXPECT_EQ(std::filesystem::file_size(dir / "out.yuv"),
                  cifMd5.size() * 352 * 288 * 3 / 2 + d1Md5.size() * 704 * 480 * 3 / 2);
    }
}

// A first VOL damaged on the way (its width off by a flipped bit) is passed over: the size comes
// from a later VOL and the pictures behind it decode as in the clean stream.
TEST(UmvtoolDecodeTest, SizeFromTheFirstVolThatParses) {
    testsupport::TempDir dir;
    const auto clean = testsupport::ReadFile(testsupport::CorpusPath("ip_704x240.m4v"));
    std::vector<uint8_t> stream = clean;
    // The VOL start code ends at byte 18; its 13-bit width (704) starts at byte 25: a flipped
    // third bit makes it 1728.
    ASSERT_EQ(stream[18], 0x20);
    ASSERT_EQ(stream[25], 0x16);
    stream[25] ^= 0x20;
    stream.insert(stream.end(), clean.begin(), clean.end());
    const std::string path = dir / "damaged.m4v";
    testsupport::WriteFile(path, stream);
    const auto r = Umvtool("decode --md5 " + Quote(path));
    std::string expected;
    for (const std::string& line :
         testsupport::ReadLines(testsupport::CorpusPath("ip_704x240.md5")))
        expected += line + "\n";
    ASSERT_GE(r.out.size(), expected.size());
    EXPECT_EQ(r.out.substr(r.out.size() - expected.size()), expected);
}

}  // namespace
