// A horizontal bar with a start and an end marker, each on its own date, set by mouse: drag a
// visible marker, double-click for the start, right-click for the end. Changes are reported through
// scrolled(code, position): 5 for each change, 4 when a drag that changed something ends.
#pragma once

#include <QPixmap>
#include <QWidget>

#include "ui/time_bar_model.h"

namespace ui {

class TimeRangeBar : public QWidget {
    Q_OBJECT

  public:
    explicit TimeRangeBar(QWidget* parent);

    void SetMarkerBitmaps(int startBitmap, int endBitmap);
    void SetBackgroundCopy(const QPixmap& picture);
    void SetRange(int minimum, int maximum);
    void SetShownDate(const CalendarDate& date);
    void SetStart(int position, const CalendarDate& date);
    void SetEnd(int position, const CalendarDate& date);

    const TimeBarModel& Model() const { return model_; }

  signals:
    void scrolled(int code, int position);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    void LoadBitmaps();
    void Report(const std::optional<TimeBarNotice>& notice);

    TimeBarModel model_;
    int startId_ = 0;
    int endId_ = 0;
    QPixmap start_, end_;
    qreal pixmapRatio_ = 0;
    int pixmapGeneration_ = -1;
    QPixmap backgroundCopy_;
};

}  // namespace ui
