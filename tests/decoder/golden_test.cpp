// Every picture of the reference corpus decodes bit-exactly to the reference decoder's digests,
// alone, interleaved with another instance, and on two threads at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include "tests/decoder/decode_support.h"

namespace {

using testsupport::CorpusPath;
using testsupport::PlanarDecoder;

struct CorpusStream {
    const char* name;
    int width;
    int height;
};

const CorpusStream kStreams[] = {
    {"ip_704x240", 704, 240},
    {"b1_352x240", 352, 240},
    {"b2_704x480", 704, 480},
    {"mpegq_704x288", 704, 288},
    {"matrix_352x288", 352, 288},
    {"mv4_704x576", 704, 576},
    {"acpred_352x288", 352, 288},
    {"ilace_704x480", 704, 480},
    {"ilaceb_704x576", 704, 576},
    {"aq_352x288", 352, 288},
    {"q2_352x240", 352, 240},
    {"q31_352x240", 352, 240},
    {"pan_352x288", 352, 288},
    {"odd_344x250", 344, 250},
    // Interlaced B-VOPs with video packets starting inside macroblock rows.
    {"ilaceps_352x288", 352, 288},
    // libxvid: packed B-VOPs (through ffmpeg), rate-distortion decisions, MPEG quantisation,
    // interlacing with packed B-VOPs and video packets (through its own API).
    {"xvidpacked_176x120", 176, 120},
    {"xvidvhq_352x288", 352, 288},
    {"xvidmpegq_352x240", 352, 240},
    {"xvidilace_704x576", 704, 576},
    // Crafted: vectors far outside the picture, DC among the AC coefficients, macroblock
    // stuffing, quantisation matrix lists ended by 0, field vectors far outside the picture.
    {"crafted_bigmv_352x288", 352, 288},
    {"crafted_dcthr_352x288", 352, 288},
    {"crafted_stuffing_352x288", 352, 288},
    {"crafted_matrix0_352x288", 352, 288},
    {"crafted_fieldmv_352x288", 352, 288},
};

std::vector<uint8_t> Load(const CorpusStream& s) {
    return testsupport::ReadFile(CorpusPath(std::string(s.name) + ".m4v"));
}
std::vector<std::string> Reference(const CorpusStream& s) {
    return testsupport::ReadLines(CorpusPath(std::string(s.name) + ".md5"));
}

class GoldenTest : public testing::TestWithParam<CorpusStream> {};

TEST_P(GoldenTest, EveryPictureMatchesTheReference) {
    const CorpusStream& s = GetParam();
    const std::vector<uint8_t> stream = Load(s);
    ASSERT_FALSE(stream.empty()) << s.name;
    const std::vector<std::string> expected = Reference(s);
    PlanarDecoder dec(s.width, s.height);
    ASSERT_TRUE(dec.ok());
    std::vector<int> results;
    const std::vector<std::string> got = dec.DecodeAll(testsupport::SplitFrames(stream), &results);
    ASSERT_EQ(got.size(), expected.size()) << s.name;
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << s.name << " picture " << i;
    EXPECT_EQ(dec.stats().damagedVops, 0u);
    // Only a VOP behind a packed stream's placeholder shows nothing (its reference came out at
    // the placeholder).
    EXPECT_LE(std::count(results.begin(), results.end(), decoder::kResultNoPicture),
              static_cast<ptrdiff_t>(dec.stats().placeholderVops))
        << s.name;
    for (int rc : results)
        EXPECT_TRUE(rc == decoder::kResultOk || rc == decoder::kResultNoPicture) << s.name;
}

// The plain reference kernels give the same pictures as the fastest set.
TEST_P(GoldenTest, ReferenceKernelsGiveTheSamePictures) {
    const CorpusStream& s = GetParam();
    const std::vector<uint8_t> stream = Load(s);
    PlanarDecoder dec(s.width, s.height);
    ASSERT_TRUE(dec.ok());
    dec.UseKernels(decoder::kernels::ReferenceKernels());
    EXPECT_EQ(dec.DecodeAll(testsupport::SplitFrames(stream)), Reference(s)) << s.name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, GoldenTest, testing::ValuesIn(kStreams),
                         [](const testing::TestParamInfo<CorpusStream>& info) {
                             return std::string(info.param.name);
                         });

// Sums the statistics of the whole corpus: the streams exercise what they are meant to.
TEST(GoldenCorpusTest, CoversTheCodingTools) {
    using decoder::DecodeStats;
    struct Tool {
        const char* name;
        uint64_t DecodeStats::*count;
    };
    const Tool tools[] = {
        {"4MV macroblocks", &DecodeStats::inter4vMbs},
        {"not-coded macroblocks", &DecodeStats::notCodedMbs},
        {"field prediction", &DecodeStats::fieldPredictedMbs},
        {"field DCT", &DecodeStats::fieldDctMbs},
        {"field direct mode", &DecodeStats::directFieldMbs},
        {"4MV direct mode", &DecodeStats::direct4vMbs},
        {"interpolated B", &DecodeStats::interpolatedMbs},
        {"forward B", &DecodeStats::forwardMbs},
        {"backward B", &DecodeStats::backwardMbs},
        {"skipped B", &DecodeStats::skippedBMbs},
        {"dquant", &DecodeStats::dquantMbs},
        {"dbquant", &DecodeStats::dbquantMbs},
        {"AC prediction", &DecodeStats::acPredictedBlocks},
        {"alternate vertical scan", &DecodeStats::alternateScanVops},
        {"MPEG quantisation", &DecodeStats::mpegQuantVops},
        {"loaded matrices", &DecodeStats::loadedMatrices},
        {"rounding control", &DecodeStats::roundingVops},
        {"video packets", &DecodeStats::videoPackets},
        {"vectors beyond the border", &DecodeStats::emulatedEdgeBlocks},
        {"macroblock stuffing", &DecodeStats::stuffing},
        {"packed-stream placeholder VOPs", &DecodeStats::placeholderVops},
        {"interlaced B video packets inside a row", &DecodeStats::midRowBPackets},
    };
    std::vector<uint64_t> totals(std::size(tools));
    uint64_t bVops = 0;
    uint64_t escapes[3] = {};
    int minQuant = 31;
    int maxQuant = 0;
    for (const CorpusStream& s : kStreams) {
        const std::vector<uint8_t> stream = Load(s);
        PlanarDecoder dec(s.width, s.height);
        dec.DecodeAll(testsupport::SplitFrames(stream));
        const DecodeStats& st = dec.stats();
        for (size_t t = 0; t < std::size(tools); ++t)
            totals[t] += st.*tools[t].count;
        bVops += st.vops[2];
        for (int e = 0; e < 3; ++e)
            escapes[e] += st.escapes[e];
        minQuant = std::min(minQuant, st.minQuant);
        maxQuant = std::max(maxQuant, st.maxQuant);
    }
    for (size_t t = 0; t < std::size(tools); ++t)
        EXPECT_GT(totals[t], 0u) << tools[t].name;
    EXPECT_GT(bVops, 0u);
    for (int e = 0; e < 3; ++e)
        EXPECT_GT(escapes[e], 0u) << "escape type " << e + 1;
    EXPECT_EQ(minQuant, 2);
    EXPECT_EQ(maxQuant, 31);
}

// Frames of two streams of different sizes fed alternately to two instances decode exactly as
// each does alone.
TEST(GoldenInterleaveTest, TwoInstancesOfDifferentSizes) {
    const CorpusStream& a = kStreams[2];  // 704x480 with B-VOPs
    const CorpusStream& b = kStreams[4];  // 352x288, loaded matrices
    const std::vector<uint8_t> sa = Load(a);
    const std::vector<uint8_t> sb = Load(b);
    const auto fa = testsupport::SplitFrames(sa);
    const auto fb = testsupport::SplitFrames(sb);
    PlanarDecoder da(a.width, a.height);
    PlanarDecoder db(b.width, b.height);
    std::vector<std::string> ga;
    std::vector<std::string> gb;
    for (size_t i = 0; i < std::max(fa.size(), fb.size()); ++i) {
        if (i < fa.size() && da.Decode(fa[i]) == decoder::kResultOk && !da.ShowedBlank())
            ga.push_back(da.PictureMd5());
        if (i < fb.size() && db.Decode(fb[i]) == decoder::kResultOk && !db.ShowedBlank())
            gb.push_back(db.PictureMd5());
    }
    if (da.Flush() == decoder::kResultOk) ga.push_back(da.PictureMd5());
    if (db.Flush() == decoder::kResultOk) gb.push_back(db.PictureMd5());
    EXPECT_EQ(ga, Reference(a));
    EXPECT_EQ(gb, Reference(b));
}

// Two instances decode on two threads at the same time.
TEST(GoldenThreadTest, TwoInstancesOnTwoThreads) {
    const CorpusStream& a = kStreams[8];  // interlaced with B-VOPs
    const CorpusStream& b = kStreams[12];
    std::vector<std::string> ga;
    std::vector<std::string> gb;
    auto run = [](const CorpusStream& s, std::vector<std::string>* out) {
        const std::vector<uint8_t> stream = Load(s);
        for (int round = 0; round < 3; ++round) {
            PlanarDecoder dec(s.width, s.height);
            *out = dec.DecodeAll(testsupport::SplitFrames(stream));
        }
    };
    std::thread ta(run, std::cref(a), &ga);
    std::thread tb(run, std::cref(b), &gb);
    ta.join();
    tb.join();
    EXPECT_EQ(ga, Reference(a));
    EXPECT_EQ(gb, Reference(b));
}

struct RefusedStream {
    const char* name;
    int status;
};
const RefusedStream kRefused[] = {{"qpel_352x288", decoder::kStatusQuarterSample},
                                  {"dpart_352x288", decoder::kStatusShapeOrPartitioned}};

// Every stream of the corpus folder is checked here, and every stream named here is there.
TEST(GoldenCorpusTest, ListsEveryStreamOfTheCorpusFolder) {
    std::set<std::string> listed;
    for (const CorpusStream& s : kStreams)
        listed.insert(s.name);
    for (const RefusedStream& s : kRefused)
        listed.insert(s.name);
    std::set<std::string> folder;
    for (const auto& e : std::filesystem::directory_iterator(CorpusPath("")))
        if (e.path().extension() == ".m4v") folder.insert(e.path().stem().string());
    EXPECT_EQ(listed, folder);
}

// Streams with features the decoder refuses report them and show nothing.
TEST(GoldenUnsupportedTest, RefusedFeaturesReportTheirStatus) {
    for (const auto& c : kRefused) {
        const std::vector<uint8_t> stream =
            testsupport::ReadFile(CorpusPath(std::string(c.name) + ".m4v"));
        PlanarDecoder dec(352, 288);
        for (auto f : testsupport::SplitFrames(stream)) {
            EXPECT_EQ(dec.Decode(f), decoder::kResultUnsupported) << c.name;
            EXPECT_EQ(dec.requestResult(), c.status) << c.name;
        }
        EXPECT_EQ(dec.Flush(), decoder::kResultNoPicture);
    }
}

}  // namespace
