#include "output/layout.h"

#include <cstring>

namespace output {
namespace {

// The cell edges of an n-way split of `size` with a one-pixel line before every cell but the
// first: cell k spans [Start(k), End(k)).
int LineAt(int k, int n, int size) {
    return k * size / n;
}
int CellStart(int k, int n, int size) {
    return LineAt(k, n, size) + (k > 0 ? 1 : 0);
}
int CellEnd(int k, int n, int size) {
    return LineAt(k + 1, n, size);
}

}  // namespace

bool LayoutFor(int code, int pictureWidth, int pictureHeight, Layout* layout) {
    if (code < 0) return false;
    Layout l;
    l.channels.fill(-1);
    if (code < 16) {
        l.columns = 1;
        l.cellCount = 1;
        l.channels[0] = code;
        l.width = pictureWidth;
        l.height = pictureHeight;
        l.cells[0] = {0, 0, pictureWidth, pictureHeight};
        *layout = l;
        return true;
    }
    l.width = kGridWidth;
    l.height = kGridHeight;
    if (code < 20) {
        l.columns = 2;
        for (int i = 0; i < 4; ++i)
            l.channels[static_cast<size_t>(i)] = 4 * (code - 16) + i;
    } else if (code < 22) {
        l.columns = 3;
        for (int i = 0, ch = 8 * (code - 20); i < 9; ++i)
            l.channels[static_cast<size_t>(i)] = i == 4 ? -1 : ch++;
    } else {
        l.columns = 4;
        for (int i = 0; i < 16; ++i)
            l.channels[static_cast<size_t>(i)] = i;
    }
    const int n = l.columns;
    l.cellCount = n * n;
    for (int i = 0; i < l.cellCount; ++i) {
        const int col = i % n;
        const int row = i / n;
        CellRect& r = l.cells[static_cast<size_t>(i)];
        r.x = CellStart(col, n, kGridWidth);
        r.y = CellStart(row, n, kGridHeight);
        r.width = CellEnd(col, n, kGridWidth) - r.x;
        r.height = CellEnd(row, n, kGridHeight) - r.y;
    }
    *layout = l;
    return true;
}

CellRect VisibleRect(int pictureWidth, int pictureHeight) {
    return {8, 2, pictureWidth - 16, pictureHeight - 4};
}

void StretchBottomUp(const uint8_t* src, ptrdiff_t srcStride, int srcHeight, CellRect from,
                     const BgrImage& dst, CellRect to) {
    if (from.width <= 0 || from.height <= 0 || to.width <= 0 || to.height <= 0) return;
    for (int dy = 0; dy < to.height; ++dy) {
        const int sy = from.y + static_cast<int>(int64_t{dy} * from.height / to.height);
        const uint8_t* srow = src + (srcHeight - 1 - sy) * srcStride;
        uint8_t* drow = dst.pixels + (to.y + dy) * dst.stride + 3 * to.x;
        if (to.width == from.width) {
            std::memcpy(drow, srow + 3 * from.x, 3 * static_cast<size_t>(to.width));
            continue;
        }
        for (int dx = 0; dx < to.width; ++dx) {
            const int sx = from.x + static_cast<int>(int64_t{dx} * from.width / to.width);
            std::memcpy(drow + 3 * dx, srow + 3 * sx, 3);
        }
    }
}

void DrawGridLines(const Layout& layout, const BgrImage& dst) {
    const int n = layout.columns;
    if (n < 2) return;
    auto paint = [&dst](int x, int y) {
        std::memcpy(dst.pixels + y * dst.stride + 3 * x, kGridLineColour, 3);
    };
    for (int k = 1; k < n; ++k) {
        const int x = LineAt(k, n, dst.width);
        const int y = LineAt(k, n, dst.height);
        for (int r = 0; r < dst.height; ++r)
            paint(x, r);
        for (int c = 0; c < dst.width; ++c)
            paint(c, y);
    }
}

}  // namespace output
