#include "output/null_audio_device.h"

namespace output {

bool NullAudioDevice::Open(BlockDone blockDone) {
    std::lock_guard lock(mutex_);
    if (!openable_) return false;
    open_ = true;
    paused_ = false;
    pending_ = 0;
    blockDone_ = std::move(blockDone);
    return true;
}

bool NullAudioDevice::Write(const int16_t*, size_t) {
    std::lock_guard lock(mutex_);
    if (!open_) return false;
    ++pending_;
    ++written_;
    return true;
}

void NullAudioDevice::Pause() {
    std::lock_guard lock(mutex_);
    paused_ = true;
}

void NullAudioDevice::Resume() {
    std::lock_guard lock(mutex_);
    paused_ = false;
}

void NullAudioDevice::SetVolume(uint16_t volume) {
    std::lock_guard lock(mutex_);
    volume_ = volume;
}

uint16_t NullAudioDevice::volume() const {
    std::lock_guard lock(mutex_);
    return volume_;
}

void NullAudioDevice::Clear() {
    std::lock_guard lock(mutex_);
    pending_ = 0;
}

void NullAudioDevice::Close() {
    std::lock_guard lock(mutex_);
    open_ = false;
    pending_ = 0;
    blockDone_ = nullptr;
}

bool NullAudioDevice::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

size_t NullAudioDevice::Pump(size_t max) {
    size_t done = 0;
    while (done < max) {
        BlockDone callback;
        {
            std::lock_guard lock(mutex_);
            if (!open_ || paused_ || pending_ == 0) break;
            --pending_;
            callback = blockDone_;
        }
        ++done;
        // The callback may write the next block, so it runs without the lock.
        if (callback) callback();
    }
    return done;
}

size_t NullAudioDevice::pending() const {
    std::lock_guard lock(mutex_);
    return pending_;
}

size_t NullAudioDevice::written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

}  // namespace output
