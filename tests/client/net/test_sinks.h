// Frame sink, audio sink and notifier that remember everything, for the network tests.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "client/net/sinks.h"
#include "client/net/stream_handler.h"

namespace nettest {

struct Event {
    std::string
        what;  // "picture", "still", "title", "mark", "size", "info", "post", "message", ...
    int a = 0;
    int b = 0;
    std::string text;
};

class RecordingSinks : public client::FrameSink, public client::AudioSink, public client::Notifier {
  public:
    void ShowPicture(int channel, client::CellPicture p) override {
        Add({"still", channel, static_cast<int>(p), {}});
    }
    void SetTitle(int channel, std::string_view title) override {
        Add({"title", channel, 0, std::string(title)});
    }
    void SetChannelInfo(const client::ChannelInfo& info) override {
        Add({"info", info.channelCount(), 0, {}});
    }
    void SetMark(int channel, client::CellMark mark, bool on) override {
        Add({"mark", channel, static_cast<int>(mark) * 2 + (on ? 1 : 0), {}});
    }
    void SetSizeCode(int sizeCode) override { Add({"size", sizeCode, 0, {}}); }
    void Picture(int channel, const media::FrameHeader& h,
                 std::span<const uint8_t> record) override {
        std::lock_guard lock(mutex_);
        records_.emplace_back(record.begin(), record.end());
        events_.push_back({"picture", channel, h.kind, {}});
        changed_.notify_all();
    }
    void AudioStarted(int channel) override { Add({"audio", channel, 0, {}}); }
    bool PlayBlock(int channel, uint32_t, std::span<const uint8_t> alaw) override {
        Add({"block", channel, static_cast<int>(alaw.size()), {}});
        return true;
    }
    void Pause() override {}
    void AudioStopped() override { Add({"audio-stopped", 0, 0, {}}); }
    void Post(client::Notification message, int parameter) override {
        Add({"post", static_cast<int>(message), parameter, {}});
    }
    void ShowMessage(int id, std::string_view text) override {
        Add({"message", id, 0, std::string(text)});
    }
    void ShowTime(std::string_view text) override { Add({"time", 0, 0, std::string(text)}); }

    std::vector<Event> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<std::vector<uint8_t>> records() const {
        std::lock_guard lock(mutex_);
        return records_;
    }
    int Count(const std::string& what, int a = -999, int b = -999) const {
        std::lock_guard lock(mutex_);
        int n = 0;
        for (const Event& e : events_)
            n += e.what == what && (a == -999 || e.a == a) && (b == -999 || e.b == b);
        return n;
    }
    int Count(const std::string& what, client::Notification n, int b = -999) const {
        return Count(what, static_cast<int>(n), b);
    }
    std::vector<std::string> Messages() const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> out;
        for (const Event& e : events_)
            if (e.what == "message") out.push_back(e.text);
        return out;
    }
    // Waits until `done` holds (checked on every event) or the time runs out.
    bool WaitFor(const std::function<bool()>& done,
                 std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto until = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (done()) return true;
            std::unique_lock lock(mutex_);
            if (changed_.wait_until(lock, std::min(until, std::chrono::steady_clock::now() +
                                                              std::chrono::milliseconds(20))) ==
                    std::cv_status::timeout &&
                std::chrono::steady_clock::now() >= until) {
                lock.unlock();
                return done();
            }
        }
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
        records_.clear();
    }

    // Notes one event (for sinks built on this one).
    void Add(Event e) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(e));
        changed_.notify_all();
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
    std::vector<std::vector<uint8_t>> records_;
};

// Hooks that only count what the handler asks for.
class CountingHooks : public client::StreamHooks {
  public:
    void LeaveRecorder() override { ++leaves; }
    void StartAudio(int channel, client::ClientId) override {
        ++audioStarts;
        audioChannel = channel;
        audio = true;
    }
    void StopAudio() override {
        ++audioStops;
        audio = false;
    }
    bool AudioRunning() const override { return audio; }
    bool LocalRecording() const override { return recording; }
    void RecordVideo(int, std::span<const uint8_t>) override { ++recorded; }

    int leaves = 0, audioStarts = 0, audioStops = 0, audioChannel = -1, recorded = 0;
    bool audio = false;
    bool recording = false;
};

}  // namespace nettest
