#include "ui/skin_button.h"

#include <QKeyEvent>
#include <QPainter>

#include "ui/skin_resources.h"

namespace ui {

SkinButton::SkinButton(int commandId, QWidget* parent)
    : QAbstractButton(parent), commandId_(commandId) {
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover, false);
}

void SkinButton::SetBitmaps(int left, int top, int right, int bottom, int normal, int pressed,
                            int hover) {
    setGeometry(left, top, right - left, bottom - top);
    ReplaceBitmaps(normal, pressed, hover);
}

void SkinButton::ReplaceBitmaps(int normal, int pressed, int hover) {
    ids_[kNormal] = normal;
    ids_[kPressed] = pressed;
    ids_[kHover] = hover;
    pixmapGeneration_ = -1;
    repaint();
}

void SkinButton::SetTooltipText(const QString& text) {
    setToolTip(text);
}

int SkinButton::CurrentBitmap() const {
    if (isDown()) return ids_[kPressed];
    if (hovering_) return ids_[kHover];
    return ids_[kNormal];
}

QSize SkinButton::sizeHint() const {
    return size();
}

const QPixmap& SkinButton::Pixmap(int state) {
    const qreal ratio = devicePixelRatioF();
    if (pixmapGeneration_ != SkinResourceGeneration() || pixmapRatio_ != ratio) {
        for (int i = 0; i < kStates; ++i)
            pixmaps_[i] = SkinBitmap(ids_[i], ratio);
        pixmapGeneration_ = SkinResourceGeneration();
        pixmapRatio_ = ratio;
    }
    return pixmaps_[state];
}

bool SkinButton::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::Enter:
            hovering_ = true;
            repaint();
            break;
        case QEvent::Leave:
            hovering_ = false;
            repaint();
            break;
        case QEvent::Hide:  // no leave follows while hidden: come back unhovered
        case QEvent::HideToParent:
            hovering_ = false;
            break;
        default:
            break;
    }
    return QAbstractButton::event(e);
}

void SkinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int state = isDown() ? kPressed : hovering_ ? kHover : kNormal;
    painter.drawPixmap(0, 0, Pixmap(state));
    if (hasFocus()) {
        // Keyboard focus: a thin accent outline inside the button.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x4d, 0xb6, 0xff), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }
}

void SkinButton::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

}  // namespace ui
