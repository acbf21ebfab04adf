#include "output/qt/rgb_channel_view.h"

#include <QPainter>

#include "output/layout.h"

namespace output::qt {

RgbChannelView::RgbChannelView(ChannelDisplay& display, int channel, QWidget* parent)
    : QWidget(parent), display_(display), channel_(channel) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool RgbChannelView::Open(int, int, int, bool) {
    // Whatever the display type, this view converts on the CPU.
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
    const uint8_t* pixels = nullptr;
    QRect target = rect();
    {
        auto frame = display_.Frame(channel_);
        target = DestinationRect(*frame, rect());
        if (!frame->blank) pixels = picture_.Scaled(*frame, target.width(), target.height());
        overlay_.Update(*frame);
    }
    painter.fillRect(rect(), kEmptyCellColour);
    if (pixels) {
        // The picture's buffer moves only when the cell grows: wrap it again only then.
        if (image_.constBits() != pixels || image_.size() != target.size())
            image_ = QImage(pixels, target.width(), target.height(), 4 * target.width(),
                            QImage::Format_RGB32);
        painter.drawImage(target.topLeft(), image_);
    }
    overlay_.Paint(painter);
}

}  // namespace output::qt
