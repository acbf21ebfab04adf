// The time bar's positions, markers and mouse rules, free of widgets. Positions are whatever unit
// the parent picks (for example minutes of the day); each marker also carries its own date.
#pragma once

#include <optional>

#include "ui/calendar_date.h"

namespace ui {

// What the bar reports to its parent: code 5 for each change, 4 when a drag that changed
// something ends; `position` is that of the marker that moved.
struct TimeBarNotice {
    int code = 0;
    int position = 0;

    bool operator==(const TimeBarNotice&) const = default;
};

enum class TimeBarMarker { None, Start, End };

class TimeBarModel {
  public:
    static constexpr int kChanged = 5;
    static constexpr int kDragEnded = 4;

    void SetRange(int minimum, int maximum);
    void SetGeometry(int clientWidth, int markerWidth, int markerHeight);
    void SetShownDate(const CalendarDate& date) { shown_ = date; }
    // Markers set by the parent; on a shared date they are kept one position apart.
    void SetStart(int position, const CalendarDate& date);
    void SetEnd(int position, const CalendarDate& date);

    int Minimum() const { return min_; }
    int Maximum() const { return max_; }
    int StartPosition() const { return startPos_; }
    int EndPosition() const { return endPos_; }
    CalendarDate StartDate() const { return startDate_; }
    CalendarDate EndDate() const { return endDate_; }
    CalendarDate ShownDate() const { return shown_; }
    bool StartVisible() const { return startDate_ == shown_; }
    bool EndVisible() const { return endDate_ == shown_; }

    int SlotWidth() const;
    int MarkerX(int position) const;
    int PositionFromX(int x) const;

    // Mouse rules. Each returns what to report, if anything.
    // A left press on a visible marker (start first) starts dragging it; returns whether one was
    // hit.
    bool LeftPress(int x, int y);
    std::optional<TimeBarNotice> DragTo(int x);
    struct ReleaseNotices {
        std::optional<TimeBarNotice> changed;
        std::optional<TimeBarNotice> ended;
    };
    ReleaseNotices LeftRelease(int x);
    // Sets the start marker on the shown date, unless the end lies on an earlier date.
    std::optional<TimeBarNotice> LeftDoubleClick(int x);
    // Sets the end marker on the shown date, unless the start lies on a later date.
    std::optional<TimeBarNotice> RightPress(int x);

    TimeBarMarker Dragging() const { return dragging_; }

  private:
    bool HitsMarker(int position, int x, int y) const;
    // Applies a new position of one marker with the one-position separation; returns whether it
    // changed.
    bool MoveStart(int position);
    bool MoveEnd(int position);

    int min_ = 0;
    int max_ = 1439;
    int width_ = 0;
    int markerWidth_ = 0;
    int markerHeight_ = 0;
    int startPos_ = 0;
    int endPos_ = 1;
    CalendarDate startDate_;
    CalendarDate endDate_;
    CalendarDate shown_;
    TimeBarMarker dragging_ = TimeBarMarker::None;
    bool moved_ = false;
};

}  // namespace ui
