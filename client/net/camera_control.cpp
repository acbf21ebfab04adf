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

CameraHold::CameraHold(SendFn send, ReadFn speed, ReadFn channel, StopFailedFn stopFailed)
    : shared_(std::make_shared<Shared>()), speed_(std::move(speed)), channel_(std::move(channel)) {
    shared_->send = std::move(send);
    shared_->stopFailed = std::move(stopFailed);
}

void CameraHold::SendMove(Clock::time_point now) {
    next_ = now + kPeriod;
    if (shared_->inFlight.exchange(true)) return;
    std::weak_ptr<Shared> weak = shared_;
    shared_->send(channel_(), CameraMoveReq(button_, speed_()), [weak](bool) {
        if (const auto s = weak.lock()) s->inFlight.store(false);
    });
}

void CameraHold::Press(int button, Clock::time_point now) {
    if (held()) return;
    button_ = button;
    SendMove(now);
}

void CameraHold::Poll(Clock::time_point now) {
    // One repetition per poll: a late timer does not make up for missed periods in a burst.
    if (held() && now >= next_) SendMove(now);
}

void CameraHold::Release() {
    if (!held()) return;
    button_ = -1;
    const int channel = channel_();
    // The callbacks keep what they need alive: a window may close right after the release.
    const std::shared_ptr<Shared> shared = shared_;
    shared->send(channel, CameraStopReq(), [shared, channel](bool ok) {
        if (ok) return;
        shared->send(channel, CameraStopReq(), [shared, channel](bool again) {
            if (!again && shared->stopFailed) shared->stopFailed(channel);
        });
    });
}

}  // namespace client
