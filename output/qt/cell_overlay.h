// What both cell views draw on top of the picture: the live-state dot (remote client), the
// motion and sensor marks, and the caption; and the colour of a cell without a picture.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <string>

#include "output/channel_display.h"

class QPainter;

namespace output::qt {

// A cell that has shown no picture yet.
inline const QColor kEmptyCellColour{0, 0, 0};

// The overlay state of a cell, copied out of the display while its lock is held. The caption
// is converted only when it changes.
class CellOverlay {
  public:
    void Update(const CellFrame& frame);
    // Draws the overlays in cell coordinates.
    void Paint(QPainter& painter) const;

    // The mark bitmaps (white is transparent).
    static const QImage& MotionMark();
    static const QImage& SensorMark();

  private:
    bool showLiveState_ = false;
    bool liveState_ = false;
    bool motion_ = false;
    bool sensor_ = false;
    std::string captionBytes_;
    QString caption_;
};

// The destination rectangle of a cell: the display's view rectangle, or the whole cell.
QRect DestinationRect(const CellFrame& frame, const QRect& cell);

}  // namespace output::qt
