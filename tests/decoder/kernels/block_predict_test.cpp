// Block transfer, half-pel prediction and border padding on hand-made data, for every kernel set.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/decoder/kernels/test_support.h"

namespace {

using namespace kerneltest;
using decoder::kernels::BiPredictIndex;
using decoder::kernels::PredictIndex;
using decoder::kernels::ReferenceKernels;

class Transfer : public testing::TestWithParam<const KernelSet*> {};

TEST_P(Transfer, StoreClampsToBytes) {
    alignas(16) int16_t block[64];
    for (int i = 0; i < 64; ++i)
        block[i] = static_cast<int16_t>(i * 9 - 100);
    block[0] = -5;
    block[1] = 300;
    block[2] = -32768;
    block[3] = 32767;
    std::array<uint8_t, 8 * 20> dst;
    dst.fill(77);
    GetParam()->storeBlock(block, dst.data() + 2, 20);
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 20; ++c) {
            const int got = dst[20 * r + c];
            if (c < 2 || c >= 10) {
                ASSERT_EQ(got, 77) << "outside the block, row " << r << " col " << c;
            } else {
                ASSERT_EQ(got, std::clamp<int>(block[8 * r + c - 2], 0, 255));
            }
        }
    }
    EXPECT_EQ(dst[2], 0);
    EXPECT_EQ(dst[3], 255);
}

TEST_P(Transfer, AddClampsTheSum) {
    alignas(16) int16_t block[64] = {};
    block[0] = 10;      // on 250 -> 255
    block[1] = -10;     // on 5 -> 0
    block[2] = 32767;   // on 200 -> 255
    block[3] = -32768;  // on 200 -> 0
    block[4] = 3;       // on 100 -> 103
    std::array<uint8_t, 8 * 16> dst;
    dst.fill(100);
    dst[0] = 250;
    dst[1] = 5;
    dst[2] = dst[3] = 200;
    GetParam()->addBlock(block, dst.data(), 16);
    EXPECT_EQ(dst[0], 255);
    EXPECT_EQ(dst[1], 0);
    EXPECT_EQ(dst[2], 255);
    EXPECT_EQ(dst[3], 0);
    EXPECT_EQ(dst[4], 103);
    for (int r = 0; r < 8; ++r) {
        for (int c = (r == 0 ? 5 : 0); c < 16; ++c)
            ASSERT_EQ(dst[16 * r + c], 100);
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, Transfer, testing::ValuesIn(AllSets()), SetName());

TEST(KernelSets, FoundByName) {
    EXPECT_EQ(decoder::kernels::KernelsByName("reference"), &ReferenceKernels());
    const KernelSet* sse2 = decoder::kernels::KernelsByName("sse2");
    ASSERT_NE(sse2, nullptr);
    EXPECT_EQ(sse2, &decoder::kernels::Sse2Kernels());
    // AVX2 is offered exactly where the processor has it, and is then the one decoding.
    EXPECT_EQ(decoder::kernels::KernelsByName("avx2"), decoder::kernels::Avx2Kernels());
    EXPECT_EQ(decoder::kernels::Avx2Kernels() != nullptr, __builtin_cpu_supports("avx2") != 0);
    if (const KernelSet* avx2 = decoder::kernels::Avx2Kernels()) {
        EXPECT_EQ(&decoder::kernels::ActiveKernels(), avx2);
    }
    EXPECT_EQ(decoder::kernels::KernelsByName("avx9"), nullptr);
    EXPECT_EQ(decoder::kernels::KernelsByName(nullptr), nullptr);
}

TEST(PredictIndex, PacksHalvesRoundingAndWidth) {
    EXPECT_EQ(PredictIndex(0, 0, 0, false), 0);
    EXPECT_EQ(PredictIndex(1, 0, 0, false), 1);
    EXPECT_EQ(PredictIndex(0, 1, 0, false), 2);
    EXPECT_EQ(PredictIndex(1, 1, 1, false), 7);
    EXPECT_EQ(PredictIndex(0, 0, 0, true), 8);
    EXPECT_EQ(PredictIndex(1, 1, 1, true), 15);
}

class Predict : public testing::TestWithParam<const KernelSet*> {};

// A source with distinct neighbours, s(x, y) = 7x + 31y + 3 mod 256, and s(1, 1) raised by 2.
struct Source {
    std::array<uint8_t, 24 * 20> bytes;
    Source() {
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 24; ++x)
                bytes[24 * y + x] = static_cast<uint8_t>(x * 7 + y * 31 + 3);
        }
        bytes[24 + 1] += 2;  // 3 + 10 + 34 + 43: the two roundings differ in all three halves
    }
    const uint8_t* at(int x, int y) const { return bytes.data() + 24 * y + x; }
};

TEST_P(Predict, EveryVariantFollowsItsFormula) {
    Source src;
    const uint8_t s0 = *src.at(0, 0), s1 = *src.at(1, 0), s2 = *src.at(0, 1), s3 = *src.at(1, 1);
    for (int width16 = 0; width16 < 2; ++width16) {
        const int width = width16 ? 16 : 8;
        for (int rounding = 0; rounding < 2; ++rounding) {
            const int want[4] = {s0, (s0 + s1 + 1 - rounding) >> 1, (s0 + s2 + 1 - rounding) >> 1,
                                 (s0 + s1 + s2 + s3 + 2 - rounding) >> 2};
            for (int half = 0; half < 4; ++half) {
                const int index = PredictIndex(half & 1, half >> 1, rounding, width16 != 0);
                SCOPED_TRACE(testing::Message() << "index " << index);
                std::array<uint8_t, 32 * 18> dst;
                dst.fill(9);
                GetParam()->put[index](dst.data(), 32, src.at(0, 0), 24, 16);
                EXPECT_EQ(dst[0], want[half]);
                EXPECT_EQ(dst[width], 9) << "the column after the block is not touched";
                EXPECT_EQ(dst[32 * 16], 9) << "the row after the block is not touched";
                // averaging with what is there: (p + q + 1) >> 1
                dst[0] = 200;
                GetParam()->avg[index](dst.data(), 32, src.at(0, 0), 24, 16);
                EXPECT_EQ(dst[0], (want[half] + 200 + 1) >> 1);
            }
        }
    }
}

TEST_P(Predict, FullPelCopyIsSharedAndHonoursTheHeight) {
    const KernelSet& k = *GetParam();
    EXPECT_EQ(k.put[PredictIndex(0, 0, 0, false)], k.put[PredictIndex(0, 0, 1, false)]);
    EXPECT_EQ(k.put[PredictIndex(0, 0, 0, true)], k.put[PredictIndex(0, 0, 1, true)]);
    Source src;
    std::array<uint8_t, 16 * 8> dst;
    dst.fill(1);
    k.put[PredictIndex(0, 0, 0, true)](dst.data(), 16, src.at(2, 3), 24, 4);  // a field half
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(dst[16 * y + x], y < 4 ? *src.at(x + 2, y + 3) : 1);
        }
    }
}

// A B-VOP's two directions in one pass give exactly the forward put followed by the backward
// average (rounding 0), for every pair of half-pel steps, both widths and the chroma pair, on
// sources at different places and with the rows after the block left alone.
TEST_P(Predict, BidirectionalIsForwardPutThenBackwardAverage) {
    const KernelSet& k = *GetParam();
    Random rng(21);
    std::vector<uint8_t> src(24 * 40);
    rng.Fill(src);
    const uint8_t* forward = src.data() + 24 * 2 + 1;
    const uint8_t* backward = src.data() + 24 * 19 + 5;
    for (int index = 0; index < 32; ++index) {
        const int f = index & 3, b = (index >> 2) & 3;
        const bool wide = index >= 16;
        EXPECT_EQ(index, BiPredictIndex(f & 1, f >> 1, b & 1, b >> 1, wide));
        for (int height : {4, 8, 16}) {
            SCOPED_TRACE(testing::Message() << "index " << index << " height " << height);
            std::vector<uint8_t> want(32 * 18, 9), got(32 * 18, 9);
            k.put[PredictIndex(f & 1, f >> 1, 0, wide)](want.data(), 32, forward, 24, height);
            k.avg[PredictIndex(b & 1, b >> 1, 0, wide)](want.data(), 32, backward, 24, height);
            k.bi[index](got.data(), 32, forward, backward, 24, height);
            ASSERT_EQ(got, want);
            if (wide) continue;
            // the pair: Cb and Cr from sources one plane apart, into blocks 16 columns apart
            std::vector<uint8_t> pair(32 * 18, 9);
            k.biPair[index](pair.data(), pair.data() + 16, 32, forward, forward + 10, backward,
                            backward + 10, 24, height);
            k.bi[index](got.data() + 16, 32, forward + 10, backward + 10, 24, height);
            ASSERT_EQ(pair, got);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, Predict, testing::ValuesIn(AllSets()), SetName());

class Pad : public testing::TestWithParam<const KernelSet*> {};

TEST_P(Pad, DecoderBordersOnAPicture) {
    // The decoder's sizes: 32 around a 64 x 48 luma plane.
    Random rng(5);
    Plane plane(64, 48, 32, 8, rng);  // 8 samples of slack after each row's right border
    const std::vector<uint8_t> before = plane.bytes();
    GetParam()->padPlane(plane.origin(), plane.stride(), 64, 48, 32);
    const uint8_t* o = plane.origin();
    const ptrdiff_t s = plane.stride();
    const uint8_t* was = before.data() + (o - plane.bytes().data());
    for (int y = -32; y < 48 + 32; ++y) {
        for (int x = -32; x < 64 + 32 + 8; ++x) {
            const uint8_t want =
                x < 64 + 32 ? o[std::clamp(y, 0, 47) * s + std::clamp(x, 0, 63)] : was[y * s + x];
            ASSERT_EQ(o[y * s + x], want) << "x " << x << " y " << y;
        }
    }
    for (int y = 0; y < 48; ++y) {
        const size_t at = static_cast<size_t>((y + 32) * s + 32);
        ASSERT_TRUE(
            std::equal(before.begin() + at, before.begin() + at + 64, plane.bytes().begin() + at))
            << "visible row " << y << " changed";
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, Pad, testing::ValuesIn(AllSets()), SetName());

}  // namespace
