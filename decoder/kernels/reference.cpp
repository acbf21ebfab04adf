// The plain C++ kernels: the definition of every result the SIMD kernels must reproduce.
#include <cstring>

#include "decoder/kernels/idct_tables.h"
#include "decoder/kernels/kernel_set.h"
#include "decoder/kernels/scalar.h"

namespace decoder::kernels {
namespace {

using scalar::ClampByte;
using scalar::MulHigh;
using scalar::Saturate16;

// --- inverse DCT ---

// Row pass of one row. The SIMD form adds 32-bit products with wrap-around, so the sums are
// taken modulo 2^32 here too before the shift and the saturating pack.
void IdctRow(const int16_t* in, int16_t* out, const idct::RowWeights& w, int32_t rounder) {
    const int64_t x0 = in[0], x1 = in[1], x2 = in[2], x3 = in[3];
    const int64_t x4 = in[4], x5 = in[5], x6 = in[6], x7 = in[7];
    const int64_t even04a = w.c4 * x0 + w.c4 * x4;
    const int64_t even04b = w.c4 * x0 - w.c4 * x4;
    const int64_t a0 = even04a + w.c2 * x2 + w.c6 * x6 + rounder;
    const int64_t a1 = even04b + w.c6 * x2 - w.c2 * x6 + rounder;
    const int64_t a2 = even04b - w.c6 * x2 + w.c2 * x6 + rounder;
    const int64_t a3 = even04a - w.c2 * x2 - w.c6 * x6 + rounder;
    const int64_t b0 = w.c1 * x1 + w.c3 * x3 + w.c5 * x5 + w.c7 * x7;
    const int64_t b1 = w.c3 * x1 - w.c7 * x3 - w.c1 * x5 - w.c5 * x7;
    const int64_t b2 = w.c5 * x1 - w.c1 * x3 + w.c7 * x5 + w.c3 * x7;
    const int64_t b3 = w.c7 * x1 - w.c5 * x3 + w.c3 * x5 - w.c1 * x7;
    auto finish = [](int64_t v) {
        const auto wrapped = static_cast<int32_t>(static_cast<uint32_t>(v));
        return Saturate16(wrapped >> idct::kRowShift);
    };
    out[0] = finish(a0 + b0);
    out[1] = finish(a1 + b1);
    out[2] = finish(a2 + b2);
    out[3] = finish(a3 + b3);
    out[4] = finish(a3 - b3);
    out[5] = finish(a2 - b2);
    out[6] = finish(a1 - b1);
    out[7] = finish(a0 - b0);
}

// Column pass of one column (stride 8), all in saturating 16-bit arithmetic. Where a value
// saturates, the order of the additions decides the result: x3 * tan(3 pi/16) is formed as
// (x3 * (tan - 1) >> 16) + x3, and tp35 adds x5 back before it adds x3, as the reference
// decoder's transform does.
void IdctColumn(int16_t* c) {
    auto add = [](int a, int b) { return Saturate16(a + b); };
    auto sub = [](int a, int b) { return Saturate16(a - b); };
    const int16_t x0 = c[0], x1 = c[8], x2 = c[16], x3 = c[24];
    const int16_t x4 = c[32], x5 = c[40], x6 = c[48], x7 = c[56];

    // odd half
    const int16_t tp17 = add(MulHigh(x7, idct::kTan1), x1);
    const int16_t tm17 = sub(MulHigh(x1, idct::kTan1), x7);
    const int16_t tm35 = sub(add(MulHigh(x3, idct::kTan3MinusOne), x3), x5);
    const int16_t tp35 = add(add(MulHigh(x5, idct::kTan3MinusOne), x5), x3);
    const int16_t b0 = add(tp17, tp35);
    const int16_t b3 = sub(tm17, tm35);
    const int16_t t1 = sub(tp17, tp35);
    const int16_t t2 = add(tm17, tm35);
    const int16_t s12 = MulHigh(add(t1, t2), idct::kCos4);
    const int16_t d12 = MulHigh(sub(t1, t2), idct::kCos4);
    const int16_t b1 = add(s12, s12);
    const int16_t b2 = add(d12, d12);

    // even half
    const int16_t tp26 = add(MulHigh(x6, idct::kTan2), x2);
    const int16_t tm26 = sub(MulHigh(x2, idct::kTan2), x6);
    const int16_t tp04 = add(x0, x4);
    const int16_t tm04 = sub(x0, x4);
    const int16_t a0 = add(tp04, tp26);
    const int16_t a3 = sub(tp04, tp26);
    const int16_t a1 = add(tm04, tm26);
    const int16_t a2 = sub(tm04, tm26);

    constexpr int s = idct::kColumnShift;
    c[0] = static_cast<int16_t>(add(a0, b0) >> s);
    c[8] = static_cast<int16_t>(add(a1, b1) >> s);
    c[16] = static_cast<int16_t>(add(a2, b2) >> s);
    c[24] = static_cast<int16_t>(add(a3, b3) >> s);
    c[32] = static_cast<int16_t>(sub(a3, b3) >> s);
    c[40] = static_cast<int16_t>(sub(a2, b2) >> s);
    c[48] = static_cast<int16_t>(sub(a1, b1) >> s);
    c[56] = static_cast<int16_t>(sub(a0, b0) >> s);
}

void InverseDctBlock(int16_t* block) {
    int16_t rows[64];  // the row pass result; lives on the caller's stack
    for (int r = 0; r < 8; ++r) {
        IdctRow(block + 8 * r, rows + 8 * r, *idct::kRowWeights[r], idct::kRowRounder[r]);
    }
    for (int col = 0; col < 8; ++col)
        IdctColumn(rows + col);
    std::memcpy(block, rows, sizeof(rows));
}

// The reference implementation: every kernel one sample at a time.
struct Reference {
    static void InverseDct(int16_t* block) { InverseDctBlock(block); }

    static void StoreBlock(const int16_t* block, uint8_t* dst, ptrdiff_t stride) {
        for (int r = 0; r < 8; ++r, dst += stride) {
            for (int c = 0; c < 8; ++c)
                dst[c] = ClampByte(block[8 * r + c]);
        }
    }

    static void AddBlock(const int16_t* block, uint8_t* dst, ptrdiff_t stride) {
        for (int r = 0; r < 8; ++r, dst += stride) {
            for (int c = 0; c < 8; ++c)
                dst[c] = ClampByte(dst[c] + block[8 * r + c]);
        }
    }

    static void InverseDctStore(int16_t* block, uint8_t* dst, ptrdiff_t stride) {
        InverseDctBlock(block);
        StoreBlock(block, dst, stride);
        std::memset(block, 0, 64 * sizeof(int16_t));
    }

    static void InverseDctAdd(int16_t* block, uint8_t* dst, ptrdiff_t stride) {
        InverseDctBlock(block);
        AddBlock(block, dst, stride);
        std::memset(block, 0, 64 * sizeof(int16_t));
    }

    // The interpolated sample at `s` (full-pel position) with the given half-pel steps.
    template <int kHx, int kHy, int kRounding>
    static int HalfPel(const uint8_t* s, ptrdiff_t stride) {
        if constexpr (kHx && kHy) {
            return (s[0] + s[1] + s[stride] + s[stride + 1] + 2 - kRounding) >> 2;
        } else if constexpr (kHx) {
            return (s[0] + s[1] + 1 - kRounding) >> 1;
        } else if constexpr (kHy) {
            return (s[0] + s[stride] + 1 - kRounding) >> 1;
        } else {
            return s[0];
        }
    }

    template <int kWidth, int kHx, int kHy, int kRounding, bool kAverage>
    static void Predict(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                        int height) {
        for (int r = 0; r < height; ++r, dst += dstStride, src += srcStride) {
            for (int x = 0; x < kWidth; ++x) {
                int p = HalfPel<kHx, kHy, kRounding>(src + x, srcStride);
                if constexpr (kAverage) p = (p + dst[x] + 1) >> 1;
                dst[x] = static_cast<uint8_t>(p);
            }
        }
    }

    template <int kHx, int kHy, int kRounding, bool kAverage>
    static void PredictPair(uint8_t* dstA, uint8_t* dstB, ptrdiff_t dstStride, const uint8_t* srcA,
                            const uint8_t* srcB, ptrdiff_t srcStride, int height) {
        Predict<8, kHx, kHy, kRounding, kAverage>(dstA, dstStride, srcA, srcStride, height);
        Predict<8, kHx, kHy, kRounding, kAverage>(dstB, dstStride, srcB, srcStride, height);
    }

    template <int kWidth, int kForward, int kBackward>
    static void PredictBi(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* forward,
                          const uint8_t* backward, ptrdiff_t srcStride, int height) {
        for (int r = 0; r < height; ++r, dst += dstStride) {
            for (int x = 0; x < kWidth; ++x) {
                const int p = HalfPel<kForward & 1, (kForward >> 1), 0>(forward + r * srcStride + x,
                                                                        srcStride);
                const int q = HalfPel<kBackward & 1, (kBackward >> 1), 0>(
                    backward + r * srcStride + x, srcStride);
                dst[x] = static_cast<uint8_t>((p + q + 1) >> 1);
            }
        }
    }

    template <int kForward, int kBackward>
    static void PredictBiPair(uint8_t* dstCb, uint8_t* dstCr, ptrdiff_t dstStride,
                              const uint8_t* forwardCb, const uint8_t* forwardCr,
                              const uint8_t* backwardCb, const uint8_t* backwardCr,
                              ptrdiff_t srcStride, int height) {
        PredictBi<8, kForward, kBackward>(dstCb, dstStride, forwardCb, backwardCb, srcStride,
                                          height);
        PredictBi<8, kForward, kBackward>(dstCr, dstStride, forwardCr, backwardCr, srcStride,
                                          height);
    }

    static void FillBytes(uint8_t* p, uint8_t value, int count) {
        std::memset(p, value, static_cast<size_t>(count));
    }

    template <bool kChromaFirst>
    static void PackedRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                          int width) {
        scalar::PackedRow<kChromaFirst>(y, cb, cr, out, 0, width);
    }

    template <scalar::RgbLayout kLayout>
    static void RgbRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                       int width) {
        scalar::RgbRow<kLayout>(y, cb, cr, out, 0, width);
    }

    static void DeinterlaceRow(const uint8_t* above, const uint8_t* row, const uint8_t* below,
                               uint8_t* out, int width) {
        scalar::DeinterlaceWords(above, row, below, out, 0, width);
    }

    static void Yuy2ToBgrRow(const uint8_t* in, uint8_t* out, int width) {
        scalar::Yuy2ToBgrPixels(in, out, width, 0, width);
    }
};

}  // namespace

const KernelSet& ReferenceKernels() {
    static constexpr KernelSet kSet = MakeKernelSet<Reference>("reference");
    return kSet;
}

}  // namespace decoder::kernels
