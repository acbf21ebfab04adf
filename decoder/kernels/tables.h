// Builds the function tables of a KernelSet from one implementation's kernels.
#pragma once

#include "decoder/kernels/kernels.h"

namespace decoder::kernels {

// Provider::Get<width, hx, hy, rounding, average>() returns the prediction kernel of that
// variant. The full-pel copy does not round, so both rounding values share it.
template <class Provider, int kWidth, int kRounding>
constexpr void FillPredictVariants(KernelSet& s) {
    constexpr int base = PredictIndex(0, 0, kRounding, kWidth == 16);
    s.put[base + 0] = Provider::template Get<kWidth, 0, 0, 0, false>();
    s.put[base + 1] = Provider::template Get<kWidth, 1, 0, kRounding, false>();
    s.put[base + 2] = Provider::template Get<kWidth, 0, 1, kRounding, false>();
    s.put[base + 3] = Provider::template Get<kWidth, 1, 1, kRounding, false>();
    s.avg[base + 0] = Provider::template Get<kWidth, 0, 0, 0, true>();
    s.avg[base + 1] = Provider::template Get<kWidth, 1, 0, kRounding, true>();
    s.avg[base + 2] = Provider::template Get<kWidth, 0, 1, kRounding, true>();
    s.avg[base + 3] = Provider::template Get<kWidth, 1, 1, kRounding, true>();
}

template <class Provider>
constexpr void FillPredictTables(KernelSet& s) {
    FillPredictVariants<Provider, 8, 0>(s);
    FillPredictVariants<Provider, 8, 1>(s);
    FillPredictVariants<Provider, 16, 0>(s);
    FillPredictVariants<Provider, 16, 1>(s);
}

// Formats 8..11 are the converters of 4..7; the caller passes a positive height for them.
constexpr void FillConvertTable(KernelSet& s, ConvertFn yuy2, ConvertFn uyvy, ConvertFn planar,
                                ConvertFn bgrx32, ConvertFn bgr24, ConvertFn rgb565,
                                ConvertFn rgb555) {
    s.convert[0] = nullptr;
    s.convert[1] = yuy2;
    s.convert[2] = uyvy;
    s.convert[3] = planar;
    s.convert[4] = s.convert[8] = bgrx32;
    s.convert[5] = s.convert[9] = bgr24;
    s.convert[6] = s.convert[10] = rgb565;
    s.convert[7] = s.convert[11] = rgb555;
}

}  // namespace decoder::kernels
