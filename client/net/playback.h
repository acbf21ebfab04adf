// Remote playback on the recorder: the eight playback control buttons and the REQ each sends,
// the labels of the recorder's playback states, and the backup's fast mode.
#pragma once

#include <string>
#include <string_view>

namespace client {

// In the order of the playback panel's commands 0..7 (buttons 749..756).
enum class PlaybackButton : int { RevPlay, Play, Pause, Stop, PrevFrame, NextFrame, Slow, Fast };
inline constexpr int kPlaybackButtons = 8;

struct PlaybackButtonSpec {
    int stringId;     // the button's caption
    const char* req;  // REQ of the playback control (selector 8)
    int paused;       // the connection's paused flag afterwards: 0 clear, 1 set, -1 unchanged
};
const PlaybackButtonSpec& PlaybackButtonOf(PlaybackButton button);

// The label of a PlaybackState ("+2X", "Step reverse", ...); empty for states without one.
std::string_view PlaybackLabel(int state);
// What the main window's mode field shows for a state: "Playback( " + label + " )".
std::string PlaybackStatusText(int state);

inline constexpr int kStateDoubleSpeed = 2;  // "+2X"

// The fast mode of a backup download: the recorder is asked to play at double speed with "Fast"
// (REQ 3) when the backup's data starts and whenever it reports a playback state other than
// "+2X". Each reported state is answered once: the first-data request and the first state report
// of a stream describe the same moment, and answering both would push the recorder to "+4X".
class BackupFastMode {
  public:
    explicit BackupFastMode(bool on = false) : on_(on) {}
    // The stream's first data arrived (1031 with BackupDownload): true when "Fast" is to be sent.
    bool OnFirstData();
    // The recorder reported a playback state (1044): true when "Fast" is to be sent.
    bool OnPlaybackState(int state);

  private:
    bool Answer();

    bool on_;
    int state_ = -1;     // last reported state, -1 before the first report
    int answered_ = -1;  // the state "Fast" was last sent for (-2: sent before any report)
};

}  // namespace client
