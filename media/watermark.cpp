#include "media/watermark.h"

#include <cstdlib>
#include <vector>

#include "platform/regular_file.h"

namespace media {
namespace {

constexpr uint8_t kParity[16] = {0, 0, 1, 1, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1, 0, 1};

bool Significant(int v) {
    return v >= 2 || v <= -2;
}

// Gives every significant AC coefficient of `target` the parity of the reference's coefficient
// at the same position, flipped when the mark bit is 1.
bool AlignBlock(int16_t* target, const int16_t* reference, int bit) {
    for (int k = 1; k < 64; ++k) {
        if (!Significant(target[k])) continue;
        const int v = NudgeCoefficient(target[k], CoefficientParity(reference[k]) ^ bit);
        if (v < INT16_MIN || v > INT16_MAX) return false;
        target[k] = static_cast<int16_t>(v);
    }
    return true;
}

// 255 x (significant positions of t whose parity differs from r's) / (significant count of t).
int Difference(const int16_t* t, const int16_t* r, int count) {
    int differ = 0;
    for (int k = 1; k < 64; ++k)
        if (Significant(t[k]) && CoefficientParity(t[k]) != CoefficientParity(r[k])) ++differ;
    return 255 * differ / count;
}

// The luminance blocks in raster order over the picture: width / 8 a row, height / 8 rows.
struct LumaGrid {
    int wide = 0;
    int high = 0;
    bool Bind(const JpegCoefficients& p) {
        if (p.components.empty()) return false;
        const CoefficientComponent& y = p.components[0];
        if (y.h != p.maxH || y.v != p.maxV) return false;
        wide = p.width / 8;
        high = p.height / 8;
        return wide <= y.blocksWide && high <= y.blocksHigh;
    }
    int blocks() const { return wide * high; }
};

std::vector<int> CountAll(const CoefficientComponent& y, const LumaGrid& g) {
    std::vector<int> counts(static_cast<size_t>(g.blocks()));
    for (int i = 0; i < g.blocks(); ++i)
        counts[i] = SignificanceCount(y.block(i / g.wide, i % g.wide));
    return counts;
}

}  // namespace

WatermarkPattern WatermarkPattern::FromFileBytes(std::span<const uint8_t, kMarkFileSize> bytes) {
    WatermarkPattern p;
    for (size_t i = 0; i < kMarkFileSize; ++i)
        p.bits[i] = bytes[i] == 0xFF ? 1 : 0;
    return p;
}

MarkFileError LoadWatermarkPattern(const std::string& path, WatermarkPattern* out) {
    std::vector<uint8_t> bytes;
    if (path.empty() || !platform::ReadRegularFile(path, &bytes)) return MarkFileError::kMissing;
    if (bytes.size() != kMarkFileSize) return MarkFileError::kIncompatible;
    *out = WatermarkPattern::FromFileBytes(
        std::span<const uint8_t, kMarkFileSize>(bytes.data(), kMarkFileSize));
    return MarkFileError::kNone;
}

int CoefficientParity(int value) {
    return kParity[value & 15];  // two's complement: the remainder in 0..15, also below zero
}

int NudgeCoefficient(int c, int parity) {
    if (CoefficientParity(c) == parity) return c;
    if (c < 0 && c % 128 == -2) {
        int v = c - 1;
        while (CoefficientParity(v) != parity)
            --v;
        return v;
    }
    if (c > 0 && c % 128 == 2) {
        int v = c + 1;
        while (CoefficientParity(v) != parity)
            ++v;
        return v;
    }
    return CoefficientParity(c - 1) == parity ? c - 1 : c + 1;
}

int SignificanceCount(const int16_t* block) {
    int n = 0;
    for (int k = 1; k < 64; ++k)
        n += Significant(block[k]);
    return n;
}

EmbedResult EmbedWatermark(JpegCoefficients* picture, const WatermarkPattern& pattern) {
    if (picture->width % 16 != 0 || picture->height % 16 != 0) return EmbedResult::kNotMultipleOf16;
    LumaGrid g;
    if (!g.Bind(*picture)) return EmbedResult::kUnsupportedLayout;
    CoefficientComponent& y = picture->components[0];
    const std::vector<int> counts = CountAll(y, g);
    const int half = g.blocks() / 2;
    for (int i = 0; i < half; ++i) {
        const int bit = pattern.bit((i / g.wide) % kMarkHeight, (i % g.wide) % kMarkWidth);
        const int j = i + half;
        int16_t* p = y.block(i / g.wide, i % g.wide);
        int16_t* q = y.block(j / g.wide, j % g.wide);
        bool ok = true;
        if (counts[i] && counts[j]) {
            ok = AlignBlock(q, p, bit) && AlignBlock(p, q, bit);
        } else if (counts[i]) {
            ok = AlignBlock(p, q, bit);
        } else if (counts[j]) {
            ok = AlignBlock(q, p, bit);
        }
        if (!ok) return EmbedResult::kCoefficientRange;
    }
    return EmbedResult::kMarked;
}

bool CheckWatermark(const JpegCoefficients& picture, WatermarkCheck* out) {
    LumaGrid g;
    if (!g.Bind(picture)) return false;
    const CoefficientComponent& y = picture.components[0];
    const std::vector<int> counts = CountAll(y, g);
    const int half = g.blocks() / 2;
    out->blocksWide = g.wide;
    out->pairs = half;
    out->values.assign(static_cast<size_t>(half), 1);
    for (int i = 0; i < half; ++i) {
        const int j = i + half;
        const int16_t* p = y.block(i / g.wide, i % g.wide);
        const int16_t* q = y.block(j / g.wide, j % g.wide);
        int value = 1;  // no information
        if (counts[i] && counts[j]) {
            value = (Difference(p, q, counts[i]) + Difference(q, p, counts[j]) + 1) / 2;
        } else if (counts[i]) {
            value = Difference(p, q, counts[i]);
        } else if (counts[j]) {
            value = Difference(q, p, counts[j]);
        }
        out->values[i] = static_cast<uint8_t>(value);
    }
    return true;
}

void DrawCheckPicture(const JpegCoefficients& picture, const WatermarkCheck& check,
                      RgbPicture* out) {
    out->width = picture.width;
    out->height = picture.height;
    const size_t pixels = static_cast<size_t>(out->width) * out->height;
    out->rgb.assign(pixels * 3, 0);
    for (size_t i = 0; i < pixels; ++i)
        out->rgb[i * 3 + 2] = 255;  // blue: no information
    if (check.blocksWide <= 0) return;
    auto fill = [&](int block, uint8_t value) {
        const int bx = block % check.blocksWide * 8;
        const int by = block / check.blocksWide * 8;
        for (int y = by; y < by + 8 && y < out->height; ++y) {
            uint8_t* row = out->row(y) + bx * 3;
            for (int x = 0; x < 8 && bx + x < out->width; ++x) {
                row[x * 3] = value == 1 ? 0 : value;
                row[x * 3 + 1] = value == 1 ? 0 : value;
                row[x * 3 + 2] = value == 1 ? 255 : value;
            }
        }
    };
    for (int i = 0; i < check.pairs; ++i) {
        fill(i, check.values[i]);
        fill(i + check.pairs, check.values[i]);
    }
}

EmbedResult MarkJpeg(std::span<const uint8_t> jpeg, const WatermarkPattern& pattern,
                     std::vector<uint8_t>* out, std::string* error) {
    JpegCoefficients picture;
    JpegCodecError e = DecodeCoefficients(jpeg, &picture);
    if (e != JpegCodecError::kNone) {
        *error = JpegCodecErrorText(e);
        return EmbedResult::kUnsupportedLayout;
    }
    const EmbedResult result = EmbedWatermark(&picture, pattern);
    if (result == EmbedResult::kNotMultipleOf16) {
        *error = "The picture size is not a multiple of 16: it is left without a watermark";
        return result;
    }
    if (result == EmbedResult::kUnsupportedLayout) {
        *error = "The luminance of the picture is not at full resolution";
        return result;
    }
    e = result == EmbedResult::kMarked ? EncodeCoefficients(picture, out)
                                       : JpegCodecError::kCoefficientRange;
    if (e != JpegCodecError::kNone) {
        *error = JpegCodecErrorText(e);
        return EmbedResult::kCoefficientRange;
    }
    return EmbedResult::kMarked;
}

bool CheckJpeg(std::span<const uint8_t> jpeg, RgbPicture* out, WatermarkCheck* check,
               std::string* error) {
    JpegCoefficients picture;
    const JpegCodecError e = DecodeCoefficients(jpeg, &picture);
    if (e != JpegCodecError::kNone) {
        *error = JpegCodecErrorText(e);
        return false;
    }
    if (!CheckWatermark(picture, check)) {
        *error = "The luminance of the picture is not at full resolution";
        return false;
    }
    DrawCheckPicture(picture, *check, out);
    return true;
}

}  // namespace media
