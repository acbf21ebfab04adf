#include "ui/calendar_model.h"

namespace ui {

CalendarModel::CalendarModel() {
    SetDate({1970, 1, 1});
}

void CalendarModel::SetMarks(int year, int month, const Marks& marks) {
    markYear_ = year;
    markMonth_ = month;
    marks_ = marks;
    ShowMonth(shownYear_, shownMonth_);
}

void CalendarModel::SetDate(const CalendarDate& date) {
    selected_ = date;
    selectedCell_ = -1;
    firstSelectionCell_ = -1;
    ShowMonth(date.year, date.month);
}

void CalendarModel::PageMonth(int delta) {
    selected_ = AddMonthsClamped({shownYear_, shownMonth_, selected_.day}, delta);
    ShowMonth(selected_.year, selected_.month);
}

bool CalendarModel::PickCell(int index) {
    if (index < 0 || index >= kCells) return false;
    DayCell& cell = cells_[static_cast<std::size_t>(index)];
    if (cell.kind == DayKind::OtherMonth) return false;
    if (selectedCell_ >= 0) cells_[static_cast<std::size_t>(selectedCell_)].selected = false;
    cell.selected = true;
    selectedCell_ = index;
    if (firstSelectionCell_ < 0) firstSelectionCell_ = index;
    selected_ = cell.date;
    return true;
}

void CalendarModel::ShowMonth(int year, int month) {
    shownYear_ = year;
    shownMonth_ = month;
    const CalendarDate first{year, month, 1};
    // The first row always shows days of the previous month, a whole week when the 1st is a Sunday.
    int back = DayOfWeek(first);
    if (back == 0) back = 7;
    CalendarDate day = AddDays(first, -back);
    const bool marksApply = year == markYear_ && month == markMonth_;
    selectedCell_ = -1;
    for (int i = 0; i < kCells; ++i, day = AddDays(day, 1)) {
        DayCell& cell = cells_[static_cast<std::size_t>(i)];
        cell.date = day;
        const bool inMonth = day.month == month;
        cell.kind = inMonth ? DayKind::ShownMonth : DayKind::OtherMonth;
        if (inMonth && marksApply && marks_[static_cast<std::size_t>(i)]) {
            cell.kind = DayKind::WithRecordings;
        }
        cell.selected = inMonth && day.day == selected_.day && day.month == selected_.month;
        if (cell.selected) {
            selectedCell_ = i;
            if (firstSelectionCell_ < 0) firstSelectionCell_ = i;
        }
    }
}

}  // namespace ui
