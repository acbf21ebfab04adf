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
    enum class Kind { Data, End, Fail, Nothing };
    struct Step {
        Kind kind;
        std::vector<uint8_t> bytes;
    };
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<bool> opens;  // results of the next opens (true when empty)
    std::deque<Step> steps;
    std::vector<std::string> queries;
    bool cancelled = false;

    void Push(Kind kind, std::vector<uint8_t> bytes = {}) {
        std::lock_guard lock(mutex);
        steps.push_back({kind, std::move(bytes)});
        cv.notify_all();
    }
    int openCount() {
        std::lock_guard lock(mutex);
        return static_cast<int>(queries.size());
    }
};

class FakeChannel final : public StreamChannel {
  public:
    explicit FakeChannel(Script& s) : s_(s) {}
    bool Open(const std::string& query) override {
        std::lock_guard lock(s_.mutex);
        s_.queries.push_back(query);
        if (s_.cancelled) return false;
        if (s_.opens.empty()) return true;
        const bool ok = s_.opens.front();
        s_.opens.pop_front();
        return ok;
    }
    WaitResult WaitForData(int timeoutMs) override {
        std::unique_lock lock(s_.mutex);
        auto ready = [&] { return s_.cancelled || !s_.steps.empty(); };
        if (timeoutMs < 0)
            s_.cv.wait(lock, ready);
        else if (!s_.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
            return WaitResult::TimedOut;
        if (s_.cancelled) return WaitResult::Cancelled;
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
        s_.cancelled = true;
        s_.cv.notify_all();
    }

  private:
    Script& s_;
};

}  // namespace nettest
