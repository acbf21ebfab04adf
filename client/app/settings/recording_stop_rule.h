// When a local recording ends. A continuous recording runs until the user stops it; a
// duration-bound one counts the minute ticks of the window's 60-second timer and stops when the
// count reaches the chosen minutes; one with an end time stops at the first once-a-minute check
// that finds the current time at or past the end moment.
#pragma once

#include <ctime>
#include <functional>

#include "client/app/settings/recording_choice.h"

namespace client {

class RecordingStopRule {
  public:
    // `now` gives the current time (seconds since 1970); tests pass their own clock.
    using Clock = std::function<std::time_t()>;

    RecordingStopRule(const RecordingChoice& choice, Clock now);

    // One minute passed (the duration timer fired). True when the recording must stop now.
    bool OnMinuteTick();
    // The once-a-minute end-time check. True when the recording must stop now.
    bool OnEndTimeCheck() const;
    // Either condition, as it stands now.
    bool ShouldStop() const;

    int MinutesCounted() const { return minutes_; }
    RecordingEndType EndType() const { return endType_; }

  private:
    RecordingEndType endType_;
    int duration_;
    std::time_t endMoment_;
    Clock now_;
    int minutes_ = 0;
};

}  // namespace client
