// The variable-length codes of the MPEG-4 visual syntax and the scan orders and default
// quantisation matrices. The code lists are constant data; the lookup tables the bit reader
// indexes are built from them at compile time and are shared read-only by every instance.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace decoder {

struct VlcCode {
    uint16_t code;
    uint8_t length;
};

// --- macroblock codes ---
// MCBPC of I-VOPs: index = cbpc + 4 * (type 3 -> 0, type 4 -> 1); index 8 = stuffing.
inline constexpr VlcCode kIntraMcbpc[9] = {{1, 1}, {1, 3}, {2, 3}, {3, 3}, {1, 4},
                                           {1, 6}, {2, 6}, {3, 6}, {1, 9}};
// MCBPC of P-VOPs: index = cbpc + 4 * type (0 inter, 1 inter+q, 2 inter4v, 3 intra,
// 4 intra+q); index 20 = stuffing.
inline constexpr VlcCode kInterMcbpc[21] = {{1, 1}, {3, 4}, {2, 4}, {5, 6}, {3, 3}, {7, 7}, {6, 7},
                                            {5, 9}, {2, 3}, {5, 7}, {4, 7}, {5, 8}, {3, 5}, {4, 8},
                                            {3, 8}, {3, 7}, {4, 6}, {4, 9}, {3, 9}, {2, 9}, {1, 9}};
// CBPY as coded for intra macroblocks (inter macroblocks use 15 minus the value).
inline constexpr VlcCode kCbpy[16] = {{3, 4}, {5, 5},  {4, 5}, {9, 4}, {3, 5}, {7, 4},
                                      {2, 6}, {11, 4}, {2, 5}, {3, 6}, {5, 4}, {10, 4},
                                      {4, 4}, {8, 4},  {6, 4}, {3, 2}};
// motion_code magnitude 0..32; every magnitude but 0 is followed by a sign bit.
inline constexpr VlcCode kMotionCode[33] = {
    {1, 1},   {1, 2},  {1, 3},   {1, 4},   {3, 6},   {5, 7},   {4, 7},   {3, 7},   {11, 9},
    {10, 9},  {9, 9},  {17, 10}, {16, 10}, {15, 10}, {14, 10}, {13, 10}, {12, 10}, {11, 10},
    {10, 10}, {9, 10}, {8, 10},  {7, 10},  {6, 10},  {5, 10},  {4, 10},  {7, 11},  {6, 11},
    {5, 11},  {4, 11}, {3, 11},  {2, 11},  {3, 12},  {2, 12}};
// dct_dc_size for luminance and chrominance blocks, sizes 0..12.
inline constexpr VlcCode kDcSizeLuma[13] = {{3, 3}, {3, 2}, {2, 2}, {2, 3}, {1, 3},  {1, 4}, {1, 5},
                                            {1, 6}, {1, 7}, {1, 8}, {1, 9}, {1, 10}, {1, 11}};
inline constexpr VlcCode kDcSizeChroma[13] = {{3, 2},  {2, 2},  {1, 2}, {1, 3}, {1, 4},
                                              {1, 5},  {1, 6},  {1, 7}, {1, 8}, {1, 9},
                                              {1, 10}, {1, 11}, {1, 12}};

// --- transform coefficients ---
// One (last, run, level) event per code, in order of last, run and level; the escape code
// follows as the last entry. Every code but the escape is followed by a sign bit.
struct CoefficientCode {
    uint16_t code;
    uint8_t length;
    uint8_t last;
    uint8_t run;
    uint8_t level;
};

inline constexpr int kCoefficientCodes = 103;  // 102 events and the escape

// Table of intra AC coefficients.
inline constexpr CoefficientCode kIntraCoefficients[kCoefficientCodes] = {
    {0x2, 2, 0, 0, 1},    {0x6, 3, 0, 0, 2},    {0xf, 4, 0, 0, 3},    {0xd, 5, 0, 0, 4},
    {0xc, 5, 0, 0, 5},    {0x15, 6, 0, 0, 6},   {0x13, 6, 0, 0, 7},   {0x12, 6, 0, 0, 8},
    {0x17, 7, 0, 0, 9},   {0x1f, 8, 0, 0, 10},  {0x1e, 8, 0, 0, 11},  {0x1d, 8, 0, 0, 12},
    {0x25, 9, 0, 0, 13},  {0x24, 9, 0, 0, 14},  {0x23, 9, 0, 0, 15},  {0x21, 9, 0, 0, 16},
    {0x21, 10, 0, 0, 17}, {0x20, 10, 0, 0, 18}, {0xf, 10, 0, 0, 19},  {0xe, 10, 0, 0, 20},
    {0x7, 11, 0, 0, 21},  {0x6, 11, 0, 0, 22},  {0x20, 11, 0, 0, 23}, {0x21, 11, 0, 0, 24},
    {0x50, 12, 0, 0, 25}, {0x51, 12, 0, 0, 26}, {0x52, 12, 0, 0, 27}, {0xe, 4, 0, 1, 1},
    {0x14, 6, 0, 1, 2},   {0x16, 7, 0, 1, 3},   {0x1c, 8, 0, 1, 4},   {0x20, 9, 0, 1, 5},
    {0x1f, 9, 0, 1, 6},   {0xd, 10, 0, 1, 7},   {0x22, 11, 0, 1, 8},  {0x53, 12, 0, 1, 9},
    {0x55, 12, 0, 1, 10}, {0xb, 5, 0, 2, 1},    {0x15, 7, 0, 2, 2},   {0x1e, 9, 0, 2, 3},
    {0xc, 10, 0, 2, 4},   {0x56, 12, 0, 2, 5},  {0x11, 6, 0, 3, 1},   {0x1b, 8, 0, 3, 2},
    {0x1d, 9, 0, 3, 3},   {0xb, 10, 0, 3, 4},   {0x10, 6, 0, 4, 1},   {0x22, 9, 0, 4, 2},
    {0xa, 10, 0, 4, 3},   {0xd, 6, 0, 5, 1},    {0x1c, 9, 0, 5, 2},   {0x8, 10, 0, 5, 3},
    {0x12, 7, 0, 6, 1},   {0x1b, 9, 0, 6, 2},   {0x54, 12, 0, 6, 3},  {0x14, 7, 0, 7, 1},
    {0x1a, 9, 0, 7, 2},   {0x57, 12, 0, 7, 3},  {0x19, 8, 0, 8, 1},   {0x9, 10, 0, 8, 2},
    {0x18, 8, 0, 9, 1},   {0x23, 11, 0, 9, 2},  {0x17, 8, 0, 10, 1},  {0x19, 9, 0, 11, 1},
    {0x18, 9, 0, 12, 1},  {0x7, 10, 0, 13, 1},  {0x58, 12, 0, 14, 1}, {0x7, 4, 1, 0, 1},
    {0xc, 6, 1, 0, 2},    {0x16, 8, 1, 0, 3},   {0x17, 9, 1, 0, 4},   {0x6, 10, 1, 0, 5},
    {0x5, 11, 1, 0, 6},   {0x4, 11, 1, 0, 7},   {0x59, 12, 1, 0, 8},  {0xf, 6, 1, 1, 1},
    {0x16, 9, 1, 1, 2},   {0x5, 10, 1, 1, 3},   {0xe, 6, 1, 2, 1},    {0x4, 10, 1, 2, 2},
    {0x11, 7, 1, 3, 1},   {0x24, 11, 1, 3, 2},  {0x10, 7, 1, 4, 1},   {0x25, 11, 1, 4, 2},
    {0x13, 7, 1, 5, 1},   {0x5a, 12, 1, 5, 2},  {0x15, 8, 1, 6, 1},   {0x5b, 12, 1, 6, 2},
    {0x14, 8, 1, 7, 1},   {0x13, 8, 1, 8, 1},   {0x1a, 8, 1, 9, 1},   {0x15, 9, 1, 10, 1},
    {0x14, 9, 1, 11, 1},  {0x13, 9, 1, 12, 1},  {0x12, 9, 1, 13, 1},  {0x11, 9, 1, 14, 1},
    {0x26, 11, 1, 15, 1}, {0x27, 11, 1, 16, 1}, {0x5c, 12, 1, 17, 1}, {0x5d, 12, 1, 18, 1},
    {0x5e, 12, 1, 19, 1}, {0x5f, 12, 1, 20, 1}, {0x3, 7, 0, 0, 0}};

// Table of inter AC coefficients.
inline constexpr CoefficientCode kInterCoefficients[kCoefficientCodes] = {
    {0x2, 2, 0, 0, 1},    {0xf, 4, 0, 0, 2},    {0x15, 6, 0, 0, 3},   {0x17, 7, 0, 0, 4},
    {0x1f, 8, 0, 0, 5},   {0x25, 9, 0, 0, 6},   {0x24, 9, 0, 0, 7},   {0x21, 10, 0, 0, 8},
    {0x20, 10, 0, 0, 9},  {0x7, 11, 0, 0, 10},  {0x6, 11, 0, 0, 11},  {0x20, 11, 0, 0, 12},
    {0x6, 3, 0, 1, 1},    {0x14, 6, 0, 1, 2},   {0x1e, 8, 0, 1, 3},   {0xf, 10, 0, 1, 4},
    {0x21, 11, 0, 1, 5},  {0x50, 12, 0, 1, 6},  {0xe, 4, 0, 2, 1},    {0x1d, 8, 0, 2, 2},
    {0xe, 10, 0, 2, 3},   {0x51, 12, 0, 2, 4},  {0xd, 5, 0, 3, 1},    {0x23, 9, 0, 3, 2},
    {0xd, 10, 0, 3, 3},   {0xc, 5, 0, 4, 1},    {0x22, 9, 0, 4, 2},   {0x52, 12, 0, 4, 3},
    {0xb, 5, 0, 5, 1},    {0xc, 10, 0, 5, 2},   {0x53, 12, 0, 5, 3},  {0x13, 6, 0, 6, 1},
    {0xb, 10, 0, 6, 2},   {0x54, 12, 0, 6, 3},  {0x12, 6, 0, 7, 1},   {0xa, 10, 0, 7, 2},
    {0x11, 6, 0, 8, 1},   {0x9, 10, 0, 8, 2},   {0x10, 6, 0, 9, 1},   {0x8, 10, 0, 9, 2},
    {0x16, 7, 0, 10, 1},  {0x55, 12, 0, 10, 2}, {0x15, 7, 0, 11, 1},  {0x14, 7, 0, 12, 1},
    {0x1c, 8, 0, 13, 1},  {0x1b, 8, 0, 14, 1},  {0x21, 9, 0, 15, 1},  {0x20, 9, 0, 16, 1},
    {0x1f, 9, 0, 17, 1},  {0x1e, 9, 0, 18, 1},  {0x1d, 9, 0, 19, 1},  {0x1c, 9, 0, 20, 1},
    {0x1b, 9, 0, 21, 1},  {0x1a, 9, 0, 22, 1},  {0x22, 11, 0, 23, 1}, {0x23, 11, 0, 24, 1},
    {0x56, 12, 0, 25, 1}, {0x57, 12, 0, 26, 1}, {0x7, 4, 1, 0, 1},    {0x19, 9, 1, 0, 2},
    {0x5, 11, 1, 0, 3},   {0xf, 6, 1, 1, 1},    {0x4, 11, 1, 1, 2},   {0xe, 6, 1, 2, 1},
    {0xd, 6, 1, 3, 1},    {0xc, 6, 1, 4, 1},    {0x13, 7, 1, 5, 1},   {0x12, 7, 1, 6, 1},
    {0x11, 7, 1, 7, 1},   {0x10, 7, 1, 8, 1},   {0x1a, 8, 1, 9, 1},   {0x19, 8, 1, 10, 1},
    {0x18, 8, 1, 11, 1},  {0x17, 8, 1, 12, 1},  {0x16, 8, 1, 13, 1},  {0x15, 8, 1, 14, 1},
    {0x14, 8, 1, 15, 1},  {0x13, 8, 1, 16, 1},  {0x18, 9, 1, 17, 1},  {0x17, 9, 1, 18, 1},
    {0x16, 9, 1, 19, 1},  {0x15, 9, 1, 20, 1},  {0x14, 9, 1, 21, 1},  {0x13, 9, 1, 22, 1},
    {0x12, 9, 1, 23, 1},  {0x11, 9, 1, 24, 1},  {0x7, 10, 1, 25, 1},  {0x6, 10, 1, 26, 1},
    {0x5, 10, 1, 27, 1},  {0x4, 10, 1, 28, 1},  {0x24, 11, 1, 29, 1}, {0x25, 11, 1, 30, 1},
    {0x26, 11, 1, 31, 1}, {0x27, 11, 1, 32, 1}, {0x58, 12, 1, 33, 1}, {0x59, 12, 1, 34, 1},
    {0x5a, 12, 1, 35, 1}, {0x5b, 12, 1, 36, 1}, {0x5c, 12, 1, 37, 1}, {0x5d, 12, 1, 38, 1},
    {0x5e, 12, 1, 39, 1}, {0x5f, 12, 1, 40, 1}, {0x3, 7, 0, 0, 0}};

// --- lookup tables ---
// A table indexed by the next `Bits` bits of the stream. Entries of codes shorter than Bits
// repeat across every continuation; length 0 marks bit patterns that start no valid code.
template <int Bits>
struct LookupTable {
    static constexpr int kBits = Bits;
    struct Entry {
        uint8_t value;
        uint8_t length;
    };
    std::array<Entry, (1 << Bits)> entries{};
};

template <int Bits, std::size_t N>
constexpr LookupTable<Bits> BuildLookup(const VlcCode (&codes)[N]) {
    LookupTable<Bits> table;
    for (std::size_t i = 0; i < N; ++i) {
        const int shift = Bits - codes[i].length;
        const int first = codes[i].code << shift;
        for (int k = 0; k < (1 << shift); ++k)
            table.entries[first + k] = {static_cast<uint8_t>(i), codes[i].length};
    }
    return table;
}

inline constexpr auto kIntraMcbpcLookup = BuildLookup<9>(kIntraMcbpc);
inline constexpr auto kInterMcbpcLookup = BuildLookup<9>(kInterMcbpc);
inline constexpr auto kCbpyLookup = BuildLookup<6>(kCbpy);

// A lookup over `Bits` bits for tables whose codes that do not start with 0000 are 4 bits long
// at most (motion codes and DC sizes): the first 4 bits find those, the other 2^(Bits - 4)
// entries the ones after 0000. Tens of times smaller than the flat table, so it stays in the
// first-level cache between macroblocks.
template <int Bits>
struct ZeroPrefixLookup {
    using Entry = typename LookupTable<Bits>::Entry;
    // Entries 1..15: by the first 4 bits; 16...: by all Bits bits when the first 4 are zero.
    std::array<Entry, 16 + (1 << (Bits - 4))> entries{};

    // The entry of the code at the start of `window` (most significant bit first).
    Entry operator[](uint64_t window) const {
        const auto top = static_cast<uint32_t>(window >> (64 - Bits));
        const uint32_t firstFour = top >> (Bits - 4);
        return entries[firstFour != 0 ? firstFour : 16 + top];
    }
};

template <int Bits>
constexpr ZeroPrefixLookup<Bits> BuildZeroPrefixLookup(const LookupTable<Bits>& flat) {
    ZeroPrefixLookup<Bits> table;
    for (int i = 1; i < 16; ++i)
        table.entries[i] = flat.entries[i << (Bits - 4)];
    for (int i = 0; i < (1 << (Bits - 4)); ++i)
        table.entries[16 + i] = flat.entries[i];
    return table;
}

inline constexpr auto kMotionCodeLookup = BuildZeroPrefixLookup(BuildLookup<12>(kMotionCode));
inline constexpr auto kDcSizeLumaLookup = BuildZeroPrefixLookup(BuildLookup<11>(kDcSizeLuma));
inline constexpr auto kDcSizeChromaLookup =
    BuildZeroPrefixLookup(BuildLookup<12>(kDcSizeChroma));

// Coefficient lookup over 12 bits: run, level, last and the code length (without the sign);
// escape entries have level 0.
struct CoefficientEntry {
    uint8_t length;  // 0: invalid
    uint8_t last;
    uint8_t run;
    uint8_t level;
};
using CoefficientLookup = std::array<CoefficientEntry, 4096>;

constexpr CoefficientLookup BuildCoefficientLookup(
    const CoefficientCode (&codes)[kCoefficientCodes]) {
    CoefficientLookup table{};
    for (const CoefficientCode& c : codes) {
        const int shift = 12 - c.length;
        const int first = c.code << shift;
        for (int k = 0; k < (1 << shift); ++k)
            table[first + k] = {c.length, c.last, c.run, c.level};
    }
    return table;
}

inline constexpr CoefficientLookup kIntraCoefficientLookup =
    BuildCoefficientLookup(kIntraCoefficients);
inline constexpr CoefficientLookup kInterCoefficientLookup =
    BuildCoefficientLookup(kInterCoefficients);

// The same lookup with each entry packed into 16 bits: 8 KB a table, so both coefficient tables
// stay in the first-level cache next to the pictures, and one load with no choice of level in
// front of it (the code's length is on the reader's critical path). An event's entry counts its
// sign bit in `bits`, so the reader advances by one number straight from the table.
struct CoefficientEvent {
    uint8_t bits;  // an event: its code and sign bit; the escape: its code; 0: no valid code
    uint8_t last;
    uint8_t run;
    uint8_t level;  // 0: the escape (or no valid code)
};

struct PackedCoefficientLookup {
    // bits 0..3: `bits`, 4: `last`, 5..10: `run`, 11..15: `level`.
    std::array<uint16_t, 4096> entries{};

    // The entry of the code at the start of the next 12 bits `top12`.
    CoefficientEvent operator[](uint32_t top12) const {
        const uint32_t e = entries[top12];
        return {static_cast<uint8_t>(e & 15), static_cast<uint8_t>((e >> 4) & 1),
                static_cast<uint8_t>((e >> 5) & 63), static_cast<uint8_t>(e >> 11)};
    }
};

constexpr PackedCoefficientLookup BuildPackedCoefficientLookup(const CoefficientLookup& flat) {
    PackedCoefficientLookup table{};
    for (int i = 0; i < 4096; ++i) {
        const CoefficientEntry& e = flat[i];
        const int bits = e.length + (e.level != 0 ? 1 : 0);
        // A field too narrow for the tables would fail the constant evaluation here.
        if (bits > 15 || e.last > 1 || e.run > 63 || e.level > 31) throw "field too narrow";
        table.entries[i] =
            static_cast<uint16_t>(bits | (e.last << 4) | (e.run << 5) | (e.level << 11));
    }
    return table;
}

inline constexpr PackedCoefficientLookup kIntraCoefficientLookupPacked =
    BuildPackedCoefficientLookup(kIntraCoefficientLookup);
inline constexpr PackedCoefficientLookup kInterCoefficientLookupPacked =
    BuildPackedCoefficientLookup(kInterCoefficientLookup);

// Escape limits derived from the tables: the largest level of each (last, run) and the largest
// run of each (last, level); 0 where the table has no such event.
struct EscapeLimits {
    uint8_t maxLevel[2][64];
    uint8_t maxRun[2][64];
};

constexpr EscapeLimits BuildEscapeLimits(const CoefficientCode (&codes)[kCoefficientCodes]) {
    EscapeLimits limits{};
    for (int i = 0; i < kCoefficientCodes - 1; ++i) {
        const CoefficientCode& c = codes[i];
        if (c.level > limits.maxLevel[c.last][c.run]) limits.maxLevel[c.last][c.run] = c.level;
        if (c.run > limits.maxRun[c.last][c.level]) limits.maxRun[c.last][c.level] = c.run;
    }
    return limits;
}

inline constexpr EscapeLimits kIntraEscapeLimits = BuildEscapeLimits(kIntraCoefficients);
inline constexpr EscapeLimits kInterEscapeLimits = BuildEscapeLimits(kInterCoefficients);

// --- scan orders and default matrices ---
inline constexpr uint8_t kZigzagScan[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
inline constexpr uint8_t kAlternateHorizontalScan[64] = {
    0,  1,  2,  3,  8,  9,  16, 17, 10, 11, 4,  5,  6,  7,  15, 14, 13, 12, 19, 18, 24, 25,
    32, 33, 26, 27, 20, 21, 22, 23, 28, 29, 30, 31, 34, 35, 40, 41, 48, 49, 42, 43, 36, 37,
    38, 39, 44, 45, 46, 47, 50, 51, 56, 57, 58, 59, 52, 53, 54, 55, 60, 61, 62, 63};
inline constexpr uint8_t kAlternateVerticalScan[64] = {
    0,  8,  16, 24, 1,  9,  2,  10, 17, 25, 32, 40, 48, 56, 57, 49, 41, 33, 26, 18, 3,  11,
    4,  12, 19, 27, 34, 42, 50, 58, 35, 43, 51, 59, 20, 28, 5,  13, 6,  14, 21, 29, 36, 44,
    52, 60, 37, 45, 53, 61, 22, 30, 7,  15, 23, 31, 38, 46, 54, 62, 39, 47, 55, 63};

// Raster order.
inline constexpr uint8_t kDefaultIntraMatrix[64] = {
    8,  17, 18, 19, 21, 23, 25, 27, 17, 18, 19, 21, 23, 25, 27, 28, 20, 21, 22, 23, 24, 26,
    28, 30, 21, 22, 23, 24, 26, 28, 30, 32, 22, 23, 24, 26, 28, 30, 32, 35, 23, 24, 26, 28,
    30, 32, 35, 38, 25, 26, 28, 30, 32, 35, 38, 41, 27, 28, 30, 32, 35, 38, 41, 45};
inline constexpr uint8_t kDefaultInterMatrix[64] = {
    16, 17, 18, 19, 20, 21, 22, 23, 17, 18, 19, 20, 21, 22, 23, 24, 18, 19, 20, 21, 22, 23,
    24, 25, 19, 20, 21, 22, 23, 24, 26, 27, 20, 21, 22, 23, 25, 26, 27, 28, 21, 22, 23, 24,
    26, 27, 28, 30, 22, 23, 24, 26, 27, 28, 30, 31, 23, 24, 25, 27, 28, 30, 31, 33};

}  // namespace decoder
