// The open recording's sound through the audio output: the engine opens, pauses and closes it,
// and the sound follows the picture on screen.
#pragma once

#include <memory>

#include "output/audio_out.h"
#include "output/recording_audio_source.h"
#include "output/sdl_audio_device.h"
#include "player/playback_engine.h"

namespace player::qt {

class PlayerAudio final : public EngineAudio {
  public:
    PlayerAudio() : out_(device_) {}
    bool Open(media::RecordingFile& recording) override;
    void Pause() override { out_.Pause(); }
    void Restart() override;
    void Close() override { out_.Close(); }
    void FollowPicture(uint64_t offset) override;
    // The picture keeps its own time: the sound follows it instead of leading it.
    int64_t PlayingStamp(bool*) override { return -1; }

  private:
    output::SdlAudioDevice device_;
    output::AudioOut out_;
    std::unique_ptr<output::RecordingAudioSource> source_;
};

}  // namespace player::qt
