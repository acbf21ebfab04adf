// The alarm sound: a WAVE picture of PCM samples, brought to the sound device's 8,000 samples per
// second, played in a loop through the audio layer until it is stopped.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "output/audio_device.h"

namespace client_app {

// The samples of a PCM WAVE file (8- or 16-bit, one or two channels, mixed to one) at the
// device's rate. Empty when the bytes are not such a file; nothing outside them is ever read.
std::vector<int16_t> DecodeWaveForDevice(std::span<const uint8_t> bytes);

class AlarmSound {
  public:
    // `device` must outlive the sound.
    explicit AlarmSound(output::AudioDevice& device) : device_(device) {}
    ~AlarmSound() { Stop(); }
    AlarmSound(const AlarmSound&) = delete;
    AlarmSound& operator=(const AlarmSound&) = delete;

    void SetSamples(std::vector<int16_t> samples);
    // Starts the loop; false when there are no samples or the device cannot open.
    bool Play();
    void Stop();
    bool playing() const;

  private:
    static constexpr size_t kBlock = 2048;  // samples a block (256 ms)
    void WriteNextLocked();

    output::AudioDevice& device_;
    mutable std::mutex mutex_;
    std::vector<int16_t> samples_;
    size_t next_ = 0;
    bool playing_ = false;
};

}  // namespace client_app
