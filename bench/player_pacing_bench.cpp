// Pacing of the playback engine on the real 1 ms timer: for each picture handed to the renderer
// at x1, how late it came against its due time (the schedule set by the first picture, started
// again after a real stall of the machine), and the drift of the whole play against the media
// time. Prints p50, p99 and max in milliseconds.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "player/playback_engine.h"

namespace {

using Clock = std::chrono::steady_clock;

class PacingProbe final : public player::EngineOutput {
  public:
    void ShowPicture(int, int, uint32_t stamp, const uint8_t*, size_t) override {
        const auto now = Clock::now();
        std::lock_guard lock(mutex);
        if (samples.empty()) {
            start = now;
            firstStamp = anchorStamp = stamp;
        }
        const double at = std::chrono::duration<double, std::milli>(now - start).count();
        // Against the schedule, which a real stall (more than 5 ms late) starts again.
        const double late = at - (anchorAt + (stamp - anchorStamp) / 45.0);
        samples.push_back(late);
        if (late > 5.0) {
            ++stalls;
            anchorAt = at;
            anchorStamp = stamp;
        }
        // Against the picture before: how late this one came after its stamp distance.
        if (samples.size() > 1) steps.push_back((at - lastAt) - (stamp - lastStamp) / 45.0);
        lastAt = at;
        lastStamp = stamp;
        changed.notify_all();
    }
    void SetSizeCode(int) override {}
    void SetMarks(int, bool, bool) override {}
    void SetPanorama(bool) override {}
    void ResetCells() override {}
    void LayoutChanged(int) override {}
    void Status(std::string_view text) override {
        std::lock_guard lock(mutex);
        stopped = text == "Stop";
        changed.notify_all();
    }
    void TimeText(std::string_view) override {}
    void Position(int64_t, int64_t) override {}
    void Message(int) override {}

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<double> samples;
    std::vector<double> steps;
    bool stopped = false;  // the engine's state is not asked under this lock (lock order)
    double lastAt = 0;
    double anchorAt = 0;
    uint32_t anchorStamp = 0;
    int stalls = 0;
    uint32_t lastStamp = 0;
    Clock::time_point start;
    uint32_t firstStamp = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string file = argc > 1 ? argv[1]
                                      : DVR_SOURCE_DIR
                                 "/samples/d1_4ch/Lobby_20260314_095952/20260314_095952.idx";
    const size_t pictures = argc > 2 ? std::stoul(argv[2]) : 400;
    player::SteadyClock clock;
    player::PeriodicTicker ticks;
    PacingProbe probe;
    player::PlaybackEngine engine(probe, clock, &ticks);
    if (engine.Open(file) != 0) {
        std::fprintf(stderr, "cannot open %s\n", file.c_str());
        return 1;
    }
    {
        std::unique_lock lock(probe.mutex);
        probe.changed.wait(lock, [&] { return probe.samples.size() >= pictures || probe.stopped; });
    }
    engine.Stop();
    if (probe.samples.size() < 2) return 1;
    auto report = [](const char* what, std::vector<double> s) {
        std::sort(s.begin(), s.end());
        auto at = [&](double q) {
            return s[static_cast<size_t>(q * static_cast<double>(s.size() - 1))];
        };
        std::printf("%s (%zu pictures) ms: p50 %.3f  p99 %.3f  max %.3f\n", what, s.size(), at(0.5),
                    at(0.99), s.back());
    };
    report("lateness against the schedule", probe.samples);
    report("lateness against the picture before", probe.steps);
    // Drift: wall time of the play against the media time it showed.
    const double media = (probe.lastStamp - probe.firstStamp) / 45.0;
    std::printf("stalls over 5 ms: %d; wall time %.0f ms for %.0f ms of media: drift %+.2f %%\n",
                probe.stalls, probe.lastAt, media, 100.0 * (probe.lastAt / media - 1.0));
    return 0;
}
