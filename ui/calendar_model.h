// The month grid behind the calendar control: 42 day cells from the Sunday before the first of the
// month, the selection, the recording marks and paging between months.
#pragma once

#include <array>

#include "ui/calendar_date.h"

namespace ui {

enum class DayKind : int {
    ShownMonth = 0,      // a day of the month on display
    WithRecordings = 1,  // a day of the month on display that holds recordings
    OtherMonth = 2,      // a day of the previous or next month, greyed out
};

struct DayCell {
    CalendarDate date;
    DayKind kind = DayKind::ShownMonth;
    bool selected = false;
};

class CalendarModel {
  public:
    static constexpr int kCells = 42;
    using Marks = std::array<bool, kCells>;

    CalendarModel();

    // Marks of `year`/`month`, one flag per grid cell in display order. They show only while that
    // month is on display, and only on its own days.
    void SetMarks(int year, int month, const Marks& marks);
    // Selects `date`, forgets the selected and first-selection cells and shows its month.
    void SetDate(const CalendarDate& date);
    // Steps the shown month by `delta` months, keeping the selected day number or the new month's
    // last day when it is shorter.
    void PageMonth(int delta);
    // A pick of cell `index`: takes the day when it belongs to the shown month. Returns whether the
    // selection changed.
    bool PickCell(int index);

    int ShownYear() const { return shownYear_; }
    int ShownMonth() const { return shownMonth_; }
    CalendarDate SelectedDate() const { return selected_; }
    int SelectedCell() const { return selectedCell_; }
    int FirstSelectionCell() const { return firstSelectionCell_; }
    const DayCell& Cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }

  private:
    void ShowMonth(int year, int month);

    int shownYear_ = 1970;
    int shownMonth_ = 1;
    CalendarDate selected_;
    int selectedCell_ = -1;
    int firstSelectionCell_ = -1;
    int markYear_ = 0;
    int markMonth_ = 0;
    Marks marks_{};
    std::array<DayCell, kCells> cells_{};
};

}  // namespace ui
