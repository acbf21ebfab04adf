// The memory of one decoder instance: stream headers, picture geometry, prediction maps and
// reference bookkeeping (DecoderState), and the instance's scan orders and quantisation matrices
// (DecoderTables). Internal to the decoder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decoder/bit_reader.h"
#include "decoder/decoder.h"
#include "decoder/kernels/kernels.h"

namespace decoder {

inline constexpr int kMaxMbWidth = kMaxWidth / 16;
inline constexpr int kMaxMbHeight = kMaxHeight / 16;
inline constexpr int kLumaBorder = 32;
inline constexpr int kChromaBorder = 16;

// Per-macroblock maps: a border column on each side and a border row above and below.
inline constexpr int kMbStride = kMaxMbWidth + 2;
inline constexpr int kMbRows = kMaxMbHeight + 2;
// Per-8x8-luma-block grids: a border column on each side and a border row above.
inline constexpr int kB8Stride = 2 * kMaxMbWidth + 2;
inline constexpr int kB8Rows = 2 * kMaxMbHeight + 1;
// Per-chroma-block grids: a border column on the left and a border row above.
inline constexpr int kCStride = kMaxMbWidth + 1;
inline constexpr int kCRows = kMaxMbHeight + 1;

enum VopType : int { kVopI = 0, kVopP = 1, kVopB = 2, kVopS = 3 };

struct VolHeader {
    int volId = 0;
    int randomAccessible = 0;
    int typeIndication = 0;
    int verid = 1;
    int priority = 1;
    int aspectRatio = 0;
    int chromaFormat = 1;
    int lowDelay = 0;
    int shape = 0;
    int timeIncrementResolution = 0;
    int timeIncrementBits = 1;
    int fixedVopRate = 0;
    int width = 0;
    int height = 0;
    int interlaced = 0;
    int obmcDisable = 1;
    int spriteEnable = 0;
    int quantPrecision = 5;
    int bitsPerPixel = 8;
    int quantType = 0;
    int quarterSample = 0;
    int complexityEstimationDisable = 1;
    int resyncMarkerDisable = 1;
    int dataPartitioned = 0;
    int scalability = 0;
};

struct VopHeader {
    int codingType = 0;
    int timeIncrement = 0;
    int coded = 1;
    int roundingType = 0;
    int intraDcVlcThr = 0;
    int topFieldFirst = 1;
    int alternateVerticalScan = 0;
    int quant = 1;
    int fcodeForward = 1;
    int fcodeBackward = 1;
};

// Where the planes of an edged picture lie inside its buffer.
struct PictureGeometry {
    int width = 0;  // visible size
    int height = 0;
    int mbWidth = 0;
    int mbHeight = 0;
    int codedWidth = 0;  // whole macroblocks
    int codedHeight = 0;
    ptrdiff_t yStride = 0;
    ptrdiff_t cStride = 0;
    size_t yOrigin = 0;  // offsets of the visible origins from the buffer start
    size_t cbOrigin = 0;
    size_t crOrigin = 0;
    size_t pictureBytes = 0;
};

struct Motion {
    int16_t x;
    int16_t y;
};

// How each macroblock of the newest reference picture was coded (B-VOP direct mode and skips).
enum RefMbKind : uint8_t {
    kRefIntra = 0,
    kRefInter = 1,
    kRefInter4v = 2,
    kRefField = 3,
    kRefNotCoded = 4,
};

struct alignas(16) DecoderTables {
    uint8_t zigzag[64];
    uint8_t alternateVertical[64];
    uint8_t alternateHorizontal[64];
    uint16_t intraMatrix[64];  // raster order
    uint16_t interMatrix[64];
};

struct alignas(64) DecoderState {
    int magic = 0;  // set by Init: the instance is initialised
    int outputFormat = 3;
    const kernels::KernelSet* kernels = nullptr;

    VolHeader vol;
    VopHeader vop;
    int unsupportedStatus = 0;  // the status of the VOL in force when it is unsupported
    int volInForce = 0;         // a VOL header was parsed (a stray VO start code is then ignored)

    // Timing (ticks of vop_time_increment_resolution).
    int timeBase = 0;
    int lastTimeBase = 0;
    int64_t time = 0;
    int64_t lastNonBTime = 0;
    uint16_t ppTime = 0;
    uint16_t pbTime = 0;
    int directTrd = 1;  // the distances a B-VOP's direct mode scales by
    int directTrb = 0;
    uint16_t ppFieldTime = 0;
    uint16_t pbFieldTime = 0;
    int frameTicks = 0;  // the first B-VOP's distance to its past reference: one frame period

    PictureGeometry geometry;
    size_t pictureCapacity = 0;  // bytes of each picture buffer and of the display buffer, as
    size_t displayCapacity = 0;  // allocated for the size given at Init
    int setUpWidth = 0;          // the size given at Init: the caller's output picture holds no
    int setUpHeight = 0;         // wider or taller picture

    // Reference bookkeeping: picture buffer indices.
    int newest = 1;            // buffer (1 or 2) of the newest I/P picture
    int references = 0;        // I/P pictures decoded so far (saturates at 2)
    int lastShown = -1;        // buffer shown by the last decode call, -1 none
    int lastShownBlank = 0;    // the last decode call showed the blank initial picture
    int newestShown = 0;       // the newest reference came out already (placeholder or flush)
    int referenceMissing = 0;  // P-VOPs since the last I-VOP were predicted from a blank picture
    int errorFlag = 0;

    // Macroblock decoding state.
    int mbX = 0;
    int mbY = 0;
    int quant = 1;
    int intraDcThreshold = 99;  // intra DC coefficients have their own code below this quantiser
    uint8_t quantMap[kMbRows * kMbStride];
    uint8_t intraPredictorsUsed[kMbRows * kMbStride];  // DC/AC predictors hold intra values
    uint8_t refKind[kMbRows * kMbStride];
    uint8_t refFieldSelect[kMbRows * kMbStride];  // bit 0 top field, bit 1 bottom field
    Motion refFieldMv[kMbRows * kMbStride][2];    // field vectors (vertical in field units)

    int16_t dcLuma[kB8Rows * kB8Stride];
    int16_t dcChroma[2][kCRows * kCStride];
    int16_t acLuma[kB8Rows * kB8Stride][16];  // 0..7 first column (rows 1..7), 8..15 first row
    int16_t acChroma[2][kCRows * kCStride][16];
    Motion mv[kB8Rows * kB8Stride];  // vectors of the newest I/P picture's luma blocks

    Motion meanMotion = {0, 0};  // mean vector of the last P-VOP's one-vector macroblocks

    // B-VOP vector predictors: [direction][field][component].
    int bPredictor[2][2][2];

    alignas(16) int16_t block[64];
    alignas(16) uint8_t edgeScratch[24 * 24];

    DecodeStats stats;
};

}  // namespace decoder
