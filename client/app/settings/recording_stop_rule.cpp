#include "client/app/settings/recording_stop_rule.h"

#include <algorithm>
#include <utility>

namespace client {

RecordingStopRule::RecordingStopRule(const RecordingChoice& choice, Clock now)
    : endType_(choice.endType),
      // A duration below one minute would never be reached by the count.
      duration_(std::max(choice.durationMinutes, 1)),
      endMoment_(choice.endMoment),
      now_(std::move(now)) {}

bool RecordingStopRule::OnMinuteTick() {
    if (endType_ != RecordingEndType::kDuration) return false;
    ++minutes_;
    return ShouldStop();
}

bool RecordingStopRule::OnEndTimeCheck() const {
    return endType_ == RecordingEndType::kEndTime && now_() >= endMoment_;
}

bool RecordingStopRule::ShouldStop() const {
    switch (endType_) {
        case RecordingEndType::kDuration:
            // At or past the count: a late or doubled tick never lets the recording run on.
            return minutes_ >= duration_;
        case RecordingEndType::kEndTime:
            return OnEndTimeCheck();
        case RecordingEndType::kContinuous:
            break;
    }
    return false;
}

}  // namespace client
