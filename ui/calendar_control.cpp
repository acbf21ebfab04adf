#include "ui/calendar_control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/skin_button.h"

namespace ui {
namespace {

constexpr int kWeekdayTop = 30;
constexpr int kWeekdayHeight = 20;
constexpr int kSelectionFrame = 3;
const QRect kTitleRect(105, 0, 105, 30);

}  // namespace

CalendarControl::CalendarControl(QWidget* parent)
    : QWidget(parent),
      previous_(new SkinButton(kPreviousButtonId, this)),
      next_(new SkinButton(kNextButtonId, this)) {
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
    previous_->setGeometry(90, 5, 15, 21);
    next_->setGeometry(210, 5, 15, 21);
    connect(previous_, &SkinButton::clicked, this, &CalendarControl::PreviousMonth);
    connect(next_, &SkinButton::clicked, this, &CalendarControl::NextMonth);
}

QSize CalendarControl::sizeHint() const {
    return {7 * kCellWidth, kGridTop + 6 * kCellHeight};
}

void CalendarControl::SetArrowBitmaps(int previousNormal, int previousPressed, int previousHover,
                                      int nextNormal, int nextPressed, int nextHover) {
    previous_->ReplaceBitmaps(previousNormal, previousPressed, previousHover);
    next_->ReplaceBitmaps(nextNormal, nextPressed, nextHover);
}

void CalendarControl::SetMarks(int year, int month, const CalendarModel::Marks& marks) {
    model_.SetMarks(year, month, marks);
    update();
}

void CalendarControl::SetDate(const CalendarDate& date) {
    model_.SetDate(date);
    update();
}

void CalendarControl::PreviousMonth() {
    model_.PageMonth(-1);
    repaint();
    emit monthPaged(kPreviousMonthMessage);
}

void CalendarControl::NextMonth() {
    model_.PageMonth(1);
    repaint();
    emit monthPaged(kNextMonthMessage);
}

int CalendarControl::CellAt(QPoint point) {
    if (point.x() < 0 || point.y() < kGridTop || point.x() >= 7 * kCellWidth) return -1;
    const int row = (point.y() - kGridTop) / kCellHeight;
    if (row >= 6) return -1;
    return row * 7 + point.x() / kCellWidth;
}

QRect CalendarControl::CellRect(int index) {
    return {kCellWidth * (index % 7), kGridTop + kCellHeight * (index / 7), kCellWidth,
            kCellHeight};
}

void CalendarControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    PaintTitle(painter);
    PaintWeekdays(painter);
    for (int i = 0; i < CalendarModel::kCells; ++i)
        PaintCell(painter, i);
}

void CalendarControl::PaintTitle(QPainter& painter) const {
    painter.setPen(Qt::black);
    painter.drawText(kTitleRect, Qt::AlignCenter,
                     QStringLiteral("%1      %2").arg(model_.ShownYear()).arg(model_.ShownMonth()));
}

void CalendarControl::PaintWeekdays(QPainter& painter) const {
    static const char* const kNames[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
    for (int i = 0; i < 7; ++i) {
        const QRect cell(kCellWidth * i, kWeekdayTop, kCellWidth, kWeekdayHeight);
        // Etched edge: a dark line with a light one inside it.
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(cell.adjusted(0, 0, -2, -2));
        painter.setPen(Qt::white);
        painter.drawRect(cell.adjusted(1, 1, -1, -1));
        painter.setPen(i == 0 ? Qt::red : i == 6 ? Qt::blue : Qt::black);
        painter.drawText(cell, Qt::AlignCenter, QString::fromLatin1(kNames[i]));
    }
}

void CalendarControl::PaintCell(QPainter& painter, int index) const {
    const DayCell& cell = model_.Cell(index);
    const QRect area = CellRect(index);
    const QRect inner = area.adjusted(1, 1, -1, -1);
    switch (cell.kind) {
        case DayKind::ShownMonth:
            painter.fillRect(inner, Qt::white);
            painter.setPen(Qt::black);
            break;
        case DayKind::WithRecordings:
            painter.fillRect(inner, Qt::red);
            painter.setPen(Qt::black);
            break;
        case DayKind::OtherMonth:
            painter.fillRect(inner, Qt::white);
            painter.setPen(Qt::white);
            break;
    }
    painter.drawText(inner, Qt::AlignCenter, QString::number(cell.date.day));
    if (cell.selected && cell.kind != DayKind::OtherMonth) {
        painter.setPen(
            QPen(Qt::blue, kSelectionFrame, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        const int half = kSelectionFrame / 2;
        painter.drawRect(area.adjusted(half, half, -half - 1, -half - 1));
    }
}

void CalendarControl::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) clickArmed_ = true;
}

void CalendarControl::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !clickArmed_) return;
    clickArmed_ = false;
    const QPoint point = e->position().toPoint();
    const int cell = CellAt(point);
    if (cell < 0) return;
    if (model_.PickCell(cell)) repaint();
    emit dayReleased(e->modifiers(), point);
}

void CalendarControl::MoveSelection(int days) {
    const CalendarDate target = AddDays(model_.SelectedDate(), days);
    if (target.year != model_.ShownYear() || target.month != model_.ShownMonth()) return;
    for (int i = 0; i < CalendarModel::kCells; ++i) {
        if (model_.Cell(i).date == target) {
            model_.PickCell(i);
            repaint();
            emit dayReleased(Qt::NoModifier, CellRect(i).center());
            return;
        }
    }
}

void CalendarControl::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Left:
            MoveSelection(-1);
            break;
        case Qt::Key_Right:
            MoveSelection(1);
            break;
        case Qt::Key_Up:
            MoveSelection(-7);
            break;
        case Qt::Key_Down:
            MoveSelection(7);
            break;
        case Qt::Key_PageUp:
            PreviousMonth();
            break;
        case Qt::Key_PageDown:
            NextMonth();
            break;
        default:
            QWidget::keyPressEvent(e);
    }
}

}  // namespace ui
