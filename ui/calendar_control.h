// One month as a grid of 42 day cells under a title strip with previous/next buttons; days with
// recordings are marked, a day of the shown month is picked by mouse or keyboard.
#pragma once

#include <QWidget>

#include "ui/calendar_model.h"

namespace ui {

class SkinButton;

class CalendarControl : public QWidget {
    Q_OBJECT

  public:
    // Identifiers of the paging buttons, and the messages their presses send to the parent.
    static constexpr int kPreviousButtonId = 100000;
    static constexpr int kNextButtonId = 100001;
    static constexpr int kPreviousMonthMessage = 2024;
    static constexpr int kNextMonthMessage = 2025;
    static constexpr int kCellWidth = 45;
    static constexpr int kCellHeight = 20;
    static constexpr int kGridTop = 50;

    explicit CalendarControl(QWidget* parent);

    void SetArrowBitmaps(int previousNormal, int previousPressed, int previousHover, int nextNormal,
                         int nextPressed, int nextHover);
    void SetMarks(int year, int month, const CalendarModel::Marks& marks);
    void SetDate(const CalendarDate& date);
    CalendarDate GetSelectedDate() const { return model_.SelectedDate(); }
    int GetSelectedCell() const { return model_.SelectedCell(); }
    const CalendarModel& Model() const { return model_; }

    // The cell under a point of the control, or -1.
    static int CellAt(QPoint point);
    static QRect CellRect(int index);

    QSize sizeHint() const override;

  signals:
    // The shown month was paged back (message 2024) or forward (2025); the new month is on display.
    void monthPaged(int message);
    // The left button was released over a day cell after a press in the control, whether or not the
    // day could be picked.
    void dayReleased(Qt::KeyboardModifiers modifiers, QPoint point);

  public slots:
    void PreviousMonth();
    void NextMonth();

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void PaintTitle(QPainter& painter) const;
    void PaintWeekdays(QPainter& painter) const;
    void PaintCell(QPainter& painter, int index) const;
    // Keyboard: selects the day `days` away when it lies in the shown month.
    void MoveSelection(int days);

    CalendarModel model_;
    SkinButton* previous_;
    SkinButton* next_;
    bool clickArmed_ = false;
};

}  // namespace ui
