#include "ui/time_range_bar.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/skin_resources.h"

namespace ui {

TimeRangeBar::TimeRangeBar(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::ClickFocus);
}

void TimeRangeBar::SetMarkerBitmaps(int startBitmap, int endBitmap) {
    startId_ = startBitmap;
    endId_ = endBitmap;
    pixmapGeneration_ = -1;
    LoadBitmaps();
    update();
}

void TimeRangeBar::LoadBitmaps() {
    const qreal ratio = devicePixelRatioF();
    if (pixmapGeneration_ == SkinResourceGeneration() && pixmapRatio_ == ratio) return;
    start_ = SkinBitmapWhiteTransparent(startId_, ratio);
    end_ = SkinBitmapWhiteTransparent(endId_, ratio);
    pixmapGeneration_ = SkinResourceGeneration();
    pixmapRatio_ = ratio;
    const QSize marker = start_.deviceIndependentSize().toSize();
    model_.SetGeometry(width(), marker.width(), marker.height());
}

void TimeRangeBar::SetBackgroundCopy(const QPixmap& picture) {
    backgroundCopy_ = picture;
    update();
}

void TimeRangeBar::SetRange(int minimum, int maximum) {
    model_.SetRange(minimum, maximum);
    update();
}

void TimeRangeBar::SetShownDate(const CalendarDate& date) {
    model_.SetShownDate(date);
    update();
}

void TimeRangeBar::SetStart(int position, const CalendarDate& date) {
    model_.SetStart(position, date);
    update();
}

void TimeRangeBar::SetEnd(int position, const CalendarDate& date) {
    model_.SetEnd(position, date);
    update();
}

void TimeRangeBar::resizeEvent(QResizeEvent*) {
    const QSize marker = start_.deviceIndependentSize().toSize();
    model_.SetGeometry(width(), marker.width(), marker.height());
}

void TimeRangeBar::paintEvent(QPaintEvent*) {
    LoadBitmaps();
    QPainter painter(this);
    if (!backgroundCopy_.isNull()) painter.drawPixmap(0, 0, backgroundCopy_);
    if (model_.StartVisible())
        painter.drawPixmap(model_.MarkerX(model_.StartPosition()), 0, start_);
    if (model_.EndVisible()) painter.drawPixmap(model_.MarkerX(model_.EndPosition()), 0, end_);
}

void TimeRangeBar::Report(const std::optional<TimeBarNotice>& notice) {
    if (!notice) return;
    repaint();
    emit scrolled(notice->code, notice->position);
}

void TimeRangeBar::mousePressEvent(QMouseEvent* e) {
    LoadBitmaps();
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::RightButton) {
        Report(model_.RightPress(p.x()));
    } else if (e->button() == Qt::LeftButton && model_.LeftPress(p.x(), p.y())) {
        setFocus(Qt::MouseFocusReason);
    }
}

void TimeRangeBar::mouseMoveEvent(QMouseEvent* e) {
    Report(model_.DragTo(qRound(e->position().x())));
}

void TimeRangeBar::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const TimeBarModel::ReleaseNotices notices = model_.LeftRelease(qRound(e->position().x()));
    Report(notices.changed);
    Report(notices.ended);
}

void TimeRangeBar::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        Report(model_.LeftDoubleClick(qRound(e->position().x())));
    } else {
        mousePressEvent(e);
    }
}

}  // namespace ui
