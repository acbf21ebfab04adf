#include "client/net/audio_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "client/net/local_recorder.h"

namespace client {

bool AudioRing::Push(uint8_t channel, uint32_t stamp, std::span<const uint8_t> samples) {
    bool kept = true;
    if (count_ == kSlots) {
        Pop();
        ++dropped_;
        kept = false;
    }
    Block& b = blocks_[(first_ + count_) % kSlots];
    b.stamp = stamp;
    b.channel = channel;
    std::memcpy(b.samples.data(), samples.data(), std::min(samples.size(), b.samples.size()));
    ++count_;
    return kept;
}

const AudioRing::Block* AudioRing::Front() const {
    return count_ ? &blocks_[first_] : nullptr;
}

void AudioRing::Pop() {
    if (!count_) return;
    first_ = (first_ + 1) % kSlots;
    --count_;
}

AudioStream::AudioStream(const Endpoint& endpoint, const StreamTarget& target, ClientId clientId,
                         AudioSink& sink, const NetTimings& timings,
                         const StreamChannelFactory& factory, LocalRecorder* recorder)
    : endpoint_(endpoint),
      query_(AudioQuery(target, clientId)),
      kind_(target.kind),
      sink_(sink),
      recorder_(recorder),
      timings_(timings),
      channel_stream_(factory(endpoint)),
      scanner_(*this, &stop_) {}

AudioStream::~AudioStream() {
    Stop();
}

bool AudioStream::Start() {
    if (thread_.joinable()) return true;
    stop_.store(false);
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (...) {
        return false;
    }
    return true;
}

void AudioStream::Stop() {
    stop_.store(true);
    channel_stream_->Cancel();
    {
        std::lock_guard lock(waitMutex_);
        waitCv_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

std::optional<uint32_t> AudioStream::clock() const {
    const int64_t c = clock_.load();
    if (c < 0) return std::nullopt;
    return static_cast<uint32_t>(c);
}

void AudioStream::Pause(int ms) {
    std::unique_lock lock(waitMutex_);
    waitCv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_.load(); });
}

bool AudioStream::OpenWithRetries() {
    for (int i = 0; i < timings_.reopenAttempts && !stop_.load(); ++i) {
        if (channel_stream_->Open(query_)) {
            scanner_.Reset();
            // A stream opened again may repeat blocks that were recorded already.
            if (opened_ && recorder_) recorder_->AudioStreamReopened();
            opened_ = true;
            return true;
        }
    }
    return false;
}

void AudioStream::Run() {
    std::vector<uint8_t> chunk(kReadChunkSize);
    bool open = false;
    while (!stop_.load()) {
        if (!open) {
            open = OpenWithRetries();
            if (!open) {
                Pause(timings_.audioRetryPauseMs);
                continue;
            }
        }
        const WaitResult r = channel_stream_->WaitForData(-1);
        if (stop_.load() || r == WaitResult::Cancelled) break;
        if (r != WaitResult::Data) {
            // Data stopped: retry the open at once (three times), then wait.
            channel_stream_->Close();
            open = OpenWithRetries();
            if (!open) Pause(timings_.audioRetryPauseMs);
            continue;
        }
        const size_t n = channel_stream_->Read(chunk.data(), chunk.size());
        // Every chunk goes to the scanner, however small: it carries what it cannot judge yet.
        if (n > 0 && scanner_.Scan({chunk.data(), n}) == ScanVerdict::Stop && !stop_.load()) {
            // A result packet on the audio stream: close and try again later.
            channel_stream_->Close();
            open = false;
            Pause(timings_.audioRetryPauseMs);
        }
    }
    channel_stream_->Close();
    sink_.Pause();
    sink_.AudioStopped();
}

ScanVerdict AudioStream::OnMedia(ClientId, std::span<const uint8_t> record) {
    if (record.size() < media::kFrameHeaderSize + media::kAudioPayloadSize)
        return ScanVerdict::Continue;
    const media::FrameHeader header = media::FrameHeader::Decode(record.data());
    if (!header.IsAudio() || header.IsSkipped()) return ScanVerdict::Continue;
    channel_.store(header.channel);
    blocks_.fetch_add(1);
    // Recorded while recording is on, whether or not it is played.
    if (recorder_)
        recorder_->WriteAudio(record.first(media::kFrameHeaderSize + media::kAudioPayloadSize));
    // Recorded audio of a backup download is never played.
    if (kind_ == StreamKind::BackupDownload) return ScanVerdict::Continue;
    if (muted_.load()) {
        sink_.Pause();
        return ScanVerdict::Continue;
    }
    ring_.Push(header.channel, header.stamp,
               record.subspan(media::kFrameHeaderSize, media::kAudioPayloadSize));
    Drain();
    return ScanVerdict::Continue;
}

void AudioStream::Drain() {
    while (const AudioRing::Block* b = ring_.Front()) {
        if (!sink_.PlayBlock(b->channel, b->stamp, b->samples)) break;
        clock_.store(b->stamp);
        ring_.Pop();
    }
}

}  // namespace client
