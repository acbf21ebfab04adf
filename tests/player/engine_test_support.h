// A recording output and a hand-driven clock for the playback engine's tests.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "player/playback_engine.h"
#include "tests/support/records.h"
#include "tests/support/temp_dir.h"

namespace playertest {

struct Shown {
    int cell;
    int kind;
    uint32_t stamp;
    int64_t at;  // clock time when handed over
};

class ManualClock final : public player::MonotonicClock {
  public:
    int64_t NowMs() override { return now; }
    int64_t now = 1000;
};

// Remembers everything the engine hands out; waiters can block until a condition holds.
class RecordingOutput final : public player::EngineOutput {
  public:
    explicit RecordingOutput(player::MonotonicClock& clock) : clock_(clock) {}
    void ShowPicture(int cell, int kind, uint32_t stamp, const uint8_t*, size_t) override {
        {
            std::lock_guard lock(mutex);
            shown.push_back({cell, kind, stamp, clock_.NowMs()});
            changed.notify_all();
        }
        if (decoding) decoding();
    }
    void SetSizeCode(int) override {}
    void SetMarks(int, bool, bool) override {}
    void SetPanorama(bool on) override { panorama = on; }
    void ResetCells() override {}
    void LayoutChanged(int id) override { layouts.push_back(id); }
    void Status(std::string_view text) override {
        std::lock_guard lock(mutex);
        statuses.emplace_back(text);
        changed.notify_all();
    }
    void TimeText(std::string_view text) override { time.assign(text); }
    void Position(int64_t p, int64_t) override { position = p; }
    void Message(int id) override { messages.push_back(id); }
    void RecordingChanged(const std::string& path) override { recordings.push_back(path); }
    void ShowStill(const media::RgbPicture& picture) override { stills.push_back(picture); }

    std::vector<int> KindsShown() {
        std::lock_guard lock(mutex);
        std::vector<int> kinds;
        for (const Shown& s : shown)
            kinds.push_back(s.kind);
        return kinds;
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Shown> shown;
    std::vector<std::string> statuses;
    std::vector<int> layouts;
    std::vector<int> messages;
    std::vector<std::string> recordings;
    std::vector<media::RgbPicture> stills;
    std::string time;
    int64_t position = -1;
    bool panorama = false;
    // Runs after each picture, as the decoding of it would take time.
    std::function<void()> decoding;

  private:
    player::MonotonicClock& clock_;
};

// Writes a ".umv"/".idx" pair and returns the ".idx" path.
inline std::string WritePair(const std::string& folder, const std::string& base,
                             const std::vector<testsupport::RecordSpec>& records) {
    testsupport::Recording r;
    for (const auto& record : records)
        r.Add(record);
    testsupport::WriteFile(folder + base + ".umv", r.data);
    testsupport::WriteFile(folder + base + ".idx", r.index);
    return folder + base + ".idx";
}

// A picture every `stepMs` on one channel with the kinds given as a string ("IPBB..."). Each
// second of media time also moves the wall time by a second.
inline std::vector<testsupport::RecordSpec> Pictures(const std::string& kinds, int stepMs,
                                                     int channel = 0, uint32_t firstStamp = 0) {
    std::vector<testsupport::RecordSpec> out;
    for (size_t i = 0; i < kinds.size(); ++i) {
        testsupport::RecordSpec s;
        s.channel = channel;
        s.kind = kinds[i] == 'I' ? 0 : kinds[i] == 'P' ? 1 : 2;
        s.stamp = firstStamp + static_cast<uint32_t>(i * stepMs * 45);
        s.second = static_cast<int>((s.stamp / 45000) % 60);
        s.minute = static_cast<int>((s.stamp / 45000) / 60);
        out.push_back(s);
    }
    return out;
}

}  // namespace playertest
