// The time a video picture counts at. A recorder stamps an Intra or Anchor picture with its own
// date and time, but a Predicted picture's date bytes are not its own: it takes the time of its
// channel's last Intra picture. Every reader and writer that places pictures in time (indexes,
// calendars, pair splits, resumed backups, the simulated recorder's disk) asks one ChannelClock,
// fed with the pictures in the order they were recorded.
#pragma once

#include <array>
#include <cstdint>

#include "media/frame_header.h"

namespace media {

// The date and time fields of a header as they are stored (year since 1900, month from 0).
struct PictureTime {
    uint8_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;

    static PictureTime Of(const FrameHeader& h) {
        return {h.year, h.month, h.day, h.hour, h.minute, h.second};
    }

    int64_t wall() const;
    uint32_t wall32() const { return static_cast<uint32_t>(wall()); }
    // Seconds since 1970 of the start of the minute.
    int64_t minuteStart() const { return wall() - second; }
    // The indexers' plausibility test (see IsPlausibleTime).
    bool plausible() const;
};

class ChannelClock {
  public:
    // The time a video picture counts at: an Intra picture's own (remembered for its channel),
    // an Anchor picture's own, and for a Predicted picture the last Intra's of its channel (its
    // own bytes while the channel has had no Intra). Audio and skipped records: their own.
    PictureTime Time(const FrameHeader& h) {
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
    // The same for an index entry, which carries its record's own time as a 32-bit wall time.
    // A clock serves one kind of input: headers or index entries.
    uint32_t Time(int channel, uint8_t kind, uint32_t ownTime);
    // Forgets every channel's Intra (a new recording starts).
    void Reset() { have_.fill(false); }

  private:
    std::array<PictureTime, kChannelCount> intra_{};
    std::array<uint32_t, kChannelCount> intraWall_{};  // the index entries' form
    std::array<bool, kChannelCount> have_{};
};

}  // namespace media
