// One cell of a viewer window: holds the cell's view (GPU or RGB) filling it, attaches it to the
// channel display, and puts an RGB view in place of a GPU view that cannot draw.
#pragma once

#include <QWidget>

#include "output/channel_display.h"

namespace output::qt {

class GpuChannelView;
class RgbChannelView;

class ChannelCell final : public QWidget {
    Q_OBJECT
  public:
    ChannelCell(ChannelDisplay& display, int channel, QWidget* parent = nullptr);
    ~ChannelCell() override;

    // Opens the cell's view for the display's picture size: the GPU view for display type 0
    // (the setting's value when -1), else the RGB view. False when a GPU view was asked for
    // and the RGB view took over.
    bool Open(int displayType = -1);
    bool usingGpu() const { return gpu_ != nullptr; }
    QWidget* view() const;

  signals:
    // The GPU view could not draw and the RGB view took over (the remote client then writes
    // DisplayType 1 back).
    void fellBackToRgb();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void UseRgb();
    void OnGpuNotReady();
    void DropViews();

    ChannelDisplay& display_;
    int channel_;
    GpuChannelView* gpu_ = nullptr;
    RgbChannelView* rgb_ = nullptr;
};

}  // namespace output::qt
