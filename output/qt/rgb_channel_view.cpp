#include "output/qt/rgb_channel_view.h"

#include <QPainter>

#include "output/layout.h"

namespace output::qt {

RgbChannelView::RgbChannelView(ChannelDisplay& display, int channel, QWidget* parent)
    : QWidget(parent), display_(display), channel_(channel) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool RgbChannelView::Open(int width, int height, int, bool) {
    // Whatever the display type, this view converts on the CPU.
    image_ = QImage(picture_.Rgb32Buffer(), width, height, 4 * width, QImage::Format_RGB32);
    const CellRect visible = VisibleRect(width, height);
    source_ = QRect(visible.x, visible.y, visible.width, visible.height);
    update();
    return true;
}

void RgbChannelView::Release() {
    image_ = QImage();
}

void RgbChannelView::PictureReady() {
    // Called on the decoding thread: one queued repaint at a time.
    if (repaintQueued_.exchange(true)) return;
    QMetaObject::invokeMethod(this, "update", Qt::QueuedConnection);
}

void RgbChannelView::paintEvent(QPaintEvent*) {
    repaintQueued_.store(false);
    QPainter painter(this);
    bool blank = true;
    QRect target = rect();
    {
        auto frame = display_.Frame(channel_);
        target = DestinationRect(*frame, rect());
        blank = frame->blank || image_.isNull() || frame->width != image_.width() ||
                frame->height != image_.height();
        if (!blank) picture_.ToRgb32(*frame);
        overlay_.Update(*frame);
    }
    painter.fillRect(rect(), kEmptyCellColour);
    if (!blank) painter.drawImage(target, image_, source_);
    overlay_.Paint(painter);
}

}  // namespace output::qt
