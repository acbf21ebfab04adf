// When the alarm sound plays: sensor alarms (the first kind) start it and stop it as they come
// and go; motion alarms (the second kind) start it and keep it going while their notifications
// keep coming: 2.5 s after the last one it stops unless a sensor alarm is on. Only while the event
// sound setting is on and the stream is live. Times are given by the caller.
#pragma once

#include <chrono>
#include <optional>

namespace client_app {

class EventSoundRule {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kMotionHold{2500};

    enum class Action { None, Start, Stop };

    void SetEnabled(bool on) { enabled_ = on; }
    bool enabled() const { return enabled_; }
    bool playing() const { return playing_; }
    // When the motion hold ends (timer 5), while it runs.
    std::optional<Clock::time_point> holdDue() const { return holdDue_; }

    // A sensor notification: whether any channel has a sensor alarm now, and its parameter.
    Action OnSensor(bool anySensor, int parameter, bool live);
    // A motion notification.
    Action OnMotion(bool anyMotion, bool anySensor, int parameter, bool live,
                    Clock::time_point now);
    // Timer 5: once the hold has passed, the sound stops unless a sensor alarm is on.
    Action OnHoldTimer(bool anySensor, Clock::time_point now);
    // Connecting, starting a playback and closing stop the sound.
    Action Stop();

  private:
    Action Start(bool present, int parameter, bool live);

    bool enabled_ = false;
    bool playing_ = false;
    std::optional<Clock::time_point> holdDue_;
};

}  // namespace client_app
