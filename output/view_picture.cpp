#include "output/view_picture.h"

#include <algorithm>

#include "decoder/kernels/kernels.h"
#include "decoder/kernels/scalar.h"
#include "output/layout.h"

namespace output {

ViewPicture::ViewPicture()
    : yuy2_(std::make_unique<uint8_t[]>(kPictureBufferSize)),
      bgr_(std::make_unique<uint8_t[]>(kPictureBufferSize)),
      rowYuy2_(704 * 2),
      rowBgr_(704 * 3) {}

const uint8_t* ViewPicture::ToYuy2(const CellFrame& f) {
    if (f.layout != PixelLayout::kYuy2) return nullptr;
    if (!NeedsDeinterlace(f.width, f.height, f.deinterlace)) return f.pixels;
    decoder::kernels::ActiveKernels().deinterlace(f.pixels, yuy2_.get(), 2 * f.width, f.width,
                                                  f.height);
    return yuy2_.get();
}

void ViewPicture::SampleBgrRow(const CellFrame& f, const uint8_t* bgr, int sy, uint8_t* out) {
    const uint8_t* row = bgr + static_cast<ptrdiff_t>(f.height - 1 - sy) * 3 * f.width;
    for (int sx : columns_) {
        const uint8_t* s = row + 3 * sx;
        out[0] = s[0];
        out[1] = s[1];
        out[2] = s[2];
        out[3] = 0xFF;
        out += 4;
    }
}

// Converts only the pixels in use: each one needs its own word and its pair's chroma (and the
// next pair's for an odd pixel), de-interlaced first on odd rows.
void ViewPicture::SampleYuy2Row(const CellFrame& f, int sy, uint8_t* out) {
    namespace scalar = decoder::kernels::scalar;
    const int w = f.width;
    const ptrdiff_t stride = 2 * static_cast<ptrdiff_t>(w);
    const uint8_t* row = f.pixels + sy * stride;
    const bool deinterlace =
        NeedsDeinterlace(w, f.height, f.deinterlace) && (sy & 1) && sy + 1 < f.height;
    const uint8_t* src = deinterlace ? rowYuy2_.data() : row;
    for (int sx : columns_) {
        if (deinterlace) {
            const int first = sx & ~1;
            scalar::DeinterlaceWords(row - stride, row, row + stride, rowYuy2_.data(), first,
                                     std::min(first + 4, w));
        }
        scalar::Yuy2ToBgrPixels(src, rowBgr_.data(), w, sx, sx + 1);
        const uint8_t* s = &rowBgr_[3 * static_cast<size_t>(sx)];
        out[0] = s[0];
        out[1] = s[1];
        out[2] = s[2];
        out[3] = 0xFF;
        out += 4;
    }
}

const uint8_t* ViewPicture::Scaled(const CellFrame& f, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    if (scaled_.size() < bytes) scaled_.resize(bytes);
    const CellRect visible = VisibleRect(f.width, f.height);
    columns_.resize(static_cast<size_t>(width));
    for (int dx = 0; dx < width; ++dx)
        columns_[static_cast<size_t>(dx)] =
            visible.x + static_cast<int>(int64_t{dx} * visible.width / width);

    // A cell showing at least half the pixels converts the whole picture with the vector
    // kernels; a smaller one converts just the pixels it samples.
    const bool whole = int64_t{width} * height * 2 >= int64_t{visible.width} * visible.height;
    const uint8_t* bgr = f.pixels;
    if (f.layout == PixelLayout::kYuy2 && whole) {
        decoder::kernels::ActiveKernels().yuy2ToRgb(ToYuy2(f), 2 * f.width, bgr_.get(), 3 * f.width,
                                                    f.width, f.height);
        bgr = bgr_.get();
    }
    for (int dy = 0; dy < height; ++dy) {
        const int sy = visible.y + static_cast<int>(int64_t{dy} * visible.height / height);
        uint8_t* out = scaled_.data() + static_cast<size_t>(dy) * 4 * width;
        if (f.layout == PixelLayout::kYuy2 && !whole) {
            SampleYuy2Row(f, sy, out);
        } else {
            SampleBgrRow(f, bgr, sy, out);
        }
    }
    return scaled_.data();
}

}  // namespace output
