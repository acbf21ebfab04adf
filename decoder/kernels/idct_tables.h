// Constants of the AP-922 integer inverse DCT (row pass by multiply-add, column pass by the
// tangent butterfly). Both kernel sets use these; the unit tests derive every entry again in
// double precision.
//
// Row pass. Output n of a row is sum_k C(k) x(k) cos((2n+1) k pi / 16) scaled into fixed point.
// Row r is prescaled by s(r) = 16384 * sqrt(2) * cos(m pi / 16), with m = 4 for rows 0 and 4,
// m = r for rows 1..3 and m = 8 - r for rows 5..7, so that the column pass can work with
// tangents instead of cosines. The weight of coefficient k in row r is
//   w(r, k) = round(s(r) * sqrt(2) * cos(k pi / 16))      for k = 1..7,
// and w(r, 0) = w(r, 4) = round(s(r)); the row sums carry 11 fraction bits more than the
// column pass wants (hence the shift by 11 after the row and by 6 after the column pass).
//
// Row rounders: row 0 adds 1 << 16, half a unit of the final result (row 0 reaches every
// output of its column with weight 1); rows 1..7 add the bias corrections of the method
// (they compensate the truncations of the column pass).
//
// Column pass: tangents of pi/16, 2 pi/16 and 3 pi/16 and cos(pi/4) in 16-bit fixed point for
// high-half multiplies. tan(3 pi/16) = 0.668 is stored as tan - 1 (the multiply adds the input
// back); cos(pi/4) is stored at half scale (the product is doubled).
#pragma once

#include <cstdint>

namespace decoder::kernels::idct {

inline constexpr int kRowShift = 11;
inline constexpr int kColumnShift = 6;

// w(r, k) for k = 1..7 of each distinct row scale; w(r, 4) is the scale itself.
struct RowWeights {
    int16_t c1, c2, c3, c4, c5, c6, c7;
};
inline constexpr RowWeights kRow04 = {22725, 21407, 19266, 16384, 12873, 8867, 4520};
inline constexpr RowWeights kRow17 = {31521, 29692, 26722, 22725, 17855, 12299, 6270};
inline constexpr RowWeights kRow26 = {29692, 27969, 25172, 21407, 16819, 11585, 5906};
inline constexpr RowWeights kRow35 = {26722, 25172, 22654, 19266, 15137, 10426, 5315};

inline constexpr const RowWeights* kRowWeights[8] = {&kRow04, &kRow17, &kRow26, &kRow35,
                                                     &kRow04, &kRow35, &kRow26, &kRow17};
inline constexpr int32_t kRowRounder[8] = {65536, 3597, 2260, 1203, 0, 120, 512, 512};

inline constexpr int16_t kTan1 = 13036;           // tan(pi/16) * 65536
inline constexpr int16_t kTan2 = 27146;           // tan(2 pi/16) * 65536
inline constexpr int16_t kTan3MinusOne = -21746;  // (tan(3 pi/16) - 1) * 65536
inline constexpr int16_t kCos4 = 23170;           // cos(pi/4) * 32768

}  // namespace decoder::kernels::idct
