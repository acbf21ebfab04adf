// Index building: a full 75,000-picture index file, and a walk over a large data file held in
// memory (the page-cache case). Peer for the walk: a plain memory read of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <numeric>

#include "media/frame_index.h"
#include "tests/support/records.h"

namespace {

testsupport::Recording& FullRecording() {
    // 16 channels, 75,000 pictures of about 6 KB (a D1 P picture), audio every 8th record.
    static testsupport::Recording r = [] {
        testsupport::Recording rec;
        rec.data.reserve(size_t{75000} * 6200 + 3000 * 2100);
        uint32_t stamp = 0x7FFF0000u;
        size_t audio = 0;
        for (uint32_t i = 0; i < 75000; ++i) {
            stamp += 94;
            rec.Add({.channel = static_cast<int>(i % 16),
                     .kind = i % 480 < 16 ? 0 : (i % 3 ? 1 : 2),
                     .stamp = stamp,
                     .second = static_cast<int>(i / 480 % 60),
                     .length = 190});
            if (i % 25 == 0 && audio++ < 2999) rec.Add({.channel = 0, .kind = 3, .stamp = stamp});
        }
        return rec;
    }();
    return r;
}

void BM_BuildFromIndex(benchmark::State& state) {
    const auto& r = FullRecording();
    media::FrameIndex index;
    for (auto _ : state) {
        index.BuildFromIndex(r.index, nullptr);
        benchmark::DoNotOptimize(index.frameCount());
    }
    state.counters["entries"] = static_cast<double>(r.index.size() / 20);
}
BENCHMARK(BM_BuildFromIndex)->Unit(benchmark::kMillisecond);

void BM_BuildFromData(benchmark::State& state) {
    const auto& r = FullRecording();
    media::FrameIndex index;
    for (auto _ : state) {
        index.BuildFromData(r.data);
        benchmark::DoNotOptimize(index.frameCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * r.data.size()));
}
BENCHMARK(BM_BuildFromData)->Unit(benchmark::kMillisecond);

// Peer: touching one byte per 4 KB page of the same buffer, the least any walk must cost.
void BM_PeerTouchPages(benchmark::State& state) {
    const auto& r = FullRecording();
    for (auto _ : state) {
        unsigned sum = 0;
        for (size_t i = 0; i < r.data.size(); i += 4096)
            sum += r.data[i];
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * r.data.size()));
}
BENCHMARK(BM_PeerTouchPages)->Unit(benchmark::kMillisecond);

}  // namespace
