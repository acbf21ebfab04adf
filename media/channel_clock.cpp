#include "media/channel_clock.h"

#include "media/wall_time.h"

namespace media {

int64_t PictureTime::wall() const {
    return WallTimeOf(year, month, day, hour, minute, second);
}

bool PictureTime::plausible() const {
    return IsPlausibleTime(month, day, hour, minute, second);
}

uint32_t ChannelClock::Time(int channel, uint8_t kind, uint32_t ownTime) {
    if (channel < 0 || channel >= kChannelCount) return ownTime;
    const auto c = static_cast<size_t>(channel);
    if (kind == static_cast<uint8_t>(FrameKind::Intra)) {
        intraWall_[c] = ownTime;
        have_[c] = true;
    } else if (kind == static_cast<uint8_t>(FrameKind::Predicted) && have_[c]) {
        return intraWall_[c];
    }
    return ownTime;
}

}  // namespace media
