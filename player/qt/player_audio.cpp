#include "player/qt/player_audio.h"

#include "media/recording_file.h"

namespace player::qt {

void TrackedAudioSource::Resync() {
    source_.Resync();
    read_.store(source_.position());
}

bool TrackedAudioSource::Next(uint8_t* alaw) {
    const bool got = source_.Next(alaw);
    read_.store(source_.position());
    return got;
}

bool PlayerAudio::Open(media::RecordingFile& recording) {
    out_.Close();
    recording_ = &recording;
    source_ = std::make_unique<TrackedAudioSource>(recording);
    return out_.OpenPlayer(*source_);
}

void PlayerAudio::Close() {
    out_.Close();
    recording_ = nullptr;
}

void PlayerAudio::Restart() {
    if (out_.isOpen() && !out_.isPlaying()) out_.Toggle();
}

void PlayerAudio::FollowPicture(uint64_t offset) {
    if (source_) source_->SetVideoOffset(offset);
}

int64_t PlayerAudio::PlayingStamp() {
    if (!source_ || !recording_ || !out_.isPlaying()) return -1;
    // Every block read and not yet played is queued; the oldest of them plays now.
    const int64_t queued = out_.buffersInFlight();
    if (queued == 0) return -1;
    const int64_t playing = static_cast<int64_t>(source_->readPosition()) - queued;
    const auto audio = recording_->index().audio();
    if (playing < 0 || playing >= static_cast<int64_t>(audio.size())) return -1;
    return audio[static_cast<size_t>(playing)].stamp;
}

}  // namespace player::qt
