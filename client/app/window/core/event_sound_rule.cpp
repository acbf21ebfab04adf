#include "client/app/window/core/event_sound_rule.h"

namespace client_app {

EventSoundRule::Action EventSoundRule::Start(bool present, int parameter, bool live) {
    if (!enabled_ || !live) return Action::None;
    if (present && parameter != 0 && !playing_) {
        playing_ = true;
        return Action::Start;
    }
    return Action::None;
}

EventSoundRule::Action EventSoundRule::OnSensor(bool anySensor, int parameter, bool live) {
    if (!enabled_ || !live) return Action::None;
    if (!anySensor && playing_) return Stop();
    return Start(anySensor, parameter, live);
}

EventSoundRule::Action EventSoundRule::OnMotion(bool anyMotion, bool anySensor, int parameter,
                                                bool live, Clock::time_point now) {
    if (!enabled_ || !live) return Action::None;
    if (anyMotion) holdDue_ = now + kMotionHold;
    // Motion going away never silences a sensor alarm that is still on.
    if (!anyMotion && playing_ && !anySensor) return Stop();
    return Start(anyMotion, parameter, live);
}

EventSoundRule::Action EventSoundRule::OnHoldTimer(bool anySensor, Clock::time_point now) {
    if (!holdDue_ || now < *holdDue_) return Action::None;
    holdDue_.reset();
    if (!anySensor && playing_) return Stop();
    return Action::None;
}

EventSoundRule::Action EventSoundRule::Stop() {
    holdDue_.reset();
    if (!playing_) return Action::None;
    playing_ = false;
    return Action::Stop;
}

}  // namespace client_app
