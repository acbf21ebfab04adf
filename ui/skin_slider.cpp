#include "ui/skin_slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <optional>

#include "ui/skin_resources.h"

namespace ui {
namespace {

// Height of the controls that take their background copy from its vertical offset.
constexpr int kOffsetCopyHeight = 18;

std::optional<SliderKey> KeyOf(int key) {
    switch (key) {
        // Up and down step like left and right, as the standard track bar does.
        case Qt::Key_Left:
        case Qt::Key_Up:
            return SliderKey::Left;
        case Qt::Key_Right:
        case Qt::Key_Down:
            return SliderKey::Right;
        case Qt::Key_PageUp:
            return SliderKey::PageUp;
        case Qt::Key_PageDown:
            return SliderKey::PageDown;
        case Qt::Key_Home:
            return SliderKey::Home;
        case Qt::Key_End:
            return SliderKey::End;
        default:
            return std::nullopt;
    }
}

}  // namespace

SkinSlider::SkinSlider(QWidget* parent) : QAbstractSlider(parent) {
    setOrientation(Qt::Horizontal);
    setFocusPolicy(Qt::StrongFocus);
}

void SkinSlider::SetBitmaps(int track, int filledTrack, int thumb, int draggingThumb,
                            int focusedThumb, int margin) {
    ids_[0] = track;
    ids_[1] = filledTrack;
    ids_[2] = thumb;
    ids_[3] = draggingThumb;
    ids_[4] = focusedThumb;
    margin_ = margin;
    pixmapGeneration_ = -1;
    LoadBitmaps();
    update();
}

void SkinSlider::SetBackgroundCopy(const QPixmap& picture, int verticalOffset) {
    backgroundCopy_ = picture;
    backgroundOffset_ = verticalOffset;
    update();
}

void SkinSlider::LoadBitmaps() {
    const qreal ratio = devicePixelRatioF();
    if (pixmapGeneration_ == SkinResourceGeneration() && pixmapRatio_ == ratio) return;
    auto load = [ratio](int id) { return id ? SkinBitmap(id, ratio) : QPixmap(); };
    track_ = load(ids_[0]);
    filled_ = load(ids_[1]);
    thumb_ = load(ids_[2]);
    thumbTransparent_ = ids_[2] ? SkinBitmapWhiteTransparent(ids_[2], ratio) : QPixmap();
    dragThumb_ = load(ids_[3]);
    focusThumb_ = load(ids_[4]);
    thumbSize_ = thumb_.deviceIndependentSize().toSize();
    trackWidth_ = qRound(track_.deviceIndependentSize().width());
    pixmapGeneration_ = SkinResourceGeneration();
    pixmapRatio_ = ratio;
}

SliderGeometry SkinSlider::Geometry() const {
    return {minimum(), maximum(), width(), margin_, thumbSize_.width()};
}

void SkinSlider::paintEvent(QPaintEvent*) {
    LoadBitmaps();
    QPainter painter(this);
    if (!backgroundCopy_.isNull()) {
        const int sourceY = height() == kOffsetCopyHeight ? backgroundOffset_ : 0;
        const qreal r = backgroundCopy_.devicePixelRatio();
        painter.drawPixmap(QRectF(rect()), backgroundCopy_,
                           QRectF(0, sourceY * r, width() * r, height() * r));
    } else if (!track_.isNull()) {
        painter.drawPixmap(rect(), track_);
        const FilledSpan span = SliderFilledSpan(width(), trackWidth_, value(), maximum());
        if (!filled_.isNull() && span.destWidth > 0) {
            const qreal r = filled_.devicePixelRatio();
            painter.drawPixmap(QRectF(0, 0, span.destWidth, height()), filled_,
                               QRectF(0, 0, span.sourceWidth * r, filled_.height()));
        }
    }
    const QPoint at(ThumbX(), ThumbY());
    if (ids_[3] || ids_[4]) {
        const QPixmap& shown = dragging_ && !dragThumb_.isNull()     ? dragThumb_
                               : hasFocus() && !focusThumb_.isNull() ? focusThumb_
                                                                     : thumb_;
        painter.drawPixmap(at, shown);
    } else {
        painter.drawPixmap(at, thumbTransparent_);
    }
}

bool SkinSlider::FollowMouse(int x) {
    const int pos = SliderPositionFromX(Geometry(), x);
    if (pos == value()) return false;
    setValue(pos);
    return true;
}

void SkinSlider::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QAbstractSlider::mousePressEvent(e);
    setFocus(Qt::MouseFocusReason);
    dragging_ = true;
    moved_ = false;
    if (FollowMouse(qRound(e->position().x()))) {
        moved_ = true;
        emit scrolled(kSliderMouseMoved, value());
    }
    repaint();
}

void SkinSlider::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_) return;
    if (FollowMouse(qRound(e->position().x()))) {
        moved_ = true;
        emit scrolled(kSliderMouseMoved, value());
        repaint();
    }
}

void SkinSlider::mouseReleaseEvent(QMouseEvent* e) {
    if (!dragging_ || e->button() != Qt::LeftButton) return;
    dragging_ = false;
    if (FollowMouse(qRound(e->position().x()))) {
        moved_ = true;
        emit scrolled(kSliderMouseMoved, value());
    }
    if (moved_) emit scrolled(kSliderDragEnded, value());
    moved_ = false;
    repaint();
}

void SkinSlider::keyPressEvent(QKeyEvent* e) {
    const std::optional<SliderKey> key = KeyOf(e->key());
    if (!key) return QAbstractSlider::keyPressEvent(e);
    const SliderStep step =
        SliderKeyStep(*key, value(), minimum(), maximum(), pageStep(), singleStep());
    setValue(step.position);
    repaint();
    emit scrolled(step.code, value());
}

void SkinSlider::keyReleaseEvent(QKeyEvent* e) {
    if (!KeyOf(e->key())) return QAbstractSlider::keyReleaseEvent(e);
    if (!e->isAutoRepeat()) emit scrolled(kSliderKeyReleased, value());
}

void SkinSlider::wheelEvent(QWheelEvent* e) {
    // The wheel is not one of the slider's inputs: the parent sees every change through scrolled().
    e->ignore();
}

}  // namespace ui
