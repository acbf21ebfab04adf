// The SSE2 kernels (x86-64 baseline). Every kernel gives exactly the samples of its reference
// twin in reference.cpp; columns left over after the vector steps go through the same scalar
// helpers the reference uses.
#include "decoder/kernels/kernels.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstring>

#include "decoder/kernels/kernel_set.h"
#include "decoder/kernels/scalar.h"
#include "decoder/kernels/sse2_blocks.h"

namespace decoder::kernels {
namespace {

// --- inverse DCT ---

// One row by the multiply-add tables of its row.
inline __m128i IdctRow(__m128i x, const RowTable& t) {
    // words x0 x2 x1 x3 | x4 x6 x5 x7, then each (even, even) or (odd, odd) pair broadcast
    __m128i s = _mm_shufflelo_epi16(x, _MM_SHUFFLE(3, 1, 2, 0));
    s = _mm_shufflehi_epi16(s, _MM_SHUFFLE(3, 1, 2, 0));
    const __m128i p02 = _mm_shuffle_epi32(s, 0x00);
    const __m128i p13 = _mm_shuffle_epi32(s, 0x55);
    const __m128i p46 = _mm_shuffle_epi32(s, 0xAA);
    const __m128i p57 = _mm_shuffle_epi32(s, 0xFF);
    const auto* table = reinterpret_cast<const __m128i*>(&t);
    __m128i a = _mm_add_epi32(_mm_madd_epi16(p02, _mm_load_si128(table + 0)),
                              _mm_madd_epi16(p46, _mm_load_si128(table + 1)));
    a = _mm_add_epi32(a, _mm_load_si128(table + 4));
    const __m128i b = _mm_add_epi32(_mm_madd_epi16(p13, _mm_load_si128(table + 2)),
                                    _mm_madd_epi16(p57, _mm_load_si128(table + 3)));
    const __m128i lo = _mm_srai_epi32(_mm_add_epi32(a, b), idct::kRowShift);  // y0 y1 y2 y3
    const __m128i hi = _mm_srai_epi32(_mm_sub_epi32(a, b), idct::kRowShift);  // y7 y6 y5 y4
    return _mm_packs_epi32(lo, _mm_shuffle_epi32(hi, _MM_SHUFFLE(0, 1, 2, 3)));
}

inline void LoadBlock(const int16_t* block, __m128i rows[8]) {
    for (int r = 0; r < 8; ++r)
        rows[r] = Load16(block + 8 * r);
}

// The transform of `block` into x (row r of the result in x[r]). Most blocks of a stream have
// no coefficient in rows 4..7; their row pass gives zero there (the rounders of those rows are
// below 1 << 11), so both passes skip them. Always inlined: the rows stay in registers between
// the two passes and the store into the picture.
[[gnu::always_inline]] inline void Transform(const int16_t* block, __m128i x[8]) {
    for (int r = 0; r < 4; ++r)
        x[r] = IdctRow(Load16(block + 8 * r), kRowTables[r]);
    const __m128i upper = _mm_or_si128(_mm_or_si128(Load16(block + 32), Load16(block + 40)),
                                       _mm_or_si128(Load16(block + 48), Load16(block + 56)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(upper, _mm_setzero_si128())) == 0xFFFF) {
        IdctColumns<true>(x);
    } else {
        for (int r = 4; r < 8; ++r)
            x[r] = IdctRow(Load16(block + 8 * r), kRowTables[r]);
        IdctColumns<false>(x);
    }
}

void InverseDctBlock(int16_t* block) {
    __m128i x[8];
    Transform(block, x);
    for (int r = 0; r < 8; ++r)
        Store16(block + 8 * r, x[r]);
}

void StoreBlockRows(const int16_t* block, uint8_t* dst, ptrdiff_t stride) {
    __m128i x[8];
    LoadBlock(block, x);
    StoreRows(x, dst, stride);
}

void AddBlockRows(const int16_t* block, uint8_t* dst, ptrdiff_t stride) {
    __m128i x[8];
    LoadBlock(block, x);
    AddRows(x, dst, stride);
}

// The transform goes from registers straight into the picture.
template <bool kAdd>
void InverseDctInto(int16_t* block, uint8_t* dst, ptrdiff_t stride) {
    __m128i x[8];
    Transform(block, x);
    for (int r = 0; r < 8; ++r)
        Store16(block + 8 * r, _mm_setzero_si128());
    if constexpr (kAdd) {
        AddRows(x, dst, stride);
    } else {
        StoreRows(x, dst, stride);
    }
}

// --- half-pel prediction ---

// Where a kernel's rows come from: one block of kWidth samples a row...
template <int kWidth>
struct BlockSource {
    const uint8_t* src;
    ptrdiff_t stride;

    __m128i Load(int dx) const { return kWidth == 16 ? Load16(src + dx) : Load8(src + dx); }
    void Next() { src += stride; }
};

// ... or the same 8 samples of two planes side by side in one register (the two chroma blocks
// of a macroblock, predicted with one vector), so both take the steps of one 16-sample row.
struct PlanePairSource {
    const uint8_t* a;
    const uint8_t* b;
    ptrdiff_t stride;

    __m128i Load(int dx) const { return _mm_unpacklo_epi64(Load8(a + dx), Load8(b + dx)); }
    void Next() {
        a += stride;
        b += stride;
    }
};

// Where they go: a block, or the two planes' blocks.
template <int kWidth>
struct BlockTarget {
    uint8_t* dst;
    ptrdiff_t stride;

    __m128i Load() const { return kWidth == 16 ? Load16(dst) : Load8(dst); }
    void Put(__m128i v) const {
        if constexpr (kWidth == 16) {
            Store16(dst, v);
        } else {
            Store8(dst, v);
        }
    }
    void Next() { dst += stride; }
};

struct PlanePairTarget {
    uint8_t* a;
    uint8_t* b;
    ptrdiff_t stride;

    __m128i Load() const { return _mm_unpacklo_epi64(Load8(a), Load8(b)); }
    void Put(__m128i v) const {
        Store8(a, v);
        Store8(b, _mm_srli_si128(v, 8));
    }
    void Next() {
        a += stride;
        b += stride;
    }
};

// (a + b + 1 - rounding) >> 1 per byte: pavgb rounds up; with rounding 1 the odd sums lose it.
template <int kRounding>
inline __m128i Average2(__m128i a, __m128i b) {
    const __m128i up = _mm_avg_epu8(a, b);
    if constexpr (kRounding == 0) {
        return up;
    } else {
        return _mm_sub_epi8(up, _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
    }
}

// A row's horizontal half-pel step in bytes: the rounded-up mean of each sample and its right
// neighbour, and their exclusive or (bit 0 tells an odd sum).
struct HalfSteps {
    __m128i mean, differ;
};

template <class Source>
inline HalfSteps HorizontalHalfSteps(const Source& source) {
    const __m128i a = source.Load(0);
    const __m128i b = source.Load(1);
    return {_mm_avg_epu8(a, b), _mm_xor_si128(a, b)};
}

// (a + b + c + d + 2 - rounding) >> 2 in bytes, from the half steps of the row above (a, b) and
// below (c, d): with x, y their rounded-up means, pavgb(x, y) is one too high exactly when
//   rounding 0: (a ^ b | c ^ d) & (x ^ y) & 1
//   rounding 1: (a ^ b & c ^ d | x ^ y) & 1
// (checked for all 2^32 inputs), so no sample needs widening to 16 bits.
template <int kRounding>
inline __m128i FourSampleMean(const HalfSteps& above, const HalfSteps& below) {
    const __m128i meansDiffer = _mm_xor_si128(above.mean, below.mean);
    __m128i high;
    if constexpr (kRounding == 0) {
        high = _mm_and_si128(_mm_or_si128(above.differ, below.differ), meansDiffer);
    } else {
        high = _mm_or_si128(_mm_and_si128(above.differ, below.differ), meansDiffer);
    }
    return _mm_sub_epi8(_mm_avg_epu8(above.mean, below.mean),
                        _mm_and_si128(high, _mm_set1_epi8(1)));
}

// The interpolated rows of one source with the given half-pel steps, a register a row, top row
// first. A row interpolated vertically keeps the row above it from the call before.
template <int kHx, int kHy, int kRounding, class Source>
class HalfPelRows {
  public:
    explicit HalfPelRows(Source source) : source_(source) {
        if constexpr (kHx && kHy) {
            aboveSteps_ = HorizontalHalfSteps(source_);
        } else if constexpr (kHy) {
            above_ = source_.Load(0);
        }
    }

    __m128i Next() {
        if constexpr (kHx && kHy) {
            source_.Next();
            const HalfSteps below = HorizontalHalfSteps(source_);
            const __m128i p = FourSampleMean<kRounding>(aboveSteps_, below);
            aboveSteps_ = below;
            return p;
        } else if constexpr (kHy) {
            source_.Next();
            const __m128i below = source_.Load(0);
            const __m128i p = Average2<kRounding>(above_, below);
            above_ = below;
            return p;
        } else {
            __m128i p = source_.Load(0);
            if constexpr (kHx) p = Average2<kRounding>(p, source_.Load(1));
            source_.Next();
            return p;
        }
    }

  private:
    Source source_;
    HalfSteps aboveSteps_{};
    __m128i above_{};
};

template <int kHx, int kHy, int kRounding, bool kAverage, class Source, class Target>
void PredictRows(Source source, Target target, int height) {
    HalfPelRows<kHx, kHy, kRounding, Source> rows(source);
    for (int r = 0; r < height; ++r, target.Next()) {
        __m128i p = rows.Next();
        if constexpr (kAverage) p = _mm_avg_epu8(p, target.Load());
        target.Put(p);
    }
}

// Both directions of a B-VOP prediction (rounding 0) in one pass; halves: hy << 1 | hx.
template <int kForward, int kBackward, class Source, class Target>
void PredictBiRows(Source forward, Source backward, Target target, int height) {
    HalfPelRows<kForward & 1, (kForward >> 1), 0, Source> f(forward);
    HalfPelRows<kBackward & 1, (kBackward >> 1), 0, Source> b(backward);
    for (int r = 0; r < height; ++r, target.Next())
        target.Put(_mm_avg_epu8(f.Next(), b.Next()));
}

// --- border padding ---

inline void FillBytesSse2(uint8_t* p, uint8_t value, int count) {
    const __m128i v = _mm_set1_epi8(static_cast<char>(value));
    int i = 0;
    for (; i + 16 <= count; i += 16)
        Store16(p + i, v);
    for (; i < count; ++i)
        p[i] = value;
}

// --- picture output ---

// 16 pixels of 4:2:2 packing a step.
template <bool kChromaFirst>
void PackedRowSse2(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                   int width) {
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i luma = Load16(y + x);
        const __m128i chroma = _mm_unpacklo_epi8(Load8(cb + x / 2), Load8(cr + x / 2));
        if constexpr (kChromaFirst) {
            Store16(out + 2 * x, _mm_unpacklo_epi8(chroma, luma));
            Store16(out + 2 * x + 16, _mm_unpackhi_epi8(chroma, luma));
        } else {
            Store16(out + 2 * x, _mm_unpacklo_epi8(luma, chroma));
            Store16(out + 2 * x + 16, _mm_unpackhi_epi8(luma, chroma));
        }
    }
    scalar::PackedRow<kChromaFirst>(y, cb, cr, out, x, width);
}

// Eight pixels as words (0..255 each) into packed pixels.
struct BgrWords {
    __m128i b, g, r;
};

// Four 32-bit pixels B,G,R,X into their twelve B,G,R bytes at the bottom of the register.
inline __m128i DropFourthBytes(__m128i p) {
    const __m128i even = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
    const __m128i odd = _mm_set_epi32(0x00FFFFFF, 0, 0x00FFFFFF, 0);
    // pixels 1 and 3 move down one byte onto the free fourth bytes of pixels 0 and 2
    const __m128i q =
        _mm_or_si128(_mm_and_si128(p, even), _mm_srli_epi64(_mm_and_si128(p, odd), 8));
    // the upper six bytes move down two bytes to follow the lower six
    const __m128i lowSix = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
    return _mm_or_si128(_mm_and_si128(q, lowSix), _mm_srli_si128(_mm_andnot_si128(lowSix, q), 2));
}

template <scalar::RgbLayout kLayout>
inline void StorePixels8(uint8_t* out, const BgrWords& c) {
    using scalar::RgbLayout;
    if constexpr (kLayout == RgbLayout::kRgb565 || kLayout == RgbLayout::kRgb555) {
        const bool is565 = kLayout == RgbLayout::kRgb565;
        const __m128i r = _mm_and_si128(_mm_slli_epi16(c.r, is565 ? 8 : 7),
                                        Words(static_cast<int16_t>(is565 ? 0xF800 : 0x7C00)));
        const __m128i g = _mm_and_si128(_mm_slli_epi16(c.g, is565 ? 3 : 2),
                                        Words(static_cast<int16_t>(is565 ? 0x07E0 : 0x03E0)));
        Store16(out, _mm_or_si128(_mm_or_si128(r, g), _mm_srli_epi16(c.b, 3)));
    } else {
        const __m128i bg = _mm_or_si128(c.b, _mm_slli_epi16(c.g, 8));
        const __m128i rx = kLayout == RgbLayout::kBgrx32 ? _mm_or_si128(c.r, Words(-256)) : c.r;
        const __m128i p0 = _mm_unpacklo_epi16(bg, rx);  // pixels 0..3
        const __m128i p1 = _mm_unpackhi_epi16(bg, rx);  // pixels 4..7
        if constexpr (kLayout == RgbLayout::kBgrx32) {
            Store16(out, p0);
            Store16(out + 16, p1);
        } else {
            const __m128i q0 = DropFourthBytes(p0);
            const __m128i q1 = DropFourthBytes(p1);
            Store16(out, _mm_or_si128(q0, _mm_slli_si128(q1, 12)));
            Store8(out + 16, _mm_srli_si128(q1, 4));
        }
    }
}

inline __m128i ClampToByteWords(__m128i v) {
    return _mm_unpacklo_epi8(_mm_packus_epi16(v, v), _mm_setzero_si128());
}

// Eight pixels of 4:2:0 to RGB: luma words and the chroma bytes of each pixel (duplicated).
inline BgrWords YuvToBgr8(__m128i luma8, __m128i u8, __m128i v8) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = Words(128);
    const __m128i y =
        _mm_slli_epi16(_mm_unpacklo_epi8(_mm_subs_epu8(luma8, _mm_set1_epi8(16)), zero), 3);
    const __m128i u = _mm_slli_epi16(_mm_sub_epi16(_mm_unpacklo_epi8(u8, zero), bias), 3);
    const __m128i v = _mm_slli_epi16(_mm_sub_epi16(_mm_unpacklo_epi8(v8, zero), bias), 3);
    const __m128i yc = _mm_mulhi_epi16(y, Words(scalar::kYScale));
    const __m128i r = _mm_adds_epi16(yc, _mm_mulhi_epi16(v, Words(scalar::kVToR)));
    const __m128i g = _mm_adds_epi16(_mm_adds_epi16(yc, _mm_mulhi_epi16(u, Words(scalar::kUToG))),
                                     _mm_mulhi_epi16(v, Words(scalar::kVToG)));
    const __m128i b = _mm_adds_epi16(yc, _mm_mulhi_epi16(u, Words(scalar::kUToB)));
    return {ClampToByteWords(b), ClampToByteWords(g), ClampToByteWords(r)};
}

// 16 pixels a step.
template <scalar::RgbLayout kLayout>
void RgbRowSse2(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out, int width) {
    constexpr int bpp = scalar::BytesPerPixel(kLayout);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i luma = Load16(y + x);
        const __m128i u = Load8(cb + x / 2);
        const __m128i v = Load8(cr + x / 2);
        const __m128i uu = _mm_unpacklo_epi8(u, u);  // each chroma sample for two pixels
        const __m128i vv = _mm_unpacklo_epi8(v, v);
        StorePixels8<kLayout>(out + x * bpp, YuvToBgr8(luma, uu, vv));
        StorePixels8<kLayout>(
            out + (x + 8) * bpp,
            YuvToBgr8(_mm_srli_si128(luma, 8), _mm_srli_si128(uu, 8), _mm_srli_si128(vv, 8)));
    }
    scalar::RgbRow<kLayout>(y, cb, cr, out, x, width);
}

// --- renderer conversions of packed YUY2 ---

// Eight words of odd row `row` a step.
void DeinterlaceRowSse2(const uint8_t* above, const uint8_t* row, const uint8_t* below,
                        uint8_t* out, int width) {
    const __m128i lowBytes = Words(0x00FF);
    const __m128i halfMask = _mm_set1_epi8(0x7F);
    const __m128i weight = Words(625);
    const __m128i threshold = Words(73);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i a = Load16(above + 2 * x);
        const __m128i r = Load16(row + 2 * x);
        const __m128i b = Load16(below + 2 * x);
        const __m128i ya = _mm_srli_epi16(_mm_and_si128(a, lowBytes), 1);
        const __m128i yr = _mm_srli_epi16(_mm_and_si128(r, lowBytes), 1);
        const __m128i yb = _mm_srli_epi16(_mm_and_si128(b, lowBytes), 1);
        const __m128i d = _mm_sub_epi16(ya, yb);
        const __m128i m =
            _mm_sub_epi16(_mm_mullo_epi16(_mm_sub_epi16(ya, yr), _mm_sub_epi16(yb, yr)),
                          _mm_mullo_epi16(weight, _mm_srli_epi16(_mm_mullo_epi16(d, d), 12)));
        const __m128i replace = _mm_cmpgt_epi16(m, threshold);
        const __m128i average = _mm_add_epi8(_mm_and_si128(_mm_srli_epi16(a, 1), halfMask),
                                             _mm_and_si128(_mm_srli_epi16(b, 1), halfMask));
        Store16(out + 2 * x,
                _mm_or_si128(_mm_and_si128(replace, average), _mm_andnot_si128(replace, r)));
    }
    scalar::DeinterlaceWords(above, row, below, out, x, width);
}

// Four pairs (eight pixels) a step while the pair after them is complete.
void Yuy2ToBgrRowSse2(const uint8_t* in, uint8_t* out, int width) {
    const __m128i lowWords = _mm_set1_epi32(0x0000FFFF);
    // multiply-add weights for (Y', 2U') or (Y', 2V') word pairs, and (2V', 0) for G
    const __m128i ry = WordPair(scalar::kYuy2Y, scalar::kYuy2VToR / 2);
    const __m128i gy = WordPair(scalar::kYuy2Y, scalar::kYuy2UToG / 2);
    const __m128i gv = WordPair(scalar::kYuy2VToG / 2, 0);
    const __m128i by = WordPair(scalar::kYuy2Y, scalar::kYuy2UToB / 2);
    const __m128i round = _mm_set1_epi32(8192);
    int x = 0;
    for (; x + 10 <= width; x += 8) {
        const __m128i w = Load16(in + 2 * x);
        const __m128i next = Load16(in + 2 * x + 4);  // shifted by one pair
        const __m128i y = _mm_sub_epi16(_mm_and_si128(w, Words(0x00FF)), Words(16));
        const __m128i c = _mm_srli_epi16(w, 8);  // U0 V0 U1 V1 ... as words
        const __m128i avg = _mm_srli_epi16(_mm_add_epi16(c, _mm_srli_epi16(next, 8)), 1);
        // per pixel: even pixels their pair's chroma, odd pixels the average
        const __m128i u = _mm_or_si128(_mm_and_si128(c, lowWords), _mm_slli_epi32(avg, 16));
        const __m128i v = _mm_or_si128(_mm_srli_epi32(c, 16), _mm_andnot_si128(lowWords, avg));
        const __m128i u2 = _mm_slli_epi16(_mm_sub_epi16(u, Words(128)), 1);
        const __m128i v2 = _mm_slli_epi16(_mm_sub_epi16(v, Words(128)), 1);
        auto channel = [&](__m128i second, __m128i weights, bool withV) {
            __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi16(y, second), weights);
            __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi16(y, second), weights);
            if (withV) {  // G's third term
                const __m128i zero = _mm_setzero_si128();
                lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(v2, zero), gv));
                hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(v2, zero), gv));
            }
            lo = _mm_srai_epi32(_mm_add_epi32(lo, round), 14);
            hi = _mm_srai_epi32(_mm_add_epi32(hi, round), 14);
            return ClampToByteWords(_mm_packs_epi32(lo, hi));
        };
        const BgrWords pixels{channel(u2, by, false), channel(u2, gy, true),
                              channel(v2, ry, false)};
        StorePixels8<scalar::RgbLayout::kBgr24>(out + 3 * x, pixels);
    }
    scalar::Yuy2ToBgrPixels(in, out, width, x, width);
}

// The SSE2 implementation.
struct Sse2 {
    static void InverseDct(int16_t* block) { InverseDctBlock(block); }
    static void StoreBlock(const int16_t* block, uint8_t* dst, ptrdiff_t stride) {
        StoreBlockRows(block, dst, stride);
    }
    static void AddBlock(const int16_t* block, uint8_t* dst, ptrdiff_t stride) {
        AddBlockRows(block, dst, stride);
    }
    static void InverseDctStore(int16_t* block, uint8_t* dst, ptrdiff_t stride) {
        InverseDctInto<false>(block, dst, stride);
    }
    static void InverseDctAdd(int16_t* block, uint8_t* dst, ptrdiff_t stride) {
        InverseDctInto<true>(block, dst, stride);
    }
    template <int kWidth, int kHx, int kHy, int kRounding, bool kAverage>
    static void Predict(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                        int height) {
        PredictRows<kHx, kHy, kRounding, kAverage>(BlockSource<kWidth>{src, srcStride},
                                                   BlockTarget<kWidth>{dst, dstStride}, height);
    }
    template <int kHx, int kHy, int kRounding, bool kAverage>
    static void PredictPair(uint8_t* dstA, uint8_t* dstB, ptrdiff_t dstStride, const uint8_t* srcA,
                            const uint8_t* srcB, ptrdiff_t srcStride, int height) {
        PredictRows<kHx, kHy, kRounding, kAverage>(PlanePairSource{srcA, srcB, srcStride},
                                                   PlanePairTarget{dstA, dstB, dstStride}, height);
    }
    template <int kWidth, int kForward, int kBackward>
    static void PredictBi(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* forward,
                          const uint8_t* backward, ptrdiff_t srcStride, int height) {
        PredictBiRows<kForward, kBackward>(BlockSource<kWidth>{forward, srcStride},
                                           BlockSource<kWidth>{backward, srcStride},
                                           BlockTarget<kWidth>{dst, dstStride}, height);
    }
    template <int kForward, int kBackward>
    static void PredictBiPair(uint8_t* dstCb, uint8_t* dstCr, ptrdiff_t dstStride,
                              const uint8_t* forwardCb, const uint8_t* forwardCr,
                              const uint8_t* backwardCb, const uint8_t* backwardCr,
                              ptrdiff_t srcStride, int height) {
        PredictBiRows<kForward, kBackward>(PlanePairSource{forwardCb, forwardCr, srcStride},
                                           PlanePairSource{backwardCb, backwardCr, srcStride},
                                           PlanePairTarget{dstCb, dstCr, dstStride}, height);
    }
    static void FillBytes(uint8_t* p, uint8_t value, int count) { FillBytesSse2(p, value, count); }
    template <bool kChromaFirst>
    static void PackedRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                          int width) {
        PackedRowSse2<kChromaFirst>(y, cb, cr, out, width);
    }
    template <scalar::RgbLayout kLayout>
    static void RgbRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                       int width) {
        RgbRowSse2<kLayout>(y, cb, cr, out, width);
    }
    static void DeinterlaceRow(const uint8_t* above, const uint8_t* row, const uint8_t* below,
                               uint8_t* out, int width) {
        DeinterlaceRowSse2(above, row, below, out, width);
    }
    static void Yuy2ToBgrRow(const uint8_t* in, uint8_t* out, int width) {
        Yuy2ToBgrRowSse2(in, out, width);
    }
};

}  // namespace

const KernelSet& Sse2Kernels() {
    static constexpr KernelSet kSet = MakeKernelSet<Sse2>("sse2");
    return kSet;
}

}  // namespace decoder::kernels

#else  // no SSE2: the reference set stands in

namespace decoder::kernels {
const KernelSet& Sse2Kernels() {
    return ReferenceKernels();
}
}  // namespace decoder::kernels

#endif
