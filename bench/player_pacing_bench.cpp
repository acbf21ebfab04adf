// Pacing of the playback engine on the real 1 ms timer: for each picture handed to the renderer
// at x1, how late it came against its due time (the first picture's moment plus its stamp
// distance). Prints p50, p99 and max in milliseconds.
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
            firstStamp = stamp;
        }
        const double due = (stamp - firstStamp) / 45.0;
        const double at = std::chrono::duration<double, std::milli>(now - start).count();
        samples.push_back(at - due);
        // Against the picture before: how late this one came after its stamp distance.
        if (!steps.empty() || samples.size() > 1)
            steps.push_back((at - lastAt) - (stamp - lastStamp) / 45.0);
        lastAt = at;
        lastStamp = stamp;
        changed.notify_all();
    }
    void SetSizeCode(int) override {}
    void SetMarks(int, bool, bool) override {}
    void SetPanorama(bool) override {}
    void ResetCells() override {}
    void LayoutChanged(int) override {}
    void Status(std::string_view) override {}
    void TimeText(std::string_view) override {}
    void Position(int64_t, int64_t) override {}
    void Message(int) override {}

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<double> samples;
    std::vector<double> steps;
    double lastAt = 0;
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
        while (probe.samples.size() < pictures && engine.state() == player::EngineState::kPlaying)
            probe.changed.wait_for(lock, std::chrono::milliseconds(100));
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
    // Against the schedule the first picture sets, and against the picture before.
    report("error from the first picture", probe.samples);
    report("error from the picture before", probe.steps);
    return 0;
}
