// The time sources of the play thread: a monotonic millisecond clock and the 1 ms tick. Both
// are interfaces so that tests run the pacing on simulated time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace player {

class MonotonicClock {
  public:
    virtual ~MonotonicClock() = default;
    virtual int64_t NowMs() = 0;
    // The same clock in microseconds, for pacing finer than the tick.
    virtual int64_t NowUs() { return NowMs() * 1000; }
};

// Wakes the play thread once per period. Wait() returns true when a tick came (ticks that were
// missed while nobody waited collapse into one, like an auto-reset event), false on time-out or
// after Wake().
class TickSource {
  public:
    virtual ~TickSource() = default;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual bool Wait(int timeoutMs) = 0;
    // Lets a waiting Wait() return at once (used to end the play thread).
    virtual void Wake() = 0;
};

// Raises the calling thread to a real-time priority where the system allows it (the play
// thread and its tick run at the highest priority); otherwise it stays as it is. True when
// raised.
bool RaiseToTimeCriticalPriority();

class SteadyClock final : public MonotonicClock {
  public:
    int64_t NowMs() override;
    int64_t NowUs() override;
};

// A 1 ms periodic tick on its own thread, on absolute monotonic deadlines so that the period
// does not drift with the time each wake-up takes.
class PeriodicTicker final : public TickSource {
  public:
    explicit PeriodicTicker(std::chrono::microseconds period = std::chrono::milliseconds(1))
        : period_(period) {}
    ~PeriodicTicker() override;
    PeriodicTicker(const PeriodicTicker&) = delete;
    PeriodicTicker& operator=(const PeriodicTicker&) = delete;

    void Start() override;
    void Stop() override;
    bool Wait(int timeoutMs) override;
    void Wake() override;

  private:
    void Run();

    std::chrono::microseconds period_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
    bool woken_ = false;
    bool running_ = false;
    std::thread thread_;
};

}  // namespace player
