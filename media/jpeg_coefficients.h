// The JPEG coefficient codec that the watermark works with: decodes a baseline sequential
// Huffman-coded JPEG (8-bit samples, one or three components, any sampling factors, restart
// intervals, interleaved or one scan per component) to the quantized DCT coefficients of every
// block, and encodes such blocks back into a JPEG file with the same quantization tables and
// the typical Huffman tables of the JPEG standard, keeping the file's other segments. No sample
// is ever reconstructed, so decoding and re-encoding keep every coefficient exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "media/jpeg_library.h"

namespace media {

enum class JpegCodecError {
    kNone = 0,
    kNotJpeg,           // no start-of-image marker at the start
    kProgressive,       // progressive coding
    kArithmetic,        // arithmetic coding
    kLossless,          // lossless or hierarchical coding
    kPrecision,         // samples of other than 8 bits
    kComponents,        // other than one or three components, or bad sampling factors
    kTooLarge,          // picture size beyond the limits, or none given
    kBadSegment,        // a marker segment is malformed or cut short
    kBadTables,         // a Huffman or quantization table is malformed or missing
    kBadData,           // the coded data does not decode
    kTruncated,         // the coded data ends before the last block
    kCoefficientRange,  // a coefficient does not fit the standard Huffman tables
};

// An English sentence for the error.
const char* JpegCodecErrorText(JpegCodecError error);

struct CoefficientComponent {
    int id = 0;
    int h = 1;  // sampling factors
    int v = 1;
    int quantTable = 0;
    // The block grid kept for the component, padded to whole MCUs of an interleaved scan.
    int blocksWide = 0;
    int blocksHigh = 0;
    // The blocks that hold picture samples (ceil of the component's size over 8).
    int usedWide = 0;
    int usedHigh = 0;
    // 64 coefficients a block in natural (row by row) order, block rows top to bottom.
    std::vector<int16_t> coefficients;

    int16_t* block(int row, int col) {
        return coefficients.data() + (static_cast<size_t>(row) * blocksWide + col) * 64;
    }
    const int16_t* block(int row, int col) const {
        return coefficients.data() + (static_cast<size_t>(row) * blocksWide + col) * 64;
    }
};

struct JpegCoefficients {
    int width = 0;
    int height = 0;
    int maxH = 1;
    int maxV = 1;
    int restartInterval = 0;  // in MCUs; 0 for none
    std::vector<CoefficientComponent> components;
    // The file's segments between its start-of-image marker and its first scan, markers
    // included, less its Huffman tables: written back as they are.
    std::vector<uint8_t> segments;
};

// Pictures beyond these are refused before anything is allocated for them.
struct JpegDecodeLimits {
    int maxSide = kMaxPictureSide;
    int64_t maxPixels = kMaxPicturePixels;
};

// Decodes every block of the file. `out` is reused (its buffers keep their capacity).
JpegCodecError DecodeCoefficients(std::span<const uint8_t> jpeg, JpegCoefficients* out,
                                  const JpegDecodeLimits& limits = {});
// Encodes the blocks into a whole JPEG file (start- to end-of-image marker).
JpegCodecError EncodeCoefficients(const JpegCoefficients& coefficients, std::vector<uint8_t>* out);

}  // namespace media
