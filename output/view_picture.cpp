#include "output/view_picture.h"

#include "decoder/kernels/kernels.h"

namespace output {
namespace {

constexpr size_t kRgb32Size = 704 * 576 * 4;

}  // namespace

ViewPicture::ViewPicture()
    : yuy2_(std::make_unique<uint8_t[]>(kPictureBufferSize)),
      bgr_(std::make_unique<uint8_t[]>(kPictureBufferSize)),
      rgb32_(std::make_unique<uint8_t[]>(kRgb32Size)) {}

const uint8_t* ViewPicture::ToYuy2(const CellFrame& f) {
    if (f.layout != PixelLayout::kYuy2) return nullptr;
    if (!NeedsDeinterlace(f.width, f.height, f.deinterlace)) return f.pixels;
    decoder::kernels::ActiveKernels().deinterlace(f.pixels, yuy2_.get(), 2 * f.width, f.width,
                                                  f.height);
    return yuy2_.get();
}

const uint8_t* ViewPicture::ToRgb32(const CellFrame& f) {
    const int w = f.width;
    const int h = f.height;
    const uint8_t* bgr = f.pixels;
    if (f.layout == PixelLayout::kYuy2) {
        decoder::kernels::ActiveKernels().yuy2ToRgb(ToYuy2(f), 2 * w, bgr_.get(), 3 * w, w, h);
        bgr = bgr_.get();
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = bgr + static_cast<ptrdiff_t>(h - 1 - y) * 3 * w;
        uint8_t* d = rgb32_.get() + static_cast<ptrdiff_t>(y) * 4 * w;
        for (int x = 0; x < w; ++x, s += 3, d += 4) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = 0xFF;
        }
    }
    return rgb32_.get();
}

}  // namespace output
