// Each kernel of every set this processor runs, registered as "<kernel>/<set>":
//   idct, store, add          per 8x8 block (a pool of stream-like blocks)
//   idct_dense                per 8x8 block with every coefficient set
//   idct_add                  per 8x8 block: transform added to the picture in one step
//   idct_then_add             the same as three steps (transform, add, clear), for comparison
//   put16/avg16 <variant>     16x16 prediction per half-pel/rounding variant
//   put8 <variant>            8x8 prediction
//   bi16/bi_pair <halves>     a B-VOP's two directions in one pass: 16x16 luma, both 8x8 chroma
//   put_avg16/put_avg_pair    the same as a put from one reference and an average from the other
//   pad                       the borders of a 704x480 decoded picture (Y, Cb, Cr)
//   convert <format>          4:2:0 704x480 to YUY2, planar, 32-bit and 24-bit RGB
//   deinterlace, yuy2_to_rgb  the renderer's conversions of a 704x480 YUY2 picture
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "decoder/kernels/kernels.h"

namespace {

using decoder::kernels::KernelSet;
using decoder::kernels::PlanarPicture;

constexpr int kWidth = 704, kHeight = 480;

std::vector<const KernelSet*> Sets() {
    std::vector<const KernelSet*> sets{&decoder::kernels::ReferenceKernels()};
    const KernelSet* active = &decoder::kernels::ActiveKernels();
    if (&decoder::kernels::Sse2Kernels() != sets[0])
        sets.push_back(&decoder::kernels::Sse2Kernels());
    if (active != sets.back() && active != sets[0]) sets.push_back(active);
    return sets;
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(rng() >> 24);
    return v;
}

// Blocks shaped like dequantised stream data: a DC and a few low-frequency coefficients, in a
// quarter of them also some in rows 4..7. The dense pool has every coefficient set.
const std::vector<int16_t>& BlockPool(bool dense) {
    static const auto make = [](bool full) {
        std::mt19937 rng(1);
        std::vector<int16_t> p(64 * 256, 0);
        for (int b = 0; b < 256; ++b) {
            int16_t* blk = p.data() + 64 * b;
            blk[0] = static_cast<int16_t>(rng() % 2048);
            const int reach = full ? 64 : (b % 4 == 0 ? 40 : 24);
            for (int n = full ? 64 : static_cast<int>(rng() % 10); n > 0; --n) {
                blk[rng() % reach] = static_cast<int16_t>(static_cast<int>(rng() % 401) - 200);
            }
        }
        return p;
    };
    static const std::vector<int16_t> sparse = make(false), full = make(true);
    return dense ? full : sparse;
}

void Idct(benchmark::State& state, const KernelSet* k, bool dense) {
    const auto& pool = BlockPool(dense);
    alignas(16) int16_t block[64];
    size_t i = 0;
    for (auto _ : state) {
        std::memcpy(block, pool.data() + 64 * (i++ & 255), sizeof(block));
        k->inverseDct(block);
        benchmark::DoNotOptimize(block);
    }
    state.SetItemsProcessed(state.iterations());
}

// The block is filled as the coefficient reader fills it: one coefficient at a time into a
// block the previous transform left all zero (whole-block copies would hand the transform's
// wide loads data fresh from equally wide stores, which the decoder never does).
void IdctAdd(benchmark::State& state, const KernelSet* k, bool fused) {
    const auto& pool = BlockPool(false);
    std::vector<std::vector<std::pair<uint8_t, int16_t>>> events(256);
    for (size_t b = 0; b < 256; ++b)
        for (uint8_t p = 0; p < 64; ++p)
            if (pool[64 * b + p] != 0) events[b].emplace_back(p, pool[64 * b + p]);
    std::vector<uint8_t> plane = RandomBytes(64 * 8 * 16, 2);
    alignas(16) int16_t block[64] = {};
    size_t i = 0;
    for (auto _ : state) {
        for (const auto& [position, level] : events[i & 255])
            block[position] = level;
        uint8_t* dst = plane.data() + 8 * (i & 7);
        if (fused) {
            k->inverseDctAdd(block, dst, 64);
        } else {
            k->inverseDct(block);
            k->addBlock(block, dst, 64);
            std::memset(block, 0, sizeof(block));
        }
        ++i;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void Transfer(benchmark::State& state, const KernelSet* k, bool add) {
    const auto& pool = BlockPool(false);
    std::vector<uint8_t> plane = RandomBytes(64 * 8 * 16, 2);
    size_t i = 0;
    for (auto _ : state) {
        const int16_t* block = pool.data() + 64 * (i & 255);
        uint8_t* dst = plane.data() + 8 * (i & 7);
        (add ? k->addBlock : k->storeBlock)(block, dst, 64);
        ++i;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void Predict(benchmark::State& state, const KernelSet* k, int index, bool average) {
    const int width = index & 8 ? 16 : 8;
    std::vector<uint8_t> src = RandomBytes(64 * 40, 3);
    std::vector<uint8_t> dst = RandomBytes(64 * 40, 4);
    const auto fn = (average ? k->avg : k->put)[index];
    size_t i = 0;
    for (auto _ : state) {
        const size_t at = 64 * 3 + (i++ & 7) * 3;  // off alignment, as motion vectors make it
        fn(dst.data() + (i & 3) * 16, 64, src.data() + at, 64, width);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// Both directions of a B macroblock's luma (16x16) or chroma pair (two 8x8), with the forward
// and backward half-pel steps of bidirectional index `index` (the low 4 bits): `fused` by the
// bidirectional kernel, else by a put and an averaging kernel as the decoder did before.
void PredictBi(benchmark::State& state, const KernelSet* k, int index, bool pair, bool fused) {
    using decoder::kernels::PredictIndex;
    const int forward = index & 3, backward = (index >> 2) & 3;
    std::vector<uint8_t> src = RandomBytes(64 * 80, 3);
    std::vector<uint8_t> dst = RandomBytes(64 * 40, 4);
    const int put = PredictIndex(forward & 1, forward >> 1, 0, !pair);
    const int avg = PredictIndex(backward & 1, backward >> 1, 0, !pair);
    size_t i = 0;
    for (auto _ : state) {
        const size_t at = 64 * 3 + (i & 7) * 3;  // off alignment, as motion vectors make it
        const uint8_t* f = src.data() + at;
        const uint8_t* b = src.data() + 64 * 40 + at;
        uint8_t* d = dst.data() + (i++ & 3) * 16;
        if (pair && fused) {
            k->biPair[index & 15](d, d + 8, 64, f, f + 20, b, b + 20, 64, 8);
        } else if (pair) {
            k->putPair[put](d, d + 8, 64, f, f + 20, 64, 8);
            k->avgPair[avg](d, d + 8, 64, b, b + 20, 64, 8);
        } else if (fused) {
            k->bi[(index & 15) | 16](d, 64, f, b, 64, 16);
        } else {
            k->put[put](d, 64, f, 64, 16);
            k->avg[avg](d, 64, b, 64, 16);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// A decoded picture in the decoder's edged layout.
struct EdgedPicture {
    static constexpr int kYStride = kWidth + 64, kCStride = kWidth / 2 + 32;
    std::vector<uint8_t> y = RandomBytes(size_t{kYStride} * (kHeight + 64), 5);
    std::vector<uint8_t> cb = RandomBytes(size_t{kCStride} * (kHeight / 2 + 32), 6);
    std::vector<uint8_t> cr = RandomBytes(size_t{kCStride} * (kHeight / 2 + 32), 7);
    uint8_t* yOrigin() { return y.data() + 32 * kYStride + 32; }
    uint8_t* cbOrigin() { return cb.data() + 16 * kCStride + 16; }
    uint8_t* crOrigin() { return cr.data() + 16 * kCStride + 16; }
    PlanarPicture planar() {
        return {yOrigin(), cbOrigin(), crOrigin(), kYStride, kCStride, kWidth, kHeight};
    }
};

void Pad(benchmark::State& state, const KernelSet* k) {
    EdgedPicture pic;
    for (auto _ : state) {
        k->padPlane(pic.yOrigin(), EdgedPicture::kYStride, kWidth, kHeight, 32);
        k->padPlane(pic.cbOrigin(), EdgedPicture::kCStride, kWidth / 2, kHeight / 2, 16);
        k->padPlane(pic.crOrigin(), EdgedPicture::kCStride, kWidth / 2, kHeight / 2, 16);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void Convert(benchmark::State& state, const KernelSet* k, int format) {
    EdgedPicture pic;
    std::vector<uint8_t> out(size_t{kWidth} * kHeight * 4);
    const PlanarPicture in = pic.planar();
    const int signedHeight = decoder::kernels::OutputSignedHeight(format, kHeight);
    for (auto _ : state) {
        k->convert[format](in, out.data(), kWidth, signedHeight);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// A YUY2 picture with some combing, as the renderer sees it.
std::vector<uint8_t> Yuy2Picture() {
    std::vector<uint8_t> p = RandomBytes(size_t{kWidth} * 2 * kHeight, 8);
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<uint8_t>((p[i] >> 3) + (i % 1408));
    return p;
}

void Deinterlace(benchmark::State& state, const KernelSet* k) {
    const std::vector<uint8_t> in = Yuy2Picture();
    std::vector<uint8_t> out(in.size());
    for (auto _ : state) {
        k->deinterlace(in.data(), out.data(), kWidth * 2, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void Yuy2ToRgb(benchmark::State& state, const KernelSet* k) {
    const std::vector<uint8_t> in = Yuy2Picture();
    std::vector<uint8_t> out(size_t{kWidth} * 3 * kHeight);
    for (auto _ : state) {
        k->yuy2ToRgb(in.data(), kWidth * 2, out.data(), kWidth * 3, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

const char* const kVariantNames[8] = {"full",     "h",     "v",     "hv",
                                      "full_rnd", "h_rnd", "v_rnd", "hv_rnd"};

const bool kRegistered = [] {
    for (const KernelSet* k : Sets()) {
        const std::string set = std::string("/") + k->name;
        benchmark::RegisterBenchmark(("idct" + set).c_str(), Idct, k, false);
        benchmark::RegisterBenchmark(("idct_dense" + set).c_str(), Idct, k, true);
        benchmark::RegisterBenchmark(("idct_add" + set).c_str(), IdctAdd, k, true);
        benchmark::RegisterBenchmark(("idct_then_add" + set).c_str(), IdctAdd, k, false);
        benchmark::RegisterBenchmark(("store" + set).c_str(), Transfer, k, false);
        benchmark::RegisterBenchmark(("add" + set).c_str(), Transfer, k, true);
        for (int v = 0; v < 8; ++v) {
            const std::string name = std::string("_") + kVariantNames[v] + set;
            benchmark::RegisterBenchmark(("put16" + name).c_str(), Predict, k, v | 8, false);
            benchmark::RegisterBenchmark(("avg16" + name).c_str(), Predict, k, v | 8, true);
            if (v < 4) benchmark::RegisterBenchmark(("put8" + name).c_str(), Predict, k, v, false);
        }
        // the halves B macroblocks use most: both full-pel, both half-pel both ways, mixed
        const std::pair<int, const char*> biVariants[] = {{0, "_full"}, {15, "_hv"}, {6, "_h_v"}};
        for (const auto& [index, bname] : biVariants) {
            const std::string name = bname + set;
            benchmark::RegisterBenchmark(("bi16" + name).c_str(), PredictBi, k, index, false, true);
            benchmark::RegisterBenchmark(("put_avg16" + name).c_str(), PredictBi, k, index, false,
                                         false);
            benchmark::RegisterBenchmark(("bi_pair" + name).c_str(), PredictBi, k, index, true,
                                         true);
            benchmark::RegisterBenchmark(("put_avg_pair" + name).c_str(), PredictBi, k, index, true,
                                         false);
        }
        benchmark::RegisterBenchmark(("pad" + set).c_str(), Pad, k);
        const std::pair<int, const char*> formats[] = {
            {1, "yuy2"}, {3, "planar"}, {4, "rgb32"}, {5, "rgb24"}, {6, "rgb565"}};
        for (const auto& [format, fname] : formats) {
            benchmark::RegisterBenchmark(("convert_" + std::string(fname) + set).c_str(), Convert,
                                         k, format);
        }
        benchmark::RegisterBenchmark(("deinterlace" + set).c_str(), Deinterlace, k);
        benchmark::RegisterBenchmark(("yuy2_to_rgb" + set).c_str(), Yuy2ToRgb, k);
    }
    return true;
}();

}  // namespace
