// The AVX2 set: the SSE2 kernels with an inverse DCT whose row pass transforms two rows at
// once. Only these functions are built for AVX2 (by target attribute), and the set is offered
// only on processors that run it.
#include "decoder/kernels/kernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include "decoder/kernels/sse2_blocks.h"

namespace decoder::kernels {
namespace {

#define DVR_AVX2 [[gnu::target("avx2")]]

// The multiply-add tables of two rows side by side: row `first` in the low 128 bits, the row
// after it in the high ones, as the two rows lie in the block.
struct alignas(32) RowPairTable {
    int16_t w02[16], w46[16], w13[16], w57[16];
    int32_t rounder[8];
};

constexpr RowPairTable MakeRowPairTable(int first) {
    RowPairTable t{};
    for (int half = 0; half < 2; ++half) {
        const RowTable& row = kRowTables[first + half];
        for (int i = 0; i < 8; ++i) {
            t.w02[8 * half + i] = row.w02[i];
            t.w46[8 * half + i] = row.w46[i];
            t.w13[8 * half + i] = row.w13[i];
            t.w57[8 * half + i] = row.w57[i];
        }
        for (int i = 0; i < 4; ++i)
            t.rounder[4 * half + i] = row.rounder[i];
    }
    return t;
}

constexpr RowPairTable kRowPairTables[4] = {MakeRowPairTable(0), MakeRowPairTable(2),
                                            MakeRowPairTable(4), MakeRowPairTable(6)};

// The row pass of the SSE2 set on two rows at once (every step stays within its 128-bit half).
DVR_AVX2 inline __m256i IdctRowPair(__m256i x, const RowPairTable& t) {
    __m256i s = _mm256_shufflelo_epi16(x, _MM_SHUFFLE(3, 1, 2, 0));
    s = _mm256_shufflehi_epi16(s, _MM_SHUFFLE(3, 1, 2, 0));
    const __m256i p02 = _mm256_shuffle_epi32(s, 0x00);
    const __m256i p13 = _mm256_shuffle_epi32(s, 0x55);
    const __m256i p46 = _mm256_shuffle_epi32(s, 0xAA);
    const __m256i p57 = _mm256_shuffle_epi32(s, 0xFF);
    const auto* table = reinterpret_cast<const __m256i*>(&t);
    __m256i a = _mm256_add_epi32(_mm256_madd_epi16(p02, _mm256_load_si256(table + 0)),
                                 _mm256_madd_epi16(p46, _mm256_load_si256(table + 1)));
    a = _mm256_add_epi32(a, _mm256_load_si256(table + 4));
    const __m256i b = _mm256_add_epi32(_mm256_madd_epi16(p13, _mm256_load_si256(table + 2)),
                                       _mm256_madd_epi16(p57, _mm256_load_si256(table + 3)));
    const __m256i lo = _mm256_srai_epi32(_mm256_add_epi32(a, b), idct::kRowShift);
    const __m256i hi = _mm256_srai_epi32(_mm256_sub_epi32(a, b), idct::kRowShift);
    return _mm256_packs_epi32(lo, _mm256_shuffle_epi32(hi, _MM_SHUFFLE(0, 1, 2, 3)));
}

DVR_AVX2 inline void Split(__m256i pair, __m128i* first, __m128i* second) {
    *first = _mm256_castsi256_si128(pair);
    *second = _mm256_extracti128_si256(pair, 1);
}

// As the SSE2 transform: rows 4..7 are left out when they are all zero.
[[gnu::always_inline]] DVR_AVX2 inline void Transform(const int16_t* block, __m128i x[8]) {
    const auto* rows = reinterpret_cast<const __m256i*>(block);
    Split(IdctRowPair(_mm256_loadu_si256(rows + 0), kRowPairTables[0]), &x[0], &x[1]);
    Split(IdctRowPair(_mm256_loadu_si256(rows + 1), kRowPairTables[1]), &x[2], &x[3]);
    const __m256i r45 = _mm256_loadu_si256(rows + 2);
    const __m256i r67 = _mm256_loadu_si256(rows + 3);
    if (_mm256_testz_si256(_mm256_or_si256(r45, r67), _mm256_or_si256(r45, r67))) {
        IdctColumns<true>(x);
    } else {
        Split(IdctRowPair(r45, kRowPairTables[2]), &x[4], &x[5]);
        Split(IdctRowPair(r67, kRowPairTables[3]), &x[6], &x[7]);
        IdctColumns<false>(x);
    }
}

DVR_AVX2 inline void ClearBlock(int16_t* block) {
    auto* rows = reinterpret_cast<__m256i*>(block);
    for (int i = 0; i < 4; ++i)
        _mm256_storeu_si256(rows + i, _mm256_setzero_si256());
}

DVR_AVX2 void InverseDctBlock(int16_t* block) {
    __m128i x[8];
    Transform(block, x);
    for (int r = 0; r < 8; ++r)
        Store16(block + 8 * r, x[r]);
}

template <bool kAdd>
DVR_AVX2 void InverseDctInto(int16_t* block, uint8_t* dst, ptrdiff_t stride) {
    __m128i x[8];
    Transform(block, x);
    ClearBlock(block);
    if constexpr (kAdd) {
        AddRows(x, dst, stride);
    } else {
        StoreRows(x, dst, stride);
    }
}

KernelSet MakeAvx2Set() {
    KernelSet s = Sse2Kernels();
    s.name = "avx2";
    s.inverseDct = &InverseDctBlock;
    s.inverseDctStore = &InverseDctInto<false>;
    s.inverseDctAdd = &InverseDctInto<true>;
    return s;
}

}  // namespace

const KernelSet* Avx2Kernels() {
    __builtin_cpu_init();  // this may run from another file's static initialiser
    if (!__builtin_cpu_supports("avx2")) return nullptr;
    static const KernelSet kSet = MakeAvx2Set();
    return &kSet;
}

}  // namespace decoder::kernels

#else

namespace decoder::kernels {
const KernelSet* Avx2Kernels() {
    return nullptr;
}
}  // namespace decoder::kernels

#endif
