// A local recording started from the main window: which channels, how it ends (continuously,
// after a number of minute ticks, or at an end moment), and the decision to stop it.
#pragma once

#include <cstdint>
#include <ctime>

#include "client/app/settings/client_settings.h"
#include "client/app/settings/recording_choice.h"

namespace client_app {

// The choice as the recording settings dialog stored it last: end type, duration and keyword
// (nothing is written), the channels a recorder of `channelCount` channels offers, and as end
// moment (which is not stored) the dialog's first offer, ten minutes from `now`.
client::RecordingChoice ChoiceFromSettings(const client::ClientSettings& settings, int channelCount,
                                           std::time_t now);

// The channels to record as a mask (bit n: channel n).
uint16_t ChannelMaskOf(const client::RecordingChoice& choice);

class LocalRecordingState {
  public:
    void Start(const client::RecordingChoice& choice);
    void Stop();
    // One minute of a duration-bound recording passed.
    void MinuteTick() { ++minutes_; }

    bool recording() const { return recording_; }
    client::RecordingEndType endType() const { return choice_.endType; }
    int minutes() const { return minutes_; }
    const client::RecordingChoice& choice() const { return choice_; }

    // Whether the recording has reached its end: the minute count for a duration, the end
    // moment for an end time; never for a continuous recording.
    bool RecordingShouldStop(std::time_t now) const;

  private:
    client::RecordingChoice choice_;
    bool recording_ = false;
    int minutes_ = 0;
};

}  // namespace client_app
