// SSE2 building blocks shared by the SSE2 kernels and the AVX2 inverse DCT: unaligned loads and
// stores, the row pass's multiply-add tables, the column pass of the inverse DCT and the
// transfers of a transformed block into the picture.
//
// Everything here has internal linkage (each kernel file gets its own copy) and is inlined: a
// file built for a wider instruction set then gets these steps in its own encoding, and no
// function compiled for one instruction set can stand in for another's at link time.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#include "decoder/kernels/idct_tables.h"

namespace decoder::kernels {
namespace {  // one private copy per kernel file, see above

[[gnu::always_inline]] inline __m128i Load8(const void* p) {
    return _mm_loadl_epi64(static_cast<const __m128i*>(p));
}
[[gnu::always_inline]] inline __m128i Load16(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}
[[gnu::always_inline]] inline void Store8(void* p, __m128i v) {
    _mm_storel_epi64(static_cast<__m128i*>(p), v);
}
[[gnu::always_inline]] inline void Store16(void* p, __m128i v) {
    _mm_storeu_si128(static_cast<__m128i*>(p), v);
}
[[gnu::always_inline]] inline __m128i Words(int16_t v) {
    return _mm_set1_epi16(v);
}
// Every 32-bit lane holds the 16-bit words lo (low half) and hi.
[[gnu::always_inline]] inline __m128i WordPair(int lo, int hi) {
    return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(lo) & 0xFFFF) |
                                               (static_cast<uint32_t>(hi) << 16)));
}

// --- inverse DCT ---

// Multiply-add tables of one row: the even outputs a0..a3 from the pairs (x0, x2) and (x4, x6),
// the odd b0..b3 from (x1, x3) and (x5, x7); each word pair holds the weights of one output.
struct alignas(16) RowTable {
    int16_t w02[8], w46[8], w13[8], w57[8];
    int32_t rounder[4];
};

constexpr RowTable MakeRowTable(const idct::RowWeights& w, int32_t rounder) {
    const int16_t c1 = w.c1, c2 = w.c2, c3 = w.c3, c4 = w.c4, c5 = w.c5, c6 = w.c6, c7 = w.c7;
    auto n = [](int16_t v) { return static_cast<int16_t>(-v); };
    return RowTable{{c4, c2, c4, c6, c4, n(c6), c4, n(c2)},
                    {c4, c6, n(c4), n(c2), n(c4), c2, c4, n(c6)},
                    {c1, c3, c3, n(c7), c5, n(c1), c7, n(c5)},
                    {c5, c7, n(c1), n(c5), c7, c3, c3, n(c1)},
                    {rounder, rounder, rounder, rounder}};
}

constexpr RowTable kRowTables[8] = {
    MakeRowTable(*idct::kRowWeights[0], idct::kRowRounder[0]),
    MakeRowTable(*idct::kRowWeights[1], idct::kRowRounder[1]),
    MakeRowTable(*idct::kRowWeights[2], idct::kRowRounder[2]),
    MakeRowTable(*idct::kRowWeights[3], idct::kRowRounder[3]),
    MakeRowTable(*idct::kRowWeights[4], idct::kRowRounder[4]),
    MakeRowTable(*idct::kRowWeights[5], idct::kRowRounder[5]),
    MakeRowTable(*idct::kRowWeights[6], idct::kRowRounder[6]),
    MakeRowTable(*idct::kRowWeights[7], idct::kRowRounder[7]),
};

// All eight columns at once; x[i] holds row i of the row pass result. With kLowerZero rows 4..7
// are zero and left out: every operation dropped then adds or subtracts a zero, or multiplies
// one, so the result is the same to the bit.
template <bool kLowerZero>
[[gnu::always_inline]] inline void IdctColumns(__m128i x[8]) {
    const __m128i tan1 = Words(idct::kTan1);
    const __m128i tan2 = Words(idct::kTan2);
    const __m128i tan3 = Words(idct::kTan3MinusOne);
    const __m128i cos4 = Words(idct::kCos4);

    __m128i tp17, tm17, tm35, tp35, tp26, tm26, tp04, tm04;
    if constexpr (kLowerZero) {
        tp17 = x[1];
        tm17 = _mm_mulhi_epi16(x[1], tan1);
        tm35 = _mm_adds_epi16(_mm_mulhi_epi16(x[3], tan3), x[3]);
        tp35 = x[3];
        tp26 = x[2];
        tm26 = _mm_mulhi_epi16(x[2], tan2);
        tp04 = tm04 = x[0];
    } else {
        tp17 = _mm_adds_epi16(_mm_mulhi_epi16(x[7], tan1), x[1]);
        tm17 = _mm_subs_epi16(_mm_mulhi_epi16(x[1], tan1), x[7]);
        tm35 = _mm_subs_epi16(_mm_adds_epi16(_mm_mulhi_epi16(x[3], tan3), x[3]), x[5]);
        tp35 = _mm_adds_epi16(_mm_adds_epi16(_mm_mulhi_epi16(x[5], tan3), x[5]), x[3]);
        tp26 = _mm_adds_epi16(_mm_mulhi_epi16(x[6], tan2), x[2]);
        tm26 = _mm_subs_epi16(_mm_mulhi_epi16(x[2], tan2), x[6]);
        tp04 = _mm_adds_epi16(x[0], x[4]);
        tm04 = _mm_subs_epi16(x[0], x[4]);
    }

    // odd half
    const __m128i b0 = _mm_adds_epi16(tp17, tp35);
    const __m128i b3 = _mm_subs_epi16(tm17, tm35);
    const __m128i t1 = _mm_subs_epi16(tp17, tp35);
    const __m128i t2 = _mm_adds_epi16(tm17, tm35);
    const __m128i s12 = _mm_mulhi_epi16(_mm_adds_epi16(t1, t2), cos4);
    const __m128i d12 = _mm_mulhi_epi16(_mm_subs_epi16(t1, t2), cos4);
    const __m128i b1 = _mm_adds_epi16(s12, s12);
    const __m128i b2 = _mm_adds_epi16(d12, d12);

    // even half
    const __m128i a0 = _mm_adds_epi16(tp04, tp26);
    const __m128i a3 = _mm_subs_epi16(tp04, tp26);
    const __m128i a1 = _mm_adds_epi16(tm04, tm26);
    const __m128i a2 = _mm_subs_epi16(tm04, tm26);

    constexpr int s = idct::kColumnShift;
    x[0] = _mm_srai_epi16(_mm_adds_epi16(a0, b0), s);
    x[1] = _mm_srai_epi16(_mm_adds_epi16(a1, b1), s);
    x[2] = _mm_srai_epi16(_mm_adds_epi16(a2, b2), s);
    x[3] = _mm_srai_epi16(_mm_adds_epi16(a3, b3), s);
    x[4] = _mm_srai_epi16(_mm_subs_epi16(a3, b3), s);
    x[5] = _mm_srai_epi16(_mm_subs_epi16(a2, b2), s);
    x[6] = _mm_srai_epi16(_mm_subs_epi16(a1, b1), s);
    x[7] = _mm_srai_epi16(_mm_subs_epi16(a0, b0), s);
}

// --- block transfer ---

[[gnu::always_inline]] inline void StoreRows(const __m128i x[8], uint8_t* dst, ptrdiff_t stride) {
    for (int r = 0; r < 8; r += 2, dst += 2 * stride) {
        const __m128i v = _mm_packus_epi16(x[r], x[r + 1]);
        Store8(dst, v);
        Store8(dst + stride, _mm_srli_si128(v, 8));
    }
}

[[gnu::always_inline]] inline void AddRows(const __m128i x[8], uint8_t* dst, ptrdiff_t stride) {
    const __m128i zero = _mm_setzero_si128();
    for (int r = 0; r < 8; r += 2, dst += 2 * stride) {
        const __m128i p0 = _mm_unpacklo_epi8(Load8(dst), zero);
        const __m128i p1 = _mm_unpacklo_epi8(Load8(dst + stride), zero);
        const __m128i v = _mm_packus_epi16(_mm_adds_epi16(p0, x[r]), _mm_adds_epi16(p1, x[r + 1]));
        Store8(dst, v);
        Store8(dst + stride, _mm_srli_si128(v, 8));
    }
}

}  // namespace
}  // namespace decoder::kernels
