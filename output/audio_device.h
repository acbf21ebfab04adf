// The sound device the wave ring plays through: 16-bit mono PCM at 8,000 samples per second,
// written one block at a time. The device tells its owner when a written block has been played.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace output {

inline constexpr int kSampleRate = 8000;
inline constexpr int kBytesPerSample = 2;

class AudioDevice {
  public:
    // Called once per written block that the device has played, in write order, on a thread of
    // the device (never from inside Write).
    using BlockDone = std::function<void()>;

    virtual ~AudioDevice() = default;

    // Opens the default output; false when there is none or it refuses the format.
    virtual bool Open(BlockDone blockDone) = 0;
    // Queues one block of samples behind those written before; false when the device is closed.
    virtual bool Write(const int16_t* samples, size_t count) = 0;
    // Stops the output where it stands; what is queued stays queued.
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // Both channels alike: 0 silent .. 0xFFFF full (the low word of the device volume).
    virtual void SetVolume(uint16_t volume) = 0;
    virtual uint16_t volume() const = 0;
    // Drops what is queued without reporting it as played.
    virtual void Clear() = 0;
    // Drops what is queued and closes; no BlockDone arrives after Close returns.
    virtual void Close() = 0;
    virtual bool isOpen() const = 0;
};

}  // namespace output
