#include "ui/info_tip.h"

#include <QPainter>

namespace ui {
namespace {

// Text inset and the extra size around the text.
constexpr int kTextLeft = 3;
constexpr int kTextTop = 1;
constexpr int kExtraWidth = 7;
constexpr int kExtraHeight = 2;
// Offset of the tip from the point it describes.
constexpr QPoint kOffset(2, 2);

}  // namespace

InfoTip::InfoTip(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      owner_(owner) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

void InfoTip::SetText(const QString& text) {
    text_ = text;
    update();
}

void InfoTip::Show(QPoint point) {
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(text_) + kExtraWidth, metrics.height() + kExtraHeight);
    move(owner_->mapToGlobal(point) + kOffset);
    show();
    raise();
    update();
}

void InfoTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(palette().color(QPalette::ToolTipBase));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::ToolTipText));
    const QFontMetrics metrics(font());
    painter.drawText(kTextLeft, kTextTop + metrics.ascent(), text_);
}

}  // namespace ui
