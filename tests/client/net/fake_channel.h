// A stream channel that plays a script instead of talking to a recorder: the results of its
// opens, and what each wait and read brings.
#pragma once

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "client/net/stream_channel.h"

namespace nettest {

using client::StreamChannel;
using client::WaitResult;

struct Script {
    // Hold: the wait blocks, deaf to Cancel, until Release (a reader stuck in the network).
    enum class Kind { Data, End, Fail, Nothing, Hold };
    struct Step {
        Kind kind;
        std::vector<uint8_t> bytes;
    };
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<bool> opens;  // results of the next opens (true when empty)
    std::deque<Step> steps;
    std::vector<std::string> queries;
    int timeouts = 0;      // waits that timed out
    bool holding = false;  // a wait is stuck in a Hold step
    bool released = false;

    void Push(Kind kind, std::vector<uint8_t> bytes = {}) {
        std::lock_guard lock(mutex);
        steps.push_back({kind, std::move(bytes)});
        cv.notify_all();
    }
    int openCount() {
        std::lock_guard lock(mutex);
        return static_cast<int>(queries.size());
    }
    // Waits until `done` holds, checked whenever a channel of this script does something.
    template <class Done>
    void WaitUntil(Done done) {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return done(*this); });
    }
    void Release() {
        std::lock_guard lock(mutex);
        released = true;
        cv.notify_all();
    }
};

class FakeChannel final : public StreamChannel {
  public:
    explicit FakeChannel(Script& s) : s_(s) {}
    bool Open(const std::string& query) override {
        std::lock_guard lock(s_.mutex);
        s_.queries.push_back(query);
        s_.cv.notify_all();
        if (cancelled_) return false;
        if (s_.opens.empty()) return true;
        const bool ok = s_.opens.front();
        s_.opens.pop_front();
        return ok;
    }
    WaitResult WaitForData(int timeoutMs) override {
        std::unique_lock lock(s_.mutex);
        auto ready = [&] { return cancelled_ || !s_.steps.empty(); };
        if (timeoutMs < 0) {
            s_.cv.wait(lock, ready);
        } else if (!s_.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
            ++s_.timeouts;
            s_.cv.notify_all();
            return WaitResult::TimedOut;
        }
        if (!s_.steps.empty() && s_.steps.front().kind == Script::Kind::Hold) {
            // Taken off the script at once: another channel goes on with the steps behind it.
            s_.steps.pop_front();
            s_.holding = true;
            s_.cv.notify_all();
            s_.cv.wait(lock, [&] { return s_.released; });
            s_.holding = false;
            s_.cv.notify_all();
            if (!cancelled_ && s_.steps.empty()) return WaitResult::Failed;
        }
        if (cancelled_) return WaitResult::Cancelled;
        if (s_.steps.empty()) return WaitResult::Failed;
        const Script::Kind k = s_.steps.front().kind;
        if (k == Script::Kind::End || k == Script::Kind::Fail) {
            s_.steps.pop_front();
            return k == Script::Kind::End ? WaitResult::Ended : WaitResult::Failed;
        }
        return WaitResult::Data;
    }
    size_t Read(uint8_t* out, size_t max) override {
        std::lock_guard lock(s_.mutex);
        if (s_.steps.empty()) return 0;
        Script::Step& step = s_.steps.front();
        if (step.kind != Script::Kind::Data) {
            s_.steps.pop_front();
            return 0;
        }
        const size_t n = std::min(max, step.bytes.size());
        std::memcpy(out, step.bytes.data(), n);
        step.bytes.erase(step.bytes.begin(), step.bytes.begin() + static_cast<ptrdiff_t>(n));
        if (step.bytes.empty()) s_.steps.pop_front();
        return n;
    }
    void Close() override {}
    void Cancel() override {
        std::lock_guard lock(s_.mutex);
        cancelled_ = true;
        s_.cv.notify_all();
    }

  private:
    Script& s_;
    bool cancelled_ = false;  // guarded by the script's mutex
};

}  // namespace nettest
