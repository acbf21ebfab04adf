// Per-sample arithmetic of the kernels in plain C++. The reference kernels are built from these
// helpers; the SIMD kernels use them for the columns left over after their vector steps, so both
// sets share one definition of every formula.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decoder/kernels/kernels.h"

namespace decoder::kernels::scalar {

inline uint8_t ClampByte(int v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline int16_t Saturate16(int32_t v) {
    return static_cast<int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

// The high half of a signed 16 x 16 bit product.
inline int16_t MulHigh(int16_t a, int16_t b) {
    return static_cast<int16_t>((int32_t{a} * int32_t{b}) >> 16);
}

// --- 4:2:0 to RGB, 16-bit fixed point ---
// Y' = max(Y - 16, 0) << 3, U' = (U - 128) << 3, V' = (V - 128) << 3; every product is the high
// half of a signed 16 x 16 multiply:
//   R = Y'*9576 + V'*13123,  G = Y'*9576 - U'*3218 - V'*6686,  B = Y'*9576 + U'*16591
// (1.169, 1.602, -0.393, -0.816 and 2.025 times the 8-bit differences), clamped to 0..255.
inline constexpr int16_t kYScale = 9576;
inline constexpr int16_t kVToR = 13123;
inline constexpr int16_t kUToG = -3218;
inline constexpr int16_t kVToG = -6686;
inline constexpr int16_t kUToB = 16591;

struct Bgr {
    uint8_t b, g, r;
};

inline Bgr YuvToBgr(int y, int u, int v) {
    const auto yp = static_cast<int16_t>(std::max(y - 16, 0) << 3);
    const auto up = static_cast<int16_t>((u - 128) * 8);
    const auto vp = static_cast<int16_t>((v - 128) * 8);
    const int yc = MulHigh(yp, kYScale);
    const int r = yc + MulHigh(vp, kVToR);
    const int g = yc + MulHigh(up, kUToG) + MulHigh(vp, kVToG);
    const int b = yc + MulHigh(up, kUToB);
    return {ClampByte(b), ClampByte(g), ClampByte(r)};
}

// 16-bit layouts of output formats 6 and 7, stored little-endian.
inline uint16_t PackRgb565(Bgr c) {
    return static_cast<uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
}
inline uint16_t PackRgb555(Bgr c) {
    return static_cast<uint16_t>(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3));
}

// --- one output row of a 4:2:0 picture, pixels [x0, x1) ---
// `y`, `cb`, `cr` point at the start of the source rows, `out` at the start of the output row.

// Packed 4:2:2: every pixel is one 16-bit word, its Y byte and the U (even pixel) or V (odd
// pixel) of its pair, in the order Y,C (YUY2) or C,Y (UYVY).
template <bool kChromaFirst>
inline void PackedRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out, int x0,
                      int x1) {
    for (int x = x0; x < x1; ++x) {
        const uint8_t c = (x & 1) ? cr[x >> 1] : cb[x >> 1];
        out[2 * x + (kChromaFirst ? 1 : 0)] = y[x];
        out[2 * x + (kChromaFirst ? 0 : 1)] = c;
    }
}

enum class RgbLayout { kBgr24, kBgrx32, kRgb565, kRgb555 };

inline constexpr int BytesPerPixel(RgbLayout layout) {
    return layout == RgbLayout::kBgr24 ? 3 : (layout == RgbLayout::kBgrx32 ? 4 : 2);
}

template <RgbLayout kLayout>
inline void StorePixel(uint8_t* p, Bgr c) {
    if constexpr (kLayout == RgbLayout::kBgr24) {
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    } else if constexpr (kLayout == RgbLayout::kBgrx32) {
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
        p[3] = 255;
    } else {
        const uint16_t w = kLayout == RgbLayout::kRgb565 ? PackRgb565(c) : PackRgb555(c);
        p[0] = static_cast<uint8_t>(w);
        p[1] = static_cast<uint8_t>(w >> 8);
    }
}

template <RgbLayout kLayout>
inline void RgbRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out, int x0,
                   int x1) {
    for (int x = x0; x < x1; ++x) {
        StorePixel<kLayout>(out + x * BytesPerPixel(kLayout),
                            YuvToBgr(y[x], cb[x >> 1], cr[x >> 1]));
    }
}

// --- picture loops shared by every converter ---
// Rows of the output in memory order; a negative signedHeight takes the source rows from the
// bottom up. The height is the smaller of |signedHeight| and the picture's height.
inline int OutputHeight(const PlanarPicture& in, int signedHeight) {
    const int64_t magnitude = signedHeight < 0 ? -int64_t{signedHeight} : int64_t{signedHeight};
    return static_cast<int>(std::min<int64_t>(magnitude, std::max(in.height, 0)));
}

// RowFn(y, cb, cr, out, width) converts one full row.
template <class RowFn>
inline void ConvertRows(const PlanarPicture& in, uint8_t* out, ptrdiff_t outRowBytes,
                        int signedHeight, RowFn row) {
    const int h = OutputHeight(in, signedHeight);
    if (in.width <= 0) return;
    for (int i = 0; i < h; ++i) {
        const int src = signedHeight < 0 ? h - 1 - i : i;
        row(in.y + src * in.yStride, in.cb + (src >> 1) * in.cStride,
            in.cr + (src >> 1) * in.cStride, out + i * outRowBytes, in.width);
    }
}

// Contiguous planar 4:2:0: the Y plane (outStride bytes a row), then Cb and Cr, each with
// (outStride + 1) / 2 bytes a row and (height + 1) / 2 rows.
inline void CopyPlanar(const PlanarPicture& in, uint8_t* out, ptrdiff_t outStride,
                       int signedHeight) {
    const int h = OutputHeight(in, signedHeight);
    if (in.width <= 0 || h <= 0) return;
    const int cw = (in.width + 1) / 2;
    const int ch = (h + 1) / 2;
    const ptrdiff_t cOutStride = (outStride + 1) / 2;
    auto plane = [signedHeight](const uint8_t* src, ptrdiff_t srcStride, uint8_t* dst,
                                ptrdiff_t dstStride, int width, int rows) {
        for (int i = 0; i < rows; ++i) {
            const int s = signedHeight < 0 ? rows - 1 - i : i;
            std::memcpy(dst + i * dstStride, src + s * srcStride, static_cast<size_t>(width));
        }
    };
    plane(in.y, in.yStride, out, outStride, in.width, h);
    uint8_t* cbOut = out + outStride * h;
    uint8_t* crOut = cbOut + cOutStride * ch;
    plane(in.cb, in.cStride, cbOut, cOutStride, cw, ch);
    plane(in.cr, in.cStride, crOut, cOutStride, cw, ch);
}

// --- renderer conversions of packed YUY2 ---

// Words [x0, x1) of odd row `row` with the rows above and below it (comb measure on Y / 2).
inline void DeinterlaceWords(const uint8_t* above, const uint8_t* row, const uint8_t* below,
                             uint8_t* out, int x0, int x1) {
    for (int x = x0; x < x1; ++x) {
        const int ya = above[2 * x] >> 1;
        const int yr = row[2 * x] >> 1;
        const int yb = below[2 * x] >> 1;
        const int d = ya - yb;
        const int m = (ya - yr) * (yb - yr) - 625 * ((d * d) >> 12);
        if (m > 73) {
            out[2 * x] = static_cast<uint8_t>((above[2 * x] >> 1) + (below[2 * x] >> 1));
            out[2 * x + 1] =
                static_cast<uint8_t>((above[2 * x + 1] >> 1) + (below[2 * x + 1] >> 1));
        } else {
            out[2 * x] = row[2 * x];
            out[2 * x + 1] = row[2 * x + 1];
        }
    }
}

// YUY2 to B,G,R in 14-bit fixed point: Y' = Y - 16, U' = U - 128, V' = V - 128,
//   R = (19077 Y' + 13075 * 2V' + 8192) >> 14
//   G = (19077 Y' - 3209 * 2U' - 6660 * 2V' + 8192) >> 14
//   B = (19077 Y' + 16525 * 2U' + 8192) >> 14,   each clamped to 0..255.
// The even pixel of a pair takes the pair's chroma, the odd pixel the (truncated) average of
// its pair's and the next pair's chroma (the last pair's own chroma at the end of the row).
inline constexpr int kYuy2Y = 19077;
inline constexpr int kYuy2VToR = 13075 * 2;
inline constexpr int kYuy2UToG = -3209 * 2;
inline constexpr int kYuy2VToG = -6660 * 2;
inline constexpr int kYuy2UToB = 16525 * 2;

inline Bgr Yuy2PixelToBgr(int y, int u, int v) {
    const int yc = kYuy2Y * (y - 16) + 8192;
    const int r = (yc + kYuy2VToR * (v - 128)) >> 14;
    const int g = (yc + kYuy2UToG * (u - 128) + kYuy2VToG * (v - 128)) >> 14;
    const int b = (yc + kYuy2UToB * (u - 128)) >> 14;
    return {ClampByte(b), ClampByte(g), ClampByte(r)};
}

// Pixels [x0, x1) of one row of `width` pixels. An odd last pixel has a U byte but no V byte
// of its own: it takes the V of the pair before it (neutral 128 in a one-pixel row).
inline void Yuy2ToBgrPixels(const uint8_t* in, uint8_t* out, int width, int x0, int x1) {
    const int pairs = (width + 1) / 2;
    auto u = [in](int k) { return int{in[4 * k + 1]}; };
    auto v = [in, width](int k) {
        if (2 * k + 1 < width) return int{in[4 * k + 3]};
        return k > 0 ? int{in[4 * k - 1]} : 128;
    };
    for (int x = x0; x < x1; ++x) {
        const int k = x >> 1;
        int cu = u(k);
        int cv = v(k);
        if (x & 1) {
            const int next = std::min(k + 1, pairs - 1);
            cu = (cu + u(next)) >> 1;
            cv = (cv + v(next)) >> 1;
        }
        const Bgr c = Yuy2PixelToBgr(in[2 * x], cu, cv);
        out[3 * x] = c.b;
        out[3 * x + 1] = c.g;
        out[3 * x + 2] = c.r;
    }
}

}  // namespace decoder::kernels::scalar
