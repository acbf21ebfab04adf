// The live (or recorded) audio of one connection: a second stream request with its own reader
// thread, packet scanner and retries, feeding A-law blocks through a ring of 30 blocks to the
// audio sink.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

#include "client/net/packet_scanner.h"
#include "client/net/protocol.h"
#include "client/net/requests.h"
#include "client/net/sinks.h"
#include "client/net/stream_channel.h"
#include "media/frame_header.h"

namespace client {

// Blocks of 2,048 A-law samples waiting for the device. When it is full the oldest block gives
// way, so the sound stays current.
class AudioRing {
  public:
    static constexpr size_t kSlots = 30;
    struct Block {
        uint32_t stamp = 0;
        uint8_t channel = 0;
        std::array<uint8_t, media::kAudioPayloadSize> samples{};
    };

    // Queues a copy of one block; false when an older block had to be dropped for it.
    bool Push(uint8_t channel, uint32_t stamp, std::span<const uint8_t> samples);
    // The oldest block, or null when empty.
    const Block* Front() const;
    void Pop();
    size_t size() const { return count_; }
    uint64_t dropped() const { return dropped_; }
    void Clear() { first_ = count_ = 0; }

  private:
    std::array<Block, kSlots> blocks_{};
    size_t first_ = 0;
    size_t count_ = 0;
    uint64_t dropped_ = 0;
};

class LocalRecorder;

class AudioStream final : PacketHandler {
  public:
    // `recorder` (optional) gets every audio record; it writes them while recording is on.
    AudioStream(const Endpoint& endpoint, const StreamTarget& target, ClientId clientId,
                AudioSink& sink, const NetTimings& timings, const StreamChannelFactory& factory,
                LocalRecorder* recorder = nullptr);
    ~AudioStream() override;
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    // Starts the reader thread; false when it cannot be started.
    bool Start();
    // Stops the reader (cancelling a blocked read) and closes the device.
    void Stop();

    void SetMuted(bool muted) { muted_.store(muted); }
    // The channel of the last audio record, or -1.
    int channel() const { return channel_.load(); }
    // The stamp of the last block the device accepted (the audio clock), if any.
    std::optional<uint32_t> clock() const;
    uint64_t blocks() const { return blocks_.load(); }

  private:
    void Run();
    bool OpenWithRetries();
    void Pause(int ms);
    void Drain();

    ScanVerdict OnResult(ClientId, uint8_t) override { return ScanVerdict::Stop; }
    ScanVerdict OnChannelInfo(ClientId, std::span<const uint8_t>) override {
        return ScanVerdict::Continue;
    }
    void OnUnsupportedChannelInfo(ClientId, uint32_t) override {}
    ScanVerdict OnMedia(ClientId clientId, std::span<const uint8_t> record) override;

    Endpoint endpoint_;
    std::string query_;
    StreamKind kind_;
    AudioSink& sink_;
    LocalRecorder* recorder_;
    NetTimings timings_;
    std::unique_ptr<StreamChannel> channel_stream_;
    std::atomic<bool> stop_{false};
    bool opened_ = false;  // the stream was open before
    PacketScanner scanner_;
    AudioRing ring_;
    std::atomic<bool> muted_{false};
    std::atomic<int> channel_{-1};
    std::atomic<int64_t> clock_{-1};
    std::atomic<uint64_t> blocks_{0};
    std::mutex waitMutex_;
    std::condition_variable waitCv_;
    std::thread thread_;
};

}  // namespace client
