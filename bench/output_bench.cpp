// The renderer's hot paths. One iteration of a wall benchmark is one second of video: 30
// pictures on each of 16 D1 channels (the D1 sample's four streams, each fed to four channels),
// decoded into the channel display and drawn into the 16 cells of a 4 x 4 window. CPU time is
// the whole process's (decode-pool workers and the GL rasteriser included), so cpu_time per
// iteration is the share of one core the wall costs. Run under Xvfb for the GPU variants:
//   xvfb-run -a build/bench/bench_output
// (on the offscreen platform they are skipped).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGridLayout>
#include <QWidget>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "media/recording_file.h"
#include "output/alaw.h"
#include "output/decode_pool.h"
#include "output/qt/gpu_channel_view.h"
#include "output/qt/rgb_channel_view.h"
#include "platform/registry_store.h"

namespace {

// Allocations of the whole process, to show that the steady state allocates nothing.
std::atomic<uint64_t> g_allocations{0};

}  // namespace

void* operator new(size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

void BM_AlawExpand(benchmark::State& state) {
    std::vector<uint8_t> in(2048);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<uint8_t>(i * 13);
    std::vector<int16_t> out(in.size());
    for (auto _ : state) {
        output::ExpandAlaw(in.data(), out.data(), in.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_AlawExpand);

struct Stream {
    std::vector<std::vector<uint8_t>> frames;
};

// The four channels of the D1 sample, in play order per channel.
const std::vector<Stream>& D1Streams() {
    static const std::vector<Stream> streams = [] {
        std::vector<Stream> s(4);
        media::RecordingFile file;
        file.Open(DVR_SOURCE_DIR "/samples/d1_4ch/Lobby_20260314_095952/20260314_095952.idx");
        std::vector<uint8_t> buffer(media::kMaxPayloadSize);
        for (size_t i = 0; i < file.index().frameCount(); ++i) {
            media::FrameHeader h;
            size_t size = 0;
            if (file.ReadVideo(i, &h, buffer.data(), &size) && h.channel < 4)
                s[h.channel].frames.emplace_back(buffer.begin(),
                                                 buffer.begin() + static_cast<ptrdiff_t>(size));
        }
        return s;
    }();
    return streams;
}

enum class Draw { kNone, kRgb, kGpu };

// The wall: a display, a 4 x 4 window of views and a pool.
class Wall {
  public:
    Wall(Draw draw, int threads)
        : draw_(draw),
          settings_(std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") +
                    "/bench_output.ini"),
          display_(settings_, nullptr) {
        settings_.WriteString(platform::Hive::kLocalMachine, platform::kEnvironmentsKey,
                              "DisplayType", draw == Draw::kRgb ? "1" : "0");
        settings_.WriteString(platform::Hive::kLocalMachine, platform::kEnvironmentsKey,
                              "DeInterlaced", "1");
        display_.SetResolution(2);
        window_.resize(720, 480);
        auto* grid = new QGridLayout(&window_);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setSpacing(1);
        for (int c = 0; c < 16 && draw != Draw::kNone; ++c) {
            QWidget* view;
            output::ChannelView* channelView;
            if (draw == Draw::kRgb) {
                auto* v = new output::qt::RgbChannelView(display_, c, &window_);
                view = v;
                channelView = v;
            } else {
                auto* v = new output::qt::GpuChannelView(display_, c, &window_);
                view = v;
                channelView = v;
            }
            grid->addWidget(view, c / 4, c % 4);
            display_.AttachView(c, channelView);
            display_.OpenView(c);
        }
        display_.OpenDecoders();
        window_.show();
        QApplication::processEvents();
        pool_ = std::make_unique<output::DecodePool>(display_, threads);
    }

    // One second of video: 30 rounds of one picture per channel, each round drawn.
    void Second() {
        const auto& streams = D1Streams();
        for (int round = 0; round < 30; ++round) {
            for (int c = 0; c < 16; ++c) {
                const Stream& s = streams[static_cast<size_t>(c % 4)];
                const auto& f = s.frames[position_ % s.frames.size()];
                pool_->Submit(c, f.data(), f.size());
            }
            ++position_;
            // Drawn walls show every picture; a decode-only wall lets the pool run ahead.
            if (draw_ == Draw::kNone) continue;
            pool_->WaitIdle();
            QApplication::processEvents();
        }
        pool_->WaitIdle();
    }

  private:
    Draw draw_;
    platform::RegistryStore settings_;
    output::ChannelDisplay display_;
    QWidget window_;
    std::unique_ptr<output::DecodePool> pool_;
    size_t position_ = 0;
};

void RunWall(benchmark::State& state, Draw draw) {
    if (draw == Draw::kGpu && !output::qt::GpuChannelView::ContextAvailable()) {
        state.SkipWithError("no OpenGL context (run under Xvfb)");
        return;
    }
    Wall wall(draw, static_cast<int>(state.range(0)));
    wall.Second();  // warm up: buffers grown, views painted once
    const uint64_t before = g_allocations.load();
    for (auto _ : state)
        wall.Second();
    state.counters["allocs_per_picture"] =
        benchmark::Counter(static_cast<double>(g_allocations.load() - before) /
                           static_cast<double>(state.iterations() * 480));
    state.counters["pictures_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * 480), benchmark::Counter::kIsRate);
}

void BM_WallDecodeOnly(benchmark::State& state) {
    RunWall(state, Draw::kNone);
}
void BM_WallRgb(benchmark::State& state) {
    RunWall(state, Draw::kRgb);
}
void BM_WallGpu(benchmark::State& state) {
    RunWall(state, Draw::kGpu);
}
// Arg: decode-pool threads (0: decoding on the feeding thread).
BENCHMARK(BM_WallDecodeOnly)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WallRgb)
    ->Arg(0)
    ->Arg(2)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WallGpu)
    ->Arg(0)
    ->Arg(2)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
