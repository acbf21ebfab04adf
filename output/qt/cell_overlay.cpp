#include "output/qt/cell_overlay.h"

#include <QPainter>

namespace output::qt {
namespace {

// White stands for transparent in the mark bitmaps.
QImage WithWhiteTransparent(QImage image) {
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xFFFFFF) == 0xFFFFFF) row[x] = 0;
    }
    return image;
}

// Motion: an orange figure in mid-stride on white.
QImage DrawMotionMark() {
    QImage image(22, 14, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor orange(240, 130, 20);
    p.setPen(QPen(orange, 2));
    p.setBrush(orange);
    p.drawEllipse(QRect(9, 0, 3, 3));
    p.drawLine(10, 4, 9, 9);
    p.drawLine(9, 9, 5, 13);
    p.drawLine(9, 9, 13, 13);
    p.drawLine(10, 5, 6, 7);
    p.drawLine(10, 5, 15, 6);
    p.setPen(QPen(QColor(120, 60, 10), 1));
    p.drawLine(1, 5, 4, 5);
    p.drawLine(0, 8, 4, 8);
    return WithWhiteTransparent(image);
}

// Sensor: a yellow warning triangle on white.
QImage DrawSensorMark() {
    QImage image(22, 14, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    const QPoint triangle[3] = {{11, 0}, {21, 13}, {1, 13}};
    p.setPen(QPen(QColor(90, 70, 0), 1));
    p.setBrush(QColor(250, 210, 30));
    p.drawPolygon(triangle, 3);
    p.setPen(QPen(QColor(40, 30, 0), 2));
    p.drawLine(11, 4, 11, 8);
    p.drawPoint(11, 11);
    return WithWhiteTransparent(image);
}

}  // namespace

const QImage& CellOverlay::MotionMark() {
    static const QImage image = DrawMotionMark();
    return image;
}

const QImage& CellOverlay::SensorMark() {
    static const QImage image = DrawSensorMark();
    return image;
}

void CellOverlay::Update(const CellFrame& frame) {
    showLiveState_ = frame.showLiveState;
    liveState_ = frame.liveState;
    motion_ = frame.motion;
    sensor_ = frame.sensor;
    if (frame.caption && *frame.caption != captionBytes_) {
        captionBytes_ = *frame.caption;
        caption_ =
            QString::fromUtf8(captionBytes_.data(), static_cast<qsizetype>(captionBytes_.size()));
    }
}

void CellOverlay::Paint(QPainter& painter) const {
    if (showLiveState_ && liveState_) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 0, 0));
        painter.drawEllipse(QRect(0, 20, 15, 15));
        painter.restore();
    }
    if (motion_) painter.drawImage(QPoint(17, 20), MotionMark());
    if (sensor_) painter.drawImage(QPoint(42, 20), SensorMark());
    if (!caption_.isEmpty()) {
        painter.setPen(Qt::white);
        const QFontMetrics metrics(painter.font());
        painter.drawText(QPoint(0, 3 + metrics.ascent()), caption_);
    }
}

QRect DestinationRect(const CellFrame& frame, const QRect& cell) {
    if (frame.viewRight > 0 && frame.viewBottom > 0)
        return QRect(0, 0, frame.viewRight, frame.viewBottom);
    return cell;
}

}  // namespace output::qt
