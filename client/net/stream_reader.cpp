#include "client/net/stream_reader.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <thread>
#include <utility>

#include "client/net/audio_stream.h"
#include "client/net/http_post.h"

namespace client {

// One reader: a stream request with everything it needs copied in when it starts, so nothing a
// window does afterwards (another Start, new parameters) changes what it reads.
class ReaderRun final : StreamHooks {
  public:
    ReaderRun(StreamReader& owner, const StreamTarget& target, const Endpoint& endpoint)
        : owner_(owner),
          context_(owner.context_),
          target_(target),
          endpoint_(endpoint),
          status_(std::make_shared<StreamStatus>()),
          handler_(context_.frames, context_.notifier, *this, context_.messages, stop_),
          scanner_(handler_, &stop_),
          chunk_(kReadChunkSize) {
        handler_.Reset(target_.kind);
    }
    ~ReaderRun() override {
        RequestStop();
        if (thread_.joinable()) thread_.join();
    }

    bool Start() {
        channel_ = context_.factory(endpoint_);
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (...) {
            channel_.reset();
            finished_.store(true);
            return false;
        }
        return true;
    }

    // Any thread: the reader ends as soon as it can; a blocked open or wait returns at once.
    void RequestStop() {
        requested_.store(true);
        stop_.store(true);
        if (channel_) channel_->Cancel();
        std::lock_guard lock(gateMutex_);
        suspended_ = false;
        gateCv_.notify_all();
    }
    void Suspend() {
        std::lock_guard lock(gateMutex_);
        suspended_ = true;
    }
    void Resume() {
        std::lock_guard lock(gateMutex_);
        suspended_ = false;
        gateCv_.notify_all();
    }
    // Joins the thread when it has finished; false while it still runs.
    bool Reap() {
        if (!finished_.load()) return false;
        if (thread_.joinable()) thread_.join();
        return true;
    }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    void SetAudioMuted(bool muted) {
        std::lock_guard lock(audioMutex_);
        if (audioStream_) audioStream_->SetMuted(muted);
    }

    const std::shared_ptr<StreamStatus>& status() const { return status_; }
    StreamKind kind() const { return target_.kind; }
    bool finished() const { return finished_.load(); }
    bool stopRequested() const { return requested_.load(); }
    bool failed() const { return failed_.load(); }
    int audioChannel() const {
        std::lock_guard lock(audioMutex_);
        return audioStream_ ? audioStream_->channel() : -1;
    }
    StreamOutcome outcome() const {
        std::lock_guard lock(outcomeMutex_);
        StreamOutcome o = outcome_;
        o.finished = finished_.load();
        o.failed = failed_.load();
        return o;
    }

  private:
    void Run();
    WaitResult WaitWithWatchdog();
    bool Reopen();
    void Fail(NetResult why);
    void Sleep(int ms);
    void Finish();

    // StreamHooks
    void LeaveRecorder() override;
    void StartAudio(int channel, ClientId clientId) override;
    void StopAudio() override;
    bool AudioRunning() const override {
        std::lock_guard lock(audioMutex_);
        return audioStream_ != nullptr;
    }
    bool LocalRecording() const override { return owner_.recorder_.on(); }
    void RecordVideo(int, std::span<const uint8_t> record) override {
        owner_.recorder_.WriteVideo(record, handler_.channelInfo());
    }
    bool BackupCompleted() const override {
        return target_.kind == StreamKind::BackupDownload && owner_.recorder_.backupCompleted();
    }
    void BackupStreamEnded() override { owner_.recorder_.BackupStreamEnded(); }
    void StreamStarted() override { Announce(); }
    // 1031 with the stream's kind, once per stream; connected, with the recorder's client id,
    // before the window hears of it: its first answer may well be a control.
    void Announce() {
        if (announced_) return;
        announced_ = true;
        status_->clientId.store(handler_.clientId());
        status_->connected.store(true);
        if (!requested_.load())
            context_.notifier.Post(Notification::Stream, static_cast<int>(target_.kind));
    }

    StreamReader& owner_;
    ConnectionContext& context_;
    StreamTarget target_;
    const Endpoint endpoint_;
    std::shared_ptr<StreamStatus> status_;

    std::atomic<bool> stop_{false};       // the reader ends (asked, or the stream ended)
    std::atomic<bool> requested_{false};  // a Stop asked for it
    std::atomic<bool> left_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> failed_{false};
    bool announced_ = false;  // reader thread only

    StreamHandler handler_;
    PacketScanner scanner_;
    std::unique_ptr<StreamChannel> channel_;
    std::vector<uint8_t> chunk_;
    std::thread thread_;

    std::mutex gateMutex_;
    std::condition_variable gateCv_;
    bool suspended_ = false;

    mutable std::mutex audioMutex_;
    std::unique_ptr<AudioStream> audioStream_;

    mutable std::mutex outcomeMutex_;
    StreamOutcome outcome_;
};

void ReaderRun::Sleep(int ms) {
    std::unique_lock lock(gateMutex_);
    gateCv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_.load(); });
}

void ReaderRun::Fail(NetResult why) {
    failed_.store(true);
    {
        std::lock_guard lock(outcomeMutex_);
        outcome_.failure = why;
    }
    channel_->Close();
    context_.frames.ShowPicture(kAllChannels, CellPicture::Disconnected);
    context_.notifier.Post(Notification::Lost, 0);
}

bool ReaderRun::Reopen() {
    channel_->Close();
    LocalRecorder& recorder = owner_.recorder_;
    if (target_.kind != StreamKind::Live && recorder.on()) {
        // A recorded stream that is opened again starts over: a backup asks for the rest of its
        // range from where its channels stand, and what comes again is not written twice.
        if (target_.kind == StreamKind::BackupDownload) {
            if (const auto from = recorder.ResumeTime())
                target_.startText = BackupTimeText(media::BreakWallTime(*from));
        }
        recorder.StreamReopened();
    }
    const std::string query = StreamQuery(target_);
    for (int i = 0; i < context_.timings.reopenAttempts; ++i) {
        if (stop_.load()) return false;
        if (channel_->Open(query)) {
            // A new response body: nothing of the old one may join its packets.
            scanner_.Reset();
            return true;
        }
    }
    return false;
}

WaitResult ReaderRun::WaitWithWatchdog() {
    bool announced = false;
    for (;;) {
        const WaitResult r = channel_->WaitForData(context_.timings.watchdogMs);
        if (r != WaitResult::TimedOut) return r;
        if (!announced && !owner_.paused_.load()) {
            // The stream looks lost; the reader keeps waiting and the stream may recover. The
            // stream was announced once and stays announced: a recovery is no new stream.
            announced = true;
            context_.frames.ShowPicture(kAllChannels, CellPicture::Disconnected);
            context_.notifier.Post(Notification::Lost, 0);
        }
    }
}

void ReaderRun::Run() {
    int readFailures = 0;
    const std::string query = StreamQuery(target_);
    if (target_.kind == StreamKind::Live)
        context_.frames.ShowPicture(kAllChannels, CellPicture::Connecting);
    if (!channel_->Open(query)) {
        if (!stop_.load()) Fail(channel_->openResult());
        Finish();
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
                if (!stop_.load()) {
                    NetResult why = channel_->openResult();
                    if (why.ok()) why.status = NetStatus::TransportError;
                    Fail(why);
                }
                break;
            }
            continue;
        }
        const size_t n = channel_->Read(chunk_.data(), chunk_.size());
        if (n == 0) {
            if (++readFailures >= context_.timings.readFailureLimit) {
                Fail(NetResult{NetStatus::TransportError});
                break;
            }
            Sleep(context_.timings.readRetryPauseMs);
            continue;
        }
        readFailures = 0;
        status_->connected.store(true);
        // The stream is announced (1031) after its first chunk; one whose first chunk already
        // ends it is announced by the handler before the end is handled.
        const ScanVerdict verdict = scanner_.Scan({chunk_.data(), n});
        status_->clientId.store(handler_.clientId());
        if (verdict == ScanVerdict::Continue && !stop_.load()) Announce();
        if (stop_.load()) break;
        if (verdict == ScanVerdict::Stop) {
            NetResult why{NetStatus::Refused};
            why.recorderCode = handler_.resultCode();
            Fail(why);
            break;
        }
    }
    Finish();
}

void ReaderRun::Finish() {
    // A stream stopped while connected leaves the recorder; one that failed or ended on its own
    // does not (the recorder closed it, or the handler left already).
    const bool leave = requested_.load() && status_->connected.load();
    status_->connected.store(false);
    if (leave) LeaveRecorder();
    StopAudio();
    channel_->Close();
    {
        std::lock_guard lock(outcomeMutex_);
        outcome_.ended = handler_.ended();
        outcome_.scan = scanner_.stats();
        outcome_.handler = handler_.stats();
    }
    finished_.store(true);
}

void ReaderRun::LeaveRecorder() {
    if (left_.exchange(true)) return;
    const ClientId id = handler_.clientId();
    if (owner_.leave_) {
        owner_.leave_(endpoint_, id);
        return;
    }
    // Leaving is a courtesy to the recorder: a recorder that does not answer must not hold up
    // anything for a whole control time-out.
    const int timeout =
        std::min(context_.timings.leaveTimeoutMs, context_.timings.controlTimeoutMs);
    PostRequest(endpoint_, PostKind::Control, ControlBody(kSelectPlaybackLeave, id, {}), timeout);
    PostRequest(endpoint_, PostKind::Control, ControlBody(kSelectAudioLeave, id, {}), timeout);
}

void ReaderRun::StartAudio(int channel, ClientId clientId) {
    std::lock_guard lock(audioMutex_);
    if (audioStream_ || stop_.load()) return;
    audioStream_ =
        std::make_unique<AudioStream>(endpoint_, target_, clientId, context_.audio,
                                      context_.timings, context_.factory, &owner_.recorder_);
    audioStream_->SetMuted(owner_.audioMuted_.load());
    context_.audio.AudioStarted(channel);
    if (!audioStream_->Start()) audioStream_.reset();
}

void ReaderRun::StopAudio() {
    std::unique_ptr<AudioStream> stream;
    {
        std::lock_guard lock(audioMutex_);
        stream = std::move(audioStream_);
    }
    if (stream) stream->Stop();
}

StreamReader::StreamReader(ConnectionContext& context, LocalRecorder& recorder, LeaveFn leave)
    : context_(context), recorder_(recorder), leave_(std::move(leave)) {}

StreamReader::~StreamReader() {
    Stop(true);
    WaitStopped();
}

bool StreamReader::Start(const StreamTarget& target) {
    Stop(true);
    auto run = std::make_shared<ReaderRun>(*this, target, context_.endpoint());
    {
        std::lock_guard lock(mutex_);
        current_ = run;
    }
    context_.SetStream(run->status());
    if (run->Start()) return true;
    context_.ShowMessageIndex(MessageTable::kBeginThreadFailed);
    return false;
}

void StreamReader::Stop(bool silent) {
    if (!silent) context_.notifier.Post(Notification::Stream, 0);
    Retire();
}

void StreamReader::Retire() {
    std::lock_guard lock(mutex_);
    if (current_ && !current_->finished() && !current_->stopRequested()) {
        current_->RequestStop();
        retired_.push_back(current_);
        // The stream is down for the controls at once, whatever the reader still finishes.
        context_.SetStream(std::make_shared<StreamStatus>());
    }
    // Readers that have finished are joined here (at once); the others keep finishing.
    std::erase_if(retired_, [](const std::shared_ptr<ReaderRun>& r) { return r->Reap(); });
}

void StreamReader::WaitStopped() {
    std::vector<std::shared_ptr<ReaderRun>> runs;
    {
        std::lock_guard lock(mutex_);
        runs.swap(retired_);
    }
    for (const auto& r : runs)
        r->Join();
    std::lock_guard lock(mutex_);
    if (current_ && current_->finished()) current_->Join();
}

void StreamReader::Suspend() {
    std::lock_guard lock(mutex_);
    if (current_) current_->Suspend();
}

void StreamReader::Resume() {
    std::lock_guard lock(mutex_);
    if (current_) current_->Resume();
}

void StreamReader::SetAudioMuted(bool muted) {
    audioMuted_.store(muted);
    std::lock_guard lock(mutex_);
    if (current_) current_->SetAudioMuted(muted);
}

bool StreamReader::connected() const {
    std::lock_guard lock(mutex_);
    return current_ && !current_->stopRequested() && current_->status()->connected.load();
}

bool StreamReader::running() const {
    std::lock_guard lock(mutex_);
    return current_ && !current_->finished() && !current_->stopRequested();
}

bool StreamReader::failed() const {
    std::lock_guard lock(mutex_);
    return current_ && current_->failed();
}

StreamKind StreamReader::kind() const {
    std::lock_guard lock(mutex_);
    return current_ ? current_->kind() : StreamKind::Live;
}

ClientId StreamReader::clientId() const {
    std::lock_guard lock(mutex_);
    return current_ ? current_->status()->clientId.load() : ClientId{0};
}

int StreamReader::audioChannel() const {
    std::lock_guard lock(mutex_);
    return current_ ? current_->audioChannel() : -1;
}

StreamOutcome StreamReader::outcome() const {
    std::lock_guard lock(mutex_);
    return current_ ? current_->outcome() : StreamOutcome{};
}

}  // namespace client
