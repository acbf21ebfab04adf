#include "media/watermark.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "media/jpeg_library.h"
#include "media/still_image.h"
#include "tests/support/jpeg_pictures.h"
#include "tests/support/temp_dir.h"

namespace {

using media::CoefficientParity;
using media::JpegCoefficients;
using media::NudgeCoefficient;
using media::WatermarkPattern;

WatermarkPattern DefaultPattern() {
    WatermarkPattern p;
    EXPECT_EQ(
        media::LoadWatermarkPattern(std::string(DVR_SOURCE_DIR) + "/samples/Mark4015.raw", &p),
        media::MarkFileError::kNone);
    return p;
}

JpegCoefficients Decode(const std::vector<uint8_t>& jpeg) {
    JpegCoefficients c;
    EXPECT_EQ(media::DecodeCoefficients(jpeg, &c), media::JpegCodecError::kNone);
    return c;
}

double Psnr(const media::RgbPicture& a, const media::RgbPicture& b) {
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        const double d = double(a.rgb[i]) - double(b.rgb[i]);
        sum += d * d;
    }
    const double mse = sum / static_cast<double>(a.rgb.size());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(WatermarkCoefficients, NudgingFollowsTheParityTable) {
    EXPECT_EQ(NudgeCoefficient(2, 1), 2);  // bit(2) = 1 already
    EXPECT_EQ(NudgeCoefficient(2, 0), 4);  // bit(3) = 1, bit(4) = 0
    EXPECT_EQ(NudgeCoefficient(-3, 0), -4);
    EXPECT_EQ(NudgeCoefficient(-2, 1), -3);  // away from zero, never towards it
    EXPECT_EQ(CoefficientParity(-1), 1);     // -1 mod 16 = 15
    EXPECT_EQ(CoefficientParity(-16), 0);
    for (int c = -700; c <= 700; ++c) {
        if (std::abs(c) < 2) continue;
        for (int t = 0; t <= 1; ++t) {
            const int v = NudgeCoefficient(c, t);
            ASSERT_EQ(CoefficientParity(v), t) << c;
            ASSERT_GE(std::abs(v), 2) << c << " lost its significance";
            ASSERT_LE(std::abs(v - c), 2) << c;
        }
    }
}

TEST(WatermarkFile, OnlyExactly600BytesAreAPattern) {
    testsupport::TempDir dir;
    WatermarkPattern p;
    EXPECT_EQ(media::LoadWatermarkPattern(dir / "none.raw", &p), media::MarkFileError::kMissing);
    EXPECT_EQ(media::LoadWatermarkPattern(dir.path(), &p), media::MarkFileError::kMissing);
    for (size_t size : {599u, 601u, 0u}) {
        testsupport::WriteFile(dir / "m.raw", std::vector<uint8_t>(size, 0xFF));
        EXPECT_EQ(media::LoadWatermarkPattern(dir / "m.raw", &p),
                  media::MarkFileError::kIncompatible);
    }
    std::vector<uint8_t> bytes(600, 0xFE);
    bytes[41] = 0xFF;
    testsupport::WriteFile(dir / "m.raw", bytes);
    ASSERT_EQ(media::LoadWatermarkPattern(dir / "m.raw", &p), media::MarkFileError::kNone);
    EXPECT_EQ(std::accumulate(p.bits.begin(), p.bits.end(), 0), 1);
    EXPECT_EQ(p.bit(1, 1), 1);
    // The shipped pattern is a design, not a blank.
    const auto shipped = DefaultPattern();
    const int ones = std::accumulate(shipped.bits.begin(), shipped.bits.end(), 0);
    EXPECT_GT(ones, 100);
    EXPECT_LT(ones, 400);
}

class MarkedStill : public ::testing::Test {
  protected:
    void SetUp() override {
        original_ = testsupport::LibraryJpeg(testsupport::ScenePicture(704, 480, 3));
        std::string error;
        ASSERT_EQ(media::MarkJpeg(original_, pattern_, &marked_, &error),
                  media::EmbedResult::kMarked)
            << error;
    }
    WatermarkPattern pattern_ = DefaultPattern();
    std::vector<uint8_t> original_;
    std::vector<uint8_t> marked_;
};

TEST_F(MarkedStill, TheCheckShowsTheTiledPattern) {
    media::WatermarkCheck check;
    ASSERT_TRUE(media::CheckWatermark(Decode(marked_), &check));
    EXPECT_EQ(check.blocksWide, 88);
    ASSERT_EQ(check.pairs, 2640);
    int informative = 0;
    for (int i = 0; i < check.pairs; ++i) {
        const int v = check.values[i];
        if (v == 1) continue;
        ++informative;
        const int bit = pattern_.bit((i / 88) % 15, (i % 88) % 40);
        if (bit) {
            ASSERT_GE(v, 192) << "pair " << i;
        } else {
            ASSERT_LE(v, 63) << "pair " << i;
        }
    }
    EXPECT_GT(informative, 2000);
}

TEST_F(MarkedStill, AnUnmarkedStillGivesNoiseAroundMidGrey) {
    media::WatermarkCheck check;
    ASSERT_TRUE(media::CheckWatermark(Decode(original_), &check));
    double sum = 0;
    int n = 0, extreme = 0;
    for (uint8_t v : check.values) {
        if (v == 1) continue;
        sum += v;
        ++n;
        extreme += v >= 192 || v <= 63;
    }
    ASSERT_GT(n, 2000);
    EXPECT_NEAR(sum / n, 127.5, 25);
    EXPECT_LT(extreme, n / 4);
}

TEST_F(MarkedStill, TheMarkIsInvisibleAndTheFileOrdinary) {
    media::RgbPicture before, after;
    std::string error;
    ASSERT_TRUE(media::DecodeJpeg(original_, &before, &error));
    ASSERT_TRUE(media::DecodeJpeg(marked_, &after, &error)) << error;
    EXPECT_GE(Psnr(before, after), 40.0);
    // Only luminance AC coefficients changed, each by at most two steps.
    const auto a = Decode(original_);
    const auto b = Decode(marked_);
    EXPECT_EQ(a.components[1].coefficients, b.components[1].coefficients);
    int changed = 0;
    for (size_t i = 0; i < a.components[0].coefficients.size(); ++i) {
        const int d = std::abs(a.components[0].coefficients[i] - b.components[0].coefficients[i]);
        ASSERT_LE(d, 2);
        ASSERT_TRUE(d == 0 || i % 64 != 0) << "a DC coefficient changed";
        changed += d != 0;
    }
    EXPECT_GT(changed, 1000);
}

TEST(Watermark, PairsTileThePatternInBlockUnits) {
    // A pattern whose column 0 alone is set: pairs 0, 40, 80 and 88 (row 1, column 0) carry 1.
    WatermarkPattern p;
    for (int row = 0; row < 15; ++row)
        p.bits[row * 40] = 1;
    auto c = Decode(testsupport::LibraryJpeg(testsupport::ScenePicture(704, 480, 5)));
    ASSERT_EQ(media::EmbedWatermark(&c, p), media::EmbedResult::kMarked);
    media::WatermarkCheck check;
    ASSERT_TRUE(media::CheckWatermark(c, &check));
    for (int i : {0, 40, 80, 88, 128, 15 * 88})
        if (check.values[i] != 1) {
            EXPECT_GE(check.values[i], 192) << i;
        }
    for (int i : {1, 39, 41, 87, 89})
        if (check.values[i] != 1) {
            EXPECT_LE(check.values[i], 63) << i;
        }
}

TEST(Watermark, OnlySidesThatAreMultiplesOf16AreMarked) {
    auto pattern = DefaultPattern();
    auto odd = Decode(testsupport::LibraryJpeg(testsupport::ScenePicture(352, 248)));
    const auto before = odd.components[0].coefficients;
    EXPECT_EQ(media::EmbedWatermark(&odd, pattern), media::EmbedResult::kNotMultipleOf16);
    EXPECT_EQ(odd.components[0].coefficients, before);
    auto wide = Decode(testsupport::LibraryJpeg(testsupport::ScenePicture(704, 240)));
    EXPECT_EQ(media::EmbedWatermark(&wide, pattern), media::EmbedResult::kMarked);
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_EQ(media::MarkJpeg(testsupport::LibraryJpeg(testsupport::ScenePicture(352, 248)),
                              pattern, &out, &error),
              media::EmbedResult::kNotMultipleOf16);
    EXPECT_FALSE(error.empty());
}

TEST(Watermark, PairsWithoutSignificantCoefficientsStayAsTheyAreAndShowBlue) {
    JpegCoefficients c;
    c.width = 16;
    c.height = 16;
    c.components.resize(1);
    auto& y = c.components[0];
    y.blocksWide = y.blocksHigh = y.usedWide = y.usedHigh = 2;
    y.coefficients.assign(4 * 64, 0);
    y.block(0, 0)[0] = 50;  // pair 0: DC and +-1 only
    y.block(0, 0)[5] = -1;
    y.block(1, 0)[9] = 1;
    y.block(0, 1)[3] = 6;  // pair 1: only the upper block is significant
    WatermarkPattern p;
    p.bits.fill(1);
    const auto before = y.coefficients;
    ASSERT_EQ(media::EmbedWatermark(&c, p), media::EmbedResult::kMarked);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 64, y.coefficients.begin()));
    EXPECT_NE(y.block(0, 1)[3], 6);  // aligned against its zero partner with bit 1
    media::WatermarkCheck check;
    ASSERT_TRUE(media::CheckWatermark(c, &check));
    EXPECT_EQ(check.values, (std::vector<uint8_t>{1, 255}));
    media::RgbPicture picture;
    media::DrawCheckPicture(c, check, &picture);
    const uint8_t* blue = picture.row(3) + 3 * 3;
    EXPECT_EQ(std::vector<uint8_t>(blue, blue + 3), (std::vector<uint8_t>{0, 0, 255}));
    const uint8_t* white = picture.row(12) + 12 * 3;
    EXPECT_EQ(std::vector<uint8_t>(white, white + 3), (std::vector<uint8_t>{255, 255, 255}));
}

TEST(Watermark, TheCheckPictureIsSizedToTheStill) {
    // Wider than 1,200 pixels, and with edges that no whole block covers.
    for (auto [w, h] : {std::pair{1216, 64}, {100, 60}}) {
        media::RgbPicture picture;
        media::WatermarkCheck check;
        std::string error;
        ASSERT_TRUE(media::CheckJpeg(testsupport::LibraryJpeg(testsupport::ScenePicture(w, h)),
                                     &picture, &check, &error))
            << error;
        EXPECT_EQ(picture.width, w);
        EXPECT_EQ(picture.height, h);
        EXPECT_EQ(picture.rgb.size(), size_t(w) * h * 3);
        EXPECT_EQ(check.pairs, (w / 8) * (h / 8) / 2);
        const uint8_t* corner = picture.row(h - 1) + (w - 1) * 3;
        if (w % 8) {
            EXPECT_EQ(corner[2], 255);
        }
    }
}

}  // namespace

namespace {

TEST(WatermarkSamples, TheSampleStillCarriesTheDefaultPattern) {
    const auto file = testsupport::ReadFile(std::string(DVR_SOURCE_DIR) +
                                            "/samples/stills/Lobby,260314_095955,1,.jpg");
    ASSERT_FALSE(file.empty());
    const media::JpegLocation location = media::LocateJpeg(file);
    ASSERT_TRUE(location.hasTrailer && location.trailer.timePresent);
    media::RgbPicture picture;
    media::WatermarkCheck check;
    std::string error;
    ASSERT_TRUE(media::CheckJpeg(location.jpeg(file), &picture, &check, &error)) << error;
    const auto pattern = DefaultPattern();
    for (int i = 0; i < check.pairs; ++i) {
        if (check.values[i] == 1) continue;
        const int bit = pattern.bit((i / check.blocksWide) % 15, (i % check.blocksWide) % 40);
        ASSERT_EQ(check.values[i] >= 192, bit == 1) << "pair " << i;
        ASSERT_EQ(check.values[i] <= 63, bit == 0) << "pair " << i;
    }
}

}  // namespace
