// Watches the end of a running local recording for the main window: a duration-bound recording
// counts the ticks of a one-minute timer, one with an end time checks the clock once a minute.
// The window starts it with the recording settings dialog's choice and stops the recording (and
// restores the channel selection) when stopDue() arrives:
//
//   connect(&stopWatch_, &client::RecordingStopWatch::stopDue, this, &Window::StopRecording);
//   stopWatch_.Start(dialog.Choice());   // after the recording started
//   stopWatch_.Stop();                   // when the user stops it first
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <optional>

#include "client/app/settings/recording_stop_rule.h"

namespace client {

class RecordingStopWatch : public QObject {
    Q_OBJECT

  public:
    // `minute` is the tick period (one minute; tests pass less), `clock` the current time (the
    // system clock when empty).
    explicit RecordingStopWatch(QObject* parent = nullptr,
                                std::chrono::milliseconds minute = std::chrono::minutes(1),
                                RecordingStopRule::Clock clock = {});

    // Starts watching `choice`; a continuous recording needs no watching.
    void Start(const RecordingChoice& choice);
    void Stop();
    bool IsWatching() const { return timer_.isActive(); }
    int MinutesCounted() const { return rule_ ? rule_->MinutesCounted() : 0; }
    // What the minute timer does when it fires, at once (a caller driving its own time).
    void TickNow() {
        if (timer_.isActive()) OnTick();
    }

  signals:
    // One minute of a duration-bound recording passed (`count` minutes so far).
    void minutePassed(int count);
    // The recording has reached its end; the watch has stopped.
    void stopDue();

  private:
    void OnTick();

    QTimer timer_;
    RecordingStopRule::Clock clock_;
    std::optional<RecordingStopRule> rule_;
};

}  // namespace client
