#include "output/decode_pool.h"

#include <cstring>

namespace output {
namespace {

constexpr size_t kInitialSlotBytes = 64 * 1024;

}  // namespace

DecodePool::DecodePool(ChannelDisplay& display, int threads) : display_(display) {
    for (Queue& q : queues_)
        for (Slot& s : q.entries)
            s.bytes.reserve(kInitialSlotBytes);
    for (int i = 0; i < threads; ++i)
        workers_.emplace_back([this] { Work(); });
}

DecodePool::~DecodePool() {
    WaitIdle();
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    work_.notify_all();
    for (std::thread& t : workers_)
        t.join();
}

void DecodePool::Count(bool ok) {
    std::lock_guard lock(mutex_);
    ++(ok ? decoded_ : failed_);
}

void DecodePool::Submit(int channel, const uint8_t* data, size_t length) {
    if (channel < 0 || channel >= kChannels) return;
    if (workers_.empty()) {
        Count(display_.DecodeAndShow(channel, data, length));
        return;
    }
    std::unique_lock lock(mutex_);
    Queue& q = queues_[static_cast<size_t>(channel)];
    space_.wait(lock, [&q] { return q.count < kDepth; });
    Slot& s = q.entries[(q.first + q.count) % kDepth];
    if (s.bytes.size() < length) s.bytes.resize(length);
    std::memcpy(s.bytes.data(), data, length);
    s.length = length;
    ++q.count;
    ++pending_;
    lock.unlock();
    work_.notify_one();
}

void DecodePool::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return pending_ == 0; });
}

int DecodePool::TakeChannel() {
    for (int i = 0; i < kChannels; ++i) {
        const int c = (nextChannel_ + i) % kChannels;
        Queue& q = queues_[static_cast<size_t>(c)];
        if (q.count > 0 && !q.busy) {
            nextChannel_ = (c + 1) % kChannels;
            return c;
        }
    }
    return -1;
}

void DecodePool::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        int channel = -1;
        work_.wait(lock, [&] { return (channel = TakeChannel()) >= 0 || stop_; });
        if (channel < 0) return;
        Queue& q = queues_[static_cast<size_t>(channel)];
        q.busy = true;
        const Slot& s = q.entries[q.first];
        lock.unlock();
        const bool ok = display_.DecodeAndShow(channel, s.bytes.data(), s.length);
        lock.lock();
        ++(ok ? decoded_ : failed_);
        q.first = (q.first + 1) % kDepth;
        --q.count;
        q.busy = false;
        --pending_;
        space_.notify_all();
        // The channel may hold more frames that another worker can take now.
        if (q.count > 0) work_.notify_one();
        if (pending_ == 0) idle_.notify_all();
    }
}

uint64_t DecodePool::decoded() const {
    std::lock_guard lock(mutex_);
    return decoded_;
}

uint64_t DecodePool::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

}  // namespace output
