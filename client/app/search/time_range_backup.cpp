#include "client/app/search/time_range_backup.h"

namespace client::search {

bool TimeRangeBackup::Start(const BackupChoice& choice) {
    if (!connection_.StartBackup(choice.start, choice.end, choice.channels)) return false;
    fast_ = BackupFastMode(choice.mode == 1);
    running_ = true;
    completed_ = false;
    return true;
}

TimeRangeBackup::Event TimeRangeBackup::OnNotification(Notification message, int parameter) {
    if (!running_) return Event::None;
    switch (message) {
        case Notification::Stream:
            if (parameter != static_cast<int>(StreamKind::BackupDownload)) return Event::None;
            if (fast_.OnFirstData()) connection_.playback().Press(PlaybackButton::Fast);
            return Event::DataStarted;
        case Notification::PlaybackState:
            if (fast_.OnPlaybackState(parameter))
                connection_.playback().Press(PlaybackButton::Fast);
            return Event::None;
        case Notification::BackupDone:
            Finish(parameter == 1);
            return Event::Finished;
        case Notification::StopRecording:
            // The disk is full or cannot keep up: the backup cannot go on.
            Finish(false);
            return Event::Finished;
        case Notification::Lost:
            // The reader reconnects by itself and the backup resumes where it stood.
        default:
            return Event::None;
    }
}

void TimeRangeBackup::Cancel() {
    if (running_) Finish(false);
}

void TimeRangeBackup::Finish(bool completed) {
    running_ = false;
    completed_ = completed;
    // The window's mode text clears with the stream (1031 with 0).
    connection_.stream().Stop(false);
    connection_.recorder().Stop();
}

}  // namespace client::search
