// What the controllers of one recorder connection share: the sinks the windows implement, the
// time constants, the way streams are opened, the recorder's address and account, and the state
// of the stream that is up now (connected, its client id), which the command sender needs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "client/net/message_table.h"
#include "client/net/protocol.h"
#include "client/net/sinks.h"
#include "client/net/stream_channel.h"

namespace client {

struct ConnectionParams {
    std::string dvrName;
    std::string host;
    uint16_t port = 80;
    std::string user;
    std::string password;
};

// The state of one stream as its reader sees it; the current stream's is published in the
// context. Any thread.
struct StreamStatus {
    std::atomic<bool> connected{false};
    std::atomic<ClientId> clientId{0};
};

class ConnectionContext {
  public:
    ConnectionContext(FrameSink& frames, AudioSink& audio, Notifier& notifier,
                      const NetTimings& timings, StreamChannelFactory factory);

    FrameSink& frames;
    AudioSink& audio;
    Notifier& notifier;
    const NetTimings timings;
    const StreamChannelFactory factory;
    const MessageTable messages;
    // The progress control of the wait box or the backup progress box, or null.
    std::atomic<ProgressView*> progress{nullptr};

    void SetParams(const ConnectionParams& params);
    void SetHostPort(const std::string& host, uint16_t port);
    ConnectionParams params() const;
    Endpoint endpoint() const;

    // The stream that is up now (never null: an idle connection has a status that is not
    // connected).
    std::shared_ptr<StreamStatus> stream() const;
    void SetStream(std::shared_ptr<StreamStatus> status);
    bool connected() const { return stream()->connected.load(); }

    void ShowMessageIndex(int index) const;

  private:
    mutable std::mutex mutex_;
    ConnectionParams params_;
    std::shared_ptr<StreamStatus> stream_;
};

}  // namespace client
