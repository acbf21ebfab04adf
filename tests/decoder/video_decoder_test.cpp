// The typed decoder: pictures straight into the caller's buffer at the caller's stride, never
// past its capacity, and instances that start over.
#include <gtest/gtest.h>

#include <cstring>

#include "decoder/video_decoder.h"
#include "tests/decoder/decode_support.h"

namespace {

using namespace testsupport;
using decoder::DecodeStatus;
using decoder::Destination;
using decoder::OutputFormat;
using decoder::VideoDecoder;

// Digests of every picture of a corpus stream decoded through the typed decoder.
std::vector<std::string> DecodeStream(VideoDecoder& dec, const std::vector<uint8_t>& stream,
                                      size_t skip = 0) {
    std::vector<uint8_t> picture(PlanarSize(dec.width(), dec.height()));
    const Destination dst{picture.data(), 0, picture.size()};
    std::vector<std::string> got;
    const auto frames = SplitFrames(stream);
    for (size_t i = skip; i < frames.size(); ++i)
        if (dec.Decode(frames[i], dst).hasPicture())
            got.push_back(Md5Hex(picture.data(), picture.size()));
    if (dec.Flush(dst).hasPicture()) got.push_back(Md5Hex(picture.data(), picture.size()));
    return got;
}

TEST(VideoDecoderTest, PicturesMatchTheReferenceAndResetStartsOver) {
    const std::vector<uint8_t> stream = ReadFile(CorpusPath("b1_352x240.m4v"));
    const std::vector<std::string> expected = ReadLines(CorpusPath("b1_352x240.md5"));
    VideoDecoder dec(352, 240, OutputFormat::kPlanar420);
    ASSERT_TRUE(dec.ok());
    EXPECT_EQ(DecodeStream(dec, stream), expected);
    // Half a stream, then a reset: the stream decodes again as in a new instance.
    const auto frames = SplitFrames(stream);
    std::vector<uint8_t> scratch(PlanarSize(352, 240));
    for (size_t i = 0; i < frames.size() / 2; ++i)
        dec.Decode(frames[i], {scratch.data(), 0, scratch.size()});
    dec.Reset();
    EXPECT_EQ(DecodeStream(dec, stream), expected);
}

// A wider stride leaves the bytes between rows alone; a destination too small for the picture
// is never written and the call says why.
TEST(VideoDecoderTest, DestinationStrideAndCapacity) {
    const std::vector<uint8_t> stream = ReadFile(CorpusPath("q31_352x240.m4v"));
    const auto frames = SplitFrames(stream);
    VideoDecoder tight(352, 240, OutputFormat::kBgr24);
    VideoDecoder wide(352, 240, OutputFormat::kBgr24);
    const int stride = 400;
    std::vector<uint8_t> a(352 * 240 * 3);
    std::vector<uint8_t> b(static_cast<size_t>(stride) * 240 * 3, 0xAB);
    std::vector<uint8_t> small(352 * 239 * 3, 0xCD);
    VideoDecoder refused(352, 240, OutputFormat::kBgr24);
    size_t pictures = 0;
    for (auto f : frames) {
        const auto ra = tight.Decode(f, {a.data(), 0, a.size()});
        const auto rb = wide.Decode(f, {b.data(), stride, b.size()});
        const auto rc = refused.Decode(f, {small.data(), 0, small.size()});
        ASSERT_EQ(ra.status, rb.status);
        if (!ra.hasPicture()) continue;
        ++pictures;
        EXPECT_EQ(ra.width, 352);
        EXPECT_EQ(rc.status, DecodeStatus::kUnsupported);
        EXPECT_EQ(rc.streamStatus, decoder::kStatusPictureSize);
        for (int row = 0; row < 240; ++row) {
            ASSERT_EQ(
                std::memcmp(&a[row * 352 * 3], &b[static_cast<size_t>(row) * stride * 3], 352 * 3),
                0)
                << row;
            EXPECT_EQ(b[static_cast<size_t>(row) * stride * 3 + 352 * 3], 0xAB);
        }
    }
    EXPECT_GT(pictures, 5u);
    EXPECT_EQ(std::count(small.begin(), small.end(), 0xCD), static_cast<ptrdiff_t>(small.size()));
}

TEST(VideoDecoderTest, UnsupportedStreamsSayWhy) {
    VideoDecoder dec(352, 288, OutputFormat::kPlanar420);
    std::vector<uint8_t> picture(PlanarSize(352, 288));
    const std::vector<uint8_t> stream = ReadFile(CorpusPath("qpel_352x288.m4v"));
    const auto r = dec.Decode(SplitFrames(stream)[0], {picture.data(), 0, picture.size()});
    EXPECT_EQ(r.status, DecodeStatus::kUnsupported);
    EXPECT_STREQ(decoder::DescribeStreamStatus(r.streamStatus),
                 "quarter-sample motion vectors are not supported");
}

// Channels of a bank decode independently; a reset channel starts over, the others go on.
TEST(VideoDecoderBankTest, ChannelsAndReset) {
    const std::vector<uint8_t> a = ReadFile(CorpusPath("pan_352x288.m4v"));
    const std::vector<uint8_t> b = ReadFile(CorpusPath("acpred_352x288.m4v"));
    const auto fa = SplitFrames(a);
    const auto fb = SplitFrames(b);
    decoder::VideoDecoderBank bank(2, 352, 288, OutputFormat::kPlanar420);
    ASSERT_TRUE(bank.ok());
    std::vector<uint8_t> picture(PlanarSize(352, 288));
    const Destination dst{picture.data(), 0, picture.size()};
    EXPECT_EQ(bank.Decode(2, fa[0], dst).status, DecodeStatus::kNone);
    std::vector<std::string> ga;
    std::vector<std::string> gb;
    for (size_t i = 0; i < std::max(fa.size(), fb.size()); ++i) {
        if (i == 3) bank.Reset(1);  // channel 1 starts over at its fourth frame
        if (i < fa.size() && bank.Decode(0, fa[i], dst).hasPicture())
            ga.push_back(Md5Hex(picture.data(), picture.size()));
        if (i < fb.size() && i >= 3 && bank.Decode(1, fb[i - 3], dst).hasPicture())
            gb.push_back(Md5Hex(picture.data(), picture.size()));
    }
    if (bank.Flush(0, dst).hasPicture()) ga.push_back(Md5Hex(picture.data(), picture.size()));
    EXPECT_EQ(ga, ReadLines(CorpusPath("pan_352x288.md5")));
    const std::vector<std::string> refB = ReadLines(CorpusPath("acpred_352x288.md5"));
    ASSERT_FALSE(gb.empty());
    EXPECT_EQ(gb.front(), refB.front());
}

}  // namespace
