// Damaged streams as recorders and networks deliver them: flipped bits in headers, stray start
// codes, layers that do not parse. The user must see the damage reported, and nothing that
// follows it lost.
#include <gtest/gtest.h>

#include "decoder/video_decoder.h"
#include "tests/decoder/decode_support.h"
#include "tests/decoder/stream_writer.h"

namespace {

using namespace testsupport;
using decoder::kResultNoPicture;
using decoder::kResultOk;

// Flips bit `bit` (0 the first) of the VOP header behind the frame's VOP start code.
std::vector<uint8_t> FlipVopHeaderBit(std::vector<uint8_t> frame, int bit) {
    for (size_t i = 0; i + 3 < frame.size(); ++i)
        if (frame[i] == 0 && frame[i + 1] == 0 && frame[i + 2] == 1 && frame[i + 3] == 0xB6) {
            const size_t at = (i + 4) * 8 + static_cast<size_t>(bit);
            frame[at / 8] ^= static_cast<uint8_t>(0x80 >> (at % 8));
            return frame;
        }
    ADD_FAILURE() << "no VOP";
    return frame;
}

struct Outcome {
    int rc;
    int flag;
};
std::vector<Outcome> Decode(const std::vector<std::vector<uint8_t>>& frames) {
    PlanarDecoder dec(352, 288);
    std::vector<Outcome> out;
    for (const auto& f : frames) {
        const int rc = dec.Decode(f);
        out.push_back({rc, dec.requestResult()});
    }
    return out;
}

// With a resolution of 25 the VOP header starts: type (2 bits), the modulo time base ending in 0,
// a marker, 5 bits of time, a marker, vop_coded.
constexpr int kFirstMarkerBit = 3;
constexpr int kSecondMarkerBit = 9;
constexpr int kCodedBit = 10;

// A flipped vop_coded bit turns the I-VOP into a not-coded VOP: every P-VOP up to the next I-VOP
// is then predicted from the blank picture and must say so.
TEST(DamagedInputTest, PVopsWithoutTheirIntraPictureAreDamaged) {
    VolSpec vol;
    const auto i1 = FlipVopHeaderBit(IntraFrame(vol, 1), kCodedBit);
    const std::vector<Outcome> got = Decode({i1, MoveFrame(vol, 1, 4, 2), MoveFrame(vol, 2, -2, 2),
                                             IntraFrame(vol, 2), MoveFrame(vol, 4, 2, 0)});
    EXPECT_EQ(got[0].rc, kResultNoPicture);
    EXPECT_EQ(got[1].flag, 1);
    EXPECT_EQ(got[2].flag, 1);
    EXPECT_EQ(got[3].rc, kResultOk);
    EXPECT_EQ(got[3].flag, 0);
    EXPECT_EQ(got[4].flag, 0);
}

// A zero marker bit around the VOP time marks the header damaged: nothing is decoded from it,
// the damage is reported, and the P-VOPs that lost their reference are damaged too.
TEST(DamagedInputTest, VopHeaderMarkersAreChecked) {
    VolSpec vol;
    for (int bit : {kFirstMarkerBit, kSecondMarkerBit}) {
        const auto i1 = FlipVopHeaderBit(IntraFrame(vol, 1), bit);
        const std::vector<Outcome> got = Decode({i1, MoveFrame(vol, 1, 4, 2)});
        EXPECT_EQ(got[0].rc, kResultNoPicture) << bit;
        EXPECT_EQ(got[0].flag, 1) << bit;
        EXPECT_EQ(got[1].flag, 1) << bit;
    }
}

// libxvid writes its VOL once. A stray video object start code and a VOL that does not parse
// later in the stream leave the layer in force: every picture still comes out as the reference
// decodes the clean stream, and the frame with the broken layer header is reported damaged.
TEST(DamagedInputTest, StrayVoAndBrokenVolKeepTheLayerInForce) {
    const std::vector<uint8_t> clean = ReadFile(CorpusPath("xvidvhq_352x288.m4v"));
    const std::vector<std::string> expected = ReadLines(CorpusPath("xvidvhq_352x288.md5"));
    const auto frames = SplitFrames(clean);
    ASSERT_GT(frames.size(), 6u);
    VolSpec broken;
    broken.withVo = false;
    broken.width = 0;
    BitWriter brokenVol;
    brokenVol.StartCode(0x01);  // a video object start code of its own
    WriteVol(brokenVol, broken);
    BitWriter strayVo;
    strayVo.StartCode(0x03);

    std::vector<std::vector<uint8_t>> damaged;
    for (size_t i = 0; i < frames.size(); ++i) {
        std::vector<uint8_t> f;
        if (i == 3) f = brokenVol.bytes();
        if (i == 5) f = strayVo.bytes();
        f.insert(f.end(), frames[i].begin(), frames[i].end());
        damaged.push_back(std::move(f));
    }
    PlanarDecoder dec(352, 288);
    std::vector<std::string> got;
    std::vector<int> flags;
    for (const auto& f : damaged) {
        if (dec.Decode(f) == kResultOk && !dec.ShowedBlank()) got.push_back(dec.PictureMd5());
        flags.push_back(dec.requestResult());
    }
    if (dec.Flush() == kResultOk) got.push_back(dec.PictureMd5());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(flags[3], 1);
    EXPECT_EQ(flags[5], 0);
}

// A layer larger than the instance was made for: the typed decoder grows and decodes it; the
// pictures of both layers match the reference.
TEST(DamagedInputTest, TypedDecoderGrowsForALargerLayer) {
    std::vector<uint8_t> stream = ReadFile(CorpusPath("pan_352x288.m4v"));
    const std::vector<uint8_t> d1 = ReadFile(CorpusPath("b2_704x480.m4v"));
    stream.insert(stream.end(), d1.begin(), d1.end());
    const std::vector<std::string> small = ReadLines(CorpusPath("pan_352x288.md5"));
    const std::vector<std::string> large = ReadLines(CorpusPath("b2_704x480.md5"));

    decoder::VideoDecoder dec(352, 288, decoder::OutputFormat::kPlanar420);
    ASSERT_TRUE(dec.ok());
    std::vector<uint8_t> picture(PlanarSize(704, 480));
    const decoder::Destination dst{picture.data(), 0, picture.size()};
    std::vector<std::string> got;
    auto take = [&](const decoder::DecodeResult& r) {
        EXPECT_FALSE(r.damaged());
        if (r.hasPicture()) got.push_back(Md5Hex(picture.data(), PlanarSize(r.width, r.height)));
    };
    for (auto f : SplitFrames(stream))
        take(dec.Decode(f, dst));
    take(dec.Flush(dst));
    EXPECT_EQ(dec.width(), 704);
    // The smaller layer's held-back picture goes with it (callers flush before a new size).
    std::vector<std::string> expected(small.begin(), small.end() - 1);
    expected.insert(expected.end(), large.begin(), large.end());
    EXPECT_EQ(got, expected);
}

}  // namespace

namespace {

// Pictures of a decoder fed `frames`, the last one flushed.
std::vector<std::vector<uint8_t>> Pictures(const std::vector<std::vector<uint8_t>>& frames,
                                           int width = 352, int height = 288) {
    PlanarDecoder dec(width, height);
    std::vector<std::vector<uint8_t>> out;
    for (const auto& f : frames)
        if (dec.Decode(f) == kResultOk && !dec.ShowedBlank()) out.push_back(dec.picture());
    if (dec.Flush() == kResultOk) out.push_back(dec.picture());
    return out;
}

// Of the luma planes of two pictures `pixels` samples large.
double MeanAbsDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                         size_t pixels = 352 * 288) {
    double sum = 0;
    for (size_t i = 0; i < pixels; ++i)
        sum += std::abs(a[i] - b[i]);
    return sum / static_cast<double>(pixels);
}

// A P-VOP cut short in a picture that moves as a whole: the lost macroblocks are predicted with
// their neighbours' vector, close to what the whole P-VOP gives, and far closer than the
// reference picture left in place.
TEST(DamagedInputTest, LostMacroblocksFollowTheirNeighboursMotion) {
    VolSpec vol;
    const auto i = IntraFrame(vol, 4);
    const auto p = MoveFrame(vol, 1, 7, -5);
    const std::vector<uint8_t> cut(p.begin(), p.begin() + static_cast<ptrdiff_t>(p.size() / 2));
    const auto whole = Pictures({i, p});
    const auto concealed = Pictures({i, cut});
    ASSERT_EQ(whole.size(), 2u);
    ASSERT_EQ(concealed.size(), 2u);
    const double error = MeanAbsDifference(concealed[1], whole[1]);
    const double copied = MeanAbsDifference(whole[0], whole[1]);
    EXPECT_LT(error * 5, copied) << error << " " << copied;
}

}  // namespace

namespace {

// B-VOPs code every macroblock whose co-located one in their newer reference is intra. When that
// reference is an I-VOP cut short, its lost macroblocks must still count as intra, or the B-VOPs
// behind it skip coded macroblocks and read the rest of their data out of step.
TEST(DamagedInputTest, BVopsBehindACutIntraPictureReadAllTheirMacroblocks) {
    const std::vector<uint8_t> clean = ReadFile(CorpusPath("b2_704x480.m4v"));
    const auto frames = SplitFrames(clean);
    std::vector<std::vector<uint8_t>> cut;
    int intraSeen = 0;
    for (const umvtool::EsFrame& f : umvtool::SplitElementaryStream(clean)) {
        std::vector<uint8_t> bytes(clean.begin() + static_cast<ptrdiff_t>(f.begin),
                                   clean.begin() + static_cast<ptrdiff_t>(f.end));
        if (f.vopType == 0 && ++intraSeen == 2) bytes.resize(bytes.size() * 4 / 10);
        cut.push_back(std::move(bytes));
    }
    ASSERT_EQ(intraSeen, 2);
    PlanarDecoder whole(704, 480);
    whole.DecodeAll(frames);
    PlanarDecoder damaged(704, 480);
    std::vector<int> flags;
    for (const auto& f : cut) {
        damaged.Decode(f);
        flags.push_back(damaged.requestResult());
    }
    EXPECT_EQ(damaged.stats().skippedBMbs, whole.stats().skippedBMbs);
    EXPECT_EQ(std::count(flags.begin(), flags.end(), 1), 1);
}

}  // namespace

namespace {

// A B-VOP of a panning scene cut short: its lost macroblocks are predicted from both references
// as in direct mode, closer to the whole B-VOP than the older reference copied in.
TEST(DamagedInputTest, LostBMacroblocksUseBothReferences) {
    const std::vector<uint8_t> clean = ReadFile(CorpusPath("pan_352x288.m4v"));
    std::vector<std::vector<uint8_t>> whole;
    std::vector<std::vector<uint8_t>> cut;
    bool bCut = false;
    for (const umvtool::EsFrame& f : umvtool::SplitElementaryStream(clean)) {
        std::vector<uint8_t> bytes(clean.begin() + static_cast<ptrdiff_t>(f.begin),
                                   clean.begin() + static_cast<ptrdiff_t>(f.end));
        whole.push_back(bytes);
        if (f.vopType == 2 && !bCut) {
            bytes.resize(bytes.size() / 3);
            bCut = true;
        }
        cut.push_back(std::move(bytes));
    }
    const auto good = Pictures(whole);
    const auto concealed = Pictures(cut);
    ASSERT_EQ(good.size(), concealed.size());
    // Display order I B P: picture 1 is the first B-VOP, picture 0 its older reference.
    const double error = MeanAbsDifference(concealed[1], good[1]);
    const double older = MeanAbsDifference(good[0], good[1]);
    EXPECT_GT(error, 0.0);
    // Copying the older reference into the lost area leaves 12.2 here; direct mode 10.8.
    EXPECT_LT(error * 1.25, older) << error << " " << older;
}

}  // namespace

namespace {

// An I-VOP of a panning scene cut short: the content that has just come into view at its bottom
// and right is in no earlier picture, so the lost macroblocks are filled from the rows decoded
// above them rather than from a vector into the previous picture.
TEST(DamagedInputTest, LostIntraMacroblocksOfNewContentAreFilledFromTheirBorders) {
    const std::vector<uint8_t> clean = ReadFile(CorpusPath("pan_352x288.m4v"));
    std::vector<std::vector<uint8_t>> whole;
    std::vector<std::vector<uint8_t>> cut;
    int intraSeen = 0;
    for (const umvtool::EsFrame& f : umvtool::SplitElementaryStream(clean)) {
        std::vector<uint8_t> bytes(clean.begin() + static_cast<ptrdiff_t>(f.begin),
                                   clean.begin() + static_cast<ptrdiff_t>(f.end));
        whole.push_back(bytes);
        if (f.vopType == 0 && ++intraSeen == 2) bytes.resize(bytes.size() * 3 / 10);
        cut.push_back(std::move(bytes));
    }
    ASSERT_EQ(intraSeen, 2);
    const auto good = Pictures(whole);
    const auto concealed = Pictures(cut);
    ASSERT_EQ(good.size(), 14u);
    ASSERT_EQ(concealed.size(), good.size());
    // Display order: picture 12 is the second I-VOP, 11 the picture before it.
    const double error = MeanAbsDifference(concealed[12], good[12]);
    const double previous = MeanAbsDifference(good[11], good[12]);
    // Predicting every lost macroblock from the previous picture left 7.4 here; filled from the
    // borders 1.8, against 9.4 for the previous picture.
    EXPECT_LT(error * 4, previous) << error << " " << previous;
    // The B-VOP in front of it is predicted from it: the damage does not grow there either.
    EXPECT_LT(MeanAbsDifference(concealed[11], good[11]) * 4, previous);

    PlanarDecoder dec(352, 288);
    for (const auto& f : cut)
        dec.Decode(f);
    EXPECT_GT(dec.stats().spatiallyConcealedMbs, 0u);
    EXPECT_LE(dec.stats().spatiallyConcealedMbs, dec.stats().concealedMbs);
}

}  // namespace

namespace {

// A flipped bit inside a video packet loses that packet only: decoding picks up again at the
// next resync marker, and what follows is decoded as in the undamaged stream.
TEST(DamagedInputTest, DecodingResumesAtTheNextVideoPacket) {
    const std::vector<uint8_t> clean = ReadFile(CorpusPath("ilaceps_352x288.m4v"));
    std::vector<std::vector<uint8_t>> whole;
    for (const umvtool::EsFrame& f : umvtool::SplitElementaryStream(clean))
        whole.emplace_back(clean.begin() + static_cast<ptrdiff_t>(f.begin),
                           clean.begin() + static_cast<ptrdiff_t>(f.end));
    ASSERT_GT(whole.size(), 2u);
    // The first frame (headers and the I-VOP, many video packets): one bit flipped a fifth in.
    std::vector<std::vector<uint8_t>> damaged{whole[0]};
    damaged[0][damaged[0].size() / 5] ^= 0x10;

    PlanarDecoder good(352, 288);
    ASSERT_EQ(good.Decode(whole[0]), kResultOk);
    ASSERT_EQ(good.Flush(), kResultOk);
    PlanarDecoder dec(352, 288);
    ASSERT_EQ(dec.Decode(damaged[0]), kResultOk);
    EXPECT_EQ(dec.requestResult(), 1);
    ASSERT_EQ(dec.Flush(), kResultOk);
    // The lower half of the picture lies in later packets: identical to the undamaged decode.
    const size_t half = 352 * 144;
    const std::vector<uint8_t>& a = dec.picture();
    const std::vector<uint8_t>& b = good.picture();
    EXPECT_TRUE(std::equal(a.begin() + half, a.begin() + 2 * half, b.begin() + half));
    EXPECT_LT(MeanAbsDifference(a, b), 1.0);
    EXPECT_LT(dec.stats().concealedMbs, 396u / 4);
}

}  // namespace

namespace {

// A video packet lost from the middle of an I-VOP (the first: no earlier picture to take it from):
// its macroblocks are filled from the decoded rows above and below them, once the packets after
// the gap are decoded too.
TEST(DamagedInputTest, AMissingPacketIsFilledFromBothSides) {
    const std::vector<uint8_t> clean = ReadFile(CorpusPath("ilaceps_352x288.m4v"));
    const auto frames = umvtool::SplitElementaryStream(clean);
    ASSERT_FALSE(frames.empty());
    std::vector<uint8_t> first(clean.begin(),
                               clean.begin() + static_cast<ptrdiff_t>(frames[0].end));
    // Resync markers of an I-VOP: byte-aligned, 16 zero bits and a one.
    std::vector<size_t> markers;
    for (size_t i = frames[0].begin + 8; i + 2 < first.size(); ++i)
        if (first[i] == 0 && first[i + 1] == 0 && first[i + 2] >= 0x80) markers.push_back(i);
    ASSERT_GE(markers.size(), 6u);
    std::vector<uint8_t> damaged(first.begin(), first.begin() + static_cast<ptrdiff_t>(markers[3]));
    damaged.insert(damaged.end(), first.begin() + static_cast<ptrdiff_t>(markers[4]), first.end());

    PlanarDecoder good(352, 288);
    ASSERT_EQ(good.Decode(first), kResultOk);
    ASSERT_EQ(good.Flush(), kResultOk);
    PlanarDecoder dec(352, 288);
    ASSERT_EQ(dec.Decode(damaged), kResultOk);
    EXPECT_EQ(dec.requestResult(), 1);
    ASSERT_EQ(dec.Flush(), kResultOk);
    const uint64_t lost = dec.stats().concealedMbs;
    EXPECT_GT(lost, 0u);
    EXPECT_GT(dec.stats().spatiallyConcealedMbs, lost / 2);
    // Per sample of the lost macroblocks: 9.2 here; with the pixels above and to the left alone
    // (concealed before the packets behind the gap were decoded) 68.
    const double error =
        MeanAbsDifference(dec.picture(), good.picture()) * 396 / static_cast<double>(lost);
    EXPECT_LT(error, 20.0) << error << " over " << lost;
}

}  // namespace
