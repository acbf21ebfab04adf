#include "output/audio_out.h"

#include <algorithm>

#include "output/alaw.h"

namespace output {

AudioOut::AudioOut(AudioDevice& device) : device_(device) {}

AudioOut::~AudioOut() {
    Close();
}

bool AudioOut::OpenDevice() {
    // No lock held: the device may report a block at any time once it is open.
    if (!device_.Open([this] { OnBlockDone(); })) {
        std::lock_guard lock(mutex_);
        failed_ = true;
        open_ = playing_ = false;
        return false;
    }
    std::lock_guard lock(mutex_);
    failed_ = false;
    open_ = playing_ = true;
    next_ = 0;
    inFlight_ = 0;
    device_.SetVolume(DeviceWord());
    return true;
}

bool AudioOut::WriteBuffer(int i, const uint8_t* alaw) {
    ExpandAlaw(alaw, buffers_[static_cast<size_t>(i)].data(), kBufferSamples);
    if (!device_.Write(buffers_[static_cast<size_t>(i)].data(), kBufferSamples)) return false;
    ++inFlight_;
    return true;
}

void AudioOut::FillFromSource() {
    source_->Resync();
    next_ = 0;
    for (int i = 0; i < kBuffers && inFlight_ < kBuffers; ++i) {
        if (!source_->Next(alaw_.data()) || !WriteBuffer(i, alaw_.data())) break;
        next_ = (i + 1) % kBuffers;
    }
}

bool AudioOut::OpenPlayer(AudioBlockSource& source) {
    Close();
    if (!OpenDevice()) return false;
    std::lock_guard lock(mutex_);
    source_ = &source;
    FillFromSource();
    return true;
}

void AudioOut::OnBlockDone() {
    std::lock_guard lock(mutex_);
    if (inFlight_ > 0) --inFlight_;
    if (!source_ || !playing_) return;
    if (resync_) {
        resync_ = false;
        device_.Clear();
        inFlight_ = 0;
        FillFromSource();
        return;
    }
    if (source_->Next(alaw_.data()) && WriteBuffer(next_, alaw_.data()))
        next_ = (next_ + 1) % kBuffers;
}

bool AudioOut::PlayLive(std::span<const uint8_t> alaw) {
    if (alaw.size() < kAlawBlockSize) return true;  // not a block: nothing to play
    bool openNow = false;
    {
        std::lock_guard lock(mutex_);
        if (!open_) {
            if (failed_) return true;
            if (!waitedForSecond_) {
                waitedForSecond_ = true;
                return false;
            }
            openNow = true;
        }
    }
    if (openNow && !OpenDevice()) return true;
    std::lock_guard lock(mutex_);
    if (!playing_) {
        device_.Resume();
        playing_ = true;
    }
    if (inFlight_ >= kBuffers) return false;
    if (!WriteBuffer(next_, alaw.data())) return false;
    next_ = (next_ + 1) % kBuffers;
    return true;
}

AudioToggle AudioOut::Toggle() {
    std::lock_guard lock(mutex_);
    if (!open_) return AudioToggle::kNotOpen;
    if (playing_) {
        device_.Pause();
        playing_ = false;
        return AudioToggle::kPaused;
    }
    // What the device still holds lies before the picture on screen now: the next played block
    // starts the ring again from the current position.
    if (source_) {
        resync_ = false;
        device_.Clear();
        inFlight_ = 0;
        FillFromSource();
    }
    device_.Resume();
    playing_ = true;
    return AudioToggle::kResumed;
}

void AudioOut::Pause() {
    std::lock_guard lock(mutex_);
    if (open_ && playing_) {
        device_.Pause();
        playing_ = false;
    }
}

void AudioOut::Resync() {
    std::lock_guard lock(mutex_);
    if (source_) resync_ = true;
}

void AudioOut::Close() {
    {
        std::lock_guard lock(mutex_);
        if (!open_) {
            waitedForSecond_ = false;
            return;
        }
        playing_ = false;
        device_.Pause();
    }
    // Unlocked: closing waits for a block report that may be waiting for mutex_.
    device_.Close();
    std::lock_guard lock(mutex_);
    open_ = false;
    source_ = nullptr;
    inFlight_ = 0;
    next_ = 0;
    resync_ = false;
    waitedForSecond_ = false;
}

void AudioOut::SetVolume(int level) {
    std::lock_guard lock(mutex_);
    volume_ = std::clamp(level, 0, kMaxVolume);
    if (open_) device_.SetVolume(DeviceWord());
}

int AudioOut::volumeLevel() const {
    std::lock_guard lock(mutex_);
    return volume_;
}

uint32_t AudioOut::deviceVolume() const {
    std::lock_guard lock(mutex_);
    return static_cast<uint32_t>(volume_) * kVolumeStep;
}

bool AudioOut::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

bool AudioOut::isPlaying() const {
    std::lock_guard lock(mutex_);
    return playing_;
}

bool AudioOut::openFailed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

int AudioOut::nextBuffer() const {
    std::lock_guard lock(mutex_);
    return next_;
}

int AudioOut::buffersInFlight() const {
    std::lock_guard lock(mutex_);
    return inFlight_;
}

}  // namespace output
