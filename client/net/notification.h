// The numbered notifications the connection posts to the main window. The numbers are the ones
// the windows have always used; the parameter of each is described beside it.
#pragma once

namespace client {

enum class Notification : int {
    PlaybackEnded = 1028,   // a remote file playback reached its end
    Stream = 1031,          // parameter: StreamKind when data arrived, 0 when stopped
    AudioAvailable = 1032,  // parameter: volume position
    Motion = 1036,          // parameter: new motion bit
    Sensor = 1037,          // parameter: new sensor bit
    Lost = 1039,            // the stream is lost (once per loss)
    StopRecording = 1041,   // recording must stop (once per reason)
    VideoBack = 1043,       // video is back after every channel had lost it
    PlaybackState = 1044,   // parameter: PlaybackState
    AudioEnded = 1046,      // no channel carries audio any more
    BackupDone = 1074,      // parameter: 1 completed, 0 ended with nothing recorded
    CalendarSearch = 1424,  // a remote playback ended: back to the calendar search
};

inline constexpr int NotificationNumber(Notification n) {
    return static_cast<int>(n);
}

}  // namespace client
