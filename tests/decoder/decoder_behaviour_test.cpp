// How decode calls treat unusual, damaged and unsupported streams, and the command entry's
// edges. Streams are written bit by bit (tests/decoder/stream_writer.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "decoder/decoder_bank.h"
#include "decoder/headers.h"
#include "media/frame_header.h"
#include "tests/decoder/decode_support.h"
#include "tests/decoder/stream_writer.h"

namespace {

using namespace testsupport;
using decoder::kResultNoPicture;
using decoder::kResultOk;
using decoder::kResultUnsupported;

// Decodes frames in a fresh decoder: digests of the shown pictures (blank left out, flushed).
std::vector<std::string> DecodeFrames(const std::vector<std::vector<uint8_t>>& frames,
                                      std::vector<int>* results = nullptr,
                                      std::vector<int>* flags = nullptr) {
    PlanarDecoder dec(352, 288);
    std::vector<std::string> out;
    for (const auto& f : frames) {
        // Each frame in a heap block of exactly its size: a read past it is caught.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[f.size()]);
        std::memcpy(exact.get(), f.data(), f.size());
        const int rc = dec.Decode({exact.get(), f.size()});
        if (results) results->push_back(rc);
        if (flags) flags->push_back(dec.requestResult());
        if (rc == kResultOk && !dec.ShowedBlank()) out.push_back(dec.PictureMd5());
    }
    if (dec.Flush() == kResultOk) out.push_back(dec.PictureMd5());
    return out;
}

TEST(DecoderHeadersTest, TimeIncrementWidthFollowsTheResolution) {
    EXPECT_EQ(decoder::TimeIncrementBits(1), 1);
    EXPECT_EQ(decoder::TimeIncrementBits(2), 1);
    EXPECT_EQ(decoder::TimeIncrementBits(16), 4);
    EXPECT_EQ(decoder::TimeIncrementBits(17), 5);
    EXPECT_EQ(decoder::TimeIncrementBits(30000), 15);
    EXPECT_EQ(decoder::TimeIncrementBits(65535), 16);
}

TEST(DecoderCommandTest, HandleZeroAndUnusedOperations) {
    for (uint32_t op : {0u, 0x4000u, 0x8000u, 0x10000u, 0x20000u, 0x40000u, 0x80000u, 0x100000u})
        EXPECT_EQ(decoder::decoder_command(0, op, nullptr, nullptr), decoder::kResultInvalid);
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpUnused4, nullptr, nullptr), 4);
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpUnused0, nullptr, nullptr), 0);
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpDecodeFrame, nullptr, nullptr),
              decoder::kResultInvalid);
}

TEST(DecoderCommandTest, PostprocessLevelsAboveHundredAreRefused) {
    auto level = [](intptr_t v) { return reinterpret_cast<void*>(v); };
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpSetPostprocess, level(0), nullptr), 0);
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpSetPostprocess, level(100), nullptr), 0);
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpSetPostprocess, level(101), nullptr), 2);
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpSetPostprocess, level(-1), nullptr), 2);
}

TEST(DecoderCommandTest, MemoryRequirementsAndRefusedSizes) {
    decoder::DecoderParams p;
    p.width = 704;
    p.height = 480;
    decoder::MemoryRequirements m;
    ASSERT_EQ(decoder::decoder_command(1, decoder::kOpQueryMemory, &p, &m), kResultOk);
    EXPECT_EQ(m.size[0], 670720u);
    EXPECT_EQ(m.size[3], 506880u);
    p.width = 736;
    p.height = 576;
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpQueryMemory, &p, &m), 2);
    decoder::DecoderBank bank(2);
    EXPECT_FALSE(bank.Open(0, false, 736, 576, nullptr));
    EXPECT_FALSE(bank.Open(0, false, 0, 288, nullptr));
    EXPECT_TRUE(bank.Open(0, false, 720, 576, nullptr));
    // An instance for another codec is refused; the same instance for MPEG-4 is taken.
    decoder::DecoderParams& q = bank.params(0);
    q.codecKind = 2;
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpInit, &q, nullptr), 2);
    q.codecKind = decoder::kCodecMpeg4;
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpInit, &q, nullptr), kResultOk);
}

TEST(DecoderBankTest, OutputFormatFollowsDisplayTypeAndDeinterlacing) {
    using decoder::DecoderBank;
    EXPECT_EQ(DecoderBank::OutputFormatFor(0, false, 352, 240), 1);
    EXPECT_EQ(DecoderBank::OutputFormatFor(1, false, 352, 240), 5);
    EXPECT_EQ(DecoderBank::OutputFormatFor(1, true, 704, 480), 1);
    EXPECT_EQ(DecoderBank::OutputFormatFor(1, true, 704, 240), 5);
    EXPECT_EQ(DecoderBank::OutputFormatFor(1, false, 704, 576), 5);
}

TEST(DecoderProbeTest, SizeFromTheVolHeader) {
    VolSpec vol;
    vol.width = 704;
    vol.height = 576;
    BitWriter w;
    w.StartCode(0xB0);  // a sequence header in front
    w.Put(0xF5, 8);
    WriteVol(w, vol);
    decoder::FrameRequest req;
    req.data = w.bytes().data();
    req.length = static_cast<uint32_t>(w.bytes().size());
    int packed = 0;
    ASSERT_EQ(decoder::decoder_command(1, decoder::kOpProbePictureSize, &req, &packed), kResultOk);
    EXPECT_EQ(packed, (704 << 12) | 576);

    BitWriter vop;
    WriteVopHeader(vop, vol, VopSpec{});
    req.data = vop.bytes().data();
    req.length = static_cast<uint32_t>(vop.bytes().size());
    EXPECT_EQ(decoder::decoder_command(1, decoder::kOpProbePictureSize, &req, &packed),
              kResultNoPicture);
    // A header cut short is not a size.
    int width = 0;
    int height = 0;
    EXPECT_FALSE(decoder::probe_picture_size(w.bytes().data(), 12, &width, &height));
}

// An instance set up for the largest size (as for a channel of unknown size) decodes a smaller
// layer at the layer's own size.
TEST(DecoderBehaviourTest, SmallerLayerDecodesAtItsOwnSize) {
    const std::vector<uint8_t> stream = ReadFile(CorpusPath("b2_704x480.m4v"));
    const auto expected = ReadLines(CorpusPath("b2_704x480.md5"));
    PlanarDecoder dec(704, 576);
    const size_t bytes = PlanarSize(704, 480);
    std::vector<std::string> got;
    for (auto f : SplitFrames(stream))
        if (dec.Decode(f) == kResultOk && !dec.ShowedBlank())
            got.push_back(Md5Hex(dec.picture().data(), bytes));
    if (dec.Flush() == kResultOk) got.push_back(Md5Hex(dec.picture().data(), bytes));
    EXPECT_EQ(got, expected);
    int width = 0;
    int height = 0;
    decoder::CurrentPictureSize(dec.params(), &width, &height);
    EXPECT_EQ(width, 704);
    EXPECT_EQ(height, 480);
}

// A layer of the instance's area in another shape (a damaged or hostile header: 352x480 in a
// 704x240 channel) is refused: written at its own size it would run past the caller's picture.
TEST(DecoderBehaviourTest, TallerLayerNeverWritesPastTheOutput) {
    constexpr int kW = 704;
    constexpr int kH = 240;
    constexpr size_t kPicture = size_t{kW} * kH * 2;  // YUY2
    std::vector<uint8_t> output(kPicture + 4096, 0xA5);
    uint8_t* outputs[1] = {output.data()};
    decoder::DecoderBank bank(1);
    ASSERT_TRUE(bank.Open(0, false, kW, kH, outputs));
    VolSpec tall;
    tall.width = 352;
    tall.height = 480;
    const std::vector<uint8_t> frame = IntraFrame(tall);
    EXPECT_FALSE(bank.Decode(0, frame.data(), frame.size()));
    EXPECT_TRUE(std::all_of(output.begin() + kPicture, output.end(),
                            [](uint8_t b) { return b == 0xA5; }));
    // The channel's own size still decodes afterwards.
    VolSpec own;
    own.width = kW;
    own.height = kH;
    const std::vector<uint8_t> good = IntraFrame(own);
    EXPECT_TRUE(bank.Decode(0, good.data(), good.size()));
    EXPECT_TRUE(std::all_of(output.begin() + kPicture, output.end(),
                            [](uint8_t b) { return b == 0xA5; }));
}

// A VOP with vop_coded 0 shows the newest picture again and leaves the references alone: the P-VOP
// after it is predicted from the same picture as without it.
TEST(DecoderBehaviourTest, NotCodedVopRepeatsThePictureWithoutRotatingReferences) {
    VolSpec vol;
    BitWriter notCoded;
    VopSpec n = PVop(2);
    n.coded = false;
    WriteVopHeader(notCoded, vol, n);
    EndVop(notCoded);
    const auto i = IntraFrame(vol);
    const auto p1 = MoveFrame(vol, 1, 6, -3);
    const auto p2 = MoveFrame(vol, 3, -5, 2);
    const std::vector<std::string> plain = DecodeFrames({i, p1, p2});
    std::vector<int> results;
    const std::vector<std::string> with = DecodeFrames({i, p1, notCoded.bytes(), p2}, &results);
    ASSERT_EQ(plain.size(), 3u);
    ASSERT_EQ(with.size(), 4u);
    EXPECT_EQ(results[2], kResultOk);
    EXPECT_EQ(with[0], plain[0]);
    EXPECT_EQ(with[1], plain[1]);
    EXPECT_EQ(with[2], plain[1]);  // the not-coded VOP shows P1 again
    EXPECT_EQ(with[3], plain[2]);  // P2 predicted from P1 as before
}

// Frames cut short: before the VOP start code nothing is shown; inside the macroblocks the
// picture is shown with the error flag and the rest copied from the reference; the instance goes
// on decoding.
TEST(DecoderBehaviourTest, TruncatedFramesNeverReadPastTheirEnd) {
    VolSpec vol;
    const auto i = IntraFrame(vol);
    const auto p = MoveFrame(vol, 1, 4, 4);
    const auto i2 = IntraFrame(vol, 9);
    for (size_t cut : {size_t{3}, size_t{10}, size_t{20}}) {
        std::vector<int> results;
        const std::vector<uint8_t> head(i.begin(), i.begin() + static_cast<ptrdiff_t>(cut));
        DecodeFrames({head}, &results);
        EXPECT_EQ(results[0], kResultNoPicture) << cut;
    }
    for (size_t cut = 30; cut < p.size(); cut += 97) {
        std::vector<int> results;
        std::vector<int> flags;
        const std::vector<uint8_t> head(p.begin(), p.begin() + static_cast<ptrdiff_t>(cut));
        const auto got = DecodeFrames({i, head, i2}, &results, &flags);
        EXPECT_EQ(results[1], kResultOk) << cut;
        EXPECT_EQ(flags[1], 1) << cut;
        EXPECT_EQ(flags[2], 0) << cut;
        // The next intra picture decodes as it does alone.
        EXPECT_EQ(got.back(), DecodeFrames({i2}).back()) << cut;
    }
    for (size_t cut = 40; cut < i.size(); cut += 331) {
        std::vector<int> flags;
        const std::vector<uint8_t> head(i.begin(), i.begin() + static_cast<ptrdiff_t>(cut));
        DecodeFrames({head}, nullptr, &flags);
        EXPECT_EQ(flags[0], 1) << cut;
    }
}

struct UnsupportedCase {
    const char* what;
    int status;
    void (*set)(VolSpec*);
};

const UnsupportedCase kUnsupported[] = {
    {"grey-scale shape", decoder::kStatusShapeOrPartitioned, [](VolSpec* v) { v->shape = 3; }},
    {"binary shape", decoder::kStatusUnsupportedTool, [](VolSpec* v) { v->shape = 1; }},
    {"data partitioning", decoder::kStatusShapeOrPartitioned,
     [](VolSpec* v) { v->dataPartitioned = true; }},
    {"scalability", decoder::kStatusScalability, [](VolSpec* v) { v->scalability = true; }},
    {"quarter sample", decoder::kStatusQuarterSample,
     [](VolSpec* v) {
         v->verid = 2;
         v->quarterSample = true;
     }},
    {"complexity estimation", decoder::kStatusComplexityEstimation,
     [](VolSpec* v) { v->complexityEstimationDisable = false; }},
    {"sprites", decoder::kStatusUnsupportedTool, [](VolSpec* v) { v->spriteEnable = 1; }},
    {"12-bit samples", decoder::kStatusUnsupportedTool, [](VolSpec* v) { v->not8Bit = true; }},
    {"a larger picture", decoder::kStatusPictureSize,
     [](VolSpec* v) {
         v->width = 704;
         v->height = 576;
     }},
};

// An unsupported layer is reported with its status, never decoded, and a good layer afterwards
// decodes as in a fresh instance.
TEST(DecoderBehaviourTest, UnsupportedStreamsAreReportedAndTheInstanceRecovers) {
    VolSpec good;
    const auto i = IntraFrame(good);
    const auto p = MoveFrame(good, 1, 2, 2);
    const std::vector<std::string> expected = DecodeFrames({i, p});
    for (const UnsupportedCase& c : kUnsupported) {
        VolSpec bad;
        c.set(&bad);
        BitWriter w;
        WriteVol(w, bad);
        WriteTexturedIVop(w, good, VopSpec{}, 3);
        BitWriter vopOnly;
        WriteUniformPVop(vopOnly, good, PVop(1), 0, 0);
        PlanarDecoder dec(352, 288);
        EXPECT_EQ(dec.Decode(w.bytes()), kResultUnsupported) << c.what;
        EXPECT_EQ(dec.requestResult(), c.status) << c.what;
        EXPECT_EQ(dec.Decode(vopOnly.bytes()), kResultUnsupported) << c.what;
        EXPECT_EQ(dec.requestResult(), c.status) << c.what;
        std::vector<std::string> got;
        for (const auto& f : {i, p})
            if (dec.Decode(f) == kResultOk && !dec.ShowedBlank()) got.push_back(dec.PictureMd5());
        if (dec.Flush() == kResultOk) got.push_back(dec.PictureMd5());
        // The instance showed a blank picture before, so the first picture comes one call later.
        ASSERT_GE(got.size(), 1u) << c.what;
        EXPECT_EQ(got.back(), expected.back()) << c.what;
        EXPECT_EQ(dec.requestResult(), 0) << c.what;
    }
}

TEST(DecoderBehaviourTest, VideoObjectWithoutLayerIsUnsupported) {
    BitWriter w;
    w.StartCode(0x00);
    WriteVopHeader(w, VolSpec{}, VopSpec{});
    PlanarDecoder dec(352, 288);
    EXPECT_EQ(dec.Decode(w.bytes()), kResultUnsupported);
    EXPECT_EQ(dec.requestResult(), decoder::kStatusNoVolAfterVo);
}

// User data behind the VOL header is skipped.
TEST(DecoderBehaviourTest, UserDataAfterTheLayerHeaderIsSkipped) {
    VolSpec plain;
    VolSpec withUserData;
    withUserData.userData = true;
    const auto p = MoveFrame(plain, 1, -7, 3);
    std::vector<int> results;
    const auto got = DecodeFrames({IntraFrame(withUserData), p}, &results);
    EXPECT_EQ(results[0], kResultOk);
    EXPECT_EQ(got, DecodeFrames({IntraFrame(plain), p}));
}

// A loaded matrix list that ends with 0 repeats its last value: the same pictures as the list
// written out in full.
TEST(DecoderBehaviourTest, MatrixListEndedByZeroRepeatsTheLastValue) {
    VolSpec shortList;
    shortList.quantType = true;
    shortList.intraMatrix = {16, 20, 0};
    shortList.interMatrix = {30, 28, 24, 0};
    VolSpec full = shortList;
    full.intraMatrix = {16};
    full.intraMatrix.resize(64, 20);
    full.interMatrix = {30, 28};
    full.interMatrix.resize(64, 24);
    VolSpec defaults;
    defaults.quantType = true;
    auto run = [](const VolSpec& vol) {
        return DecodeFrames({IntraFrame(vol), MoveFrame(vol, 1, 3, -2)});
    };
    EXPECT_EQ(run(shortList), run(full));
    EXPECT_NE(run(shortList), run(defaults));
}

// Macroblock stuffing is skipped and the macroblock read again: the same pictures as without it.
TEST(DecoderBehaviourTest, MacroblockStuffingIsSkipped) {
    VolSpec vol;
    auto stream = [&](int every) {
        BitWriter i;
        WriteVol(i, vol);
        WriteTexturedIVop(i, vol, VopSpec{}, 4, every);
        BitWriter p;
        WriteUniformPVop(p, vol, PVop(1), 5, -1, 2, every);
        return std::vector<std::vector<uint8_t>>{i.bytes(), p.bytes()};
    };
    std::vector<int> flags;
    const auto stuffed = DecodeFrames(stream(3), nullptr, &flags);
    EXPECT_EQ(stuffed, DecodeFrames(stream(0)));
    EXPECT_EQ(flags, (std::vector<int>{0, 0}));
}

// A frame holding only a VOL shows nothing but the layer applies to the next frame.
TEST(DecoderBehaviourTest, LayerWithoutVopIsKeptForTheNextFrame) {
    VolSpec vol;
    vol.quantType = true;
    BitWriter volOnly;
    WriteVol(volOnly, vol);
    BitWriter iVop;
    WriteTexturedIVop(iVop, vol, VopSpec{}, 2);
    std::vector<int> results;
    const auto split = DecodeFrames({volOnly.bytes(), iVop.bytes()}, &results);
    EXPECT_EQ(results[0], kResultNoPicture);
    EXPECT_EQ(split, DecodeFrames({IntraFrame(vol, 2)}));
}

// A B-VOP needs two references; before them it shows nothing.
TEST(DecoderBehaviourTest, BVopWithoutTwoReferencesShowsNothing) {
    VolSpec vol;
    BitWriter b;
    VopSpec fields;
    fields.type = 2;
    fields.timeIncrement = 1;
    WriteVopHeader(b, vol, fields);
    for (int m = 0; m < 22 * 18; ++m)
        b.Put(1, 1);  // direct, nothing coded
    EndVop(b);
    std::vector<int> results;
    DecodeFrames({IntraFrame(vol), b.bytes()}, &results);
    EXPECT_EQ(results[1], kResultNoPicture);
}

// A B-VOP whose time does not lie between its references (every VOP stamped 0) is still shown,
// predicted as if it lay halfway.
TEST(DecoderBehaviourTest, BVopWithoutUsableTimesIsStillShown) {
    VolSpec vol;
    BitWriter b;
    VopSpec fields;
    fields.type = 2;
    WriteVopHeader(b, vol, fields);
    for (int m = 0; m < 22 * 18; ++m)
        b.Put(1, 1);  // direct, nothing coded
    EndVop(b);
    PlanarDecoder dec(352, 288);
    EXPECT_EQ(dec.Decode(IntraFrame(vol)), kResultOk);
    EXPECT_EQ(dec.Decode(MoveFrame(vol, 0, 8, -6)), kResultOk);
    EXPECT_EQ(dec.Decode(b.bytes()), kResultOk);
    EXPECT_EQ(dec.requestResult(), 0);
    EXPECT_EQ(dec.stats().retimedBVops, 1u);
}

// A negative intra DC (no picture has one) marks the picture damaged.
TEST(DecoderBehaviourTest, NegativeIntraDcIsDamage) {
    VolSpec vol;
    BitWriter w;
    WriteVol(w, vol);
    WriteVopHeader(w, vol, VopSpec{});
    IntraMb mb;
    mb.dc[0] = -200;  // the prediction is 1024 / 16 = 64
    WriteIntraMb(w, vol, false, mb);
    EndVop(w);
    std::vector<int> flags;
    DecodeFrames({w.bytes()}, nullptr, &flags);
    EXPECT_EQ(flags[0], 1);
}

}  // namespace

namespace {

// YUY2 of a planar 4:2:0 picture: every row pair shares its chroma row.
std::vector<uint8_t> PackYuy2(const std::vector<uint8_t>& planar, int w, int h) {
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 2);
    const uint8_t* y = planar.data();
    const uint8_t* cb = y + static_cast<size_t>(w) * h;
    const uint8_t* cr = cb + static_cast<size_t>(w / 2) * (h / 2);
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) {
            uint8_t* o = &out[(static_cast<size_t>(r) * w + x) * 2];
            o[0] = y[r * w + x];
            o[1] = (x & 1) ? cr[(r / 2) * (w / 2) + x / 2] : cb[(r / 2) * (w / 2) + x / 2];
        }
    return out;
}

// The sixteen channels of a recording, interleaved as a player feeds them, through one bank of
// sixteen instances with YUY2 output: each channel ends on the same picture as when decoded
// alone.
TEST(DecoderBankTest, SixteenChannelsOfARecordingInterleaved) {
    const std::string dir = std::string(DVR_SOURCE_DIR) + "/samples/cif_16ch/";
    std::string data;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        if (e.path().extension() == ".umv") data = e.path().string();
    ASSERT_FALSE(data.empty());
    const std::vector<uint8_t> bytes = ReadFile(data);
    // Walk the records as the player's data walk does.
    std::vector<std::pair<int, std::vector<uint8_t>>> frames;
    for (size_t pos = 0; pos + media::kFrameHeaderSize <= bytes.size();) {
        const uint8_t* h = bytes.data() + pos;
        const size_t extent = media::RecordExtent(h);
        if (extent > bytes.size() - pos) break;
        const media::FrameHeader header = media::FrameHeader::Decode(h);
        if (header.IsVideo() && !header.IsSkipped())
            frames.emplace_back(header.channel,
                                std::vector<uint8_t>(h + media::kFrameHeaderSize, h + extent));
        pos += extent;
    }
    ASSERT_GT(frames.size(), 100u);
    constexpr int kW = 352;
    constexpr int kH = 240;
    std::vector<std::vector<uint8_t>> outputs(16, std::vector<uint8_t>(kW * kH * 2));
    std::vector<uint8_t*> pointers;
    for (auto& o : outputs)
        pointers.push_back(o.data());
    decoder::DecoderBank bank(16);
    ASSERT_TRUE(bank.Open(0, true, kW, kH, pointers.data()));
    EXPECT_EQ(bank.outputFormat(), 1);
    for (const auto& [channel, frame] : frames)
        EXPECT_TRUE(bank.Decode(channel, frame.data(), frame.size()));
    for (int c = 0; c < 16; ++c) {
        PlanarDecoder alone(kW, kH);
        for (const auto& [channel, frame] : frames)
            if (channel == c) alone.Decode(frame);
        EXPECT_EQ(outputs[static_cast<size_t>(c)], PackYuy2(alone.picture(), kW, kH)) << c;
    }
}

}  // namespace

namespace {

// Converting through the display buffer gives the picture a direct conversion gives; decode-only
// calls leave the output alone.
TEST(DecoderBehaviourTest, RenderFlags) {
    VolSpec vol;
    const auto i = IntraFrame(vol);
    const auto p = MoveFrame(vol, 1, 3, 3);
    std::vector<uint8_t> direct(352 * 288 * 2);
    std::vector<uint8_t> viaDisplay(352 * 288 * 2);
    for (int flags : {decoder::kRenderConvert, decoder::kRenderViaDisplayBuffer, 0}) {
        std::vector<uint8_t>& out = flags == decoder::kRenderConvert ? direct : viaDisplay;
        uint8_t* outputs[1] = {out.data()};
        decoder::DecoderBank bank(1);
        ASSERT_TRUE(bank.Open(0, false, 352, 288, outputs));
        bank.request(0).renderFlags = flags;
        if (flags == 0) std::fill(out.begin(), out.end(), 0xAB);
        EXPECT_TRUE(bank.Decode(0, i.data(), i.size()));
        EXPECT_TRUE(bank.Decode(0, p.data(), p.size()));
        if (flags == 0) {
            EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t v) { return v == 0xAB; }));
        } else if (flags == decoder::kRenderViaDisplayBuffer) {
            EXPECT_EQ(viaDisplay, direct);
        }
    }
}

}  // namespace
