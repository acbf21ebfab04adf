#include "media/jpeg_coefficients.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "media/jpeg_library.h"
#include "tests/support/jpeg_pictures.h"

namespace {

using media::JpegCodecError;
using media::JpegCoefficients;
using testsupport::JpegOptions;

// Offset of the first marker `code` (its 0xFF byte) among the file's segments.
size_t FindMarker(const std::vector<uint8_t>& jpeg, uint8_t code) {
    for (size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
    return std::string::npos;
}

// The entropy-coded data of a single-scan file: from after the scan header to the end marker.
std::vector<uint8_t> ScanData(const std::vector<uint8_t>& jpeg) {
    const size_t sos = FindMarker(jpeg, 0xDA);
    const size_t start = sos + 2 + ((jpeg[sos + 2] << 8) | jpeg[sos + 3]);
    return std::vector<uint8_t>(jpeg.begin() + static_cast<ptrdiff_t>(start), jpeg.end() - 2);
}

media::RgbPicture Pixels(const std::vector<uint8_t>& jpeg) {
    media::RgbPicture p;
    std::string error;
    EXPECT_TRUE(media::DecodeJpeg(jpeg, &p, &error)) << error;
    return p;
}

struct Layout {
    const char* name;
    int width;
    int height;
    JpegOptions options;
};

class CoefficientLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(CoefficientLayouts, DecodeMatchesTheLibraryAndReencodingKeepsEverything) {
    const Layout& layout = GetParam();
    const auto original = testsupport::LibraryJpeg(
        testsupport::ScenePicture(layout.width, layout.height), layout.options);

    JpegCoefficients ours;
    ASSERT_EQ(media::DecodeCoefficients(original, &ours), JpegCodecError::kNone);
    const auto library = testsupport::LibraryReadCoefficients(original);
    ASSERT_EQ(ours.components.size(), library.blocks.size());
    for (size_t c = 0; c < ours.components.size(); ++c) {
        const auto& comp = ours.components[c];
        ASSERT_EQ(comp.usedWide, library.blocksWide[c]);
        ASSERT_EQ(comp.usedHigh, library.blocksHigh[c]);
        for (int y = 0; y < comp.usedHigh; ++y)
            for (int x = 0; x < comp.usedWide; ++x)
                ASSERT_TRUE(std::equal(comp.block(y, x), comp.block(y, x) + 64,
                                       library.blocks[c].begin() +
                                           (static_cast<ptrdiff_t>(y) * comp.usedWide + x) * 64))
                    << "component " << c << " block " << y << "," << x;
    }

    std::vector<uint8_t> reencoded;
    ASSERT_EQ(media::EncodeCoefficients(ours, &reencoded), JpegCodecError::kNone);
    JpegCoefficients again;
    ASSERT_EQ(media::DecodeCoefficients(reencoded, &again), JpegCodecError::kNone);
    ASSERT_EQ(again.components.size(), ours.components.size());
    for (size_t c = 0; c < ours.components.size(); ++c) {
        const auto& a = ours.components[c];
        const auto& b = again.components[c];
        for (int y = 0; y < a.usedHigh; ++y)
            ASSERT_TRUE(std::equal(a.block(y, 0), a.block(y, a.usedWide), b.block(y, 0)));
    }
    EXPECT_EQ(again.restartInterval, layout.options.restartInterval);
    const auto before = Pixels(original);
    const auto after = Pixels(reencoded);
    EXPECT_EQ(before.width, after.width);
    EXPECT_TRUE(before.rgb == after.rgb) << "the library shows other pixels after re-encoding";
}

INSTANTIATE_TEST_SUITE_P(
    Jpeg, CoefficientLayouts,
    ::testing::Values(
        Layout{"Q95_420_D1", 704, 480, {}},
        Layout{"Q75_444", 352, 240, {.quality = 75, .sampling = {{1, 1}, {1, 1}, {1, 1}}}},
        Layout{"H2V1", 200, 120, {.sampling = {{2, 1}, {1, 1}, {1, 1}}}},
        Layout{"H1V2_OddSize", 133, 77, {.sampling = {{1, 2}, {1, 1}, {1, 1}}}},
        Layout{"ChromaAboveLuma", 96, 64, {.sampling = {{1, 1}, {2, 2}, {1, 1}}}},
        Layout{"Grey", 101, 67, {.grey = true}},
        Layout{"Restarts", 704, 240, {.restartInterval = 7}},
        Layout{"RestartsGrey", 99, 50, {.grey = true, .restartInterval = 1}},
        Layout{"ScanPerComponent", 161, 97, {.scanPerComponent = true}},
        Layout{
            "ScanPerComponentRestarts", 64, 48, {.restartInterval = 5, .scanPerComponent = true}},
        Layout{"Tiny", 1, 1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JpegCoefficientCodec, ReencodingALibraryStillGivesTheSameCodedData) {
    // The library codes with the same standard tables: the data must come out bit for bit.
    const auto original = testsupport::LibraryJpeg(testsupport::ScenePicture(352, 240, 7));
    JpegCoefficients c;
    ASSERT_EQ(media::DecodeCoefficients(original, &c), JpegCodecError::kNone);
    std::vector<uint8_t> reencoded;
    ASSERT_EQ(media::EncodeCoefficients(c, &reencoded), JpegCodecError::kNone);
    EXPECT_TRUE(ScanData(original) == ScanData(reencoded));
    // The other segments are kept: the JFIF header comes first, as in the original.
    EXPECT_EQ(FindMarker(reencoded, 0xE0), 2u);
}

TEST(JpegCoefficientCodec, FilesOutsideBaselineAreRefused) {
    const auto picture = testsupport::ScenePicture(64, 48);
    JpegCoefficients c;
    EXPECT_EQ(
        media::DecodeCoefficients(testsupport::LibraryJpeg(picture, {.progressive = true}), &c),
        JpegCodecError::kProgressive);
    EXPECT_EQ(
        media::DecodeCoefficients(testsupport::LibraryJpeg(picture, {.arithmetic = true}), &c),
        JpegCodecError::kArithmetic);
    const auto baseline = testsupport::LibraryJpeg(picture);
    const size_t sof = FindMarker(baseline, 0xC0);
    auto patched = [&](size_t at, uint8_t value) {
        auto bytes = baseline;
        bytes[at] = value;
        return bytes;
    };
    EXPECT_EQ(media::DecodeCoefficients(patched(sof + 4, 12), &c), JpegCodecError::kPrecision);
    EXPECT_EQ(media::DecodeCoefficients(patched(sof + 1, 0xC3), &c), JpegCodecError::kLossless);
    EXPECT_EQ(media::DecodeCoefficients(patched(sof + 1, 0xC9), &c), JpegCodecError::kArithmetic);
    EXPECT_EQ(media::DecodeCoefficients(patched(sof + 9, 2), &c), JpegCodecError::kComponents);
    EXPECT_EQ(media::DecodeCoefficients(patched(0, 0x00), &c), JpegCodecError::kNotJpeg);
    EXPECT_TRUE(c.components.empty());
}

TEST(JpegCoefficientCodec, AbsurdSizesAreRefusedBeforeAllocating) {
    auto bytes = testsupport::LibraryJpeg(testsupport::ScenePicture(64, 48));
    const size_t sof = FindMarker(bytes, 0xC0);
    for (size_t i = 5; i <= 8; ++i)
        bytes[sof + i] = 0xFF;  // 65,535 x 65,535
    JpegCoefficients c;
    EXPECT_EQ(media::DecodeCoefficients(bytes, &c), JpegCodecError::kTooLarge);
    EXPECT_EQ(c.components.capacity(), 0u);
    bytes[sof + 5] = bytes[sof + 6] = 0;  // height 0: given after the data, not supported
    EXPECT_EQ(media::DecodeCoefficients(bytes, &c), JpegCodecError::kTooLarge);
    // 4,096 x 4,096 is a plausible size, but not for a file of a few hundred bytes.
    bytes[sof + 5] = bytes[sof + 7] = 0x10;
    bytes[sof + 6] = bytes[sof + 8] = 0x00;
    EXPECT_EQ(media::DecodeCoefficients(bytes, &c), JpegCodecError::kTruncated);
    EXPECT_TRUE(c.components.empty());
    // A caller can set tighter limits.
    const auto small = testsupport::LibraryJpeg(testsupport::ScenePicture(64, 48));
    EXPECT_EQ(media::DecodeCoefficients(small, &c, {.maxSide = 63}), JpegCodecError::kTooLarge);
    EXPECT_EQ(media::DecodeCoefficients(small, &c, {.maxPixels = 64 * 47}),
              JpegCodecError::kTooLarge);
}

TEST(JpegCoefficientCodec, DamagedDataIsReportedNotTrusted) {
    const auto good = testsupport::LibraryJpeg(testsupport::ScenePicture(128, 96), {});
    JpegCoefficients c;
    const size_t sos = FindMarker(good, 0xDA);
    // Cut inside the coded data.
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(sos + 200));
    EXPECT_EQ(media::DecodeCoefficients(cut, &c), JpegCodecError::kTruncated);
    // Restart markers must come in order.
    auto restarts =
        testsupport::LibraryJpeg(testsupport::ScenePicture(128, 96), {.restartInterval = 2});
    const size_t rst = FindMarker(restarts, 0xD0);
    ASSERT_NE(rst, std::string::npos);
    restarts[rst + 1] = 0xD3;
    EXPECT_EQ(media::DecodeCoefficients(restarts, &c), JpegCodecError::kBadData);
    // A scan without its Huffman table.
    auto noTables = good;
    const size_t dht = FindMarker(noTables, 0xC4);
    noTables[dht + 1] = 0xFE;  // the tables become a comment
    EXPECT_EQ(media::DecodeCoefficients(noTables, &c), JpegCodecError::kBadTables);
    // Flipped bytes anywhere never crash.
    for (size_t i = 2; i < good.size(); i += 7) {
        auto bytes = good;
        bytes[i] ^= 0x5A;
        media::DecodeCoefficients(bytes, &c);
    }
}

TEST(JpegCoefficientCodec, CoefficientsBeyondTheStandardTablesAreRefused) {
    JpegCoefficients c;
    ASSERT_EQ(
        media::DecodeCoefficients(testsupport::LibraryJpeg(testsupport::ScenePicture(32, 32)), &c),
        JpegCodecError::kNone);
    std::vector<uint8_t> out;
    c.components[0].block(0, 0)[1] = 1023;  // largest AC of the tables
    EXPECT_EQ(media::EncodeCoefficients(c, &out), JpegCodecError::kNone);
    c.components[0].block(0, 0)[1] = -1024;
    EXPECT_EQ(media::EncodeCoefficients(c, &out), JpegCodecError::kCoefficientRange);
    c.components[0].block(0, 0)[1] = 0;
    c.components[0].block(0, 0)[0] = 2047;
    c.components[0].block(0, 1)[0] = -2047;  // a DC difference of 4,094
    EXPECT_EQ(media::EncodeCoefficients(c, &out), JpegCodecError::kCoefficientRange);
}

}  // namespace
