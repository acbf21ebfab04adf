// The player's audio: the audio records of the open recording, read in file order from the
// record that goes with the picture on screen.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "output/audio_out.h"

namespace media {
class RecordingFile;
}

namespace output {

class RecordingAudioSource final : public AudioBlockSource {
  public:
    explicit RecordingAudioSource(media::RecordingFile& recording) : recording_(recording) {}

    // The file offset of the picture on screen (its index entry's offset); the play thread
    // sets it as it shows pictures.
    void SetVideoOffset(uint64_t offset) { videoOffset_.store(offset); }

    // Goes to the first audio record that does not lie before the picture on screen, forwards
    // or backwards (after a jump back the sound follows the picture too).
    void Resync() override;
    // The next audio record that reads; false after the last.
    bool Next(uint8_t* alaw) override;
    size_t position() const { return next_; }

  private:
    media::RecordingFile& recording_;
    std::atomic<uint64_t> videoOffset_{0};
    size_t next_ = 0;
};

}  // namespace output
