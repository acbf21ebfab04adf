#include "client/net/dvr_connection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
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
      chunk_(kReadChunkSize),
      recorder_(notifier, messages_) {
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
    if (target_.kind != StreamKind::Live && recorder_.on()) {
        // A recorded stream that is opened again starts over: a backup asks for the rest of its
        // range from where its channels stand, and what comes again is not written twice.
        if (target_.kind == StreamKind::BackupDownload) {
            if (const auto from = recorder_.ResumeTime())
                target_.startText = BackupTimeText(media::BreakWallTime(*from));
        }
        recorder_.StreamReopened();
    }
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
    audioStream_ = std::make_unique<AudioStream>(endpoint(), target_, clientId, audio_, timings_,
                                                 factory_, &recorder_);
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
    PostResult r = PostRequest(endpoint(), PostKind::Query, body, timings_.controlTimeoutMs,
                               progress, queryLimit_);
    result.ok = r.sent && r.status == 200;
    result.tooLarge = r.tooLarge;
    if (result.ok) result.body = std::move(r.body);
    return result;
}

QueryResult DvrConnection::EventSearch(const media::CivilTime& start, const media::CivilTime& end,
                                       int channel, int event) {
    return SendQuery(EventSearchBody(start, end, channel, event), true);
}

QueryResult DvrConnection::QueryCalendar() {
    ProgressView* view = progress_.load();
    ShowProgress(view, 0);
    // One step of the counter per chunk of the answer, up to 99 until the answer is complete.
    QueryResult r = SendQuery(CalendarBody(), false, [view](int chunks) {
        const int counter = std::min(chunks - 1, 99);
        if (!view) return;
        char text[32];
        std::snprintf(text, sizeof text, "completed %d%%", counter);
        view->SetProgressText(text);
        view->SetProgressPosition(counter + 1);
    });
    ShowProgress(view, 100);
    return r;
}

void DvrConnection::SetProgressView(ProgressView* view) {
    progress_.store(view);
    recorder_.SetProgressView(view);
}

void DvrConnection::StartRecording(uint16_t channels) {
    recorder_.Start(RecordingKind::Local, params_.dvrName, channels);
}

void DvrConnection::RecordVideo(int, std::span<const uint8_t> record) {
    recorder_.WriteVideo(record, handler_.channelInfo());
}

bool DvrConnection::BackupCompleted() const {
    return target_.kind == StreamKind::BackupDownload && recorder_.backupCompleted();
}

void DvrConnection::BackupStreamEnded() {
    recorder_.BackupStreamEnded();
}

bool DvrConnection::StartBackup(const std::string& start, const std::string& end, uint32_t mask) {
    media::CivilTime from, to;
    if (!ParseRangeTime(start, &from) || !ParseRangeTime(end, &to)) return false;
    const int64_t s = media::WallTimeOf(from.year - 1900, from.month - 1, from.day, from.hour,
                                        from.minute, from.second);
    const int64_t e =
        media::WallTimeOf(to.year - 1900, to.month - 1, to.day, to.hour, to.minute, to.second);
    if (e <= s || (mask & 0xFFFF) == 0) return false;
    Stop(false);
    frames_.ShowPicture(kAllChannels, CellPicture::Idle);
    recorder_.Start(RecordingKind::Backup, params_.dvrName, static_cast<uint16_t>(mask));
    recorder_.SetBackupRange(s, e);
    ShowProgress(progress_.load(), 0);
    target_.startText = start.substr(2);
    target_.endText = end.substr(2);
    target_.backupMask = mask & 0xFFFF;
    target_.kind = StreamKind::BackupDownload;
    if (Start()) return true;
    recorder_.Stop();
    return false;
}

bool DvrConnection::StartPlayback(StreamKind kind) {
    Stop(false);
    frames_.ShowPicture(kAllChannels, CellPicture::Idle);
    paused_.store(false);
    target_.kind = kind;
    return Start();
}

bool DvrConnection::PlayFile(const std::string& path) {
    lastFile_ = path;
    target_.fileName = path;
    return StartPlayback(StreamKind::FilePlayback);
}

bool DvrConnection::PlayFromTime(const std::string& text) {
    target_.startText = text;
    return StartPlayback(StreamKind::TimePlayback);
}

bool DvrConnection::PressPlaybackButton(PlaybackButton button) {
    const PlaybackButtonSpec& fields = PlaybackButtonOf(button);
    if (button == PlaybackButton::Play && !connected_.load())
        return !lastFile_.empty() && PlayFile(lastFile_);
    bool sent = true;
    if (button != PlaybackButton::Stop || connected_.load()) {
        ControlArgs args;
        args.req = fields.req;
        sent = SendControl(kSelectPlayback, args);
    }
    if (fields.paused >= 0) paused_.store(fields.paused == 1);
    if (button == PlaybackButton::Stop) {
        Stop(false);
        notifier_.ShowTime("");
        frames_.ShowPicture(kAllChannels, CellPicture::Idle);
        notifier_.Post(kNotifyCalendarSearch, 0);
    }
    return sent;
}

}  // namespace client
