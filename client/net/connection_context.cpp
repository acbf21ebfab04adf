#include "client/net/connection_context.h"

#include <utility>

namespace client {

ConnectionContext::ConnectionContext(FrameSink& frames_, AudioSink& audio_, Notifier& notifier_,
                                     const NetTimings& timings_, StreamChannelFactory factory_)
    : frames(frames_),
      audio(audio_),
      notifier(notifier_),
      timings(timings_),
      factory(factory_ ? std::move(factory_)
                       : StreamChannelFactory(
                             [connectMs = timings_.connectTimeoutMs](const Endpoint& e) {
                                 return MakeCurlStreamChannel(e, connectMs);
                             })),
      stream_(std::make_shared<StreamStatus>()) {}

void ConnectionContext::SetParams(const ConnectionParams& params) {
    std::lock_guard lock(mutex_);
    params_ = params;
}

void ConnectionContext::SetHostPort(const std::string& host, uint16_t port) {
    std::lock_guard lock(mutex_);
    params_.host = host;
    params_.port = port;
}

ConnectionParams ConnectionContext::params() const {
    std::lock_guard lock(mutex_);
    return params_;
}

Endpoint ConnectionContext::endpoint() const {
    std::lock_guard lock(mutex_);
    return {params_.host, params_.port};
}

std::shared_ptr<StreamStatus> ConnectionContext::stream() const {
    std::lock_guard lock(mutex_);
    return stream_;
}

void ConnectionContext::SetStream(std::shared_ptr<StreamStatus> status) {
    std::lock_guard lock(mutex_);
    stream_ = std::move(status);
}

void ConnectionContext::ShowMessageIndex(int index) const {
    notifier.ShowMessage(messages.id(index), messages.Text(index));
}

}  // namespace client
