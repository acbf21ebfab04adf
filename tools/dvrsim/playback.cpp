#include "tools/dvrsim/playback.h"

#include <algorithm>

namespace dvrsim {
namespace {

constexpr int kForwardStates[] = {10, 11, 1, 2, 3, 4, 5, 6, 7, 8};
constexpr double kForwardSpeeds[] = {0.25, 0.5, 1, 2, 4, 8, 16, 32, 64, 128};
constexpr int kForwardRungs = 10;
constexpr int kNormalRung = 2;
constexpr int kReverseRungs = 8;  // -1X .. -128X: states 17 + rung, speed 2^rung
constexpr int kStepForward = 9;
constexpr int kStepReverse = 25;
// Gaps in the recordings are not waited out.
constexpr double kLongestPause = 1.0;

}  // namespace

PlayRange FileRange(const Disk&, const DiskFile& file) {
    return {file.first, file.last, file.first, static_cast<uint16_t>(1u << file.channel)};
}

PlayRange TimeRange(const Disk& disk, int64_t start) {
    const size_t first = disk.FirstAtOrAfter(start);
    if (first >= disk.records().size()) return {1, 0, 1, 0xFFFF};
    // The whole disk can be played; the playback starts at the time asked for.
    return {0, disk.records().size() - 1, first, 0xFFFF};
}

PlayRange BackupRange(const Disk& disk, int64_t start, int64_t end, uint16_t channels) {
    PlayRange r{disk.FirstAtOrAfter(start), 0, 0, channels};
    r.start = r.first;
    const auto& records = disk.records();
    size_t last = r.first;
    bool any = false;
    for (size_t i = r.first; i < records.size() && records[i].time <= end; ++i) {
        last = i;
        any = true;
    }
    if (!any) return {1, 0, 1, channels};
    r.last = last;
    return r;
}

Playback::Playback(const Disk& disk, const PlayRange& range)
    : disk_(disk), range_(range), next_(range.start), reached_(range.start) {}

bool Playback::Matches(size_t i, bool intraOnly) const {
    const media::FrameHeader& h = disk_.records()[i].header;
    if (!h.IsVideo() || !(range_.channels & (1u << h.channel))) return false;
    return !intraOnly || h.kind == static_cast<uint8_t>(media::FrameKind::Intra);
}

bool Playback::FindForward(size_t from, size_t* out) const {
    for (size_t i = std::max(from, range_.first); i <= range_.last && i < disk_.records().size();
         ++i) {
        if (Matches(i, false)) {
            *out = i;
            return true;
        }
    }
    return false;
}

bool Playback::FindBackward(size_t before, size_t* out) const {
    for (size_t i = std::min(before, range_.last + 1); i > range_.first;) {
        --i;
        if (Matches(i, true)) {
            *out = i;
            return true;
        }
    }
    return false;
}

void Playback::Sent(size_t i, int state, double speed) {
    delay_ = 0;
    if (anySent_ && speed > 0) {
        const uint32_t a = disk_.records()[sent_].header.stamp;
        const uint32_t b = disk_.records()[i].header.stamp;
        const auto ticks = static_cast<int32_t>(i > sent_ ? b - a : a - b);
        delay_ = std::clamp(static_cast<double>(ticks) / 45000.0, 0.0, kLongestPause) / speed;
    }
    sent_ = i;
    anySent_ = true;
    reached_ = std::max(reached_, i);
    state_ = state;
    if (i >= next_) next_ = i + 1;
}

Playback::Step Playback::Next() {
    if (stopped_) return Step::Stopped;
    if (range_.last < range_.first) return Step::End;
    size_t i = 0;
    if (paused_) {
        if (step_ == 0) return Step::Wait;
        const int step = step_;
        step_ = 0;
        const bool found = step > 0 ? FindForward(anySent_ ? sent_ + 1 : next_, &i)
                                    : FindBackward(anySent_ ? sent_ : next_, &i);
        if (!found) return Step::Wait;  // nothing further that way: stay paused
        Sent(i, step > 0 ? kStepForward : kStepReverse, 0);
        return Step::Record;
    }
    if (reverse_) {
        if (!FindBackward(anySent_ ? sent_ : next_, &i)) return Step::End;
        Sent(i, 17 + rung_, static_cast<double>(1 << rung_));
        next_ = i + 1;  // forward play resumes from here
        return Step::Record;
    }
    if (!FindForward(next_, &i)) return Step::End;
    Sent(i, kForwardStates[rung_], kForwardSpeeds[rung_]);
    return Step::Record;
}

void Playback::Control(int req) {
    switch (req) {
        case 1:
            stopped_ = true;
            break;
        case 2:  // slow
            rung_ = std::max(rung_ - 1, 0);
            paused_ = false;
            break;
        case 3:  // fast
            rung_ = std::min(rung_ + 1, (reverse_ ? kReverseRungs : kForwardRungs) - 1);
            paused_ = false;
            break;
        case 4:  // play
            reverse_ = false;
            rung_ = kNormalRung;
            paused_ = false;
            if (anySent_) next_ = sent_ + 1;
            break;
        case 5:
            paused_ = true;
            break;
        case 6:  // reverse play
            reverse_ = true;
            rung_ = 0;
            paused_ = false;
            break;
        case 7:
        case 8:
            paused_ = true;
            step_ = req == 7 ? 1 : -1;
            break;
        default:
            break;
    }
}

}  // namespace dvrsim
