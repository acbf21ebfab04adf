#include "media/channel_clock.h"

#include "media/wall_time.h"

namespace media {

PictureTime PictureTime::Of(const FrameHeader& h) {
    return {h.year, h.month, h.day, h.hour, h.minute, h.second};
}

PictureTime PictureTime::FromWall(uint32_t wallTime) {
    const CivilTime t = BreakWallTime(wallTime);
    return {static_cast<uint8_t>(t.year - 1900), static_cast<uint8_t>(t.month - 1),
            static_cast<uint8_t>(t.day),         static_cast<uint8_t>(t.hour),
            static_cast<uint8_t>(t.minute),      static_cast<uint8_t>(t.second)};
}

int64_t PictureTime::wall() const {
    return WallTimeOf(year, month, day, hour, minute, second);
}

bool PictureTime::plausible() const {
    return IsPlausibleTime(month, day, hour, minute, second);
}

void PictureTime::ApplyTo(FrameHeader* h) const {
    h->year = year;
    h->month = month;
    h->day = day;
    h->hour = hour;
    h->minute = minute;
    h->second = second;
}

PictureTime ChannelClock::Time(const FrameHeader& h) {
    const PictureTime own = PictureTime::Of(h);
    if (h.channel >= kChannelCount) return own;
    if (h.kind == static_cast<uint8_t>(FrameKind::Intra)) {
        intra_[h.channel] = own;
        have_[h.channel] = true;
    } else if (h.kind == static_cast<uint8_t>(FrameKind::Predicted) && have_[h.channel]) {
        return intra_[h.channel];
    }
    return own;
}

uint32_t ChannelClock::Time(int channel, uint8_t kind, uint32_t ownTime) {
    if (channel < 0 || channel >= kChannelCount) return ownTime;
    const auto c = static_cast<size_t>(channel);
    if (kind == static_cast<uint8_t>(FrameKind::Intra)) {
        intra_[c] = PictureTime::FromWall(ownTime);
        have_[c] = true;
    } else if (kind == static_cast<uint8_t>(FrameKind::Predicted) && have_[c]) {
        return intra_[c].wall32();
    }
    return ownTime;
}

}  // namespace media
