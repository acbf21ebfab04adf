// The CPU side of a cell view: turns the cell's picture into what the view draws, in buffers
// that grow with the cell's size and are reused, so drawing a frame allocates nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

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

    // The visible part of the picture (without the 8 columns at each side and the 2 rows at
    // top and bottom) scaled to width x height by nearest neighbour, as 32-bit pixels (bytes
    // B, G, R, 255), top row first, width x 4 bytes a row. A cell much smaller than the
    // picture converts only the pixels it shows.
    const uint8_t* Scaled(const CellFrame& frame, int width, int height);
    // The picture as packed YUY2, top row first, width x 2 bytes a row; null when the cell
    // holds RGB pictures.
    const uint8_t* ToYuy2(const CellFrame& frame);

  private:
    // Writes row `dy` of the scaled picture from a bottom-up 24-bit picture.
    void SampleBgrRow(const CellFrame& f, const uint8_t* bgr, int sy, uint8_t* out);
    void SampleYuy2Row(const CellFrame& f, int sy, uint8_t* out);

    std::unique_ptr<uint8_t[]> yuy2_;  // de-interlaced work copy
    std::unique_ptr<uint8_t[]> bgr_;   // bottom-up 24-bit
    std::vector<uint8_t> scaled_;
    std::vector<int> columns_;      // source column of each scaled column
    std::vector<uint8_t> rowYuy2_;  // one de-interlaced row (the words in use)
    std::vector<uint8_t> rowBgr_;   // one converted row (the pixels in use)
};

}  // namespace output
