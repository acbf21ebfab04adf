#include "client/net/playback.h"

namespace client {
namespace {

constexpr PlaybackButtonSpec kButtons[kPlaybackButtons] = {
    {749, "6", 0},   // Rev.Play
    {750, "4", 0},   // Play
    {751, "5", 1},   // Pause
    {752, "1", -1},  // Stop
    {753, "8", 1},   // Prev.Frame
    {754, "7", 1},   // Next Frame
    {755, "2", 0},   // Slow
    {756, "3", 0},   // Fast
};

constexpr std::string_view kForward[] = {"+1X",  "+2X",   "+4X",          "+8X",   "+16X", "+32X",
                                         "+64X", "+128X", "Step forward", "+1/4X", "+1/2X"};
constexpr std::string_view kReverse[] = {"-1X",  "-2X",  "-4X",   "-8X",         "-16X",
                                         "-32X", "-64X", "-128X", "Step reverse"};

}  // namespace

const PlaybackButtonSpec& PlaybackButtonOf(PlaybackButton button) {
    const int i = static_cast<int>(button);
    return kButtons[i >= 0 && i < kPlaybackButtons ? i : 0];
}

std::string_view PlaybackLabel(int state) {
    if (state >= 1 && state <= 11) return kForward[state - 1];
    if (state >= 17 && state <= 25) return kReverse[state - 17];
    return {};
}

std::string PlaybackStatusText(int state) {
    std::string text = "Playback( ";
    text += PlaybackLabel(state);
    text += " )";
    return text;
}

bool BackupFastMode::Answer() {
    if (!on_ || state_ == kStateDoubleSpeed) return false;
    const int key = state_ < 0 ? -2 : state_;
    if (answered_ == key) return false;
    answered_ = key;
    return true;
}

bool BackupFastMode::OnFirstData() {
    // Before any state report the request covers the first report too.
    return Answer();
}

bool BackupFastMode::OnPlaybackState(int state) {
    const bool first = state_ < 0;
    state_ = state;
    if (first && answered_ == -2) {
        // "Fast" went out with the first data, before the recorder said where it stood.
        answered_ = state;
        return false;
    }
    if (state == kStateDoubleSpeed) {
        answered_ = -1;  // a later fall from +2X is answered again
        return false;
    }
    return Answer();
}

}  // namespace client
