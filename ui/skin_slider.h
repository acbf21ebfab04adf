// A horizontal track bar drawn from numbered bitmaps: a track stretched over the control, an
// optional filled track left of the position and a thumb (normal, dragging, focused). Mouse and key
// changes are reported through scrolled(code, position) with the codes of SliderCode.
#pragma once

#include <QAbstractSlider>
#include <QPixmap>

#include "ui/slider_math.h"

namespace ui {

class SkinSlider : public QAbstractSlider {
    Q_OBJECT

  public:
    explicit SkinSlider(QWidget* parent);

    // Bitmaps by number; 0 for "none" (dragging and focused thumbs then fall back to the normal
    // thumb). `margin` pixels stay free at each end of the channel.
    void SetBitmaps(int track, int filledTrack, int thumb, int draggingThumb, int focusedThumb,
                    int margin);
    // A picture of the parent's background under the control, drawn first when set. Controls
    // exactly 18 pixels high take it from `verticalOffset`, others from row 0.
    void SetBackgroundCopy(const QPixmap& picture, int verticalOffset = 0);

    SliderGeometry Geometry() const;
    int ThumbX() const { return SliderThumbX(Geometry(), value()); }
    int ThumbY() const { return height() / 2 - thumbSize_.height() / 2; }
    bool IsDragging() const { return dragging_; }

  signals:
    void scrolled(int code, int position);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

  private:
    void LoadBitmaps();
    // Moves to the position under x; true when it changed.
    bool FollowMouse(int x);

    int ids_[5] = {0, 0, 0, 0, 0};  // track, filled, thumb, dragging, focused
    QPixmap track_, filled_, thumb_, thumbTransparent_, dragThumb_, focusThumb_;
    qreal pixmapRatio_ = 0;
    int pixmapGeneration_ = -1;
    QSize thumbSize_;
    int trackWidth_ = 0;
    int margin_ = 0;
    QPixmap backgroundCopy_;
    int backgroundOffset_ = 0;
    bool dragging_ = false;
    bool moved_ = false;
};

}  // namespace ui
