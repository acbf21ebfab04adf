// The AP-922 inverse DCT: its constants, known blocks, digests of its exact output on every kind
// of input, and its accuracy against a double-precision transform.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "decoder/kernels/idct_tables.h"
#include "tests/decoder/kernels/test_support.h"

namespace {

using namespace kerneltest;
namespace idct = decoder::kernels::idct;

const double kPi = std::acos(-1.0);

TEST(IdctConstants, FollowFromTheirDerivation) {
    for (int r = 0; r < 8; ++r) {
        const int m = (r == 0 || r == 4) ? 4 : (r < 4 ? r : 8 - r);
        const double scale = 16384.0 * std::sqrt(2.0) * std::cos(m * kPi / 16);
        const idct::RowWeights& w = *idct::kRowWeights[r];
        const int16_t got[7] = {w.c1, w.c2, w.c3, w.c4, w.c5, w.c6, w.c7};
        for (int k = 1; k <= 7; ++k) {
            const double want = scale * std::sqrt(2.0) * std::cos(k * kPi / 16);
            EXPECT_EQ(got[k - 1], std::lround(want)) << "row " << r << " weight " << k;
        }
    }
    EXPECT_EQ(idct::kTan1, std::lround(std::tan(kPi / 16) * 65536));
    EXPECT_EQ(idct::kTan2, std::lround(std::tan(2 * kPi / 16) * 65536));
    EXPECT_EQ(idct::kTan3MinusOne, std::lround((std::tan(3 * kPi / 16) - 1) * 65536));
    EXPECT_EQ(idct::kCos4, std::lround(std::cos(kPi / 4) * 32768));
}

class Idct : public testing::TestWithParam<const KernelSet*> {};

TEST_P(Idct, KnownBlocks) {
    alignas(16) int16_t block[64] = {};
    GetParam()->inverseDct(block);
    for (int v : block)
        ASSERT_EQ(v, 0) << "an empty block stays empty";

    block[0] = 8;
    GetParam()->inverseDct(block);
    for (int v : block)
        ASSERT_EQ(v, 1) << "a DC of 8 is 1 everywhere";

    // A DC of -2048 (the most negative dequantised DC) is -256 everywhere.
    std::fill(std::begin(block), std::end(block), int16_t{0});
    block[0] = -2048;
    GetParam()->inverseDct(block);
    for (int v : block)
        ASSERT_EQ(v, -256);
}

// Digests of the exact output, recorded from the reference decoder's inverse DCT (the golden
// oracle of the decoder tests) on the same blocks. The saturating kinds pin down the 16-bit
// saturation of both passes and the order of the column pass's saturating additions.
TEST_P(Idct, MatchesRecordedDigests) {
    const uint64_t expected[] = {0xcd99fcb769ba2b79ull, 0xbee8cbfbfcda89a8ull,
                                 0xfc4906c61dc58569ull, 0xddca0b85ed2f08bcull,
                                 0x923e966664663be4ull};
    int k = 0;
    for (BlockKind kind : kAllBlockKinds) {
        Random rng(1000 + k);
        uint64_t h = kFnvBasis;
        for (int i = 0; i < 20000; ++i) {
            alignas(16) int16_t block[64];
            RandomBlock(rng, kind, block);
            GetParam()->inverseDct(block);
            h = Fnv1a(h, block, 64);
        }
        EXPECT_EQ(h, expected[k]) << "block kind " << k;
        ++k;
    }
}

TEST_P(Idct, IsSafeOnSeveralThreadsAtOnce) {
    const KernelSet* set = GetParam();
    auto digest = [set](uint32_t seed) {
        Random rng(seed);
        uint64_t h = kFnvBasis;
        for (int i = 0; i < 20000; ++i) {
            alignas(16) int16_t block[64];
            RandomBlock(rng, BlockKind::kDense2048, block);
            set->inverseDct(block);
            h = Fnv1a(h, block, 64);
        }
        return h;
    };
    uint64_t alone[4], together[4];
    for (uint32_t t = 0; t < 4; ++t)
        alone[t] = digest(t);
    std::vector<std::thread> threads;
    for (uint32_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] { together[t] = digest(t); });
    for (auto& th : threads)
        th.join();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(together[t], alone[t]);
}

INSTANTIATE_TEST_SUITE_P(Sets, Idct, testing::ValuesIn(AllSets()), SetName());

// IEEE 1180-style accuracy: random pixel blocks through a double-precision forward DCT,
// rounded and clipped coefficients, then the integer transform against the exact inverse.
struct Accuracy {
    int peak = 0;
    double worstPositionMse = 0, overallMse = 0, worstPositionMean = 0, overallMean = 0;
};

Accuracy Measure(int lo, int hi, int sign, int blocks) {
    double basis[8][8];  // basis[k][n] = C(k)/2 cos((2n+1) k pi / 16)
    for (int k = 0; k < 8; ++k) {
        for (int n = 0; n < 8; ++n) {
            basis[k][n] = (k == 0 ? std::sqrt(0.125) : 0.5) * std::cos((2 * n + 1) * k * kPi / 16);
        }
    }
    // One separable pass: out(j, c) = sum_i in(i, c) * basis, read along rows or columns.
    auto pass = [&](const double* in, double* out, bool inverse, int along, int across) {
        for (int a = 0; a < 8; ++a) {
            for (int j = 0; j < 8; ++j) {
                double s = 0;
                for (int i = 0; i < 8; ++i)
                    s += in[along * i + across * a] * (inverse ? basis[i][j] : basis[j][i]);
                out[along * j + across * a] = s;
            }
        }
    };
    auto transform = [&](const double* in, double* out, bool inverse) {
        double tmp[64];
        pass(in, tmp, inverse, 1, 8);   // rows
        pass(tmp, out, inverse, 8, 1);  // columns
    };
    Random rng(static_cast<uint32_t>(lo * 7 + hi * 13 + sign));
    double sumErr[64] = {}, sumSq[64] = {};
    Accuracy a;
    for (int b = 0; b < blocks; ++b) {
        double pixels[64], coeffs[64], exact[64];
        for (double& p : pixels)
            p = sign * static_cast<double>(rng.Between(-lo, hi));
        transform(pixels, coeffs, false);
        alignas(16) int16_t block[64];
        for (int i = 0; i < 64; ++i) {
            coeffs[i] = std::clamp(std::nearbyint(coeffs[i]), -2048.0, 2047.0);
            block[i] = static_cast<int16_t>(coeffs[i]);
        }
        transform(coeffs, exact, true);
        decoder::kernels::ReferenceKernels().inverseDct(block);
        for (int i = 0; i < 64; ++i) {
            const int want = static_cast<int>(std::clamp(std::nearbyint(exact[i]), -256.0, 255.0));
            const int got = std::clamp<int>(block[i], -256, 255);
            const int e = got - want;
            a.peak = std::max(a.peak, std::abs(e));
            sumErr[i] += e;
            sumSq[i] += e * e;
        }
    }
    for (int i = 0; i < 64; ++i) {
        a.worstPositionMse = std::max(a.worstPositionMse, sumSq[i] / blocks);
        a.worstPositionMean = std::max(a.worstPositionMean, std::abs(sumErr[i] / blocks));
        a.overallMse += sumSq[i] / blocks / 64;
        a.overallMean += sumErr[i] / blocks / 64;
    }
    a.overallMean = std::abs(a.overallMean);
    return a;
}

TEST(IdctAccuracy, MeetsIeee1180Limits) {
    const int ranges[][2] = {{256, 255}, {5, 5}, {300, 300}};
    for (const auto& range : ranges) {
        for (int sign : {1, -1}) {
            const Accuracy a = Measure(range[0], range[1], sign, 10000);
            SCOPED_TRACE(testing::Message()
                         << "range -" << range[0] << ".." << range[1] << " sign " << sign);
            EXPECT_LE(a.peak, 1);
            EXPECT_LE(a.worstPositionMse, 0.06);
            EXPECT_LE(a.overallMse, 0.02);
            EXPECT_LE(a.worstPositionMean, 0.015);
            EXPECT_LE(a.overallMean, 0.0015);
            RecordProperty("peak", a.peak);
        }
    }
}

}  // namespace
