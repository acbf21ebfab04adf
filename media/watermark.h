// The invisible watermark of still images. A 40 x 15 two-level pattern is tiled over the upper
// half of the picture in block units and hidden in the quantized luminance coefficients: block i
// of the upper half is paired with block i + L of the lower half, and the parities of their
// co-located significant coefficients agree (mark bit 0) or differ (mark bit 1). Checking turns
// every pair back into a grey level, which draws the pattern white on black.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "media/jpeg_coefficients.h"
#include "media/jpeg_library.h"

namespace media {

inline constexpr int kMarkWidth = 40;
inline constexpr int kMarkHeight = 15;
inline constexpr size_t kMarkFileSize = kMarkWidth * kMarkHeight;
inline constexpr const char* kDefaultMarkFileName = "Mark4015.raw";

// The pattern: 15 rows of 40 bits, row 0 first; a file byte of 0xFF is a 1, anything else a 0.
struct WatermarkPattern {
    std::array<uint8_t, kMarkFileSize> bits{};

    int bit(int row, int col) const { return bits[row * kMarkWidth + col]; }
    static WatermarkPattern FromFileBytes(std::span<const uint8_t, kMarkFileSize> bytes);
};

enum class MarkFileError {
    kNone = 0,
    kMissing,       // "The Watermark file name or path is not valid."
    kIncompatible,  // "The Watermark file you have selected is incompatible."
};
MarkFileError LoadWatermarkPattern(const std::string& path, WatermarkPattern* out);

// Parity of a coefficient value (its value mod 16 through a fixed table).
int CoefficientParity(int value);
// The nearest value of wanted parity that keeps a significant coefficient (|c| >= 2)
// significant.
int NudgeCoefficient(int c, int parity);
// Significant AC coefficients of a block.
int SignificanceCount(const int16_t* block);

enum class EmbedResult {
    kMarked,
    kNotMultipleOf16,    // written without a mark
    kUnsupportedLayout,  // luminance not at full resolution
    kCoefficientRange,   // a changed coefficient no longer fits the standard tables
};
// Hides the pattern in the luminance blocks (both sides must be multiples of 16).
EmbedResult EmbedWatermark(JpegCoefficients* picture, const WatermarkPattern& pattern);

// The value of every pair: 0..255, or 1 for a pair without information.
struct WatermarkCheck {
    int blocksWide = 0;  // blocks of the picture per row (width / 8)
    int pairs = 0;
    std::vector<uint8_t> values;  // one per pair
};
bool CheckWatermark(const JpegCoefficients& picture, WatermarkCheck* out);
// The check picture, the size of the still: every block of a pair filled with the pair's value
// in grey, or pure blue where there is no information (also at edges that no whole block
// covers).
void DrawCheckPicture(const JpegCoefficients& picture, const WatermarkCheck& check,
                      RgbPicture* out);

// Whole-file forms: a JPEG in, a marked JPEG (or the check picture) out. `error` gets the
// reason when the result is not kMarked / false.
EmbedResult MarkJpeg(std::span<const uint8_t> jpeg, const WatermarkPattern& pattern,
                     std::vector<uint8_t>* out, std::string* error);
bool CheckJpeg(std::span<const uint8_t> jpeg, RgbPicture* out, WatermarkCheck* check,
               std::string* error);

}  // namespace media
