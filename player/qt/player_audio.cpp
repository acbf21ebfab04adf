#include "player/qt/player_audio.h"

namespace player::qt {

bool PlayerAudio::Open(media::RecordingFile& recording) {
    out_.Close();
    source_ = std::make_unique<output::RecordingAudioSource>(recording);
    return out_.OpenPlayer(*source_);
}

void PlayerAudio::Restart() {
    if (out_.isOpen() && !out_.isPlaying()) out_.Toggle();
}

void PlayerAudio::FollowPicture(uint64_t offset) {
    if (source_) source_->SetVideoOffset(offset);
}

}  // namespace player::qt
