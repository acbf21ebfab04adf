// Where the main window puts its sixteen panes in each view mode, windowed and full screen, and
// which skin buttons a login shows for the recorder's channel count.
#pragma once

#include <array>
#include <vector>

namespace client_app {

// View modes: 0..15 one channel alone, 16..19 the quad groups 1-4 .. 13-16, 20 and 21 the
// eight-channel groups 1-8 and 9-16, 22 all sixteen.
inline constexpr int kModeQuadFirst = 16;
inline constexpr int kModeEightFirst = 20;
inline constexpr int kModeAll = 22;
inline constexpr int kPaneCount = 16;
inline constexpr int kLogoPane = -1;

inline bool IsSingleMode(int mode) {
    return mode >= 0 && mode < kModeQuadFirst;
}
inline bool IsValidMode(int mode) {
    return mode >= 0 && mode <= kModeAll;
}

struct PaneRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PaneRect&) const = default;
};

struct PanePlace {
    int channel = 0;  // 0..15, or kLogoPane for the logo panel
    PaneRect rect;
};

// The panes of a view mode in reading order. `fullScreen`: the grid divides a screen of
// screenWidth x screenHeight instead of the window's video area.
std::vector<PanePlace> PanesOf(int mode, bool fullScreen, int screenWidth = 0,
                               int screenHeight = 0);
// Whether a mode shows a channel.
bool ModeShows(int mode, int channel);
// The layout button (0..6) that shows a multi-channel mode as active; -1 for a single channel.
int LayoutButtonOf(int mode);
// The mode of layout command 700..706.
int ModeOfLayoutCommand(int command);

// Skin button indexes (0..29) of the main window's table.
inline constexpr int kButtonSound = 7;
inline constexpr int kButtonCapture = 8;
inline constexpr int kButtonRecord = 9;
inline constexpr int kButtonPresetSet = 10;
inline constexpr int kButtonCameraFirst = 12;  // 12..19: the eight camera buttons
inline constexpr int kButtonConnect = 20;
inline constexpr int kButtonRecorderFirst = 24;  // 24..27: DVR Record, Search, Backup, Setup

// Which of the 30 buttons a login shows, for a recorder with `channels` channels (4, 8 or 16):
// an administrator gets the layouts that fit and every other button, a user the layouts that fit,
// Sound, Capture, Record, Connect, the player, FullScreen, Setup, Minimize and Exit.
std::array<bool, 30> ButtonsForLogin(bool admin, int channels);

}  // namespace client_app
