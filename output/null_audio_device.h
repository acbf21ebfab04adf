// A device that plays nothing: written blocks count as played when the owner calls Pump, which
// lets the ring run step by step without a sound card.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "output/audio_device.h"

namespace output {

class NullAudioDevice final : public AudioDevice {
  public:
    // `openable` false stands for a machine without a sound device.
    explicit NullAudioDevice(bool openable = true) : openable_(openable) {}

    bool Open(BlockDone blockDone) override;
    bool Write(const int16_t* samples, size_t count) override;
    void Pause() override;
    void Resume() override;
    void SetVolume(uint16_t volume) override;
    uint16_t volume() const override;
    void Clear() override;
    void Close() override;
    bool isOpen() const override;

    // Reports written blocks as played (unless paused), blocks written meanwhile included, up
    // to `max`; returns how many.
    size_t Pump(size_t max = SIZE_MAX);
    // Blocks written and not yet reported.
    size_t pending() const;
    size_t written() const;

  private:
    mutable std::mutex mutex_;
    bool openable_;
    bool open_ = false;
    bool paused_ = false;
    uint16_t volume_ = 0xFFFF;
    size_t pending_ = 0;
    size_t written_ = 0;
    BlockDone blockDone_;
};

}  // namespace output
