// A position among one channel's pictures of a FrameIndex, in play order: what the playback
// engine steps through. It moves picture by picture or Intra by Intra, and seeks by wall time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/frame_index.h"

namespace media {

class ChannelCursor {
  public:
    // The pictures of `channel` (0..15) in `index`, which must outlive the cursor and stay
    // unchanged. The cursor starts at the channel's first picture.
    ChannelCursor(const FrameIndex& index, int channel);

    int channel() const { return channel_; }
    bool empty() const { return positions_.empty(); }
    size_t count() const { return positions_.size(); }
    // Position in index.frames() of the current picture (meaningless when empty()).
    size_t position() const { return empty() ? 0 : positions_[at_]; }
    const FrameEntry& entry() const { return index_.frames()[position()]; }
    bool atIntra() const { return !empty() && IsIntra(at_); }

    // Each returns false, staying where it is, when there is nowhere to go.
    bool First();
    bool Last();
    bool Next();
    bool Previous();
    bool NextIntra();      // the next Intra picture after the current one
    bool PreviousIntra();  // the last Intra picture before the current one
    // To the current picture when it is an Intra, else to the last Intra before it.
    bool ToIntra();
    // To the channel's first picture whose wall time is at or after `wallTime`; when every
    // picture is earlier, to its last one. False only for a channel without pictures.
    bool SeekTime(int64_t wallTime);

  private:
    bool IsIntra(size_t k) const;

    const FrameIndex& index_;
    int channel_;
    std::vector<uint32_t> positions_;  // the channel's pictures in index.frames()
    size_t at_ = 0;                    // into positions_
    bool timesRise_ = true;            // pictures in play order never go back in time
};

}  // namespace media
