#include "output/qt/channel_cell.h"

#include "output/qt/gpu_channel_view.h"
#include "output/qt/rgb_channel_view.h"

namespace output::qt {

ChannelCell::ChannelCell(ChannelDisplay& display, int channel, QWidget* parent)
    : QWidget(parent), display_(display), channel_(channel) {}

ChannelCell::~ChannelCell() {
    display_.AttachView(channel_, nullptr);
}

QWidget* ChannelCell::view() const {
    return gpu_ ? static_cast<QWidget*>(gpu_) : static_cast<QWidget*>(rgb_);
}

void ChannelCell::DropViews() {
    display_.AttachView(channel_, nullptr);
    delete gpu_;
    delete rgb_;
    gpu_ = nullptr;
    rgb_ = nullptr;
}

void ChannelCell::UseRgb() {
    DropViews();
    rgb_ = new RgbChannelView(display_, channel_, this);
    rgb_->setGeometry(rect());
    rgb_->show();
    display_.AttachView(channel_, rgb_);
    display_.OpenView(channel_, kDisplayRgb);
}

bool ChannelCell::Open(int displayType) {
    DropViews();
    if (displayType < 0) displayType = display_.displayType();
    if (displayType != kDisplayGpu) {
        UseRgb();
        return true;
    }
    gpu_ = new GpuChannelView(display_, channel_, this);
    gpu_->setGeometry(rect());
    display_.AttachView(channel_, gpu_);
    if (!display_.OpenView(channel_, kDisplayGpu)) {
        UseRgb();
        emit fellBackToRgb();
        return false;
    }
    connect(gpu_, &GpuChannelView::notReady, this, &ChannelCell::OnGpuNotReady,
            Qt::QueuedConnection);
    gpu_->show();
    return true;
}

void ChannelCell::OnGpuNotReady() {
    if (!gpu_) return;
    UseRgb();
    emit fellBackToRgb();
}

void ChannelCell::resizeEvent(QResizeEvent*) {
    if (QWidget* v = view()) v->setGeometry(rect());
}

}  // namespace output::qt
