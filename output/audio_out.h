// The process's sound output: A-law blocks expanded into a ring of eight 4,096-byte PCM buffers
// and played through an AudioDevice. The player refills the ring from its recording whenever the
// device has played a buffer; the remote client pushes blocks as they arrive from the recorder.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <span>

#include "output/audio_device.h"

namespace output {

inline constexpr size_t kAlawBlockSize = 2048;

// Where the player's audio comes from: the audio records of the open recording.
class AudioBlockSource {
  public:
    virtual ~AudioBlockSource() = default;
    // Moves to the first audio record that does not lie before the picture on screen.
    virtual void Resync() = 0;
    // The next record's 2,048 A-law bytes, moving past it; false after the last one.
    virtual bool Next(uint8_t* alaw) = 0;
};

// What the audio button did.
enum class AudioToggle { kPaused, kResumed, kNotOpen };

class AudioOut {
  public:
    static constexpr int kBuffers = 8;
    static constexpr size_t kBufferSamples = kAlawBlockSize;  // 4,096 bytes, 256 ms
    static constexpr int kMaxVolume = 17;
    // One volume step of the device volume (both channels alike).
    static constexpr uint32_t kVolumeStep = 0x0F0F0F0F;

    explicit AudioOut(AudioDevice& device);
    ~AudioOut();
    AudioOut(const AudioOut&) = delete;
    AudioOut& operator=(const AudioOut&) = delete;

    // Player: opens the device and writes the first eight buffers from the picture on screen.
    // False (audio stays off, no message) when the device cannot open.
    bool OpenPlayer(AudioBlockSource& source);
    // Remote client: plays one received block. The device opens with the second block (one
    // block waits so that playing starts with some reserve). False when the block cannot be
    // taken yet (not opened, or all eight buffers are still playing): the caller keeps it and
    // offers it again. A device that cannot open drops the blocks (audio off).
    bool PlayLive(std::span<const uint8_t> alaw);
    // The audio button: pauses while playing; otherwise resumes an open device (the player
    // starts again from the picture on screen). kNotOpen: the caller shows its "Audio playback
    // failed." message.
    AudioToggle Toggle();
    void Pause();
    // Player: the position jumped; the next played buffer starts the ring again from the
    // picture on screen.
    void Resync();
    void Close();

    // 0..17 (clamped).
    void SetVolume(int level);
    int volumeLevel() const;
    // The device volume: both channels' words alike.
    uint32_t deviceVolume() const;

    bool isOpen() const;
    bool isPlaying() const;
    // The device could not be opened the last time it was asked to.
    bool openFailed() const;
    int nextBuffer() const;
    // Buffers written to the device and not yet played.
    int buffersInFlight() const;

  private:
    void OnBlockDone();
    bool OpenDevice();
    // Fills buffer i from `alaw` and writes it (under mutex_).
    bool WriteBuffer(int i, const uint8_t* alaw);
    void FillFromSource();
    uint16_t DeviceWord() const { return static_cast<uint16_t>(volume_ * (kVolumeStep & 0xFFFF)); }

    AudioDevice& device_;
    mutable std::mutex mutex_;
    std::array<std::array<int16_t, kBufferSamples>, kBuffers> buffers_{};
    std::array<uint8_t, kAlawBlockSize> alaw_{};
    AudioBlockSource* source_ = nullptr;
    int next_ = 0;
    int inFlight_ = 0;
    int volume_ = kMaxVolume;
    bool open_ = false;
    bool playing_ = false;
    bool resync_ = false;
    bool failed_ = false;
    bool waitedForSecond_ = false;
};

}  // namespace output
