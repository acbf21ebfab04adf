#include "output/sdl_audio_device.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>

namespace output {
namespace {

// How often the watcher looks at the queue: well inside one 256 ms block.
constexpr auto kWatchPeriod = std::chrono::milliseconds(8);

}  // namespace

SdlAudioDevice::SdlAudioDevice() : scratch_(kScratchSamples) {}

SdlAudioDevice::~SdlAudioDevice() {
    Close();
}

bool SdlAudioDevice::Open(BlockDone blockDone) {
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 256;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        device_ = id;
        stop_ = false;
        bytesQueued_ = 0;
        firstEnd_ = endCount_ = 0;
        blockDone_ = std::move(blockDone);
    }
    SDL_PauseAudioDevice(id, 0);
    watcher_ = std::thread([this] { Watch(); });
    return true;
}

bool SdlAudioDevice::Write(const int16_t* samples, size_t count) {
    std::lock_guard lock(mutex_);
    if (!device_ || endCount_ == kMaxBlocks) return false;
    size_t done = 0;
    while (done < count) {
        const size_t n = std::min(count - done, scratch_.size());
        const int16_t* chunk = samples + done;
        if (volume_ != 0xFFFF) {
            for (size_t i = 0; i < n; ++i)
                scratch_[i] = static_cast<int16_t>(int32_t{chunk[i]} * volume_ / 0xFFFF);
            chunk = scratch_.data();
        }
        const auto bytes = static_cast<Uint32>(n * kBytesPerSample);
        if (SDL_QueueAudio(device_, chunk, bytes) != 0) return false;
        bytesQueued_ += bytes;
        done += n;
    }
    ends_[(firstEnd_ + endCount_) % kMaxBlocks] = bytesQueued_;
    ++endCount_;
    return true;
}

void SdlAudioDevice::Pause() {
    std::lock_guard lock(mutex_);
    if (device_) SDL_PauseAudioDevice(device_, 1);
}

void SdlAudioDevice::Resume() {
    std::lock_guard lock(mutex_);
    if (device_) SDL_PauseAudioDevice(device_, 0);
}

void SdlAudioDevice::SetVolume(uint16_t volume) {
    std::lock_guard lock(mutex_);
    volume_ = volume;
}

uint16_t SdlAudioDevice::volume() const {
    std::lock_guard lock(mutex_);
    return volume_;
}

void SdlAudioDevice::Clear() {
    std::lock_guard lock(mutex_);
    if (!device_) return;
    SDL_ClearQueuedAudio(device_);
    bytesQueued_ = 0;
    firstEnd_ = endCount_ = 0;
}

void SdlAudioDevice::Close() {
    SDL_AudioDeviceID id;
    {
        std::lock_guard lock(mutex_);
        id = device_;
        stop_ = true;
        wake_.notify_all();
    }
    if (watcher_.joinable()) watcher_.join();
    if (!id) return;
    SDL_CloseAudioDevice(id);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::lock_guard lock(mutex_);
    device_ = 0;
    firstEnd_ = endCount_ = 0;
    blockDone_ = nullptr;
}

bool SdlAudioDevice::isOpen() const {
    std::lock_guard lock(mutex_);
    return device_ != 0;
}

size_t SdlAudioDevice::PlayedBlocks() {
    const uint64_t played = bytesQueued_ - SDL_GetQueuedAudioSize(device_);
    size_t n = 0;
    while (endCount_ > 0 && ends_[firstEnd_] <= played) {
        firstEnd_ = (firstEnd_ + 1) % kMaxBlocks;
        --endCount_;
        ++n;
    }
    return n;
}

void SdlAudioDevice::Watch() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, kWatchPeriod, [this] { return stop_; });
        if (stop_) break;
        size_t played = PlayedBlocks();
        BlockDone callback = blockDone_;
        // The owner refills from the callback, which writes here: call it unlocked.
        lock.unlock();
        while (played-- > 0 && callback)
            callback();
        lock.lock();
    }
}

}  // namespace output
