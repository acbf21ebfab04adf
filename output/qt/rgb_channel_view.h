// The RGB cell view (display type 1, and the fallback when the GPU view cannot start): the
// picture converted and scaled to the destination rectangle on the CPU, then drawn with
// QPainter.
#pragma once

#include <QImage>
#include <QWidget>

#include <atomic>

#include "output/channel_display.h"
#include "output/qt/cell_overlay.h"
#include "output/view_picture.h"

namespace output::qt {

class RgbChannelView final : public QWidget, public ChannelView {
    Q_OBJECT
  public:
    RgbChannelView(ChannelDisplay& display, int channel, QWidget* parent = nullptr);

    bool Open(int width, int height, int displayType, bool deinterlace) override;
    void PictureReady() override;
    void Release() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ChannelDisplay& display_;
    int channel_;
    ViewPicture picture_;
    QImage image_;  // wraps the view picture's buffer
    CellOverlay overlay_;
    std::atomic<bool> repaintQueued_{false};
};

}  // namespace output::qt
