// Decodes the channels of a ChannelDisplay on a few worker threads. Each channel's frames are
// decoded in the order they were submitted and never by two workers at once (a decoder instance
// is entered by one thread at a time); different channels decode side by side.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "output/channel_display.h"

namespace output {

class DecodePool {
  public:
    // Frames a channel may have waiting before Submit blocks.
    static constexpr size_t kDepth = 4;

    // `threads` workers; 0 decodes on the submitting thread.
    DecodePool(ChannelDisplay& display, int threads);
    // Decodes what is queued, then stops the workers.
    ~DecodePool();
    DecodePool(const DecodePool&) = delete;
    DecodePool& operator=(const DecodePool&) = delete;

    // Queues a copy of one frame of the channel; blocks while the channel has kDepth frames
    // waiting, so nothing is dropped. The slot buffers grow to the largest frame once and are
    // reused.
    void Submit(int channel, const uint8_t* data, size_t length);
    // Returns when every submitted frame has been decoded.
    void WaitIdle();

    int threads() const { return static_cast<int>(workers_.size()); }
    uint64_t decoded() const;
    uint64_t failed() const;

  private:
    struct Slot {
        std::vector<uint8_t> bytes;
        size_t length = 0;
    };
    struct Queue {
        std::array<Slot, kDepth> entries;
        size_t first = 0;
        size_t count = 0;
        bool busy = false;  // a worker is decoding the front slot
    };

    void Work();
    // A channel with a frame waiting and no worker on it, or -1 (under mutex_).
    int TakeChannel();
    void Count(bool ok);

    ChannelDisplay& display_;
    mutable std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable space_;
    std::condition_variable idle_;
    std::array<Queue, kChannels> queues_;
    size_t pending_ = 0;  // frames submitted and not yet decoded
    int nextChannel_ = 0;
    bool stop_ = false;
    uint64_t decoded_ = 0;
    uint64_t failed_ = 0;
    std::vector<std::thread> workers_;
};

}  // namespace output
