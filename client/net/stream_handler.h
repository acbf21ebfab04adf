// What the video reader does with the packets of its stream: result codes, channel names, and
// every media record through the record handler and the frame dispatch to the frame sink.
// Plain logic without threads or sockets, so tests and the fuzzer drive it directly.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

#include "client/net/channel_info.h"
#include "client/net/message_table.h"
#include "client/net/packet_scanner.h"
#include "client/net/protocol.h"
#include "client/net/sinks.h"
#include "media/frame_header.h"

namespace client {

// What the handler asks of the connection that owns it.
class StreamHooks {
  public:
    virtual ~StreamHooks() = default;
    // Sends the leave operations (video client, then audio client) once.
    virtual void LeaveRecorder() = 0;
    // Opens the audio stream for `channel` (none is running).
    virtual void StartAudio(int channel, ClientId clientId) = 0;
    // Stops and deletes the audio stream.
    virtual void StopAudio() = 0;
    virtual bool AudioRunning() const = 0;
    // Local recording (built on this later): whether it is on, and one video record for it.
    virtual bool LocalRecording() const { return false; }
    virtual void RecordVideo(int /*channel*/, std::span<const uint8_t> /*record*/) {}
    // A backup download that has completed ignores every further record.
    virtual bool BackupCompleted() const { return false; }
    // A backup download's stream ended with result code 10.
    virtual void BackupStreamEnded() {}
    // A recorded stream ends with "no more video" (result code 10), before the end is handled:
    // a stream that has not been announced yet is announced now, so the window hears that it
    // ran before it hears how it ended.
    virtual void StreamStarted() {}
};

struct HandlerStats {
    uint64_t records = 0;     // media records handed to the record handler
    uint64_t ignored = 0;     // wrong sync bytes, too short, channel 16 or more, torn payload
    uint64_t dispatched = 0;  // records that reached the frame sink
};

class StreamHandler final : public PacketHandler {
  public:
    StreamHandler(FrameSink& frames, Notifier& notifier, StreamHooks& hooks,
                  const MessageTable& messages, std::atomic<bool>& stop);

    // A new stream of `kind` starts: per-channel state, sizeCode, PlaybackState and the time
    // field are reset.
    void Reset(StreamKind kind);

    ScanVerdict OnResult(ClientId clientId, uint8_t code) override;
    ScanVerdict OnChannelInfo(ClientId clientId, std::span<const uint8_t> payload) override;
    void OnUnsupportedChannelInfo(ClientId clientId, uint32_t length) override;
    ScanVerdict OnMedia(ClientId clientId, std::span<const uint8_t> record) override;

    ClientId clientId() const { return clientId_.load(std::memory_order_relaxed); }
    // Set when a recorded-video stream ended with result code 10.
    bool ended() const { return ended_; }
    // The last result code the recorder sent (0 when none).
    int resultCode() const { return resultCode_; }
    const ChannelInfo& channelInfo() const { return channelInfo_; }
    const HandlerStats& stats() const { return stats_; }
    // A channel showing video (it has seen an Intra record and no video loss).
    bool channelSeen(int channel) const { return channels_[channel & 15].seen; }

  private:
    struct Channel {
        media::FrameHeader last;
        bool hasLast = false;
        bool seen = false;  // an Intra record arrived
        bool motion = false;
        bool sensor = false;
        bool liveState = false;
        bool noVideo = false;
    };

    void Dispatch(int channel, const media::FrameHeader& header, std::span<const uint8_t> record);
    void ShowMessageIndex(int index);
    void Started();
    void UpdateTime(const media::FrameHeader& header);

    FrameSink& frames_;
    Notifier& notifier_;
    StreamHooks& hooks_;
    const MessageTable& messages_;
    std::atomic<bool>& stop_;

    StreamKind kind_ = StreamKind::Live;
    std::atomic<ClientId> clientId_{0};
    ChannelInfo channelInfo_;
    Channel channels_[media::kChannelCount];
    uint16_t audioMask_ = 0;  // channels whose last header has the audio bit
    int sizeCode_ = 255;
    int playbackState_ = 0;
    bool allNoVideoNotified_ = false;
    bool started_ = false;
    bool ended_ = false;
    int resultCode_ = 0;
    char timeText_[32] = {};
    HandlerStats stats_;
};

}  // namespace client
