// The sound card through SDL2's audio queue. A small watcher thread compares the bytes still
// queued with the blocks written and reports each block as played once the queue has drained
// past its end. The volume is applied to the samples as they are queued.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "output/audio_device.h"

namespace output {

class SdlAudioDevice final : public AudioDevice {
  public:
    SdlAudioDevice();
    ~SdlAudioDevice() override;
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    bool Open(BlockDone blockDone) override;
    bool Write(const int16_t* samples, size_t count) override;
    void Pause() override;
    void Resume() override;
    void SetVolume(uint16_t volume) override;
    uint16_t volume() const override;
    void Clear() override;
    // Never from inside BlockDone.
    void Close() override;
    bool isOpen() const override;

  private:
    static constexpr size_t kMaxBlocks = 64;
    static constexpr size_t kScratchSamples = 4096;

    void Watch();
    // Blocks whose end the device has played (under mutex_).
    size_t PlayedBlocks();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 when closed
    bool stop_ = false;
    uint16_t volume_ = 0xFFFF;
    uint64_t bytesQueued_ = 0;                 // every byte queued since open or clear
    std::array<uint64_t, kMaxBlocks> ends_{};  // bytesQueued_ after each unreported block
    size_t firstEnd_ = 0;
    size_t endCount_ = 0;
    std::vector<int16_t> scratch_;
    BlockDone blockDone_;
    std::thread watcher_;
};

}  // namespace output
