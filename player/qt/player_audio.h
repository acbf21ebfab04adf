// The open recording's sound through the audio output: the engine opens, pauses and closes it,
// the sound follows the picture on screen, and the stamp of the block playing lets the sound
// lead the pictures at x1.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>

#include "output/audio_out.h"
#include "output/recording_audio_source.h"
#include "output/sdl_audio_device.h"
#include "player/playback_engine.h"

namespace player::qt {

// The recording's audio records as the output reads them, remembering how far it has read so
// that the block playing now can be told from the blocks still queued.
class TrackedAudioSource final : public output::AudioBlockSource {
  public:
    explicit TrackedAudioSource(media::RecordingFile& recording) : source_(recording) {}
    void Resync() override;
    bool Next(uint8_t* alaw) override;
    void SetVideoOffset(uint64_t offset) { source_.SetVideoOffset(offset); }
    // The index of the next record to be read.
    size_t readPosition() const { return read_.load(); }

  private:
    output::RecordingAudioSource source_;
    std::atomic<size_t> read_{0};
};

class PlayerAudio final : public EngineAudio {
  public:
    PlayerAudio() : out_(device_) {}
    bool Open(media::RecordingFile& recording) override;
    void Pause() override { out_.Pause(); }
    void Restart() override;
    void Close() override;
    void FollowPicture(uint64_t offset) override;
    int64_t PlayingStamp() override;

  private:
    output::SdlAudioDevice device_;
    output::AudioOut out_;
    std::unique_ptr<TrackedAudioSource> source_;
    media::RecordingFile* recording_ = nullptr;
};

}  // namespace player::qt
