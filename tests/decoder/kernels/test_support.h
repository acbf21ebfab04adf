// Shared helpers of the kernel tests: the kernel sets under test, deterministic random data and
// picture buffers with guard bytes around them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "decoder/kernels/kernels.h"

namespace kerneltest {

using decoder::kernels::KernelSet;

// Every kernel set this processor runs, the reference first.
inline std::vector<const KernelSet*> AllSets() {
    std::vector<const KernelSet*> sets{&decoder::kernels::ReferenceKernels()};
    for (const KernelSet* s : {&decoder::kernels::Sse2Kernels(), decoder::kernels::Avx2Kernels(),
                               &decoder::kernels::ActiveKernels()}) {
        if (s == nullptr) continue;
        bool known = false;
        for (const KernelSet* k : sets)
            known = known || std::string(k->name) == s->name;
        if (!known) sets.push_back(s);
    }
    return sets;
}

// The SIMD sets alone (compared with the reference).
inline std::vector<const KernelSet*> SimdSets() {
    auto sets = AllSets();
    sets.erase(sets.begin());
    return sets;
}

struct SetName {
    std::string operator()(const testing::TestParamInfo<const KernelSet*>& info) const {
        return info.param->name;
    }
};

// A deterministic generator: mt19937 is fully defined by the standard and only its raw output
// is used, so the data is the same everywhere.
class Random {
  public:
    explicit Random(uint32_t seed) : rng_(seed) {}
    uint32_t Next() { return static_cast<uint32_t>(rng_()); }
    // Uniform in [lo, hi] (hi - lo below 2^32).
    int64_t Between(int64_t lo, int64_t hi) {
        return lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(hi - lo + 1));
    }
    uint8_t Byte() { return static_cast<uint8_t>(Next() >> 24); }
    // Mostly mid-range samples with a fair share of the extremes 0 and 255.
    uint8_t Sample() {
        const uint32_t r = Next();
        if ((r & 7) == 0) return (r & 8) ? 255 : 0;
        return static_cast<uint8_t>(r >> 24);
    }
    void Fill(std::vector<uint8_t>& v) {
        for (auto& b : v)
            b = Sample();
    }

  private:
    std::mt19937 rng_;
};

// Coefficient blocks of the inverse DCT tests.
enum class BlockKind {
    kSparse2048,  // a few coefficients in -2048..2047, as a stream carries them
    kDense256,    // every coefficient in -256..255
    kDense2048,   // every coefficient in -2048..2047
    kFullRange,   // random positions over the whole 16-bit range
    kExtremes,    // -32768 and 32767 mixed with random values
};
inline constexpr BlockKind kAllBlockKinds[] = {BlockKind::kSparse2048, BlockKind::kDense256,
                                               BlockKind::kDense2048, BlockKind::kFullRange,
                                               BlockKind::kExtremes};

inline void RandomBlock(Random& rng, BlockKind kind, int16_t* block) {
    std::memset(block, 0, 64 * sizeof(int16_t));
    switch (kind) {
        case BlockKind::kSparse2048:
            for (int n = static_cast<int>(rng.Between(1, 8)); n > 0; --n) {
                block[rng.Between(0, 63)] = static_cast<int16_t>(rng.Between(-2048, 2047));
            }
            break;
        case BlockKind::kDense256:
            for (int i = 0; i < 64; ++i)
                block[i] = static_cast<int16_t>(rng.Between(-256, 255));
            break;
        case BlockKind::kDense2048:
            for (int i = 0; i < 64; ++i)
                block[i] = static_cast<int16_t>(rng.Between(-2048, 2047));
            break;
        case BlockKind::kFullRange:
            for (int n = static_cast<int>(rng.Between(1, 64)); n > 0; --n) {
                block[rng.Between(0, 63)] = static_cast<int16_t>(rng.Between(-32768, 32767));
            }
            break;
        case BlockKind::kExtremes:
            for (int i = 0; i < 64; ++i) {
                const int64_t c = rng.Between(0, 3);
                block[i] = static_cast<int16_t>(c == 0   ? -32768
                                                : c == 1 ? 32767
                                                : c == 2 ? 0
                                                         : rng.Between(-32768, 32767));
            }
            break;
    }
}

// FNV-1a over 16-bit values, little-endian.
inline uint64_t Fnv1a(uint64_t h, const int16_t* v, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const auto u = static_cast<uint16_t>(v[i]);
        for (uint8_t byte : {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8)}) {
            h = (h ^ byte) * 0x100000001b3ull;
        }
    }
    return h;
}
inline constexpr uint64_t kFnvBasis = 0xcbf29ce484222325ull;

// Bytes from the first sample of `rows` rows to the last of `lastRowBytes` in the last row: test
// buffers end exactly there, so that the sanitizers catch any access past the end.
inline size_t Extent(ptrdiff_t stride, int rows, size_t lastRowBytes) {
    return static_cast<size_t>(stride) * static_cast<size_t>(rows - 1) + lastRowBytes;
}

// A plane of `width` x `height` samples with `margin` guard samples on every side and `extra`
// more on the right of each row, filled with random data; origin() is the visible top-left
// sample. Kernels must leave the guard samples they are not meant to touch unchanged.
class Plane {
  public:
    Plane(int width, int height, int margin, int extra, Random& rng)
        : stride_(width + 2 * margin + extra),
          margin_(margin),
          bytes_(static_cast<size_t>(stride_) * (height + 2 * margin)) {
        rng.Fill(bytes_);
    }
    uint8_t* origin() { return bytes_.data() + margin_ * stride_ + margin_; }
    ptrdiff_t stride() const { return stride_; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    int stride_;
    int margin_;
    std::vector<uint8_t> bytes_;
};

}  // namespace kerneltest
