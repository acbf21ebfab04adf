// A local recording started from the main window: which channels, how it ends (continuously,
// after a number of minute ticks, or at an end moment), and the decision to stop it.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

namespace platform {
class RegistryStore;
}

namespace client_app {

inline constexpr int kEndContinuous = 0;
inline constexpr int kEndAfterDuration = 1;
inline constexpr int kEndAtTime = 2;

// What the recording settings dialog hands back.
struct RecordingChoice {
    std::array<bool, 16> channels{};
    int endType = kEndContinuous;
    int durationMinutes = 1;
    std::time_t endTime = 0;  // local time as seconds, for kEndAtTime
    std::string keyword;
};

// "RecordingEndType": "1" and "2" as such, anything else continuous.
int ParseEndType(const std::string& stored);
// "RecordingTime" with leading blanks removed; 1 (the first choice) when it is not a positive
// number.
int ParseDuration(const std::string& stored);

// The choice as the dialog last stored it: end type, duration and keyword from the settings
// (nothing is written), the first `channelCount` channels, and as end moment (which is not
// stored) the dialog's initial value, `now` plus ten minutes.
RecordingChoice ChoiceFromSettings(const platform::RegistryStore& settings, int channelCount,
                                   std::time_t now);

// The channels to record as a mask (bit n: channel n) and the view mode the recording is made
// for: the channel itself when only one is chosen, 22 for two or more.
uint16_t ChannelMaskOf(const RecordingChoice& choice);
int RecordingViewOf(const RecordingChoice& choice);

class LocalRecordingState {
  public:
    void Start(const RecordingChoice& choice);
    void Stop();
    // One minute of a duration-bound recording passed.
    void MinuteTick() { ++minutes_; }

    bool recording() const { return recording_; }
    int endType() const { return choice_.endType; }
    int minutes() const { return minutes_; }
    const RecordingChoice& choice() const { return choice_; }

    // Whether the recording has reached its end: the minute count for a duration, the end
    // moment for an end time; never for a continuous recording.
    bool RecordingShouldStop(std::time_t now) const;

  private:
    RecordingChoice choice_;
    bool recording_ = false;
    int minutes_ = 0;
};

}  // namespace client_app
