// Plays a connection's audio through the process's AudioOut: the audio stream offers its
// blocks oldest first, and a block the ring cannot take yet stays in the stream's own ring
// until the next one arrives.
#pragma once

#include <span>

#include "client/net/sinks.h"
#include "output/audio_out.h"

namespace client {

class AudioOutputSink final : public AudioSink {
  public:
    explicit AudioOutputSink(output::AudioOut& out) : out_(out) {}

    void AudioStarted(int) override {}
    bool PlayBlock(int, uint32_t, std::span<const uint8_t> alaw) override {
        return out_.PlayLive(alaw);
    }
    void Pause() override { out_.Pause(); }
    void AudioStopped() override { out_.Close(); }

  private:
    output::AudioOut& out_;
};

}  // namespace client
