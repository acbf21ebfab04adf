// Every SIMD kernel against its reference twin on random data: identical samples everywhere,
// including the bytes around the destination that neither may touch. Sizes cover odd heights,
// widths that leave columns after the vector steps, strides wider than the picture and
// pointers off any alignment.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/decoder/kernels/test_support.h"

namespace {

using namespace kerneltest;
using decoder::kernels::PlanarPicture;
using decoder::kernels::PredictIndex;
using decoder::kernels::ReferenceKernels;

class Identity : public testing::TestWithParam<const KernelSet*> {
  protected:
    const KernelSet& ref = ReferenceKernels();
    const KernelSet& simd = *GetParam();
};

TEST_P(Identity, InverseDctOnUnalignedBlocks) {
    Random rng(11);
    alignas(16) int16_t storage[64 + 1];
    for (BlockKind kind : kAllBlockKinds) {
        for (int i = 0; i < 5000; ++i) {
            int16_t* block = storage + (i & 1);  // every other block off 16-byte alignment
            RandomBlock(rng, kind, block);
            int16_t want[64];
            std::memcpy(want, block, sizeof(want));
            ref.inverseDct(want);
            simd.inverseDct(block);
            ASSERT_EQ(std::memcmp(block, want, sizeof(want)), 0) << "block " << i;
        }
    }
}

TEST_P(Identity, StoreAndAddBlocks) {
    Random rng(12);
    for (int i = 0; i < 4000; ++i) {
        alignas(16) int16_t storage[64 + 1];
        int16_t* block = storage + (i & 1);
        RandomBlock(rng, i % 3 ? BlockKind::kDense256 : BlockKind::kExtremes, block);
        const int stride = static_cast<int>(rng.Between(8, 40));
        const int offset = static_cast<int>(rng.Between(0, 15));
        std::vector<uint8_t> a(offset + Extent(stride, 8, 8));
        rng.Fill(a);
        std::vector<uint8_t> b = a;
        if (i & 2) {
            ref.addBlock(block, a.data() + offset, stride);
            simd.addBlock(block, b.data() + offset, stride);
        } else {
            ref.storeBlock(block, a.data() + offset, stride);
            simd.storeBlock(block, b.data() + offset, stride);
        }
        ASSERT_EQ(a, b) << "case " << i << " stride " << stride;
    }
}

// The one-step transform and transfer against the three steps of the reference set: the same
// samples, and the block left all zero.
TEST_P(Identity, TransformIntoThePictureInOneStep) {
    Random rng(14);
    for (int i = 0; i < 5000; ++i) {
        alignas(16) int16_t storage[64 + 1];
        int16_t* block = storage + (i & 1);
        RandomBlock(rng, kAllBlockKinds[i % 5], block);
        int16_t want[64];
        std::memcpy(want, block, sizeof(want));
        const int stride = static_cast<int>(rng.Between(8, 40));
        const int offset = static_cast<int>(rng.Between(0, 15));
        std::vector<uint8_t> a(offset + Extent(stride, 8, 8));
        rng.Fill(a);
        std::vector<uint8_t> b = a;
        ref.inverseDct(want);
        const bool add = i & 2;
        (add ? ref.addBlock : ref.storeBlock)(want, a.data() + offset, stride);
        (add ? simd.inverseDctAdd : simd.inverseDctStore)(block, b.data() + offset, stride);
        ASSERT_EQ(a, b) << "case " << i << (add ? " add" : " store");
        ASSERT_TRUE(std::all_of(block, block + 64, [](int16_t v) { return v == 0; })) << i;
    }
}

TEST_P(Identity, EveryPredictionKernel) {
    Random rng(13);
    const int heights[] = {1, 2, 3, 4, 8, 9, 16, 17};
    for (int index = 0; index < 16; ++index) {
        const int width = index & 8 ? 16 : 8;
        for (bool average : {false, true}) {
            for (int i = 0; i < 60; ++i) {
                const int height = heights[i % 8];
                const int srcStride = width + 1 + static_cast<int>(rng.Between(0, 40));
                const int dstStride = width + static_cast<int>(rng.Between(0, 40));
                const int hx = index & 1, hy = (index >> 1) & 1;
                const size_t so = static_cast<size_t>(rng.Between(0, 15));
                const size_t d = static_cast<size_t>(rng.Between(0, 15));
                std::vector<uint8_t> src(so + Extent(srcStride, height + hy, width + hx));
                rng.Fill(src);
                std::vector<uint8_t> a(d + Extent(dstStride, height, width));
                rng.Fill(a);
                std::vector<uint8_t> b = a;
                const uint8_t* s = src.data() + so;
                (average ? ref.avg : ref.put)[index](a.data() + d, dstStride, s, srcStride, height);
                (average ? simd.avg : simd.put)[index](b.data() + d, dstStride, s, srcStride,
                                                       height);
                ASSERT_EQ(a, b) << "kernel " << index << (average ? " avg" : " put") << " height "
                                << height;
            }
        }
    }
}

// The two-plane chroma kernels give each plane exactly what the 8-wide kernel gives it alone,
// with the planes at any distance in one buffer and the rows between them left alone.
TEST_P(Identity, ChromaPairKernels) {
    Random rng(15);
    const int heights[] = {1, 2, 4, 8, 9};
    for (int index = 0; index < 8; ++index) {
        const int hx = index & 1, hy = (index >> 1) & 1;
        for (bool average : {false, true}) {
            for (int i = 0; i < 40; ++i) {
                const int height = heights[i % 5];
                const int srcStride = 9 + static_cast<int>(rng.Between(0, 40));
                const int dstStride = 8 + static_cast<int>(rng.Between(0, 40));
                const size_t srcPlane = Extent(srcStride, height + hy, 8 + hx);
                const size_t dstPlane = Extent(dstStride, height, 8);
                const size_t srcGap = static_cast<size_t>(rng.Between(0, 30));
                const size_t dstGap = static_cast<size_t>(rng.Between(0, 30));
                std::vector<uint8_t> src(2 * srcPlane + srcGap);
                rng.Fill(src);
                std::vector<uint8_t> a(2 * dstPlane + dstGap);
                rng.Fill(a);
                std::vector<uint8_t> b = a;
                const uint8_t* srcA = src.data();
                const uint8_t* srcB = src.data() + srcPlane + srcGap;
                const size_t dstB = dstPlane + dstGap;
                const auto& single = average ? ref.avg : ref.put;
                single[index](a.data(), dstStride, srcA, srcStride, height);
                single[index](a.data() + dstB, dstStride, srcB, srcStride, height);
                (average ? simd.avgPair : simd.putPair)[index](b.data(), b.data() + dstB, dstStride,
                                                               srcA, srcB, srcStride, height);
                ASSERT_EQ(a, b) << "kernel " << index << (average ? " avg" : " put") << " height "
                                << height;
            }
        }
    }
}

// The bidirectional kernels against the reference's: random sources with their own offsets,
// strides wider than the block, odd heights and destinations off alignment.
TEST_P(Identity, BidirectionalKernels) {
    Random rng(16);
    const int heights[] = {1, 3, 4, 8, 16};
    for (int index = 0; index < 32; ++index) {
        const int width = index >= 16 ? 16 : 8;
        for (int i = 0; i < 40; ++i) {
            const int height = heights[i % 5];
            const int srcStride = width + 1 + static_cast<int>(rng.Between(0, 40));
            const int dstStride = width + static_cast<int>(rng.Between(0, 40));
            const size_t srcPlane = Extent(srcStride, height + 1, width + 1);
            std::vector<uint8_t> src(4 * srcPlane + 3);
            rng.Fill(src);
            const uint8_t* at[4];
            for (int p = 0; p < 4; ++p)
                at[p] = src.data() + static_cast<size_t>(p) * srcPlane + rng.Between(0, 3);
            const size_t dstPlane = Extent(dstStride, height, width) + 3;
            std::vector<uint8_t> a(2 * dstPlane);
            rng.Fill(a);
            std::vector<uint8_t> b = a;
            ref.bi[index](a.data() + 1, dstStride, at[0], at[1], srcStride, height);
            simd.bi[index](b.data() + 1, dstStride, at[0], at[1], srcStride, height);
            ASSERT_EQ(a, b) << "kernel " << index << " height " << height;
            if (width == 16) continue;
            ref.biPair[index](a.data(), a.data() + dstPlane, dstStride, at[0], at[2], at[1], at[3],
                              srcStride, height);
            simd.biPair[index](b.data(), b.data() + dstPlane, dstStride, at[0], at[2], at[1], at[3],
                               srcStride, height);
            ASSERT_EQ(a, b) << "pair kernel " << index << " height " << height;
        }
    }
}

TEST_P(Identity, Padding) {
    Random rng(14);
    const int borders[] = {1, 3, 16, 17, 32, 33};
    for (int i = 0; i < 300; ++i) {
        const int width = static_cast<int>(rng.Between(1, 80));
        const int height = static_cast<int>(rng.Between(1, 12));
        const int border = borders[i % 6];
        Plane a(width, height, border, static_cast<int>(rng.Between(0, 20)), rng);
        Plane b = a;
        ref.padPlane(a.origin(), a.stride(), width, height, border);
        simd.padPlane(b.origin(), b.stride(), width, height, border);
        ASSERT_EQ(a.bytes(), b.bytes()) << width << "x" << height << " border " << border;
    }
}

// A random 4:2:0 picture; converted by both sets into buffers with the same random contents.
void CompareConversion(const KernelSet& ref, const KernelSet& simd, Random& rng, int format,
                       int width, int height) {
    const int yStride = width + static_cast<int>(rng.Between(0, 24));
    const int cStride = (width + 1) / 2 + static_cast<int>(rng.Between(0, 24));
    const int chromaWidth = (width + 1) / 2, chromaRows = (height + 1) / 2;
    // each plane one byte off alignment and ending with its last sample
    std::vector<uint8_t> y(1 + Extent(yStride, height, width));
    std::vector<uint8_t> cb(1 + Extent(cStride, chromaRows, chromaWidth)), cr(cb.size());
    for (auto* plane : {&y, &cb, &cr})
        rng.Fill(*plane);
    const PlanarPicture in{y.data() + 1, cb.data() + 1, cr.data() + 1, yStride,
                           cStride,      width,         height};

    const int outStride = width + static_cast<int>(rng.Between(0, 9));
    const int cOutStride = (outStride + 1) / 2;
    const int bpp = decoder::kernels::OutputBytesPerPixel(format);
    const size_t outBytes = format == 3
                                ? static_cast<size_t>(outStride) * height +
                                      static_cast<size_t>(cOutStride) * chromaRows +
                                      Extent(cOutStride, chromaRows, chromaWidth)
                                : Extent(outStride * bpp, height, static_cast<size_t>(width) * bpp);
    const int offset = static_cast<int>(rng.Between(0, 7));
    std::vector<uint8_t> a(offset + outBytes);
    rng.Fill(a);
    std::vector<uint8_t> b = a;
    for (int sign : {1, -1}) {
        ref.convert[format](in, a.data() + offset, outStride, sign * height);
        simd.convert[format](in, b.data() + offset, outStride, sign * height);
        ASSERT_EQ(a, b) << "format " << format << " " << width << "x" << sign * height << " stride "
                        << outStride;
    }
}

TEST_P(Identity, EveryOutputFormat) {
    Random rng(15);
    for (int format = 1; format <= 11; ++format) {
        for (int width = 1; width <= 70; ++width) {
            CompareConversion(ref, simd, rng, format, width, static_cast<int>(rng.Between(1, 9)));
        }
        CompareConversion(ref, simd, rng, format, 704, 480);
        CompareConversion(ref, simd, rng, format, 352, 17);
    }
}

TEST_P(Identity, Deinterlacer) {
    Random rng(16);
    auto compare = [&](int width, int height, bool inPlace) {
        const int stride = 2 * width + static_cast<int>(rng.Between(0, 9));
        const size_t off = 1;
        std::vector<uint8_t> in(off + Extent(stride, height, 2 * static_cast<size_t>(width)));
        // Mostly smooth rows with combing and extremes mixed in, so both outcomes occur.
        for (size_t i = 0; i < in.size(); ++i) {
            in[i] = rng.Between(0, 3) == 0 ? rng.Sample() : static_cast<uint8_t>(i / stride * 3);
        }
        std::vector<uint8_t> a = in, b = in;
        if (inPlace) {
            ref.deinterlace(a.data() + off, a.data() + off, stride, width, height);
            simd.deinterlace(b.data() + off, b.data() + off, stride, width, height);
        } else {
            std::vector<uint8_t> outA(in.size() + 4), outB(outA.size());
            rng.Fill(outA);
            outB = outA;
            ref.deinterlace(in.data() + off, outA.data() + 5, stride, width, height);
            simd.deinterlace(in.data() + off, outB.data() + 5, stride, width, height);
            a.swap(outA);
            b.swap(outB);
        }
        ASSERT_EQ(a, b) << width << "x" << height << (inPlace ? " in place" : "");
    };
    for (int width = 1; width <= 40; ++width)
        compare(width, 480 + (width & 1), width & 2);
    compare(704, 480, false);
    compare(704, 576, true);
    compare(704, 481, false);
}

TEST_P(Identity, Yuy2ToRgb) {
    Random rng(17);
    auto compare = [&](int width, int height) {
        const int inStride = 2 * width + static_cast<int>(rng.Between(0, 9));
        const int outStride = 3 * width + static_cast<int>(rng.Between(0, 9));
        std::vector<uint8_t> in(1 + Extent(inStride, height, 2 * static_cast<size_t>(width)));
        rng.Fill(in);
        std::vector<uint8_t> a(3 + Extent(outStride, height, 3 * static_cast<size_t>(width)));
        rng.Fill(a);
        std::vector<uint8_t> b = a;
        ref.yuy2ToRgb(in.data() + 1, inStride, a.data() + 3, outStride, width, height);
        simd.yuy2ToRgb(in.data() + 1, inStride, b.data() + 3, outStride, width, height);
        ASSERT_EQ(a, b) << width << "x" << height;
    };
    for (int width = 1; width <= 40; ++width)
        compare(width, static_cast<int>(rng.Between(1, 5)));
    compare(704, 480);
}

INSTANTIATE_TEST_SUITE_P(Simd, Identity, testing::ValuesIn(SimdSets()), SetName());
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Identity);

}  // namespace
