#include "client/net/dvr_connection.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "client/net/client_strings.h"

namespace client {

DvrConnection::DvrConnection(FrameSink& frames, AudioSink& audio, Notifier& notifier,
                             const NetTimings& timings, StreamChannelFactory factory)
    : frames_(frames),
      audio_(audio),
      notifier_(notifier),
      timings_(timings),
      factory_(std::move(factory)),
      handler_(frames, notifier, *this, messages_, stop_),
      scanner_(handler_, &stop_),
      chunk_(kReadChunkSize) {
    if (!factory_) {
        const int connectMs = timings_.connectTimeoutMs;
        factory_ = [connectMs](const Endpoint& e) { return MakeCurlStreamChannel(e, connectMs); };
    }
}

DvrConnection::~DvrConnection() {
    Stop(true);
}

void DvrConnection::SetParams(const ConnectionParams& params) {
    params_ = params;
    target_.user = params.user;
    target_.password = params.password;
}

void DvrConnection::SetHostPort(const std::string& host, uint16_t port) {
    params_.host = host;
    params_.port = port;
}

void DvrConnection::SetBackupRange(const std::string& start, const std::string& end,
                                   uint32_t mask) {
    target_.startText = start;
    target_.endText = end;
    target_.backupMask = mask;
}

bool DvrConnection::ConnectLive(const ConnectionParams& params) {
    SetParams(params);
    target_.kind = StreamKind::Live;
    return Start();
}

void DvrConnection::ShowMessageIndex(int index) {
    notifier_.ShowMessage(messages_.id(index), messages_.Text(index));
}

bool DvrConnection::Start() {
    if (thread_.joinable()) Stop(true);
    stop_.store(false);
    finished_.store(false);
    failed_.store(false);
    connected_.store(false);
    left_.store(false);
    handler_.Reset(target_.kind);
    scanner_.Reset();
    stream_ = factory_(endpoint());
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (...) {
        stream_.reset();
        ShowMessageIndex(MessageTable::kBeginThreadFailed);
        return false;
    }
    return true;
}

void DvrConnection::Stop(bool silent) {
    if (!silent) notifier_.Post(kNotifyStream, 0);
    // The reader is ended first, so it does not take the recorder closing the stream after the
    // leave operations for a lost stream and open it again.
    const bool leave = connected_.load() && !left_.load();
    stop_.store(true);
    if (stream_) stream_->Cancel();
    {
        std::lock_guard lock(gateMutex_);
        suspended_ = false;
        gateCv_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    if (leave) LeaveRecorder();
    StopAudio();
    stream_.reset();
    scanner_.Reset();
    connected_.store(false);
    left_.store(false);
}

void DvrConnection::Suspend() {
    std::lock_guard lock(gateMutex_);
    suspended_ = true;
}

void DvrConnection::Resume() {
    std::lock_guard lock(gateMutex_);
    suspended_ = false;
    gateCv_.notify_all();
}

void DvrConnection::Sleep(int ms) {
    std::unique_lock lock(gateMutex_);
    gateCv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_.load(); });
}

void DvrConnection::Fail() {
    failed_.store(true);
    stream_->Close();
    frames_.ShowPicture(kAllChannels, CellPicture::Disconnected);
    notifier_.Post(kNotifyLost, 0);
}

bool DvrConnection::Reopen() {
    stream_->Close();
    const std::string query = StreamQuery(target_);
    for (int i = 0; i < timings_.reopenAttempts; ++i) {
        if (stop_.load()) return false;
        if (stream_->Open(query)) {
            // A new response body: nothing of the old one may join its packets.
            scanner_.Reset();
            return true;
        }
    }
    return false;
}

WaitResult DvrConnection::WaitWithWatchdog() {
    bool announced = false;
    for (;;) {
        const WaitResult r = stream_->WaitForData(timings_.watchdogMs);
        if (r != WaitResult::TimedOut) return r;
        if (!announced && !paused_.load()) {
            // The stream looks lost; the reader keeps waiting and the stream may recover.
            announced = true;
            frames_.ShowPicture(kAllChannels, CellPicture::Disconnected);
            notifier_.Post(kNotifyLost, 0);
            firstDataPending_ = true;
        }
    }
}

void DvrConnection::Run() {
    firstDataPending_ = true;
    int readFailures = 0;
    const std::string query = StreamQuery(target_);
    if (target_.kind == StreamKind::Live)
        frames_.ShowPicture(kAllChannels, CellPicture::Connecting);
    if (!stream_->Open(query)) {
        if (!stop_.load()) Fail();
        finished_.store(true);
        connected_.store(false);
        return;
    }
    while (!stop_.load()) {
        {
            std::unique_lock lock(gateMutex_);
            gateCv_.wait(lock, [this] { return !suspended_ || stop_.load(); });
        }
        const WaitResult r = WaitWithWatchdog();
        if (stop_.load() || r == WaitResult::Cancelled) break;
        if (r != WaitResult::Data) {
            if (!Reopen()) {
                if (!stop_.load()) Fail();
                break;
            }
            continue;
        }
        const size_t n = stream_->Read(chunk_.data(), chunk_.size());
        if (n == 0) {
            if (++readFailures >= timings_.readFailureLimit) {
                Fail();
                break;
            }
            Sleep(timings_.readRetryPauseMs);
            continue;
        }
        readFailures = 0;
        connected_.store(true);
        const ScanVerdict verdict = scanner_.Scan({chunk_.data(), n});
        if (firstDataPending_ && verdict == ScanVerdict::Continue && !stop_.load()) {
            notifier_.Post(kNotifyStream, static_cast<int>(target_.kind));
            firstDataPending_ = false;
        }
        if (stop_.load()) break;
        if (verdict == ScanVerdict::Stop) {
            Fail();
            break;
        }
    }
    connected_.store(false);
    StopAudio();
    finished_.store(true);
}

void DvrConnection::LeaveRecorder() {
    if (left_.exchange(true)) return;
    const Endpoint e = endpoint();
    const ClientId id = handler_.clientId();
    // Leaving is a courtesy to the recorder: a recorder that does not answer must not hold up
    // the window that stops the stream for a whole control time-out.
    const int timeout = std::min(timings_.leaveTimeoutMs, timings_.controlTimeoutMs);
    std::lock_guard lock(controlMutex_);
    PostRequest(e, PostKind::Control, ControlBody(kSelectPlaybackLeave, id, {}), timeout);
    PostRequest(e, PostKind::Control, ControlBody(kSelectAudioLeave, id, {}), timeout);
}

void DvrConnection::StartAudio(int channel, ClientId clientId) {
    std::lock_guard lock(audioMutex_);
    if (audioStream_) return;
    audioStream_ =
        std::make_unique<AudioStream>(endpoint(), target_, clientId, audio_, timings_, factory_);
    audioStream_->SetMuted(audioMuted_);
    audio_.AudioStarted(channel);
    if (!audioStream_->Start()) audioStream_.reset();
}

void DvrConnection::StopAudio() {
    std::unique_ptr<AudioStream> stream;
    {
        std::lock_guard lock(audioMutex_);
        stream = std::move(audioStream_);
    }
    if (stream) stream->Stop();
}

bool DvrConnection::AudioRunning() const {
    std::lock_guard lock(audioMutex_);
    return audioStream_ != nullptr;
}

int DvrConnection::audioChannel() const {
    std::lock_guard lock(audioMutex_);
    return audioStream_ ? audioStream_->channel() : -1;
}

void DvrConnection::SetAudioMuted(bool muted) {
    std::lock_guard lock(audioMutex_);
    audioMuted_ = muted;
    if (audioStream_) audioStream_->SetMuted(muted);
}

bool DvrConnection::SendControl(int selector, const ControlArgs& args) {
    if (ControlNeedsStream(selector) && !connected_.load()) {
        ShowMessageIndex(MessageTable::kCheckConnection);
        return false;
    }
    std::lock_guard lock(controlMutex_);
    const PostResult r =
        PostRequest(endpoint(), PostKind::Control, ControlBody(selector, handler_.clientId(), args),
                    timings_.controlTimeoutMs);
    return r.sent;
}

bool DvrConnection::SendChannelMask(uint32_t mask) {
    if (!connected_.load() || LocalRecording()) return false;
    ControlArgs args;
    args.channel = mask;
    const bool audioOk = SendControl(kSelectAudioMask, args);
    const bool videoOk = SendControl(kSelectVideoMask, args);
    return audioOk && videoOk;
}

QueryResult DvrConnection::SendQuery(const std::string& body, bool needsStream,
                                     const PostProgress& progress) {
    QueryResult result;
    if (needsStream && !connected_.load()) {
        ShowMessageIndex(MessageTable::kCheckConnection);
        return result;
    }
    std::lock_guard lock(queryMutex_);
    PostResult r =
        PostRequest(endpoint(), PostKind::Query, body, timings_.controlTimeoutMs, progress);
    result.ok = r.sent && r.status == 200;
    if (result.ok) result.body = std::move(r.body);
    return result;
}

}  // namespace client
