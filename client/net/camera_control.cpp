#include "client/net/camera_control.h"

#include <utility>

namespace client {

std::string CameraMoveReq(int button, int speed) {
    return std::to_string(button) + "S" + std::to_string(speed);
}

std::string CameraStopReq() {
    return "8";
}

std::string PresetSetReq(int preset) {
    return "9S" + std::to_string(preset);
}

std::string PresetGotoReq(int preset) {
    return "9G" + std::to_string(preset);
}

uint32_t ChannelMask(std::span<const bool> wanted) {
    uint32_t mask = 0;
    for (size_t n = 0; n < wanted.size() && n < 32; ++n)
        if (wanted[n]) mask |= uint32_t{1} << n;
    return mask;
}

CameraHold::CameraHold(SendFn send, ReadFn speed, ReadFn channel)
    : send_(std::move(send)), speed_(std::move(speed)), channel_(std::move(channel)) {}

void CameraHold::Press(int button, Clock::time_point now) {
    if (held_) return;
    if (!send_(channel_(), CameraMoveReq(button, speed_()))) return;
    held_ = true;
    button_ = button;
    next_ = now + kPeriod;
}

void CameraHold::Poll(Clock::time_point now) {
    if (!held_ || now < next_) return;
    // One repetition per poll: a late timer does not make up for missed periods in a burst.
    next_ = now + kPeriod;
    if (!send_(channel_(), CameraMoveReq(button_, speed_()))) {
        held_ = false;
        button_ = -1;
    }
}

void CameraHold::Release() {
    if (!held_) return;
    send_(channel_(), CameraStopReq());
    held_ = false;
    button_ = -1;
}

}  // namespace client
