// The CPU side of a cell view: turns the cell's picture into what the view draws, in buffers
// allocated once per view, so drawing a frame allocates nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "output/channel_display.h"

namespace output {

// Full-height 704-wide pictures are de-interlaced when the setting is on; field pictures
// (fewer than 480 rows) and CIF pictures never are.
inline bool NeedsDeinterlace(int width, int height, bool on) {
    return on && width == 704 && height >= 480;
}

class ViewPicture {
  public:
    ViewPicture();

    // The picture as 32-bit pixels (bytes B, G, R, 255), top row first, width x 4 bytes a row.
    const uint8_t* ToRgb32(const CellFrame& frame);
    // The picture as packed YUY2, top row first, width x 2 bytes a row; null when the cell
    // holds RGB pictures.
    const uint8_t* ToYuy2(const CellFrame& frame);
    // Where ToRgb32 writes (the same buffer for the view's whole life).
    uint8_t* Rgb32Buffer() { return rgb32_.get(); }

  private:
    std::unique_ptr<uint8_t[]> yuy2_;  // de-interlaced work copy
    std::unique_ptr<uint8_t[]> bgr_;   // bottom-up 24-bit
    std::unique_ptr<uint8_t[]> rgb32_;
};

}  // namespace output
