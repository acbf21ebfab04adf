// Builds a KernelSet from one implementation's row-level kernels. The picture-level loops (row
// order, in-place handling, field pictures, border geometry) exist once here, so every set
// walks pictures the same way.
//
// An implementation is a class with these static members:
//   InverseDct, StoreBlock, AddBlock,
//   InverseDctStore, InverseDctAdd                         (the KernelSet signatures)
//   Predict<width, hx, hy, rounding, average>              (PredictFn)
//   PredictPair<hx, hy, rounding, average>                 (PredictPairFn)
//   PredictBi<width, forwardHalves, backwardHalves>        (PredictBiFn; halves: hy << 1 | hx)
//   PredictBiPair<forwardHalves, backwardHalves>           (PredictBiPairFn)
//   FillBytes(uint8_t* p, uint8_t value, int count)
//   PackedRow<chromaFirst>(y, cb, cr, out, width)          (formats 1, 2)
//   RgbRow<scalar::RgbLayout>(y, cb, cr, out, width)       (formats 4..7)
//   DeinterlaceRow(above, row, below, out, width)          (one odd row)
//   Yuy2ToBgrRow(in, out, width)
#pragma once

#include <cstring>
#include <utility>

#include "decoder/kernels/kernels.h"
#include "decoder/kernels/scalar.h"

namespace decoder::kernels {

template <class Impl>
struct PictureLoops {
    static void PadPlane(uint8_t* origin, ptrdiff_t stride, int width, int height, int border) {
        if (width <= 0 || height <= 0 || border <= 0) return;
        for (int r = 0; r < height; ++r) {
            uint8_t* row = origin + r * stride;
            Impl::FillBytes(row - border, row[0], border);
            Impl::FillBytes(row + width, row[width - 1], border);
        }
        const size_t full = static_cast<size_t>(width) + 2 * static_cast<size_t>(border);
        const uint8_t* top = origin - border;
        const uint8_t* bottom = origin + (height - 1) * stride - border;
        for (int i = 1; i <= border; ++i) {
            std::memcpy(origin - i * stride - border, top, full);
            std::memcpy(origin + (height - 1 + i) * stride - border, bottom, full);
        }
    }

    template <bool kChromaFirst>
    static void ConvertPacked(const PlanarPicture& in, uint8_t* out, ptrdiff_t outStride,
                              int signedHeight) {
        scalar::ConvertRows(in, out, outStride * 2, signedHeight,
                            [](auto... row) { Impl::template PackedRow<kChromaFirst>(row...); });
    }

    template <scalar::RgbLayout kLayout>
    static void ConvertRgb(const PlanarPicture& in, uint8_t* out, ptrdiff_t outStride,
                           int signedHeight) {
        scalar::ConvertRows(in, out, outStride * scalar::BytesPerPixel(kLayout), signedHeight,
                            [](auto... row) { Impl::template RgbRow<kLayout>(row...); });
    }

    // Even rows, the first and the last row are copied (not at all in place); each odd row with
    // a row below it is de-interlaced from its neighbours, which are never changed, so working
    // in place gives the same picture.
    static void Deinterlace(const uint8_t* in, uint8_t* out, ptrdiff_t stride, int width,
                            int height) {
        if (width <= 0 || height <= 0) return;
        const size_t rowBytes = 2 * static_cast<size_t>(width);
        for (int r = 0; r < height; ++r) {
            const uint8_t* row = in + r * stride;
            uint8_t* o = out + r * stride;
            if (height >= kDeinterlaceMinRows && (r & 1) && r + 1 < height) {
                Impl::DeinterlaceRow(row - stride, row, row + stride, o, width);
            } else if (o != row) {
                std::memcpy(o, row, rowBytes);
            }
        }
    }

    // Source rows top first into a bottom-up bitmap.
    static void Yuy2ToRgb(const uint8_t* in, ptrdiff_t inStride, uint8_t* out, ptrdiff_t outStride,
                          int width, int height) {
        if (width <= 0 || height <= 0) return;
        for (int r = 0; r < height; ++r) {
            Impl::Yuy2ToBgrRow(in + r * inStride, out + (height - 1 - r) * outStride, width);
        }
    }
};

// The full-pel copy does not round, so both rounding values share it.
template <class Impl, int kWidth, int kRounding>
constexpr void FillPredictVariants(KernelSet& s) {
    constexpr int base = PredictIndex(0, 0, kRounding, kWidth == 16);
    s.put[base + 0] = &Impl::template Predict<kWidth, 0, 0, 0, false>;
    s.put[base + 1] = &Impl::template Predict<kWidth, 1, 0, kRounding, false>;
    s.put[base + 2] = &Impl::template Predict<kWidth, 0, 1, kRounding, false>;
    s.put[base + 3] = &Impl::template Predict<kWidth, 1, 1, kRounding, false>;
    s.avg[base + 0] = &Impl::template Predict<kWidth, 0, 0, 0, true>;
    s.avg[base + 1] = &Impl::template Predict<kWidth, 1, 0, kRounding, true>;
    s.avg[base + 2] = &Impl::template Predict<kWidth, 0, 1, kRounding, true>;
    s.avg[base + 3] = &Impl::template Predict<kWidth, 1, 1, kRounding, true>;
    if constexpr (kWidth == 8) {
        s.putPair[base + 0] = &Impl::template PredictPair<0, 0, 0, false>;
        s.putPair[base + 1] = &Impl::template PredictPair<1, 0, kRounding, false>;
        s.putPair[base + 2] = &Impl::template PredictPair<0, 1, kRounding, false>;
        s.putPair[base + 3] = &Impl::template PredictPair<1, 1, kRounding, false>;
        s.avgPair[base + 0] = &Impl::template PredictPair<0, 0, 0, true>;
        s.avgPair[base + 1] = &Impl::template PredictPair<1, 0, kRounding, true>;
        s.avgPair[base + 2] = &Impl::template PredictPair<0, 1, kRounding, true>;
        s.avgPair[base + 3] = &Impl::template PredictPair<1, 1, kRounding, true>;
    }
}

// The parts of a bidirectional kernel index (see BiPredictIndex).
constexpr int BiWidth(size_t index) {
    return (index & 16) != 0 ? 16 : 8;
}
constexpr int BiForward(size_t index) {
    return static_cast<int>(index & 3);
}
constexpr int BiBackward(size_t index) {
    return static_cast<int>((index >> 2) & 3);
}

// Every pair of forward and backward half-pel steps, at both widths ...
template <class Impl, size_t... kIndex>
constexpr void FillBiVariants(KernelSet& s, std::index_sequence<kIndex...>) {
    ((s.bi[kIndex] =
          &Impl::template PredictBi<BiWidth(kIndex), BiForward(kIndex), BiBackward(kIndex)>),
     ...);
}
// ... and for the chroma pair.
template <class Impl, size_t... kIndex>
constexpr void FillBiPairVariants(KernelSet& s, std::index_sequence<kIndex...>) {
    ((s.biPair[kIndex] = &Impl::template PredictBiPair<BiForward(kIndex), BiBackward(kIndex)>),
     ...);
}

template <class Impl>
constexpr KernelSet MakeKernelSet(const char* name) {
    using Loops = PictureLoops<Impl>;
    using scalar::RgbLayout;
    KernelSet s{};
    s.name = name;
    s.inverseDct = &Impl::InverseDct;
    s.storeBlock = &Impl::StoreBlock;
    s.addBlock = &Impl::AddBlock;
    s.inverseDctStore = &Impl::InverseDctStore;
    s.inverseDctAdd = &Impl::InverseDctAdd;
    FillPredictVariants<Impl, 8, 0>(s);
    FillPredictVariants<Impl, 8, 1>(s);
    FillPredictVariants<Impl, 16, 0>(s);
    FillPredictVariants<Impl, 16, 1>(s);
    FillBiVariants<Impl>(s, std::make_index_sequence<32>());
    FillBiPairVariants<Impl>(s, std::make_index_sequence<16>());
    s.padPlane = &Loops::PadPlane;
    // Formats 8..11 are the converters of 4..7; the caller passes a positive height for them.
    s.convert[0] = nullptr;
    s.convert[1] = &Loops::template ConvertPacked<false>;
    s.convert[2] = &Loops::template ConvertPacked<true>;
    s.convert[3] = &scalar::CopyPlanar;
    s.convert[4] = s.convert[8] = &Loops::template ConvertRgb<RgbLayout::kBgrx32>;
    s.convert[5] = s.convert[9] = &Loops::template ConvertRgb<RgbLayout::kBgr24>;
    s.convert[6] = s.convert[10] = &Loops::template ConvertRgb<RgbLayout::kRgb565>;
    s.convert[7] = s.convert[11] = &Loops::template ConvertRgb<RgbLayout::kRgb555>;
    s.deinterlace = &Loops::Deinterlace;
    s.yuy2ToRgb = &Loops::Yuy2ToRgb;
    return s;
}

}  // namespace decoder::kernels
