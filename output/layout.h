// The cell layouts of the viewers: which channels a layout code shows and where, and how a
// layout is composed into one RGB picture for stills and printing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace output {

inline constexpr int kChannels = 16;
// The composed area of the grid layouts.
inline constexpr int kGridWidth = 720;
inline constexpr int kGridHeight = 480;
// The one-pixel lines between grid cells (B, G, R).
inline constexpr uint8_t kGridLineColour[3] = {0x60, 0x60, 0x60};

struct CellRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Layout {
    int columns = 0;  // 1, 2, 3 or 4 (rows alike)
    int cellCount = 0;
    // The channel of each cell in raster order, -1 for an empty cell.
    std::array<int, kChannels> channels{};
    std::array<CellRect, kChannels> cells{};
    int width = 0;  // the composed area
    int height = 0;
};

// Codes 0..15 one channel over the picture size; 16..19 four channels in a 2 x 2 grid; 20, 21
// eight channels in a 3 x 3 grid around an empty centre; 22 and above all sixteen in 4 x 4.
// False for a negative code.
bool LayoutFor(int code, int pictureWidth, int pictureHeight, Layout* layout);

// The part of a picture that is shown: 8 columns at each side and 2 rows at top and bottom are
// never shown.
CellRect VisibleRect(int pictureWidth, int pictureHeight);

// A 24-bit picture, rows top first, bytes B, G, R.
struct BgrImage {
    uint8_t* pixels = nullptr;
    ptrdiff_t stride = 0;  // bytes
    int width = 0;
    int height = 0;
};

// Scales `src` (a rectangle of a bottom-up 24-bit B,G,R picture of `srcHeight` rows and
// `srcStride` bytes a row) into `dst` by nearest neighbour (rows and columns dropped or
// repeated, as a colour-on-colour stretch does).
void StretchBottomUp(const uint8_t* src, ptrdiff_t srcStride, int srcHeight, CellRect from,
                     const BgrImage& dst, CellRect to);

// Draws the grid lines of `layout` into `dst`.
void DrawGridLines(const Layout& layout, const BgrImage& dst);

}  // namespace output
