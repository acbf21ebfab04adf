#include "output/recording_audio_source.h"

#include "media/recording_file.h"

namespace output {

void RecordingAudioSource::Resync() {
    const auto audio = recording_.index().audio();
    const uint64_t video = videoOffset_.load();
    next_ = 0;
    while (next_ < audio.size() && audio[next_].offset < video)
        ++next_;
}

bool RecordingAudioSource::Next(uint8_t* alaw) {
    const size_t count = recording_.index().audioCount();
    // A record that cannot be read (a recording cut short) is stepped over.
    while (next_ < count) {
        if (recording_.ReadAudio(next_++, alaw) >= 0) return true;
    }
    return false;
}

}  // namespace output
