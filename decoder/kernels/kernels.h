// The decoder's arithmetic inner loops: the 8x8 inverse DCT, block transfer, half-pel prediction,
// border padding and picture output conversions. Every kernel is a free function on raw
// pointers and strides that keeps no state between calls (any scratch lives on the stack), so
// instances may decode on different threads.
//
// Each kernel exists as a plain C++ reference and as an SSE2 version, the inverse DCT also as
// an AVX2 one; all produce identical samples. KernelSet bundles one implementation of each;
// ActiveKernels() is the fastest set this processor runs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace decoder::kernels {

// --- inverse DCT and block transfer ---
// In place: 64 coefficients in raster order in, 64 results out.
using InverseDctFn = void (*)(int16_t* block);
// Intra store: each value clamped to 0..255 and written to the 8x8 destination.
using StoreBlockFn = void (*)(const int16_t* block, uint8_t* dst, ptrdiff_t stride);
// Inter add: each value added to the destination sample, the sum clamped to 0..255.
using AddBlockFn = void (*)(const int16_t* block, uint8_t* dst, ptrdiff_t stride);
// The inverse DCT and the transfer in one step: the same samples as inverseDct followed by
// storeBlock (or addBlock), without writing the transform back; the block is left all zero,
// ready for the next one.
using InverseDctToFn = void (*)(int16_t* block, uint8_t* dst, ptrdiff_t stride);

// --- half-pel prediction ---
// Predicts a block `width` (8 or 16, fixed by the kernel) x `height` rows. `src` points at the
// full-pel source position in the reference plane. Averaging kernels combine the interpolated
// value p with the value q already in `dst` as (p + q + 1) >> 1.
using PredictFn = void (*)(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src,
                           ptrdiff_t srcStride, int height);
// Both 8-wide chroma blocks of a macroblock with one vector: the same as an 8-wide PredictFn on
// (dstA, srcA) and one on (dstB, srcB), with the same strides.
using PredictPairFn = void (*)(uint8_t* dstA, uint8_t* dstB, ptrdiff_t dstStride,
                               const uint8_t* srcA, const uint8_t* srcB, ptrdiff_t srcStride,
                               int height);
// Kernel index: (vertical half << 1) | horizontal half | ((rounding | (width16 ? 2 : 0)) << 2).
inline constexpr int PredictIndex(int hx, int hy, int rounding, bool width16) {
    return (hy << 1) | hx | ((rounding | (width16 ? 2 : 0)) << 2);
}
// Bidirectional prediction (B-VOPs, which always round 0): the forward interpolation p and the
// backward one q combined as (p + q + 1) >> 1 in one pass: the same samples as a put kernel from
// `forward` followed by an averaging kernel from `backward`. Both references have one stride.
using PredictBiFn = void (*)(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* forward,
                             const uint8_t* backward, ptrdiff_t srcStride, int height);
// Both 8-wide chroma blocks so: the planes' forward and backward sources.
using PredictBiPairFn = void (*)(uint8_t* dstCb, uint8_t* dstCr, ptrdiff_t dstStride,
                                 const uint8_t* forwardCb, const uint8_t* forwardCr,
                                 const uint8_t* backwardCb, const uint8_t* backwardCr,
                                 ptrdiff_t srcStride, int height);
// Bidirectional kernel index: the forward halves (hy << 1 | hx), the backward ones above them,
// and the width (16 or 8) above those.
inline constexpr int BiPredictIndex(int forwardHx, int forwardHy, int backwardHx, int backwardHy,
                                    bool width16) {
    return (forwardHy << 1) | forwardHx | (((backwardHy << 1) | backwardHx) << 2) |
           (width16 ? 16 : 0);
}

// --- border padding ---
// Repeats the edge samples of a `width` x `height` plane whose visible origin is `origin` across
// a border of `border` samples on every side (corners take the corner samples).
using PadPlaneFn = void (*)(uint8_t* origin, ptrdiff_t stride, int width, int height, int border);

// --- picture output ---
struct PlanarPicture {
    const uint8_t* y;
    const uint8_t* cb;
    const uint8_t* cr;
    ptrdiff_t yStride;
    ptrdiff_t cStride;
    int width;
    int height;
};
// Converts a 4:2:0 picture into `out` with `outStride` in pixels. A negative `height` in
// `signedHeight` writes the last row first (bottom-up bitmap order); its magnitude is the
// picture height.
using ConvertFn = void (*)(const PlanarPicture& in, uint8_t* out, ptrdiff_t outStride,
                           int signedHeight);
// Output formats by code (the converters take the rows from PlanarPicture::height at most):
//   1 packed YUY2 (bytes Y0 U Y1 V) and 2 packed UYVY (U Y0 V Y1), 2 bytes a pixel;
//   3 contiguous planar 4:2:0: Y rows, then Cb rows, then Cr rows, each chroma plane with
//     (outStride + 1) / 2 bytes a row and (height + 1) / 2 rows, no padding for outStride = width;
//   4 32-bit B,G,R,255; 5 24-bit B,G,R; 6 RGB565 and 7 RGB555 (top bit 0), 16-bit little-endian
//     words, all four bottom row first;
//   8..11 the layouts of 4..7, top row first.
inline constexpr int kOutputFormatCount = 11;
inline constexpr bool IsOutputFormat(int format) {
    return format >= 1 && format <= kOutputFormatCount;
}
// The signed height to pass to convert[format] for a picture `height` rows high.
inline constexpr int OutputSignedHeight(int format, int height) {
    return format >= 4 && format <= 7 ? -height : height;
}
// Bytes of one output pixel (format 3: of the Y plane; the chroma planes add half as much).
inline constexpr int OutputBytesPerPixel(int format) {
    switch (format) {
        case 3:
            return 1;
        case 4:
        case 8:
            return 4;
        case 5:
        case 9:
            return 3;
        default:
            return 2;
    }
}
// The renderer's conversions of a packed YUY2 picture (width x height, stride in bytes).
// The de-interlacer may work in place (in == out). Pictures of fewer than
// kDeinterlaceMinRows rows hold a single field and are copied unchanged.
inline constexpr int kDeinterlaceMinRows = 480;
using DeinterlaceFn = void (*)(const uint8_t* in, uint8_t* out, ptrdiff_t stride, int width,
                               int height);
// YUY2 (top row first) to a bottom-up 24-bit B,G,R bitmap of width x 3 bytes per row.
using Yuy2ToRgbFn = void (*)(const uint8_t* in, ptrdiff_t inStride, uint8_t* out,
                             ptrdiff_t outStride, int width, int height);

struct KernelSet {
    const char* name;  // "reference", "sse2", ...
    InverseDctFn inverseDct;
    StoreBlockFn storeBlock;
    AddBlockFn addBlock;
    InverseDctToFn inverseDctStore;
    InverseDctToFn inverseDctAdd;
    PredictFn put[16];  // by PredictIndex
    PredictFn avg[16];
    PredictPairFn putPair[8];  // by PredictIndex of width 8
    PredictPairFn avgPair[8];
    PredictBiFn bi[32];          // by BiPredictIndex
    PredictBiPairFn biPair[16];  // by BiPredictIndex of width 8
    PadPlaneFn padPlane;
    ConvertFn convert[12];  // by output format code 1..11 (0 unused)
    DeinterlaceFn deinterlace;
    Yuy2ToRgbFn yuy2ToRgb;
};

const KernelSet& ReferenceKernels();
const KernelSet& Sse2Kernels();
// The SSE2 set with an AVX2 inverse DCT, or nullptr when the processor lacks AVX2.
const KernelSet* Avx2Kernels();
// The fastest set this processor runs (AVX2 where there is AVX2, else SSE2 on every x86-64).
const KernelSet& ActiveKernels();
// The set of that name ("reference", "sse2", "avx2") if this processor runs it, else nullptr; lets a
// tool decode with the reference kernels to compare whole pictures.
const KernelSet* KernelsByName(const char* name);

}  // namespace decoder::kernels
