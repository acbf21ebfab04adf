#include "media/jpeg_coefficients.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace media {
namespace {

// Natural (row by row) position of the k-th coefficient in zig-zag order.
constexpr uint8_t kNaturalOrder[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The typical Huffman tables of ITU-T T.81 Annex K (K.3 to K.6): code counts by length 1..16,
// then the symbols in code order.
struct StandardTable {
    uint8_t counts[16];
    std::span<const uint8_t> symbols;
};

constexpr uint8_t kDcSymbols[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

constexpr uint8_t kAcLuminanceSymbols[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
    0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
    0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

constexpr uint8_t kAcChrominanceSymbols[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
    0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33,
    0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18,
    0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4,
    0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca,
    0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
    0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

// Index: class (0 DC, 1 AC) x 2 + table (0 luminance, 1 chrominance).
const StandardTable kStandardTables[4] = {
    {{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, kDcSymbols},
    {{0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, kDcSymbols},
    {{0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d}, kAcLuminanceSymbols},
    {{0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77}, kAcChrominanceSymbols},
};

// Markers.
constexpr uint8_t kSOI = 0xD8, kEOI = 0xD9, kSOS = 0xDA, kDQT = 0xDB, kDNL = 0xDC, kDRI = 0xDD,
                  kDHT = 0xC4, kDAC = 0xCC;

uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

// ---------------------------------------------------------------------------------------------
// Decoding

constexpr int kLookupBits = 9;

struct DecodeTable {
    bool defined = false;
    // Codes of up to kLookupBits bits: (length << 8) | symbol, 0 when longer.
    uint16_t lookup[1 << kLookupBits];
    // AC codes whose code and value bits fit kLookupBits together, for a run and a non-zero
    // size: kFastEntry | bits used | run << 8 | value << 16. Zero for the others.
    uint32_t fast[1 << kLookupBits];
    int32_t maxCode[18];  // largest code of each length, -1 when none; [17] a sentinel
    int32_t valueOffset[17];
    uint8_t symbols[256];
};

constexpr uint32_t kFastEntry = 1u << 12;

inline int Extend(uint32_t v, int s) {
    return v < (1u << (s - 1)) ? static_cast<int>(v) - (1 << s) + 1 : static_cast<int>(v);
}

bool BuildDecodeTable(const uint8_t* counts, const uint8_t* symbols, int total, DecodeTable* t) {
    std::memset(t->lookup, 0, sizeof t->lookup);
    std::memset(t->fast, 0, sizeof t->fast);
    std::memcpy(t->symbols, symbols, static_cast<size_t>(total));
    int32_t code = 0;
    int k = 0;
    for (int len = 1; len <= 16; ++len) {
        const int n = counts[len - 1];
        t->valueOffset[len] = k - code;
        if (n == 0) {
            t->maxCode[len] = -1;
        } else {
            for (int i = 0; i < n; ++i, ++k, ++code) {
                if (code >= (1 << len)) return false;  // more codes than the length holds
                if (len <= kLookupBits) {
                    const int shift = kLookupBits - len;
                    const int first = code << shift;
                    const int run = symbols[k] >> 4;
                    const int size = symbols[k] & 15;
                    for (int j = 0; j < (1 << shift); ++j) {
                        t->lookup[first + j] = static_cast<uint16_t>((len << 8) | symbols[k]);
                        if (size == 0 || len + size > kLookupBits) continue;
                        const auto bits =
                            static_cast<uint32_t>(j >> (shift - size)) & ((1u << size) - 1);
                        const auto value = static_cast<uint16_t>(Extend(bits, size));
                        t->fast[first + j] = kFastEntry | static_cast<uint32_t>(len + size) |
                                             static_cast<uint32_t>(run << 8) |
                                             (uint32_t{value} << 16);
                    }
                }
            }
            t->maxCode[len] = code - 1;
        }
        // A valid table never runs out of codes of a length: the all-ones code stays unused.
        if (code >= (1 << len)) return false;
        code <<= 1;
    }
    t->maxCode[17] = INT32_MAX;
    t->defined = true;
    return true;
}

// Reads the entropy-coded data of a scan: removes stuffed zero bytes and stops at a marker,
// after which it supplies zero bits (counted, so that a scan that ends early is noticed).
class BitReader {
  public:
    BitReader(const uint8_t* begin, const uint8_t* end) : p_(begin), end_(end) {}

    void Fill() {
        // Four bytes at once while none of them is 0xFF (no stuffing, no marker).
        if (bits_ <= 32 && !atMarker_ && end_ - p_ >= 4) {
            const uint32_t w =
                (uint32_t{p_[0]} << 24) | (uint32_t{p_[1]} << 16) | (uint32_t{p_[2]} << 8) | p_[3];
            const uint32_t x = ~w;
            if (((x - 0x01010101u) & ~x & 0x80808080u) == 0) {
                buffer_ |= uint64_t{w} << (32 - bits_);
                bits_ += 32;
                p_ += 4;
            }
        }
        while (bits_ <= 56) {
            uint32_t byte = 0;
            if (!atMarker_ && p_ < end_) {
                byte = *p_;
                if (byte == 0xFF) {
                    if (p_ + 1 < end_ && p_[1] == 0x00) {
                        p_ += 2;
                    } else {
                        atMarker_ = true;
                        byte = 0;
                        padded_ += 8;
                    }
                } else {
                    ++p_;
                }
            } else {
                padded_ += 8;
            }
            buffer_ |= uint64_t{byte} << (56 - bits_);
            bits_ += 8;
        }
    }
    uint32_t Peek(int n) const { return static_cast<uint32_t>(buffer_ >> (64 - n)); }
    void Skip(int n) {
        buffer_ <<= n;
        bits_ -= n;
    }
    uint32_t Get(int n) {
        if (n == 0) return 0;
        const uint32_t v = Peek(n);
        Skip(n);
        return v;
    }
    int bits() const { return bits_; }
    // True when bits that were not in the data have been used.
    bool overrun() const { return padded_ > bits_; }

    // Steps over what is left of the data up to the next marker (bytes a damaged interval
    // left behind) and returns the marker's position.
    const uint8_t* SkipToMarker() {
        while (!atMarker_ && p_ < end_) {
            if (*p_ != 0xFF) {
                ++p_;
            } else if (p_ + 1 < end_ && p_[1] == 0x00) {
                p_ += 2;
            } else {
                atMarker_ = true;
            }
        }
        while (p_ + 1 < end_ && p_[0] == 0xFF && p_[1] == 0xFF)
            ++p_;  // fill bytes before the marker
        return p_;
    }
    // Ends a restart interval: the next marker must be restart marker `n` (0..7).
    bool Restart(int n) {
        if (overrun()) return false;
        SkipToMarker();
        if (p_ + 1 >= end_ || p_[0] != 0xFF || p_[1] != 0xD0 + n) return false;
        p_ += 2;
        buffer_ = 0;
        bits_ = 0;
        padded_ = 0;
        atMarker_ = false;
        return true;
    }

  private:
    const uint8_t* p_;
    const uint8_t* end_;
    uint64_t buffer_ = 0;
    int bits_ = 0;
    int padded_ = 0;
    bool atMarker_ = false;
};

inline int DecodeSymbol(BitReader& r, const DecodeTable& t) {
    const uint16_t e = t.lookup[r.Peek(kLookupBits)];
    if (e != 0) {
        r.Skip(e >> 8);
        return e & 0xFF;
    }
    const uint32_t code16 = r.Peek(16);
    int len = kLookupBits + 1;
    while (len <= 16 && static_cast<int32_t>(code16 >> (16 - len)) > t.maxCode[len])
        ++len;
    if (len > 16) return -1;
    r.Skip(len);
    const int index = static_cast<int>(code16 >> (16 - len)) + t.valueOffset[len];
    return t.symbols[index];
}

struct ScanComponent {
    int index;  // into components
    int dc;
    int ac;
};

class Decoder {
  public:
    Decoder(std::span<const uint8_t> data, JpegCoefficients* out, const JpegDecodeLimits& limits)
        : data_(data), out_(out), limits_(limits) {}

    JpegCodecError Run();

  private:
    JpegCodecError Frame(const uint8_t* p, size_t len, uint8_t marker);
    JpegCodecError HuffmanTables(const uint8_t* p, size_t len);
    JpegCodecError QuantTables(const uint8_t* p, size_t len);
    JpegCodecError Scan(const uint8_t* p, size_t len, size_t* pos);
    JpegCodecError DecodeBlock(BitReader& r, const ScanComponent& sc, int* pred, int16_t* block);

    std::span<const uint8_t> data_;
    JpegCoefficients* out_;
    JpegDecodeLimits limits_;
    DecodeTable dc_[4];
    DecodeTable ac_[4];
    bool quantDefined_[4] = {};
    int restartInterval_ = 0;
    size_t bytesAfterFrame_ = 0;
    bool frameSeen_ = false;
    bool scanSeen_ = false;
    std::vector<bool> scanned_;
};

JpegCodecError Decoder::Run() {
    const uint8_t* d = data_.data();
    const size_t n = data_.size();
    if (n < 4 || d[0] != 0xFF || d[1] != kSOI) return JpegCodecError::kNotJpeg;
    out_->segments.clear();
    out_->components.clear();
    out_->restartInterval = 0;
    size_t pos = 2;
    while (true) {
        if (pos >= n) break;  // no end-of-image marker: accepted when every scan is complete
        if (d[pos] != 0xFF) return JpegCodecError::kBadSegment;
        while (pos < n && d[pos] == 0xFF)
            ++pos;  // fill bytes
        if (pos >= n) break;
        const uint8_t marker = d[pos++];
        if (marker == kEOI) break;
        if (marker == kSOI || marker == 0x00) return JpegCodecError::kBadSegment;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;  // no length
        if (n - pos < 2) return JpegCodecError::kBadSegment;
        const size_t len = Get16(d + pos);
        if (len < 2 || len > n - pos) return JpegCodecError::kBadSegment;
        const uint8_t* body = d + pos + 2;
        const size_t bodyLen = len - 2;
        const size_t segmentStart = pos - 2;
        pos += len;

        JpegCodecError e = JpegCodecError::kNone;
        bool keep = !scanSeen_;
        if (marker == 0xC0 || marker == 0xC1) {
            bytesAfterFrame_ = n - pos;
            e = Frame(body, bodyLen, marker);
        } else if (marker == 0xC2 || marker == 0xC6) {
            return JpegCodecError::kProgressive;
        } else if (marker == 0xC3 || marker == 0xC5 || marker == 0xC7 || marker == 0xDE ||
                   marker == 0xDF) {
            return JpegCodecError::kLossless;
        } else if ((marker >= 0xC9 && marker <= 0xCF && marker != kDAC) || marker == 0xC8 ||
                   marker == kDAC) {
            if (marker == 0xC8) continue;  // reserved for extensions: skipped
            return marker == 0xCA || marker == 0xCE ? JpegCodecError::kProgressive
                                                    : JpegCodecError::kArithmetic;
        } else if (marker == kDHT) {
            e = HuffmanTables(body, bodyLen);
            keep = false;
        } else if (marker == kDQT) {
            if (scanSeen_) return JpegCodecError::kBadTables;  // tables are fixed by then
            e = QuantTables(body, bodyLen);
        } else if (marker == kDRI) {
            if (bodyLen != 2) return JpegCodecError::kBadSegment;
            if (!scanSeen_) out_->restartInterval = Get16(body);
            restartInterval_ = Get16(body);
        } else if (marker == kDNL) {
            return JpegCodecError::kTooLarge;  // height given after the data: not supported
        } else if (marker == kSOS) {
            if (!frameSeen_) return JpegCodecError::kBadSegment;
            keep = false;
            scanSeen_ = true;
            e = Scan(body, bodyLen, &pos);
        }
        if (e != JpegCodecError::kNone) return e;
        if (keep)
            out_->segments.insert(out_->segments.end(), d + segmentStart,
                                  d + segmentStart + 2 + len);
    }
    if (!frameSeen_ || !scanSeen_) return JpegCodecError::kTruncated;
    for (bool s : scanned_)
        if (!s) return JpegCodecError::kTruncated;
    return JpegCodecError::kNone;
}

JpegCodecError Decoder::Frame(const uint8_t* p, size_t len, uint8_t marker) {
    (void)marker;
    if (frameSeen_) return JpegCodecError::kBadSegment;
    if (len < 6) return JpegCodecError::kBadSegment;
    if (p[0] != 8) return JpegCodecError::kPrecision;
    const int height = Get16(p + 1);
    const int width = Get16(p + 3);
    const int count = p[5];
    if (count != 1 && count != 3) return JpegCodecError::kComponents;
    if (len != 6 + 3 * static_cast<size_t>(count)) return JpegCodecError::kBadSegment;
    // Refused before anything is allocated for it.
    if (width == 0 || height == 0 || width > limits_.maxSide || height > limits_.maxSide ||
        int64_t{width} * height > limits_.maxPixels)
        return JpegCodecError::kTooLarge;
    JpegCoefficients& f = *out_;
    f.width = width;
    f.height = height;
    f.components.resize(static_cast<size_t>(count));
    f.maxH = f.maxV = 1;
    for (int i = 0; i < count; ++i) {
        const uint8_t* c = p + 6 + 3 * i;
        CoefficientComponent& comp = f.components[i];
        comp.id = c[0];
        comp.h = c[1] >> 4;
        comp.v = c[1] & 15;
        comp.quantTable = c[2];
        if (comp.h < 1 || comp.h > 4 || comp.v < 1 || comp.v > 4)
            return JpegCodecError::kComponents;
        if (comp.quantTable > 3) return JpegCodecError::kBadTables;
        for (int j = 0; j < i; ++j)
            if (f.components[j].id == comp.id) return JpegCodecError::kComponents;
        f.maxH = std::max(f.maxH, comp.h);
        f.maxV = std::max(f.maxV, comp.v);
    }
    if (count == 1) {
        // A single component is always coded one block at a time.
        f.components[0].h = f.components[0].v = 1;
        f.maxH = f.maxV = 1;
    }
    const int mcusWide = (width + 8 * f.maxH - 1) / (8 * f.maxH);
    const int mcusHigh = (height + 8 * f.maxV - 1) / (8 * f.maxV);
    int64_t codedBlocks = 0;
    for (CoefficientComponent& comp : f.components) {
        comp.blocksWide = mcusWide * comp.h;
        comp.blocksHigh = mcusHigh * comp.v;
        const int compWidth = (width * comp.h + f.maxH - 1) / f.maxH;
        const int compHeight = (height * comp.v + f.maxV - 1) / f.maxV;
        comp.usedWide = (compWidth + 7) / 8;
        comp.usedHigh = (compHeight + 7) / 8;
        codedBlocks += int64_t{comp.usedWide} * comp.usedHigh;
    }
    // Every block takes at least a bit of coded data: a header that claims more blocks than the
    // rest of the file can hold is refused before its blocks are allocated.
    if (codedBlocks > 8 * static_cast<int64_t>(bytesAfterFrame_)) return JpegCodecError::kTruncated;
    for (CoefficientComponent& comp : f.components)
        comp.coefficients.assign(static_cast<size_t>(comp.blocksWide) * comp.blocksHigh * 64, 0);
    scanned_.assign(static_cast<size_t>(count), false);
    frameSeen_ = true;
    return JpegCodecError::kNone;
}

JpegCodecError Decoder::HuffmanTables(const uint8_t* p, size_t len) {
    while (len > 0) {
        if (len < 17) return JpegCodecError::kBadTables;
        const int cls = p[0] >> 4;
        const int id = p[0] & 15;
        if (cls > 1 || id > 3) return JpegCodecError::kBadTables;
        int total = 0;
        for (int i = 0; i < 16; ++i)
            total += p[1 + i];
        if (total > 256 || len < 17 + static_cast<size_t>(total)) return JpegCodecError::kBadTables;
        DecodeTable* t = cls == 0 ? &dc_[id] : &ac_[id];
        if (!BuildDecodeTable(p + 1, p + 17, total, t)) return JpegCodecError::kBadTables;
        p += 17 + total;
        len -= 17 + static_cast<size_t>(total);
    }
    return JpegCodecError::kNone;
}

JpegCodecError Decoder::QuantTables(const uint8_t* p, size_t len) {
    while (len > 0) {
        const int precision = p[0] >> 4;
        const int id = p[0] & 15;
        const size_t size = 1 + 64 * (precision ? 2 : 1);
        if (precision > 1 || id > 3 || len < size) return JpegCodecError::kBadTables;
        quantDefined_[id] = true;
        p += size;
        len -= size;
    }
    return JpegCodecError::kNone;
}

JpegCodecError Decoder::DecodeBlock(BitReader& r, const ScanComponent& sc, int* pred,
                                    int16_t* block) {
    r.Fill();
    const int s = DecodeSymbol(r, dc_[sc.dc]);
    if (s < 0 || s > 15) return JpegCodecError::kBadData;
    const int dc = *pred + (s ? Extend(r.Get(s), s) : 0);
    if (dc < INT16_MIN || dc > INT16_MAX) return JpegCodecError::kBadData;
    *pred = dc;
    block[0] = static_cast<int16_t>(dc);
    const DecodeTable& ac = ac_[sc.ac];
    for (int k = 1; k < 64;) {
        if (r.bits() < 32) r.Fill();  // room for one code and its value
        const uint32_t fast = ac.fast[r.Peek(kLookupBits)];
        if (fast != 0) {
            r.Skip(static_cast<int>(fast & 0xFF));
            k += (fast >> 8) & 15;
            if (k > 63) return JpegCodecError::kBadData;
            block[kNaturalOrder[k]] = static_cast<int16_t>(fast >> 16);
            ++k;
            continue;
        }
        const int rs = DecodeSymbol(r, ac);
        if (rs < 0) return JpegCodecError::kBadData;
        const int run = rs >> 4;
        const int size = rs & 15;
        if (size == 0) {
            if (run != 15) break;  // end of block
            k += 16;
            continue;
        }
        k += run;
        if (k > 63) return JpegCodecError::kBadData;
        block[kNaturalOrder[k]] = static_cast<int16_t>(Extend(r.Get(size), size));
        ++k;
    }
    return JpegCodecError::kNone;
}

JpegCodecError Decoder::Scan(const uint8_t* p, size_t len, size_t* pos) {
    if (len < 1) return JpegCodecError::kBadSegment;
    const int count = p[0];
    if (count < 1 || count > 4 || len != 4 + 2 * static_cast<size_t>(count))
        return JpegCodecError::kBadSegment;
    JpegCoefficients& f = *out_;
    ScanComponent scan[4];
    int blocksPerMcu = 0;
    for (int i = 0; i < count; ++i) {
        const int id = p[1 + 2 * i];
        const int tables = p[2 + 2 * i];
        int index = -1;
        for (size_t c = 0; c < f.components.size(); ++c)
            if (f.components[c].id == id) index = static_cast<int>(c);
        if (index < 0 || scanned_[index]) return JpegCodecError::kBadSegment;
        for (int j = 0; j < i; ++j)
            if (scan[j].index == index) return JpegCodecError::kBadSegment;
        scan[i] = {index, tables >> 4, tables & 15};
        if (scan[i].dc > 3 || scan[i].ac > 3 || !dc_[scan[i].dc].defined ||
            !ac_[scan[i].ac].defined || !quantDefined_[f.components[index].quantTable])
            return JpegCodecError::kBadTables;
        blocksPerMcu += f.components[index].h * f.components[index].v;
    }
    const uint8_t* q = p + 1 + 2 * count;
    if (q[0] != 0 || q[1] != 63 || q[2] != 0) return JpegCodecError::kProgressive;
    if (count > 1 && blocksPerMcu > 10) return JpegCodecError::kComponents;
    for (int i = 0; i < count; ++i)
        scanned_[scan[i].index] = true;

    // The MCU grid: one block at a time for a single component, else the frame's MCUs.
    int mcusWide, mcusHigh;
    if (count == 1) {
        mcusWide = f.components[scan[0].index].usedWide;
        mcusHigh = f.components[scan[0].index].usedHigh;
    } else {
        mcusWide = f.components[0].blocksWide / f.components[0].h;
        mcusHigh = f.components[0].blocksHigh / f.components[0].v;
    }
    BitReader r(data_.data() + *pos, data_.data() + data_.size());
    int pred[4] = {0, 0, 0, 0};
    const int64_t total = int64_t{mcusWide} * mcusHigh;
    int restartsSeen = 0;
    for (int64_t mcu = 0; mcu < total; ++mcu) {
        if (restartInterval_ > 0 && mcu > 0 && mcu % restartInterval_ == 0) {
            if (!r.Restart(restartsSeen & 7)) return JpegCodecError::kBadData;
            ++restartsSeen;
            pred[0] = pred[1] = pred[2] = pred[3] = 0;
        }
        const int mx = static_cast<int>(mcu % mcusWide);
        const int my = static_cast<int>(mcu / mcusWide);
        for (int i = 0; i < count; ++i) {
            CoefficientComponent& comp = f.components[scan[i].index];
            if (count == 1) {
                JpegCodecError e = DecodeBlock(r, scan[i], &pred[i], comp.block(my, mx));
                if (e != JpegCodecError::kNone) return e;
                continue;
            }
            for (int v = 0; v < comp.v; ++v) {
                for (int h = 0; h < comp.h; ++h) {
                    JpegCodecError e = DecodeBlock(r, scan[i], &pred[i],
                                                   comp.block(my * comp.v + v, mx * comp.h + h));
                    if (e != JpegCodecError::kNone) return e;
                }
            }
        }
    }
    if (r.overrun()) return JpegCodecError::kTruncated;
    *pos = static_cast<size_t>(r.SkipToMarker() - data_.data());
    return JpegCodecError::kNone;
}

// ---------------------------------------------------------------------------------------------
// Encoding

struct EncodeTable {
    uint16_t code[256];
    uint8_t size[256];  // 0: no code for the symbol
};

void BuildEncodeTable(const StandardTable& s, EncodeTable* t) {
    std::memset(t->size, 0, sizeof t->size);
    uint32_t code = 0;
    size_t k = 0;
    for (int len = 1; len <= 16; ++len) {
        for (int i = 0; i < s.counts[len - 1]; ++i, ++k, ++code) {
            t->code[s.symbols[k]] = static_cast<uint16_t>(code);
            t->size[s.symbols[k]] = static_cast<uint8_t>(len);
        }
        code <<= 1;
    }
}

class BitWriter {
  public:
    explicit BitWriter(std::vector<uint8_t>* out) : out_(out) {}
    void Put(uint32_t bits, int n) {
        buffer_ = (buffer_ << n) | (bits & ((uint64_t{1} << n) - 1));
        count_ += n;
        while (count_ >= 8) {
            const auto byte = static_cast<uint8_t>(buffer_ >> (count_ - 8));
            out_->push_back(byte);
            if (byte == 0xFF) out_->push_back(0x00);
            count_ -= 8;
        }
    }
    // Pads the last byte with one bits.
    void Flush() {
        if (count_ > 0) Put(0x7F, 8 - count_);
        buffer_ = 0;
    }

  private:
    std::vector<uint8_t>* out_;
    uint64_t buffer_ = 0;
    int count_ = 0;
};

inline int Category(int v) {
    const unsigned a = static_cast<unsigned>(v < 0 ? -v : v);
    return a == 0 ? 0 : 32 - __builtin_clz(a);
}

struct EncodeTables {
    EncodeTable dc[2];
    EncodeTable ac[2];
    EncodeTables() {
        for (int i = 0; i < 2; ++i) {
            BuildEncodeTable(kStandardTables[i], &dc[i]);
            BuildEncodeTable(kStandardTables[2 + i], &ac[i]);
        }
    }
};

const EncodeTables& StandardEncodeTables() {
    static const EncodeTables tables;
    return tables;
}

// The code of `symbol` followed by the low `size` bits of the value (one less when negative).
bool PutValue(BitWriter& w, const EncodeTable& t, int symbol, int value, int size) {
    if (t.size[symbol] == 0) return false;
    const uint32_t bits = static_cast<uint32_t>(value < 0 ? value - 1 : value) & ((1u << size) - 1);
    w.Put((uint32_t{t.code[symbol]} << size) | bits, t.size[symbol] + size);
    return true;
}

bool EncodeBlock(BitWriter& w, const EncodeTable& dc, const EncodeTable& ac, const int16_t* b,
                 int* pred) {
    const int diff = b[0] - *pred;
    *pred = b[0];
    const int dcSize = Category(diff);
    if (!PutValue(w, dc, dcSize, diff, dcSize)) return false;
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        const int v = b[kNaturalOrder[k]];
        if (v == 0) {
            ++run;
            continue;
        }
        while (run > 15) {
            if (!PutValue(w, ac, 0xF0, 0, 0)) return false;
            run -= 16;
        }
        const int size = Category(v);
        if (size > 15 || !PutValue(w, ac, (run << 4) | size, v, size)) return false;
        run = 0;
    }
    if (run > 0 && !PutValue(w, ac, 0x00, 0, 0)) return false;
    return true;
}

void PutMarker(std::vector<uint8_t>* out, uint8_t marker) {
    out->push_back(0xFF);
    out->push_back(marker);
}

void PutHuffmanTables(std::vector<uint8_t>* out) {
    size_t length = 2;
    for (const StandardTable& t : kStandardTables)
        length += 17 + t.symbols.size();
    PutMarker(out, kDHT);
    out->push_back(static_cast<uint8_t>(length >> 8));
    out->push_back(static_cast<uint8_t>(length));
    for (int i = 0; i < 4; ++i) {
        const StandardTable& t = kStandardTables[i];
        out->push_back(static_cast<uint8_t>(((i / 2) << 4) | (i % 2)));
        out->insert(out->end(), t.counts, t.counts + 16);
        out->insert(out->end(), t.symbols.begin(), t.symbols.end());
    }
}

// One scan over the given components (indexes into the frame's list).
bool EncodeScan(const JpegCoefficients& f, const std::vector<int>& members,
                std::vector<uint8_t>* out) {
    const size_t count = members.size();
    PutMarker(out, kSOS);
    const size_t length = 6 + 2 * count;
    out->push_back(0);
    out->push_back(static_cast<uint8_t>(length));
    out->push_back(static_cast<uint8_t>(count));
    for (int index : members) {
        const int table = index == 0 ? 0 : 0x11;
        out->push_back(static_cast<uint8_t>(f.components[index].id));
        out->push_back(static_cast<uint8_t>(table));
    }
    out->push_back(0);
    out->push_back(63);
    out->push_back(0);

    const EncodeTables& tables = StandardEncodeTables();
    BitWriter w(out);
    int pred[4] = {0, 0, 0, 0};
    int mcusWide, mcusHigh;
    if (count == 1) {
        mcusWide = f.components[members[0]].usedWide;
        mcusHigh = f.components[members[0]].usedHigh;
    } else {
        mcusWide = f.components[0].blocksWide / f.components[0].h;
        mcusHigh = f.components[0].blocksHigh / f.components[0].v;
    }
    const int64_t total = int64_t{mcusWide} * mcusHigh;
    int restarts = 0;
    for (int64_t mcu = 0; mcu < total; ++mcu) {
        if (f.restartInterval > 0 && mcu > 0 && mcu % f.restartInterval == 0) {
            w.Flush();
            PutMarker(out, static_cast<uint8_t>(0xD0 + (restarts++ & 7)));
            pred[0] = pred[1] = pred[2] = pred[3] = 0;
        }
        const int mx = static_cast<int>(mcu % mcusWide);
        const int my = static_cast<int>(mcu / mcusWide);
        for (size_t i = 0; i < count; ++i) {
            const CoefficientComponent& comp = f.components[members[i]];
            const int t = members[i] == 0 ? 0 : 1;
            const int h = count == 1 ? 1 : comp.h;
            const int v = count == 1 ? 1 : comp.v;
            for (int y = 0; y < v; ++y)
                for (int x = 0; x < h; ++x)
                    if (!EncodeBlock(w, tables.dc[t], tables.ac[t],
                                     comp.block(my * v + y, mx * h + x), &pred[i]))
                        return false;
        }
    }
    w.Flush();
    return true;
}

}  // namespace

const char* JpegCodecErrorText(JpegCodecError error) {
    switch (error) {
        case JpegCodecError::kNone:
            return "No error";
        case JpegCodecError::kNotJpeg:
            return "Not a JPEG file: starts with no image marker";
        case JpegCodecError::kProgressive:
            return "Progressive JPEG files are not supported";
        case JpegCodecError::kArithmetic:
            return "Arithmetic-coded JPEG files are not supported";
        case JpegCodecError::kLossless:
            return "Lossless and hierarchical JPEG files are not supported";
        case JpegCodecError::kPrecision:
            return "Only JPEG files of 8-bit samples are supported";
        case JpegCodecError::kComponents:
            return "Only JPEG files of one or three components are supported";
        case JpegCodecError::kTooLarge:
            return "The picture size is missing or too large";
        case JpegCodecError::kBadSegment:
            return "A JPEG marker segment is damaged";
        case JpegCodecError::kBadTables:
            return "A JPEG table is damaged or missing";
        case JpegCodecError::kBadData:
            return "The JPEG picture data is damaged";
        case JpegCodecError::kTruncated:
            return "The JPEG picture data ends early";
        case JpegCodecError::kCoefficientRange:
            return "A coefficient is too large for the standard Huffman tables";
    }
    return "Unknown error";
}

JpegCodecError DecodeCoefficients(std::span<const uint8_t> jpeg, JpegCoefficients* out,
                                  const JpegDecodeLimits& limits) {
    Decoder decoder(jpeg, out, limits);
    const JpegCodecError e = decoder.Run();
    if (e != JpegCodecError::kNone) {
        out->components.clear();
        out->segments.clear();
        out->width = out->height = 0;
    }
    return e;
}

JpegCodecError EncodeCoefficients(const JpegCoefficients& f, std::vector<uint8_t>* out) {
    out->clear();
    if (f.components.empty()) return JpegCodecError::kBadSegment;
    out->reserve(f.segments.size() + 1024 +
                 static_cast<size_t>(f.width) * static_cast<size_t>(f.height) / 2);
    PutMarker(out, kSOI);
    out->insert(out->end(), f.segments.begin(), f.segments.end());
    PutHuffmanTables(out);
    int blocksPerMcu = 0;
    for (const CoefficientComponent& c : f.components)
        blocksPerMcu += c.h * c.v;
    std::vector<int> members;
    if (f.components.size() == 1 || blocksPerMcu <= 10) {
        for (size_t i = 0; i < f.components.size(); ++i)
            members.push_back(static_cast<int>(i));
        if (!EncodeScan(f, members, out)) return JpegCodecError::kCoefficientRange;
    } else {
        for (size_t i = 0; i < f.components.size(); ++i)
            if (!EncodeScan(f, {static_cast<int>(i)}, out))
                return JpegCodecError::kCoefficientRange;
    }
    PutMarker(out, kEOI);
    return JpegCodecError::kNone;
}

}  // namespace media
