#include "ui/time_bar_model.h"

#include <algorithm>
#include <cmath>

namespace ui {

void TimeBarModel::SetRange(int minimum, int maximum) {
    min_ = minimum;
    max_ = std::max(minimum + 1, maximum);
    startPos_ = std::clamp(startPos_, min_, max_);
    endPos_ = std::clamp(endPos_, min_, max_);
}

void TimeBarModel::SetGeometry(int clientWidth, int markerWidth, int markerHeight) {
    width_ = clientWidth;
    markerWidth_ = markerWidth;
    markerHeight_ = markerHeight;
}

void TimeBarModel::SetStart(int position, const CalendarDate& date) {
    startDate_ = date;
    MoveStart(std::clamp(position, min_, max_));
}

void TimeBarModel::SetEnd(int position, const CalendarDate& date) {
    endDate_ = date;
    MoveEnd(std::clamp(position, min_, max_));
}

int TimeBarModel::SlotWidth() const {
    return (width_ - markerWidth_) / (max_ - min_ + 1);
}

int TimeBarModel::MarkerX(int position) const {
    return (position - min_) * SlotWidth();
}

int TimeBarModel::PositionFromX(int x) const {
    const int travel = width_ - markerWidth_;
    if (travel <= 0) return min_;
    const double scale = static_cast<double>(max_ - min_ + 1) / travel;
    const int pos = min_ + static_cast<int>(std::floor(scale * (x - markerWidth_ / 2) + 0.5));
    return std::clamp(pos, min_, max_);
}

bool TimeBarModel::HitsMarker(int position, int x, int y) const {
    const int left = MarkerX(position);
    return x >= left && x < left + markerWidth_ && y >= 0 && y < markerHeight_;
}

bool TimeBarModel::LeftPress(int x, int y) {
    moved_ = false;
    if (StartVisible() && HitsMarker(startPos_, x, y)) {
        dragging_ = TimeBarMarker::Start;
    } else if (EndVisible() && HitsMarker(endPos_, x, y)) {
        dragging_ = TimeBarMarker::End;
    } else {
        dragging_ = TimeBarMarker::None;
    }
    return dragging_ != TimeBarMarker::None;
}

std::optional<TimeBarNotice> TimeBarModel::DragTo(int x) {
    if (dragging_ == TimeBarMarker::None) return std::nullopt;
    const int pos = PositionFromX(x);
    const bool start = dragging_ == TimeBarMarker::Start;
    if (!(start ? MoveStart(pos) : MoveEnd(pos))) return std::nullopt;
    moved_ = true;
    return TimeBarNotice{kChanged, start ? startPos_ : endPos_};
}

TimeBarModel::ReleaseNotices TimeBarModel::LeftRelease(int x) {
    ReleaseNotices notices;
    if (dragging_ == TimeBarMarker::None) return notices;
    notices.changed = DragTo(x);
    if (moved_) {
        const bool start = dragging_ == TimeBarMarker::Start;
        notices.ended = TimeBarNotice{kDragEnded, start ? startPos_ : endPos_};
    }
    dragging_ = TimeBarMarker::None;
    moved_ = false;
    return notices;
}

std::optional<TimeBarNotice> TimeBarModel::LeftDoubleClick(int x) {
    if (endDate_ < shown_) return std::nullopt;
    const bool dateChanged = startDate_ != shown_;
    startDate_ = shown_;
    if (!MoveStart(PositionFromX(x)) && !dateChanged) return std::nullopt;
    return TimeBarNotice{kChanged, startPos_};
}

std::optional<TimeBarNotice> TimeBarModel::RightPress(int x) {
    if (shown_ < startDate_) return std::nullopt;
    const bool dateChanged = endDate_ != shown_;
    endDate_ = shown_;
    if (!MoveEnd(PositionFromX(x)) && !dateChanged) return std::nullopt;
    return TimeBarNotice{kChanged, endPos_};
}

bool TimeBarModel::MoveStart(int position) {
    const int before = startPos_;
    const int beforeEnd = endPos_;
    startPos_ = position;
    if (startDate_ == endDate_ && startPos_ > endPos_ - 1) {
        startPos_ = endPos_ - 1;
        if (startPos_ < min_) {  // the end sits on the first position: make room for the start
            startPos_ = min_;
            endPos_ = min_ + 1;
        }
    }
    return startPos_ != before || endPos_ != beforeEnd;
}

bool TimeBarModel::MoveEnd(int position) {
    const int before = endPos_;
    const int beforeStart = startPos_;
    endPos_ = position;
    if (startDate_ == endDate_ && endPos_ < startPos_ + 1) {
        endPos_ = startPos_ + 1;
        if (endPos_ > max_) {  // the start sits on the last position: make room for the end
            endPos_ = max_;
            startPos_ = max_ - 1;
        }
    }
    return endPos_ != before || startPos_ != beforeStart;
}

}  // namespace ui
