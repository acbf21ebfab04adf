#include "player/play_timing.h"

#include <pthread.h>
#include <sched.h>

namespace player {

bool RaiseToTimeCriticalPriority() {
    // A low real-time priority is enough to be woken ahead of every ordinary thread, without
    // starving the system's own real-time work.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

int64_t SteadyClock::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t SteadyClock::NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

PeriodicTicker::~PeriodicTicker() {
    Stop();
}

void PeriodicTicker::Start() {
    Stop();
    {
        std::lock_guard lock(mutex_);
        running_ = true;
        signalled_ = false;
        woken_ = false;
    }
    thread_ = std::thread([this] { Run(); });
}

void PeriodicTicker::Stop() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    cv_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void PeriodicTicker::Run() {
    RaiseToTimeCriticalPriority();
    auto deadline = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    while (running_) {
        deadline += period_;
        // Sleeps until the absolute deadline, or until Stop().
        cv_.wait_until(lock, deadline, [this] { return !running_; });
        if (!running_) break;
        const auto now = std::chrono::steady_clock::now();
        if (now - deadline > 10 * period_)
            deadline = now;  // after a long stall, no burst of catch-up ticks
        signalled_ = true;
        cv_.notify_all();
    }
}

bool PeriodicTicker::Wait(int timeoutMs) {
    std::unique_lock lock(mutex_);
    const bool got = cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return signalled_ || woken_; });
    const bool tick = got && signalled_ && !woken_;
    signalled_ = false;
    woken_ = false;
    return tick;
}

void PeriodicTicker::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    cv_.notify_all();
}

}  // namespace player
