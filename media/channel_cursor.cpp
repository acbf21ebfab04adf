#include "media/channel_cursor.h"

#include <algorithm>

namespace media {

ChannelCursor::ChannelCursor(const FrameIndex& index, int channel)
    : index_(index), channel_(channel) {
    const auto frames = index.frames();
    for (size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].channel != channel) continue;
        if (!positions_.empty() && frames[i].time < frames[positions_.back()].time)
            timesRise_ = false;
        positions_.push_back(static_cast<uint32_t>(i));
    }
}

bool ChannelCursor::IsIntra(size_t k) const {
    return index_.frames()[positions_[k]].kind == static_cast<uint8_t>(FrameKind::Intra);
}

bool ChannelCursor::First() {
    if (empty()) return false;
    at_ = 0;
    return true;
}

bool ChannelCursor::Last() {
    if (empty()) return false;
    at_ = positions_.size() - 1;
    return true;
}

bool ChannelCursor::Next() {
    if (empty() || at_ + 1 >= positions_.size()) return false;
    ++at_;
    return true;
}

bool ChannelCursor::Previous() {
    if (empty() || at_ == 0) return false;
    --at_;
    return true;
}

bool ChannelCursor::NextIntra() {
    for (size_t k = at_ + 1; k < positions_.size(); ++k) {
        if (IsIntra(k)) {
            at_ = k;
            return true;
        }
    }
    return false;
}

bool ChannelCursor::PreviousIntra() {
    for (size_t k = at_; k-- > 0;) {
        if (IsIntra(k)) {
            at_ = k;
            return true;
        }
    }
    return false;
}

bool ChannelCursor::ToIntra() {
    if (empty()) return false;
    return IsIntra(at_) || PreviousIntra();
}

bool ChannelCursor::SeekTime(int64_t wallTime) {
    if (empty()) return false;
    const auto frames = index_.frames();
    auto earlier = [&](uint32_t p) { return int64_t{frames[p].time} < wallTime; };
    // Pictures whose time rises allow a binary search; otherwise the first one that is late
    // enough counts, in play order.
    const auto it = timesRise_ ? std::partition_point(positions_.begin(), positions_.end(), earlier)
                               : std::find_if_not(positions_.begin(), positions_.end(), earlier);
    at_ = it == positions_.end() ? positions_.size() - 1
                                 : static_cast<size_t>(it - positions_.begin());
    return true;
}

}  // namespace media
