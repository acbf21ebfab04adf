#include "client/app/settings/recording_stop_watch.h"

#include <ctime>

namespace client {

RecordingStopWatch::RecordingStopWatch(QObject* parent, std::chrono::milliseconds minute,
                                       RecordingStopRule::Clock clock)
    : QObject(parent), clock_(clock ? std::move(clock) : [] { return std::time(nullptr); }) {
    timer_.setInterval(minute);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &RecordingStopWatch::OnTick);
}

void RecordingStopWatch::Start(const RecordingChoice& choice) {
    rule_.emplace(choice, clock_);
    if (choice.endType == RecordingEndType::kContinuous)
        timer_.stop();
    else
        timer_.start();
}

void RecordingStopWatch::Stop() {
    timer_.stop();
}

void RecordingStopWatch::OnTick() {
    if (!rule_) return;
    bool due = false;
    if (rule_->EndType() == RecordingEndType::kDuration) {
        due = rule_->OnMinuteTick();
        emit minutePassed(rule_->MinutesCounted());
    } else {
        due = rule_->OnEndTimeCheck();
    }
    if (!due) return;
    timer_.stop();
    emit stopDue();
}

}  // namespace client
