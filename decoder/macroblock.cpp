// Macroblock layer: headers, coefficient decoding with DC/AC prediction and inverse
// quantisation, motion vectors and motion-compensated prediction of I-, P- and B-VOPs.
#include "decoder/macroblock.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "decoder/concealment.h"
#include "decoder/exact_divider.h"
#include "decoder/vlc_tables.h"

namespace decoder {
namespace {

using kernels::BiPredictIndex;
using kernels::KernelSet;
using kernels::PredictIndex;

inline int LumaDcScaler(int q) {
    if (q < 5) return 8;
    if (q < 9) return 2 * q;
    if (q < 25) return q + 8;
    return 2 * q - 16;
}
inline int ChromaDcScaler(int q) {
    if (q < 5) return 8;
    if (q < 25) return (q + 13) / 2;
    return q - 6;
}
inline int Median(int a, int b, int c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}
inline int RoundedDiv(int a, int b) {
    return (a >= 0 ? a + (b >> 1) : a - (b >> 1)) / b;
}
// The chroma vector component of a luma vector of a one-vector macroblock (or one field).
inline int ChromaVector(int v) {
    return (v >> 1) | (v & 1);
}
// The chroma vector component of the sum of the four vectors of an inter-4V macroblock.
inline int ChromaVector4(int sum) {
    static constexpr int kRound[16] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2};
    const int a = std::abs(sum);
    const int v = 2 * (a >> 4) + kRound[a & 15];
    return sum < 0 ? -v : v;
}

// H.263-method inverse quantisation of the AC coefficients 1..63 of an intra block: a non-zero
// level L becomes L * qmul + qadd with the sign of L, kept to 16 bits as the block stores it;
// `dc` (already scaled) goes to position 0 last. Written any earlier, the narrow store would
// stall the wide loads that follow it.
inline void DequantizeH263Intra(int16_t* block, int qmul, int qadd, int16_t dc) {
#if defined(__SSE2__)
    const __m128i mul = _mm_set1_epi16(static_cast<int16_t>(qmul));
    const __m128i add = _mm_set1_epi16(static_cast<int16_t>(qadd));
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 64; i += 8) {
        auto* p = reinterpret_cast<__m128i*>(block + i);
        const __m128i level = _mm_load_si128(p);
        const __m128i sign = _mm_srai_epi16(level, 15);
        const __m128i nonZero = _mm_andnot_si128(_mm_cmpeq_epi16(level, zero), _mm_set1_epi16(-1));
        const __m128i signedAdd = _mm_sub_epi16(_mm_xor_si128(add, sign), sign);
        _mm_store_si128(
            p, _mm_add_epi16(_mm_mullo_epi16(level, mul), _mm_and_si128(signedAdd, nonZero)));
    }
#else
    for (int i = 0; i < 64; ++i) {
        const int level = block[i];
        if (level)
            block[i] = static_cast<int16_t>(level < 0 ? level * qmul - qadd : level * qmul + qadd);
    }
#endif
    block[0] = dc;
}

// One MPEG-method coefficient: the magnitude product shifted down, with the level's sign; the
// result also goes into the mismatch sum.
inline int16_t MpegLevel(int level, int product, int shift, int* sum) {
    const int v = level < 0 ? -(product >> shift) : product >> shift;
    *sum += v;
    return static_cast<int16_t>(v);
}

struct MbVectors {
    // [direction][block or field], vertical field vectors in field units.
    Motion mv[2][4];
    int fieldSelect[2][2];
};

enum MbPrediction { kPredFrame, kPred4v, kPredField };

// One reference's share of a macroblock prediction: the picture, the vector of each block (or
// field) and, for field prediction, which field of the reference each field reads.
struct PredictionSource {
    const PicturePlanes* ref;
    const Motion* mv;
    const int* fieldSelect;
};

// Where one reference's prediction of a block reads: the full-pel position (rows counted in
// steps of the block's row step from `rowOffset`) and the half-pel steps.
struct SourceArea {
    const PicturePlanes* ref;
    int x, y, hx, hy, rowOffset;

    // The area of a vector in half-pel units from (baseX, baseY).
    static SourceArea At(const PicturePlanes* ref, int baseX, int baseY, int vx, int vy,
                         int rowOffset) {
        return {ref, baseX + (vx >> 1), baseY + (vy >> 1), vx & 1, vy & 1, rowOffset};
    }
    ptrdiff_t Offset(ptrdiff_t stride, int rowStep) const {
        return (y * rowStep + rowOffset) * stride + x;
    }
};

class VopDecoder {
  public:
    explicit VopDecoder(const VopContext& ctx)
        : s_(*ctx.state),
          t_(*ctx.tables),
          r_(*ctx.reader),
          k_(*ctx.state->kernels),
          g_(ctx.state->geometry),
          cur_(ctx.target),
          fwd_(ctx.forward),
          bwd_(ctx.backward),
          trdDivider_(static_cast<uint32_t>(s_.directTrd)),
          fieldDividers_{FieldDistanceDivider(-1), FieldDistanceDivider(0),
                         FieldDistanceDivider(1)} {}

    void Run();

  private:
    // --- macroblock layers ---
    bool DecodeIMacroblock();
    bool DecodeIntraMacroblock(int cbpc, bool dquant);
    bool DecodePMacroblock();
    bool DecodeBMacroblock();
    bool DecodeIntraTexture(int cbp, bool acPred, bool dctField, bool useDcVlc);
    bool DecodeInterTexture(int cbp, bool dctField);
    void FinishMacroblock(int refKind);
    void CleanIntraPredictors();
    void MarkLost(int fromMb, int toMb) {
        for (int i = fromMb; i < toMb; ++i)
            lost_[(i / g_.mbWidth + 1) * kMbStride + i % g_.mbWidth + 1] = 1;
    }
    void ConcealLostMacroblocks();
    void PredictDirect(int dx, int dy, bool counted);
    Motion GuessVector(BorderSides sides, int* borderStep);
    BorderSides ConcealmentSides() const;
    int BorderCost(Motion mv, BorderSides sides);
    void FillLostMacroblockFromBorders();

    // --- blocks ---
    bool DecodeIntraBlock(int n, bool coded, bool acPred, bool useDcVlc, uint8_t* dst,
                          ptrdiff_t stride);
    bool DecodeInterBlock(uint8_t* dst, ptrdiff_t stride);
    template <bool kIntra>
    int ReadCoefficients(int16_t* block, int first, const uint8_t* scan, int qmul, int qadd);

    // The inverse DCT of `block` stored at (intra) or added to (inter) the 8x8 destination;
    // leaves the block all zero. `dcOnly` when no coefficient but the first can be non-zero.
    void Reconstruct(int16_t* block, bool dcOnly, bool add, uint8_t* dst, ptrdiff_t stride) const {
        // A lone DC coefficient transforms to a flat block, except on the transform's rounding
        // boundaries (dc = 4 mod 8) and near the ends of its range, where it runs in full.
        const int dc = block[0];
        if (dcOnly && (dc & 7) != 4 && dc > -4000 && dc < 4000) {
            const auto flat = static_cast<int16_t>((dc + 4) >> 3);
            for (int i = 0; i < 64; ++i)
                block[i] = flat;
            (add ? k_.addBlock : k_.storeBlock)(block, dst, stride);
            std::memset(block, 0, 64 * sizeof(int16_t));
            return;
        }
        (add ? k_.inverseDctAdd : k_.inverseDctStore)(block, dst, stride);
    }

    // --- vectors ---
    [[gnu::always_inline]] inline bool ReadMotionComponent(int predictor, int fcode, int* out);
    void find_predictor(int n, int* px, int* py);
    void StoreMacroblockVector(int x, int y);

    // --- prediction ---
    void predict_block(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* plane, ptrdiff_t stride,
                       int planeW, int planeH, int border, int x, int y, int w, int h, int hx,
                       int hy, int rounding, bool average, int rowStep, int rowOffset);
    // A macroblock's prediction from `first`, or from `first` and `second` averaged (the two
    // directions of a B-VOP, which round 0).
    void PredictMacroblock(MbPrediction kind, const PredictionSource& first,
                           const PredictionSource* second, int rounding);
    template <bool kBoth>
    void PredictMacroblockFrom(MbPrediction kind, const PredictionSource* const sources[2],
                               int rounding);
    [[gnu::always_inline]] inline void PredictLuma(uint8_t* dst, ptrdiff_t dstStride,
                                                   const SourceArea& first,
                                                   const SourceArea* second, int w, int h,
                                                   int rowStep, int rounding);
    [[gnu::always_inline]] inline void PredictChroma(uint8_t* cbDst, uint8_t* crDst,
                                                     ptrdiff_t dstStride, const SourceArea& first,
                                                     const SourceArea* second, int h, int rowStep,
                                                     int rounding);
    void PredictChromaPair(const PicturePlanes& ref, uint8_t* cbDst, uint8_t* crDst,
                           ptrdiff_t dstStride, int x, int y, int h, int hx, int hy, int rounding,
                           bool average, int rowStep, int rowOffset);
    // Whether a w x h prediction at (x, y) (rows y * rowStep + rowOffset on, one more column and
    // row for the half-pel steps) lies within the plane and its border.
    static bool InsideBorder(int planeW, int planeH, int border, int x, int y, int w, int h,
                             int rowStep, int rowOffset) {
        const int firstRow = y * rowStep + rowOffset;
        const int lastRow = (y + h) * rowStep + rowOffset;  // includes the half-pel row
        return x >= -border && x + w + 1 <= planeW + border && firstRow >= -border &&
               lastRow < planeH + border;
    }
    void CopyMacroblock(const PicturePlanes& ref);

    uint8_t* LumaDst(int n, bool dctField, ptrdiff_t* stride) const {
        const ptrdiff_t ys = g_.yStride;
        uint8_t* mb = cur_.y + s_.mbY * 16 * ys + s_.mbX * 16;
        if (dctField) {
            *stride = 2 * ys;
            return mb + (n & 1) * 8 + (n >> 1) * ys;
        }
        *stride = ys;
        return mb + (n & 1) * 8 + (n >> 1) * 8 * ys;
    }
    // Where block n of the macroblock goes in the target picture (luma blocks of a field-DCT
    // macroblock take every second row).
    uint8_t* BlockDst(int n, bool dctField, ptrdiff_t* stride) const {
        if (n < 4) return LumaDst(n, dctField, stride);
        *stride = g_.cStride;
        return (n == 4 ? cur_.cb : cur_.cr) + s_.mbY * 8 * g_.cStride + s_.mbX * 8;
    }
    // Per pixel, how much more a temporal guess may step at the border than the picture does
    // across it before the lost macroblock is filled from its borders instead.
    static constexpr int kSpatialMargin = 6;
    int MbIndex() const { return (s_.mbY + 1) * kMbStride + s_.mbX + 1; }
    // Whether the macroblock at (mbX + dx, mbY + dy) lies in the picture and in the current
    // video packet.
    bool Available(int dx, int dy) const {
        const int x = s_.mbX + dx;
        const int y = s_.mbY + dy;
        return x >= 0 && y >= 0 && x < g_.mbWidth && y * g_.mbWidth + x >= packetStart_;
    }
    bool InFirstPacketRow() const {
        return s_.mbY * g_.mbWidth + s_.mbX < packetStart_ + g_.mbWidth;
    }
    bool ReadVideoPacketHeader(int* mbNumber);
    bool ReadVideoPacketFields(int* mbNumber);
    int FindNextVideoPacket();
    void StartVideoPacket(int mb);
    int ResyncPrefixLength() const;
    // The field distance between the references, moved by one field either way, never 0.
    int FieldDistance(int offset) const {
        const int tpp = static_cast<uint16_t>(s_.ppFieldTime + offset);
        return tpp == 0 ? 1 : tpp;
    }
    ExactDivider FieldDistanceDivider(int offset) const {
        return ExactDivider(static_cast<uint32_t>(FieldDistance(offset)));
    }
    int B8Index(int n) const {
        return (2 * s_.mbY + (n >> 1) + 1) * kB8Stride + 2 * s_.mbX + (n & 1) + 1;
    }
    int CIndex() const { return (s_.mbY + 1) * kCStride + s_.mbX + 1; }
    void SetQuant(int q) {
        s_.quant = std::clamp(q, 1, 31);
        s_.stats.minQuant = std::min(s_.stats.minQuant, s_.quant);
        s_.stats.maxQuant = std::max(s_.stats.maxQuant, s_.quant);
    }
    void AddToMeanMotion(int x, int y) {
        motionSumX_ += x;
        motionSumY_ += y;
        ++motionCount_;
    }
    bool Fail() {
        s_.errorFlag = 1;
        return false;
    }

    DecoderState& s_;
    const DecoderTables& t_;
    BitReader& r_;
    const KernelSet& k_;
    const PictureGeometry& g_;
    PicturePlanes cur_;
    PicturePlanes fwd_;
    PicturePlanes bwd_;
    int packetStart_ = 0;  // first macroblock of the current video packet
    int motionSumX_ = 0;   // one-vector macroblocks of a P-VOP: their vectors summed
    int motionSumY_ = 0;
    int motionCount_ = 0;
    // Direct mode divides by the same distances all through a B-VOP.
    ExactDivider trdDivider_;
    ExactDivider fieldDividers_[3];  // field distance of the past reference, -1, 0 and +1
    int packetStartX_ = 0;
    size_t packetBits_ = 0;  // where the macroblock data of the current video packet starts
    uint8_t lost_[kMbRows * kMbStride] = {};  // macroblocks of this VOP that were concealed
};

// ------------------------------------------------------------------------------------------
// Coefficients

// Decodes (last, run, level) events into `block` from scan position `first` on. Intra levels
// stay quantised (prediction and inverse quantisation follow); inter levels are inverse
// quantised as they are placed with qmul/qadd (H.263 method) or left quantised (qmul 1, qadd 0).
// Returns the last position written, -1 for none, or -2 on a damaged block.
template <bool kIntra>
int VopDecoder::ReadCoefficients(int16_t* block, int first, const uint8_t* scan, int qmul,
                                 int qadd) {
    const PackedCoefficientLookup& table =
        kIntra ? kIntraCoefficientLookupPacked : kInterCoefficientLookupPacked;
    const EscapeLimits& limits = kIntra ? kIntraEscapeLimits : kInterEscapeLimits;
    int i = first;
    // The common codes are read from a 64-bit window held in a register: `pos` is where it
    // starts, `used` how many of its bits were consumed. A window holds at least 57 valid bits
    // and at most 44 + 13 are consumed, so the longest code (12 bits) and its sign are valid.
    size_t pos = r_.position();
    uint64_t window = r_.window64(pos);
    int used = 0;
    for (;;) {
        if (used > 44) {
            pos += static_cast<size_t>(used);
            used = 0;
            window = r_.window64(pos);
        }
        CoefficientEvent e = table[static_cast<uint32_t>(window >> 52)];
        int run, level, last;
        if (e.level != 0) {
            // The sign bit ends the code: 0 or -1 from the same window.
            const auto sign = static_cast<int>(static_cast<int64_t>(window << (e.bits - 1)) >> 63);
            window <<= e.bits;
            used += e.bits;
            run = e.run;
            last = e.last;
            level = ((e.level * qmul + qadd) ^ sign) - sign;
        } else {
            if (e.bits == 0) {
                r_.setPosition(pos + static_cast<size_t>(used));
                return -2;
            }
            r_.setPosition(pos + static_cast<size_t>(used) + e.bits);
            const uint32_t kind = r_.peek_bits(2);
            if (kind < 2) {  // type 1: level offset by the largest level of (last, run)
                r_.skip_bits(1);
                e = table[r_.peek_bits(12)];
                if (e.level == 0) return -2;
                r_.skip_bits(e.bits - 1u);
                run = e.run;
                last = e.last;
                level = (e.level + limits.maxLevel[e.last][e.run]) * qmul + qadd;
                if (r_.read_bit()) level = -level;
                ++s_.stats.escapes[0];
            } else if (kind == 2) {  // type 2: run offset by the largest run of (last, level)
                r_.skip_bits(2);
                e = table[r_.peek_bits(12)];
                if (e.level == 0) return -2;
                r_.skip_bits(e.bits - 1u);
                run = e.run + limits.maxRun[e.last][e.level] + 1;
                last = e.last;
                level = e.level * qmul + qadd;
                if (r_.read_bit()) level = -level;
                ++s_.stats.escapes[1];
            } else {  // type 3: fixed-length last, run and level
                r_.skip_bits(2);
                last = r_.read_bit();
                run = static_cast<int>(r_.read_bits(6));
                r_.skip_bits(1);
                level = r_.read_signed_bits(12);
                r_.skip_bits(1);
                level = level > 0 ? level * qmul + qadd : level * qmul - qadd;
                level = std::clamp(level, -2048, 2047);
                ++s_.stats.escapes[2];
            }
            pos = r_.position();
            used = 0;
            window = r_.window64(pos);
        }
        i += run;
        // Only the last coefficient may sit at position 63.
        if (i + (last ^ 1) > 63) {
            r_.setPosition(pos + static_cast<size_t>(used));
            return -2;
        }
        block[scan[i]] = static_cast<int16_t>(level);
        if (last) {
            r_.setPosition(pos + static_cast<size_t>(used));
            return i;
        }
        ++i;
    }
}

bool VopDecoder::DecodeIntraBlock(int n, bool coded, bool acPred, bool useDcVlc, uint8_t* dst,
                                  ptrdiff_t stride) {
    int16_t* block = s_.block;
    const bool luma = n < 4;
    const int scale = luma ? LumaDcScaler(s_.quant) : ChromaDcScaler(s_.quant);
    int16_t* dcArray = luma ? s_.dcLuma : s_.dcChroma[n - 4];
    int16_t(*acArray)[16] = luma ? s_.acLuma : s_.acChroma[n - 4];
    const int stride2 = luma ? kB8Stride : kCStride;
    const int idx = luma ? B8Index(n) : CIndex();

    // DC prediction direction from the gradients of the neighbouring DC values.
    int a = dcArray[idx - 1];
    int b = dcArray[idx - 1 - stride2];
    int c = dcArray[idx - stride2];
    // Neighbours in an earlier video packet read as absent.
    bool leftAvailable = true;
    bool aboveAvailable = true;
    if (packetStart_ > 0) {
        leftAvailable = (luma && (n & 1)) || Available(-1, 0);
        aboveAvailable = (luma && (n & 2)) || Available(0, -1);
        const bool cornerAvailable = luma && n == 3   ? true
                                     : luma && n == 1 ? Available(0, -1)
                                     : luma && n == 2 ? Available(-1, 0)
                                                      : Available(-1, -1);
        if (!leftAvailable) a = 1024;
        if (!aboveAvailable) c = 1024;
        if (!cornerAvailable) b = 1024;
    }
    int pred;
    bool fromAbove;
    if (std::abs(a - b) < std::abs(b - c)) {
        pred = c;
        fromAbove = true;
    } else {
        pred = a;
        fromAbove = false;
    }
    pred = (pred + (scale >> 1)) / scale;

    int dcLevel = 0;
    if (useDcVlc) {
        // Size code, value and marker from one window (at most 12 + 9 + 1 of its 57 valid bits),
        // without a branch on the size.
        const uint64_t window = r_.window64(r_.position());
        int length;
        int size;
        if (luma) {
            const auto e = kDcSizeLumaLookup[window];
            length = e.length;
            size = e.value;
        } else {
            const auto e = kDcSizeChromaLookup[window];
            length = e.length;
            size = e.value;
        }
        if (length == 0 || size > 9) return Fail();
        const uint64_t rest = window << length;
        const auto bits = static_cast<int>((rest >> 1) >> (63 - size));  // size 0: none
        // A value with its first bit 0 is negative (size 0 gives 0 either way).
        dcLevel = (rest >> 63) ? bits : bits - (1 << size) + 1;
        r_.skip_bits(static_cast<size_t>(length + size + (size > 8 ? 1 : 0)));  // and marker
    }

    const uint8_t* scan;
    if (s_.vop.alternateVerticalScan) {
        scan = t_.alternateVertical;
    } else if (acPred) {
        scan = fromAbove ? t_.alternateHorizontal : t_.alternateVertical;
    } else {
        scan = t_.zigzag;
    }
    if (coded && ReadCoefficients<true>(block, useDcVlc ? 1 : 0, scan, 1, 0) == -2) {
        std::memset(block, 0, 64 * sizeof(int16_t));
        return Fail();
    }
    if (!useDcVlc) dcLevel = block[0];
    dcLevel += pred;
    if (dcLevel < 0) {  // no picture has a negative mean: the block is damaged
        std::memset(block, 0, 64 * sizeof(int16_t));
        return Fail();
    }
    {
        int dcValue = dcLevel * scale;
        if (dcValue & ~2047) dcValue = dcValue < 0 ? 0 : 2047;
        dcArray[idx] = static_cast<int16_t>(dcValue);
    }

    // AC prediction from the first row (above) or first column (left) of the neighbour.
    int16_t* acOwn = acArray[idx];
    if (acPred) {
        ++s_.stats.acPredictedBlocks;
        const int mbIdx = MbIndex();
        static constexpr int16_t kNoPrediction[16] = {};
        if (!fromAbove) {
            const int16_t* src = leftAvailable ? acArray[idx - 1] : kNoPrediction;
            const bool sameMb = n == 1 || n == 3;
            const int qp = s_.quantMap[mbIdx - 1];
            if (s_.mbX == 0 || sameMb || qp == s_.quant) {
                for (int i = 1; i < 8; ++i)
                    block[i * 8] = static_cast<int16_t>(block[i * 8] + src[i]);
            } else {
                for (int i = 1; i < 8; ++i)
                    block[i * 8] =
                        static_cast<int16_t>(block[i * 8] + RoundedDiv(src[i] * qp, s_.quant));
            }
        } else {
            const int16_t* src = aboveAvailable ? acArray[idx - stride2] : kNoPrediction;
            const bool sameMb = n == 2 || n == 3;
            const int qp = s_.quantMap[mbIdx - kMbStride];
            if (s_.mbY == 0 || sameMb || qp == s_.quant) {
                for (int i = 1; i < 8; ++i)
                    block[i] = static_cast<int16_t>(block[i] + src[8 + i]);
            } else {
                for (int i = 1; i < 8; ++i)
                    block[i] =
                        static_cast<int16_t>(block[i] + RoundedDiv(src[8 + i] * qp, s_.quant));
            }
        }
    }
    for (int i = 1; i < 8; ++i) {
        acOwn[i] = block[i * 8];
        acOwn[8 + i] = block[i];
    }

    // Inverse quantisation.
    const int q = s_.quant;
    const int dc = static_cast<int16_t>(dcLevel) * scale;
    if (s_.vol.quantType == 0) {
        DequantizeH263Intra(block, 2 * q, (q - 1) | 1, static_cast<int16_t>(dc));
    } else {
        block[0] = static_cast<int16_t>(dc);
        int sum = dc - 1;
        const uint16_t* w = t_.intraMatrix;
        for (int i = 1; i < 64; ++i)
            if (block[i])
                block[i] = MpegLevel(block[i], std::abs(block[i]) * 2 * q * w[i], 4, &sum);
        block[63] = static_cast<int16_t>(block[63] ^ (sum & 1));
    }
    Reconstruct(block, !coded && !acPred && s_.vol.quantType == 0, false, dst, stride);
    return true;
}

bool VopDecoder::DecodeInterBlock(uint8_t* dst, ptrdiff_t stride) {
    int16_t* block = s_.block;
    const uint8_t* scan = s_.vop.alternateVerticalScan ? t_.alternateVertical : t_.zigzag;
    const int q = s_.quant;
    bool dcOnly = false;
    if (s_.vol.quantType == 0) {
        const int lastPos = ReadCoefficients<false>(block, 0, scan, 2 * q, (q - 1) | 1);
        if (lastPos == -2) {
            std::memset(block, 0, 64 * sizeof(int16_t));
            return Fail();
        }
        dcOnly = lastPos == 0;
    } else {
        const int lastPos = ReadCoefficients<false>(block, 0, scan, 1, 0);
        if (lastPos == -2) {
            std::memset(block, 0, 64 * sizeof(int16_t));
            return Fail();
        }
        int sum = -1;
        const uint16_t* w = t_.interMatrix;
        const int end = s_.vop.alternateVerticalScan ? 63 : lastPos;
        for (int i = 0; i <= end; ++i) {
            const int j = scan[i];
            if (block[j])
                block[j] =
                    MpegLevel(block[j], (2 * std::abs(block[j]) + 1) * 2 * q * w[j], 5, &sum);
        }
        block[63] = static_cast<int16_t>(block[63] ^ (sum & 1));
    }
    Reconstruct(block, dcOnly, true, dst, stride);
    return true;
}

bool VopDecoder::DecodeIntraTexture(int cbp, bool acPred, bool dctField, bool useDcVlc) {
    for (int n = 0; n < 6; ++n) {
        ptrdiff_t stride;
        uint8_t* dst = BlockDst(n, dctField, &stride);
        if (!DecodeIntraBlock(n, (cbp >> (5 - n)) & 1, acPred, useDcVlc, dst, stride)) return false;
    }
    return true;
}

bool VopDecoder::DecodeInterTexture(int cbp, bool dctField) {
    // Only the coded blocks are visited, in order (block n is bit 5 - n): a test of every bit
    // would be a branch the processor cannot predict.
    uint8_t* dst[6];
    ptrdiff_t stride[6];
    for (int n = 0; n < 6; ++n)
        dst[n] = BlockDst(n, dctField, &stride[n]);
    for (auto bits = static_cast<uint32_t>(cbp) & 63; bits != 0;) {
        const int n = std::countl_zero(bits) - 26;
        bits ^= 32u >> n;
        if (!DecodeInterBlock(dst[n], stride[n])) return false;
    }
    return true;
}

// A non-intra macroblock of a P-VOP: later intra neighbours must read the neutral predictors.
void VopDecoder::CleanIntraPredictors() {
    const int mb = MbIndex();
    if (!s_.intraPredictorsUsed[mb]) return;
    s_.intraPredictorsUsed[mb] = 0;
    for (int n = 0; n < 4; ++n) {
        const int i = B8Index(n);
        s_.dcLuma[i] = 1024;
        std::memset(s_.acLuma[i], 0, sizeof s_.acLuma[i]);
    }
    const int c = CIndex();
    for (int p = 0; p < 2; ++p) {
        s_.dcChroma[p][c] = 1024;
        std::memset(s_.acChroma[p][c], 0, sizeof s_.acChroma[p][c]);
    }
}

// ------------------------------------------------------------------------------------------
// Motion vectors

// Inlined at each use: a call per vector component cost more than its body.
inline bool VopDecoder::ReadMotionComponent(int predictor, int fcode, int* out) {
    // Code, sign and residual come from one window (at most 12 + 1 + 6 of its 57 valid bits),
    // put together without a branch: whether the code is 0 cannot be predicted.
    const uint64_t window = r_.window64(r_.position());
    const auto e = kMotionCodeLookup[window];
    if (e.length == 0) return Fail();
    const int code = e.value;
    const int rsize = fcode - 1;
    const int negative = -static_cast<int>((window << e.length) >> 63);  // 0 or -1
    // The residual's bits follow the sign; rsize 0 reads none.
    const auto residual = static_cast<int>(((window << (e.length + 1)) >> 1) >> (63 - rsize));
    int d = ((std::max(code - 1, 0) << rsize) | residual) + 1;  // code 0: d is not used
    d = (d ^ negative) - negative;
    r_.skip_bits(static_cast<size_t>(e.length + (code != 0 ? 1 + rsize : 0)));
    // Wrap into [-32f, 32f - 1].
    const int bits = 5 + fcode;
    const int v = predictor + d;
    const int wrapped = static_cast<int>(static_cast<uint32_t>(v) << (32 - bits)) >> (32 - bits);
    *out = code == 0 ? predictor : wrapped;
    return true;
}

// Median prediction of the vector of luma block n (0 also for one-vector macroblocks) from the
// left, above and above-right candidates. A candidate outside the picture or the video packet
// counts as zero; when two are missing the third is the prediction.
void VopDecoder::find_predictor(int n, int* px, int* py) {
    static constexpr int kAboveRight[4] = {2, 1, 1, -1};
    const int i = B8Index(n);
    Motion cand[3] = {s_.mv[i - 1], s_.mv[i - kB8Stride], s_.mv[i - kB8Stride + kAboveRight[n]]};
    const bool valid[3] = {
        (n & 1) || Available(-1, 0),
        (n & 2) || Available(0, -1),
        n >= 2 || Available(1, -1),
    };
    const int missing = !valid[0] + !valid[1] + !valid[2];
    if (missing == 0) {
        *px = Median(cand[0].x, cand[1].x, cand[2].x);
        *py = Median(cand[0].y, cand[1].y, cand[2].y);
        return;
    }
    if (missing >= 2) {
        *px = *py = 0;
        for (int k = 0; k < 3; ++k)
            if (valid[k] && missing == 2) {
                *px = cand[k].x;
                *py = cand[k].y;
            }
        return;
    }
    for (int k = 0; k < 3; ++k)
        if (!valid[k]) cand[k] = {0, 0};
    if (n == 2 && !valid[0] && s_.mbX == packetStartX_ && InFirstPacketRow()) {
        // The reference decoder clears the stored vector of the missing left block here, which
        // later B-VOPs see as the co-located vector.
        s_.mv[i - 1] = {0, 0};
    }
    *px = Median(cand[0].x, cand[1].x, cand[2].x);
    *py = Median(cand[0].y, cand[1].y, cand[2].y);
}

void VopDecoder::StoreMacroblockVector(int x, int y) {
    const Motion m{static_cast<int16_t>(x), static_cast<int16_t>(y)};
    const int i = B8Index(0);
    s_.mv[i] = s_.mv[i + 1] = s_.mv[i + kB8Stride] = s_.mv[i + kB8Stride + 1] = m;
}

// ------------------------------------------------------------------------------------------
// Prediction

// Predicts a w x h block at full-pel source position (x, y) of `plane` (rows counted in steps
// of `rowStep` from `rowOffset`: fields read every second row). Sources beyond the padded border
// read the nearest edge sample, as if the picture extended without end.
void VopDecoder::predict_block(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* plane,
                               ptrdiff_t stride, int planeW, int planeH, int border, int x, int y,
                               int w, int h, int hx, int hy, int rounding, bool average,
                               int rowStep, int rowOffset) {
    // The full-pel copy sits under both rounding values.
    const int index = PredictIndex(hx, hy, rounding, w == 16);
    const kernels::PredictFn fn = average ? k_.avg[index] : k_.put[index];
    const int firstRow = y * rowStep + rowOffset;
    if (InsideBorder(planeW, planeH, border, x, y, w, h, rowStep, rowOffset)) {
        fn(dst, dstStride, plane + firstRow * stride + x, stride * rowStep, h);
        return;
    }
    ++s_.stats.emulatedEdgeBlocks;
    constexpr int kScratch = 24;
    uint8_t* scratch = s_.edgeScratch;
    for (int row = 0; row <= h; ++row) {
        const int fr = std::clamp((y + row) * rowStep + rowOffset, 0, planeH - 1);
        const uint8_t* src = plane + fr * stride;
        uint8_t* out = scratch + row * kScratch;
        for (int col = 0; col <= w; ++col)
            out[col] = src[std::clamp(x + col, 0, planeW - 1)];
    }
    fn(dst, dstStride, scratch, kScratch, h);
}

// Both chroma blocks (8 wide, h rows) with one vector in half-pel units at (x, y) of the chroma
// planes: one kernel for the two planes, unless the area reaches past the border.
void VopDecoder::PredictChromaPair(const PicturePlanes& ref, uint8_t* cbDst, uint8_t* crDst,
                                   ptrdiff_t dstStride, int x, int y, int h, int hx, int hy,
                                   int rounding, bool average, int rowStep, int rowOffset) {
    const ptrdiff_t cs = g_.cStride;
    const int cw = g_.codedWidth / 2;
    const int ch = g_.codedHeight / 2;
    if (InsideBorder(cw, ch, kChromaBorder, x, y, 8, h, rowStep, rowOffset)) {
        const int index = PredictIndex(hx, hy, rounding, false);
        const ptrdiff_t offset = (y * rowStep + rowOffset) * cs + x;
        (average ? k_.avgPair[index] : k_.putPair[index])(cbDst, crDst, dstStride, ref.cb + offset,
                                                          ref.cr + offset, cs * rowStep, h);
        return;
    }
    predict_block(cbDst, dstStride, ref.cb, cs, cw, ch, kChromaBorder, x, y, 8, h, hx, hy, rounding,
                  average, rowStep, rowOffset);
    predict_block(crDst, dstStride, ref.cr, cs, cw, ch, kChromaBorder, x, y, 8, h, hx, hy, rounding,
                  average, rowStep, rowOffset);
}

// A w x h luma block from one area, or from two in one pass when both lie within the border
// (else the second is averaged into the first's prediction).
inline void VopDecoder::PredictLuma(uint8_t* dst, ptrdiff_t dstStride, const SourceArea& first,
                                    const SourceArea* second, int w, int h, int rowStep,
                                    int rounding) {
    const ptrdiff_t ys = g_.yStride;
    const int width = g_.codedWidth;
    const int height = g_.codedHeight;
    if (second &&
        InsideBorder(width, height, kLumaBorder, first.x, first.y, w, h, rowStep,
                     first.rowOffset) &&
        InsideBorder(width, height, kLumaBorder, second->x, second->y, w, h, rowStep,
                     second->rowOffset)) {
        k_.bi[BiPredictIndex(first.hx, first.hy, second->hx, second->hy, w == 16)](
            dst, dstStride, first.ref->y + first.Offset(ys, rowStep),
            second->ref->y + second->Offset(ys, rowStep), ys * rowStep, h);
        return;
    }
    predict_block(dst, dstStride, first.ref->y, ys, width, height, kLumaBorder, first.x, first.y, w,
                  h, first.hx, first.hy, rounding, false, rowStep, first.rowOffset);
    if (second)
        predict_block(dst, dstStride, second->ref->y, ys, width, height, kLumaBorder, second->x,
                      second->y, w, h, second->hx, second->hy, 0, true, rowStep, second->rowOffset);
}

// Both 8-wide chroma blocks, h rows, from one area or two, as PredictLuma.
inline void VopDecoder::PredictChroma(uint8_t* cbDst, uint8_t* crDst, ptrdiff_t dstStride,
                                      const SourceArea& first, const SourceArea* second, int h,
                                      int rowStep, int rounding) {
    const ptrdiff_t cs = g_.cStride;
    const int cw = g_.codedWidth / 2;
    const int ch = g_.codedHeight / 2;
    if (second &&
        InsideBorder(cw, ch, kChromaBorder, first.x, first.y, 8, h, rowStep, first.rowOffset) &&
        InsideBorder(cw, ch, kChromaBorder, second->x, second->y, 8, h, rowStep,
                     second->rowOffset)) {
        const ptrdiff_t a = first.Offset(cs, rowStep);
        const ptrdiff_t b = second->Offset(cs, rowStep);
        k_.biPair[BiPredictIndex(first.hx, first.hy, second->hx, second->hy, false)](
            cbDst, crDst, dstStride, first.ref->cb + a, first.ref->cr + a, second->ref->cb + b,
            second->ref->cr + b, cs * rowStep, h);
        return;
    }
    PredictChromaPair(*first.ref, cbDst, crDst, dstStride, first.x, first.y, h, first.hx, first.hy,
                      rounding, false, rowStep, first.rowOffset);
    if (second)
        PredictChromaPair(*second->ref, cbDst, crDst, dstStride, second->x, second->y, h,
                          second->hx, second->hy, 0, true, rowStep, second->rowOffset);
}

void VopDecoder::PredictMacroblock(MbPrediction kind, const PredictionSource& first,
                                   const PredictionSource* second, int rounding) {
    const PredictionSource* const sources[2] = {&first, second};
    if (second) {
        PredictMacroblockFrom<true>(kind, sources, rounding);
    } else {
        PredictMacroblockFrom<false>(kind, sources, rounding);
    }
}

template <bool kBoth>
void VopDecoder::PredictMacroblockFrom(MbPrediction kind, const PredictionSource* const sources[2],
                                       int rounding) {
    const ptrdiff_t ys = g_.yStride;
    const ptrdiff_t cs = g_.cStride;
    uint8_t* yDst = cur_.y + s_.mbY * 16 * ys + s_.mbX * 16;
    uint8_t* cbDst = cur_.cb + s_.mbY * 8 * cs + s_.mbX * 8;
    uint8_t* crDst = cur_.cr + s_.mbY * 8 * cs + s_.mbX * 8;
    const int x16 = s_.mbX * 16;
    const int y16 = s_.mbY * 16;
    constexpr int directions = kBoth ? 2 : 1;
    SourceArea luma[2];
    SourceArea chroma[2];
    SourceArea* const secondLuma = kBoth ? &luma[1] : nullptr;
    SourceArea* const secondChroma = kBoth ? &chroma[1] : nullptr;
    if (kind == kPredFrame) {
        for (int d = 0; d < directions; ++d) {
            const Motion mv = sources[d]->mv[0];
            luma[d] = SourceArea::At(sources[d]->ref, x16, y16, mv.x, mv.y, 0);
            chroma[d] = SourceArea::At(sources[d]->ref, x16 / 2, y16 / 2, ChromaVector(mv.x),
                                       ChromaVector(mv.y), 0);
        }
        PredictLuma(yDst, ys, luma[0], secondLuma, 16, 16, 1, rounding);
        PredictChroma(cbDst, crDst, cs, chroma[0], secondChroma, 8, 1, rounding);
    } else if (kind == kPred4v) {
        for (int n = 0; n < 4; ++n) {
            const int bx = x16 + (n & 1) * 8;
            const int by = y16 + (n >> 1) * 8;
            for (int d = 0; d < directions; ++d) {
                const Motion mv = sources[d]->mv[n];
                luma[d] = SourceArea::At(sources[d]->ref, bx, by, mv.x, mv.y, 0);
            }
            PredictLuma(yDst + (n & 1) * 8 + (n >> 1) * 8 * ys, ys, luma[0], secondLuma, 8, 8, 1,
                        rounding);
        }
        for (int d = 0; d < directions; ++d) {
            const Motion* mv = sources[d]->mv;
            chroma[d] = SourceArea::At(sources[d]->ref, x16 / 2, y16 / 2,
                                       ChromaVector4(mv[0].x + mv[1].x + mv[2].x + mv[3].x),
                                       ChromaVector4(mv[0].y + mv[1].y + mv[2].y + mv[3].y), 0);
        }
        PredictChroma(cbDst, crDst, cs, chroma[0], secondChroma, 8, 1, rounding);
    } else {
        // Vertical field vectors are in field units; each field reads the field it selects.
        for (int f = 0; f < 2; ++f) {
            for (int d = 0; d < directions; ++d) {
                const Motion mv = sources[d]->mv[f];
                const int sel = sources[d]->fieldSelect[f];
                luma[d] = SourceArea::At(sources[d]->ref, x16, y16 / 2, mv.x, mv.y, sel);
                chroma[d] = SourceArea::At(sources[d]->ref, x16 / 2, y16 / 4, ChromaVector(mv.x),
                                           ChromaVector(mv.y), sel);
            }
            PredictLuma(yDst + f * ys, 2 * ys, luma[0], secondLuma, 16, 8, 2, rounding);
            PredictChroma(cbDst + f * cs, crDst + f * cs, 2 * cs, chroma[0], secondChroma, 4, 2,
                          rounding);
        }
    }
}

void VopDecoder::CopyMacroblock(const PicturePlanes& ref) {
    const ptrdiff_t ys = g_.yStride;
    const ptrdiff_t cs = g_.cStride;
    const ptrdiff_t yo = s_.mbY * 16 * ys + s_.mbX * 16;
    const ptrdiff_t co = s_.mbY * 8 * cs + s_.mbX * 8;
    k_.put[PredictIndex(0, 0, 0, true)](cur_.y + yo, ys, ref.y + yo, ys, 16);
    k_.put[PredictIndex(0, 0, 0, false)](cur_.cb + co, cs, ref.cb + co, cs, 8);
    k_.put[PredictIndex(0, 0, 0, false)](cur_.cr + co, cs, ref.cr + co, cs, 8);
}

// ------------------------------------------------------------------------------------------
// Macroblock layers

void VopDecoder::FinishMacroblock(int refKind) {
    const int mb = MbIndex();
    s_.quantMap[mb] = static_cast<uint8_t>(s_.quant);
    if (refKind >= 0) s_.refKind[mb] = static_cast<uint8_t>(refKind);
}

bool VopDecoder::DecodeIMacroblock() {
    int value;
    for (;;) {
        const auto e = kIntraMcbpcLookup.entries[r_.peek_bits(9)];
        if (e.length == 0) return Fail();
        r_.skip_bits(e.length);
        value = e.value;
        if (value != 8) break;
        ++s_.stats.stuffing;
        if (r_.overrun()) return Fail();
    }
    return DecodeIntraMacroblock(value & 3, value >= 4);
}

// An intra macroblock behind its MCBPC (type 3, or 4 with a quantiser change).
bool VopDecoder::DecodeIntraMacroblock(int cbpc, bool dquant) {
    static constexpr int kDquant[4] = {-1, -2, 1, 2};
    const bool acPred = r_.read_bit();
    const auto cy = kCbpyLookup.entries[r_.peek_bits(6)];
    if (cy.length == 0) return Fail();
    r_.skip_bits(cy.length);
    const int cbp = cbpc | (cy.value << 2);
    const bool useDcVlc = s_.quant < s_.intraDcThreshold;
    if (dquant) {
        SetQuant(s_.quant + kDquant[r_.read_bits(2)]);
        ++s_.stats.dquantMbs;
    }
    const bool dctField = s_.vol.interlaced ? r_.read_bit() : false;
    if (dctField) ++s_.stats.fieldDctMbs;
    ++s_.stats.intraMbs;
    const int mb = MbIndex();
    s_.intraPredictorsUsed[mb] = 1;
    s_.refFieldSelect[mb] = 0;
    StoreMacroblockVector(0, 0);
    s_.quantMap[mb] = static_cast<uint8_t>(s_.quant);
    const bool ok = DecodeIntraTexture(cbp, acPred, dctField, useDcVlc);
    FinishMacroblock(kRefIntra);
    return ok;
}

bool VopDecoder::DecodePMacroblock() {
    const int mb = MbIndex();
    int value;
    for (;;) {
        if (r_.read_bit()) {  // not_coded
            ++s_.stats.notCodedMbs;
            StoreMacroblockVector(0, 0);
            CleanIntraPredictors();
            CopyMacroblock(fwd_);
            s_.refFieldSelect[mb] = 0;
            FinishMacroblock(kRefNotCoded);
            return true;
        }
        const auto e = kInterMcbpcLookup.entries[r_.peek_bits(9)];
        if (e.length == 0) return Fail();
        r_.skip_bits(e.length);
        value = e.value;
        if (value != 20) break;
        ++s_.stats.stuffing;
        if (r_.overrun()) return Fail();
    }
    const int type = value >> 2;
    const int cbpc = value & 3;
    static constexpr int kDquant[4] = {-1, -2, 1, 2};
    if (type >= 3) return DecodeIntraMacroblock(cbpc, type == 4);
    const auto cy = kCbpyLookup.entries[r_.peek_bits(6)];
    if (cy.length == 0) return Fail();
    r_.skip_bits(cy.length);
    const int cbp = cbpc | ((15 - cy.value) << 2);
    if (type == 1) {
        SetQuant(s_.quant + kDquant[r_.read_bits(2)]);
        ++s_.stats.dquantMbs;
    }
    bool dctField = false;
    bool fieldPred = false;
    int fieldSelect[2] = {0, 0};
    if (s_.vol.interlaced) {
        if (cbp) dctField = r_.read_bit();
        if (type != 2) {
            fieldPred = r_.read_bit();
            if (fieldPred) {
                fieldSelect[0] = r_.read_bit();
                fieldSelect[1] = r_.read_bit();
            }
        }
    }
    if (dctField) ++s_.stats.fieldDctMbs;
    CleanIntraPredictors();
    const int fcode = s_.vop.fcodeForward;
    const int rounding = s_.vop.roundingType;
    Motion mv[4];
    if (type == 2) {
        ++s_.stats.inter4vMbs;
        for (int n = 0; n < 4; ++n) {
            int px, py, x, y;
            find_predictor(n, &px, &py);
            if (!ReadMotionComponent(px, fcode, &x) || !ReadMotionComponent(py, fcode, &y))
                return Fail();
            mv[n] = {static_cast<int16_t>(x), static_cast<int16_t>(y)};
            s_.mv[B8Index(n)] = mv[n];
        }
        s_.refFieldSelect[mb] = 0;
        PredictMacroblock(kPred4v, {&fwd_, mv, fieldSelect}, nullptr, rounding);
        FinishMacroblock(kRefInter4v);
    } else if (fieldPred) {
        ++s_.stats.fieldPredictedMbs;
        int px, py;
        find_predictor(0, &px, &py);
        for (int f = 0; f < 2; ++f) {
            int x, y;
            if (!ReadMotionComponent(px, fcode, &x) || !ReadMotionComponent(py / 2, fcode, &y))
                return Fail();
            mv[f] = {static_cast<int16_t>(x), static_cast<int16_t>(y)};
        }
        const int sx = mv[0].x + mv[1].x;
        StoreMacroblockVector((sx >> 1) | (sx & 1), mv[0].y + mv[1].y);
        s_.refFieldSelect[mb] = static_cast<uint8_t>(fieldSelect[0] | (fieldSelect[1] << 1));
        s_.refFieldMv[mb][0] = mv[0];
        s_.refFieldMv[mb][1] = mv[1];
        PredictMacroblock(kPredField, {&fwd_, mv, fieldSelect}, nullptr, rounding);
        FinishMacroblock(kRefField);
    } else {
        ++s_.stats.interMbs;
        int px, py, x, y;
        find_predictor(0, &px, &py);
        if (!ReadMotionComponent(px, fcode, &x) || !ReadMotionComponent(py, fcode, &y))
            return Fail();
        mv[0] = {static_cast<int16_t>(x), static_cast<int16_t>(y)};
        StoreMacroblockVector(x, y);
        AddToMeanMotion(x, y);
        s_.refFieldSelect[mb] = 0;
        PredictMacroblock(kPredFrame, {&fwd_, mv, fieldSelect}, nullptr, rounding);
        FinishMacroblock(kRefInter);
    }
    return DecodeInterTexture(cbp, dctField);
}

bool VopDecoder::DecodeBMacroblock() {
    const int mb = MbIndex();
    if (s_.mbX == 0) std::memset(s_.bPredictor, 0, sizeof s_.bPredictor);
    if (s_.refKind[mb] == kRefNotCoded) {
        ++s_.stats.skippedBMbs;
        CopyMacroblock(fwd_);
        FinishMacroblock(-1);
        return true;
    }
    enum { kDirect, kInterpolate, kBackward, kForward };
    int mbType;
    int cbp = 0;
    bool skipDirect = false;
    if (r_.read_bit()) {  // modb 1: direct, no vectors or coefficients coded
        mbType = kDirect;
        skipDirect = true;
    } else {
        const bool noCbp = r_.read_bit();
        const uint32_t bits = r_.peek_bits(4);
        if (bits >= 8) {
            mbType = kDirect;
            r_.skip_bits(1);
        } else if (bits >= 4) {
            mbType = kInterpolate;
            r_.skip_bits(2);
        } else if (bits >= 2) {
            mbType = kBackward;
            r_.skip_bits(3);
        } else if (bits == 1) {
            mbType = kForward;
            r_.skip_bits(4);
        } else {
            return Fail();
        }
        if (!noCbp) cbp = static_cast<int>(r_.read_bits(6));
        if (mbType != kDirect && cbp) {
            if (r_.read_bit()) {
                SetQuant(s_.quant + (r_.read_bit() ? 2 : -2));
                ++s_.stats.dbquantMbs;
            }
        }
    }
    bool dctField = false;
    bool fieldPred = false;
    int fieldSelect[2][2] = {{0, 0}, {0, 1}};
    const bool usesForward = mbType == kForward || mbType == kInterpolate;
    const bool usesBackward = mbType == kBackward || mbType == kInterpolate;
    if (s_.vol.interlaced && !skipDirect) {
        if (cbp) dctField = r_.read_bit();
        if (mbType != kDirect && r_.read_bit()) {
            fieldPred = true;
            if (usesForward) {
                fieldSelect[0][0] = r_.read_bit();
                fieldSelect[0][1] = r_.read_bit();
            }
            if (usesBackward) {
                fieldSelect[1][0] = r_.read_bit();
                fieldSelect[1][1] = r_.read_bit();
            }
        }
    }
    if (dctField) ++s_.stats.fieldDctMbs;

    MbVectors v{};
    MbPrediction kind = kPredFrame;
    if (mbType != kDirect) {
        const int fcodes[2] = {s_.vop.fcodeForward, s_.vop.fcodeBackward};
        for (int dir = 0; dir < 2; ++dir) {
            if (dir == 0 ? !usesForward : !usesBackward) continue;
            int(&p)[2][2] = s_.bPredictor[dir];
            if (!fieldPred) {
                int x, y;
                if (!ReadMotionComponent(p[0][0], fcodes[dir], &x) ||
                    !ReadMotionComponent(p[0][1], fcodes[dir], &y))
                    return Fail();
                p[0][0] = p[1][0] = x;
                p[0][1] = p[1][1] = y;
                v.mv[dir][0] = {static_cast<int16_t>(x), static_cast<int16_t>(y)};
            } else {
                for (int f = 0; f < 2; ++f) {
                    int x, y;
                    if (!ReadMotionComponent(p[f][0], fcodes[dir], &x) ||
                        !ReadMotionComponent(p[f][1] / 2, fcodes[dir], &y))
                        return Fail();
                    p[f][0] = x;
                    p[f][1] = y * 2;
                    v.mv[dir][f] = {static_cast<int16_t>(x), static_cast<int16_t>(y)};
                }
            }
        }
        kind = fieldPred ? kPredField : kPredFrame;
        if (fieldPred) ++s_.stats.fieldPredictedMbs;
        if (mbType == kInterpolate) ++s_.stats.interpolatedMbs;
        if (mbType == kForward) ++s_.stats.forwardMbs;
        if (mbType == kBackward) ++s_.stats.backwardMbs;
        const PredictionSource forward{&fwd_, v.mv[0], fieldSelect[0]};
        const PredictionSource backward{&bwd_, v.mv[1], fieldSelect[1]};
        if (mbType == kInterpolate) {
            PredictMacroblock(kind, forward, &backward, 0);
        } else {
            PredictMacroblock(kind, usesForward ? forward : backward, nullptr, 0);
        }
    } else {
        // Direct mode: the co-located vectors of the newest reference scaled by the temporal
        // distances, plus the coded delta.
        int dx = 0;
        int dy = 0;
        if (!skipDirect) {
            if (!ReadMotionComponent(0, 1, &dx) || !ReadMotionComponent(0, 1, &dy)) return Fail();
        }
        PredictDirect(dx, dy, true);
    }
    FinishMacroblock(-1);
    return DecodeInterTexture(cbp, dctField);
}

// Direct mode: the co-located vectors of the newest reference scaled by the temporal distances,
// plus the delta (dx, dy); predicts both directions into the macroblock.
void VopDecoder::PredictDirect(int dx, int dy, bool counted) {
    const int mb = MbIndex();
    MbVectors v{};
    MbPrediction kind;
    int fieldSelect[2][2] = {{0, 0}, {0, 1}};
    if (counted) ++s_.stats.directMbs;
    const int kindRef = s_.refKind[mb];
    if (kindRef == kRefField) {
        if (counted) ++s_.stats.directFieldMbs;
        kind = kPredField;
        for (int f = 0; f < 2; ++f) {
            const int sel = (s_.refFieldSelect[mb] >> f) & 1;
            fieldSelect[0][f] = sel;
            fieldSelect[1][f] = f;
            const int offset = s_.vop.topFieldFirst ? f - sel : sel - f;
            const int tpp = FieldDistance(offset);
            const int tpb = static_cast<uint16_t>(s_.pbFieldTime + offset);
            const ExactDivider& byTpp = fieldDividers_[offset + 1];
            const int px = s_.refFieldMv[mb][f].x;
            const int py = s_.refFieldMv[mb][f].y;
            const int fx = byTpp(px * tpb) + dx;
            const int fy = byTpp(py * tpb) + dy;
            const int bx = dx ? fx - px : byTpp(px * (tpb - tpp));
            const int by = dy ? fy - py : byTpp(py * (tpb - tpp));
            v.mv[0][f] = {static_cast<int16_t>(fx), static_cast<int16_t>(fy)};
            v.mv[1][f] = {static_cast<int16_t>(bx), static_cast<int16_t>(by)};
        }
    } else {
        const int trd = s_.directTrd;
        const int trb = s_.directTrb;
        const int blocks = kindRef == kRefInter4v ? 4 : 1;
        kind = blocks == 4 ? kPred4v : kPredFrame;
        if (blocks == 4 && counted) ++s_.stats.direct4vMbs;
        for (int n = 0; n < blocks; ++n) {
            const Motion p = s_.mv[B8Index(n)];
            const int fx = trdDivider_(p.x * trb) + dx;
            const int fy = trdDivider_(p.y * trb) + dy;
            const int bx = dx ? fx - p.x : trdDivider_(p.x * (trb - trd));
            const int by = dy ? fy - p.y : trdDivider_(p.y * (trb - trd));
            v.mv[0][n] = {static_cast<int16_t>(fx), static_cast<int16_t>(fy)};
            v.mv[1][n] = {static_cast<int16_t>(bx), static_cast<int16_t>(by)};
        }
    }
    const PredictionSource backward{&bwd_, v.mv[1], fieldSelect[1]};
    PredictMacroblock(kind, {&fwd_, v.mv[0], fieldSelect[0]}, &backward, 0);
}

// The vector a lost macroblock of an I- or P-VOP most likely had. Candidates are its own vector
// in the previous picture, its left and upper neighbours' in this one (decoded or concealed
// before it), their median, the right and lower neighbours' previous vectors, the last P-VOP's
// mean motion and no motion; the one whose prediction continues the rows and columns already in
// the picture around it on `sides` most smoothly wins. `borderStep` receives its mean step across
// those pixels.
Motion VopDecoder::GuessVector(BorderSides sides, int* borderStep) {
    *borderStep = 0;
    const int i = B8Index(0);
    const int mb = MbIndex();
    Motion cand[8];
    int n = 0;
    if (s_.refKind[mb] != kRefIntra) {
        // Not decoded yet in this picture: the mean of the previous picture's block vectors.
        const int x =
            s_.mv[i].x + s_.mv[i + 1].x + s_.mv[i + kB8Stride].x + s_.mv[i + kB8Stride + 1].x;
        const int y =
            s_.mv[i].y + s_.mv[i + 1].y + s_.mv[i + kB8Stride].y + s_.mv[i + kB8Stride + 1].y;
        cand[n++] = {static_cast<int16_t>(RoundedDiv(x, 4)),
                     static_cast<int16_t>(RoundedDiv(y, 4))};
    }
    if (s_.mbX > 0 && s_.refKind[mb - 1] != kRefIntra) cand[n++] = s_.mv[i - 1];
    if (s_.mbY > 0 && s_.refKind[mb - kMbStride] != kRefIntra) cand[n++] = s_.mv[i - kB8Stride];
    const int spatial = n;
    // The right and lower neighbours: their vectors in this picture if decoded, otherwise in the
    // previous one.
    if (s_.mbX + 1 < g_.mbWidth && s_.refKind[mb + 1] != kRefIntra) cand[n++] = s_.mv[i + 2];
    if (s_.mbY + 1 < g_.mbHeight && s_.refKind[mb + kMbStride] != kRefIntra)
        cand[n++] = s_.mv[i + 2 * kB8Stride];
    // The mean motion of the last P-VOP: a camera's pan or tilt.
    cand[n++] = s_.meanMotion;
    if (spatial == 3)
        cand[n++] = {static_cast<int16_t>(Median(cand[0].x, cand[1].x, cand[2].x)),
                     static_cast<int16_t>(Median(cand[0].y, cand[1].y, cand[2].y))};
    cand[n++] = {0, 0};
    const int borderPixels = 16 * (sides.above + sides.below + sides.left + sides.right);
    if (borderPixels == 0) return cand[0];

    int best = 0;
    int bestCost = INT_MAX;
    for (int k = 0; k < n; ++k) {
        const int cost = BorderCost(cand[k], sides);
        if (cost < bestCost) {
            bestCost = cost;
            best = k;
        }
    }
    Motion mv = cand[best];
    // In a P-VOP the candidates come from other macroblocks and other pictures: half a sample
    // around the best may fit better still. (An I-VOP keeps the candidate as it is: whether it
    // fits at all decides between it and the fill from the borders.)
    if (s_.vop.codingType == kVopP) {
        const Motion centre = mv;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const Motion m{static_cast<int16_t>(centre.x + dx),
                               static_cast<int16_t>(centre.y + dy)};
                const int cost = dx || dy ? BorderCost(m, sides) : INT_MAX;
                if (cost < bestCost) {
                    bestCost = cost;
                    mv = m;
                }
            }
        }
    }
    *borderStep = bestCost / borderPixels;
    return mv;
}

// How far the prediction of the current macroblock with `mv` steps from the picture around it on
// `sides`: the sum of absolute differences along those borders.
int VopDecoder::BorderCost(Motion mv, BorderSides sides) {
    const ptrdiff_t ys = g_.yStride;
    const uint8_t* here = cur_.y + s_.mbY * 16 * ys + s_.mbX * 16;
    alignas(16) uint8_t trial[16 * 16];
    predict_block(trial, 16, fwd_.y, ys, g_.codedWidth, g_.codedHeight, kLumaBorder,
                  s_.mbX * 16 + (mv.x >> 1), s_.mbY * 16 + (mv.y >> 1), 16, 16, mv.x & 1, mv.y & 1,
                  s_.vop.roundingType, false, 1, 0);
    int cost = 0;
    for (int j = 0; j < 16; ++j) {
        if (sides.above) cost += std::abs(trial[j] - here[j - ys]);
        if (sides.left) cost += std::abs(trial[j * 16] - here[j * ys - 1]);
        if (sides.below) cost += std::abs(trial[15 * 16 + j] - here[16 * ys + j]);
        if (sides.right) cost += std::abs(trial[j * 16 + 15] - here[j * ys + 16]);
    }
    return cost;
}

// The sides of the lost macroblock whose pixels are known: above and to the left decoded or
// concealed before it, below and to the right only when decoded.
BorderSides VopDecoder::ConcealmentSides() const {
    const int mb = MbIndex();
    return {s_.mbY > 0, s_.mbY + 1 < g_.mbHeight && !lost_[mb + kMbStride], s_.mbX > 0,
            s_.mbX + 1 < g_.mbWidth && !lost_[mb + 1]};
}

// Macroblocks that could not be decoded, once the rest of the VOP is: in I- and P-VOPs predicted
// from the previous picture with the vector their neighbours suggest, in B-VOPs from both
// references in direct mode. A lost macroblock of an I-VOP stays intra for the B-VOPs that follow
// (which code every macroblock whose co-located one is intra), one of a P-VOP counts as not coded.
void VopDecoder::ConcealLostMacroblocks() {
    const int total = g_.mbWidth * g_.mbHeight;
    for (int i = 0; i < total; ++i) {
        s_.mbX = i % g_.mbWidth;
        s_.mbY = i / g_.mbWidth;
        if (!lost_[MbIndex()]) continue;
        if (s_.vop.codingType == kVopB) {
            // As if coded in direct mode without a delta; skipped ones copy, as when decoded.
            if (s_.refKind[MbIndex()] == kRefNotCoded) {
                CopyMacroblock(fwd_);
            } else {
                PredictDirect(0, 0, false);
            }
            continue;
        }
        const bool intra = s_.vop.codingType == kVopI;
        const BorderSides sides = ConcealmentSides();
        int step;
        const Motion mv = GuessVector(sides, &step);
        static constexpr int kFrameFields[2] = {0, 1};
        PredictMacroblock(kPredFrame, {&fwd_, &mv, kFrameFields}, nullptr, s_.vop.roundingType);
        // Content that no vector into the previous picture finds (it has just come into view, or
        // the scene changed) steps at the border far more than the picture does across it.
        const uint8_t* here = cur_.y + s_.mbY * 16 * g_.yStride + s_.mbX * 16;
        if (intra && step > 2 * BorderActivity(here, g_.yStride, 16, sides) + kSpatialMargin)
            FillLostMacroblockFromBorders();
        if (intra) {
            StoreMacroblockVector(0, 0);
        } else {
            StoreMacroblockVector(mv.x, mv.y);
        }
        CleanIntraPredictors();
        s_.refKind[MbIndex()] = intra ? kRefIntra : kRefNotCoded;
        s_.refFieldSelect[MbIndex()] = 0;
        ++s_.stats.concealedMbs;
    }
}

// Fills the lost macroblock from the pixels around it: from the neighbours that were decoded if
// any (a cut-short picture leaves the row above it: the content carries on downwards), otherwise
// from the one above, concealed before it, or failing that the one to the left.
void VopDecoder::FillLostMacroblockFromBorders() {
    const int mb = MbIndex();
    BorderSides sides = ConcealmentSides();
    sides.above = sides.above && !lost_[mb - kMbStride];
    sides.left = sides.left && !lost_[mb - 1];
    if (!sides.above && !sides.below && !sides.left && !sides.right) {
        sides.above = s_.mbY > 0;
        sides.left = !sides.above && s_.mbX > 0;
    }
    uint8_t* y = cur_.y + s_.mbY * 16 * g_.yStride + s_.mbX * 16;
    if (!FillFromBorders(y, g_.yStride, 16, sides)) return;
    const ptrdiff_t c = s_.mbY * 8 * g_.cStride + s_.mbX * 8;
    FillFromBorders(cur_.cb + c, g_.cStride, 8, sides);
    FillFromBorders(cur_.cr + c, g_.cStride, 8, sides);
    ++s_.stats.spatiallyConcealedMbs;
}

// Zero bits in front of the 1 of a resync marker.
int VopDecoder::ResyncPrefixLength() const {
    switch (s_.vop.codingType) {
        case kVopI:
            return 16;
        case kVopB:
            return std::max({s_.vop.fcodeForward, s_.vop.fcodeBackward, 2}) + 15;
        default:
            return s_.vop.fcodeForward + 15;
    }
}

// At a macroblock boundary: stuffing up to the byte boundary, a resync marker and the video
// packet header. Returns false (reader unchanged) when no resync marker follows.
bool VopDecoder::ReadVideoPacketHeader(int* mbNumber) {
    const size_t start = r_.position();
    const int pad = static_cast<int>(8 - (start & 7));
    if (r_.peek_bits(pad) != (1u << (pad - 1)) - 1) return false;
    r_.skip_bits(static_cast<size_t>(pad));
    const int prefix = ResyncPrefixLength();
    if (r_.peek_bits(prefix + 1) != 1) {
        r_.setPosition(start);
        return false;
    }
    r_.skip_bits(static_cast<size_t>(prefix + 1));
    return ReadVideoPacketFields(mbNumber);
}

// The video packet header behind its resync marker: first macroblock, quantiser and the header
// extension.
bool VopDecoder::ReadVideoPacketFields(int* mbNumber) {
    const int total = g_.mbWidth * g_.mbHeight;
    int bits = 1;
    while ((1 << bits) < total)
        ++bits;
    *mbNumber = static_cast<int>(r_.read_bits(bits));
    const int q = static_cast<int>(r_.read_bits(s_.vol.quantPrecision));
    if (q) SetQuant(q);
    if (r_.read_bit()) {  // header_extension_code: a copy of the VOP header fields
        while (r_.read_bit() && !r_.overrun()) {
        }
        r_.skip_bits(1 + static_cast<size_t>(s_.vol.timeIncrementBits) + 1 + 2 + 3);
        if (s_.vop.codingType != kVopI) r_.skip_bits(3);
        if (s_.vop.codingType == kVopB) r_.skip_bits(3);
    }
    return true;
}

// After damage inside a video packet: the next packet, found by its byte-aligned resync marker
// anywhere behind the start of the damaged one (decoding out of step may have run past it).
// Returns its first macroblock with the reader behind its header, or -1 when none follows.
int VopDecoder::FindNextVideoPacket() {
    const int total = g_.mbWidth * g_.mbHeight;
    const int marker = ResyncPrefixLength() + 1;
    for (size_t p = (packetBits_ + 7) & ~size_t{7};
         p + static_cast<size_t>(marker) <= r_.sizeBits(); p += 8) {
        if (r_.peek32At(p) >> (32 - marker) != 1) continue;
        r_.setPosition(p + static_cast<size_t>(marker));
        int next;
        if (ReadVideoPacketFields(&next) && !r_.overrun() && next > packetStart_ && next < total)
            return next;
    }
    return -1;
}

// Starts the video packet whose first macroblock is `mb`, the reader at its data.
void VopDecoder::StartVideoPacket(int mb) {
    ++s_.stats.videoPackets;
    packetStart_ = mb;
    packetStartX_ = mb % g_.mbWidth;
    packetBits_ = r_.position();
    // A video packet starts the frame (and first-field) vector predictors over; the second-field
    // predictors carry on to the end of the macroblock row, as the encoders write them.
    for (auto& direction : s_.bPredictor)
        direction[0][0] = direction[0][1] = 0;
    if (s_.vop.codingType == kVopB && s_.vol.interlaced && packetStartX_ != 0)
        ++s_.stats.midRowBPackets;
}

void VopDecoder::Run() {
    const int total = g_.mbWidth * g_.mbHeight;
    const int type = s_.vop.codingType;
    int i = 0;
    int x = 0;  // i's column and row, counted along
    int y = 0;
    int concealFrom = total;
    packetBits_ = r_.position();
    while (i < total) {
        s_.mbX = x;
        s_.mbY = y;
        // B-VOP macroblocks skipped with their co-located macroblock take no bits.
        bool skippedB = type == kVopB && s_.refKind[MbIndex()] == kRefNotCoded;
        // A resync marker and the end of the coded data both sit behind stuffing up to a byte
        // boundary; anywhere else neither needs a look.
        if (i > 0 && (r_.stuffingAhead() || r_.atEnd())) {
            const size_t before = r_.position();
            int next;
            if (ReadVideoPacketHeader(&next)) {
                if (next > i && skippedB) {
                    r_.setPosition(before);  // the packet starts at a later macroblock
                } else {
                    if (next < i || next >= total || r_.overrun()) {
                        ++s_.stats.videoPackets;
                        concealFrom = i;
                        break;
                    }
                    if (next > i) {  // macroblocks lost between packets
                        s_.errorFlag = 1;
                        MarkLost(i, next);
                        i = next;
                        x = s_.mbX = i % g_.mbWidth;
                        y = s_.mbY = i / g_.mbWidth;
                        skippedB = type == kVopB && s_.refKind[MbIndex()] == kRefNotCoded;
                    }
                    StartVideoPacket(i);
                }
            } else if (!skippedB && (r_.peek_after_stuffing() == 0 || r_.atEnd())) {
                concealFrom = i;  // the coded data ends early
                break;
            }
        }
        bool ok;
        if (skippedB) {
            ok = DecodeBMacroblock();
        } else if (type == kVopI) {
            ok = DecodeIMacroblock();
        } else if (type == kVopB) {
            ok = DecodeBMacroblock();
        } else {
            ok = DecodePMacroblock();
        }
        if (!ok || r_.overrun()) {
            // The broken macroblock is lost too (what it holds is half decoded); decoding carries
            // on at the next video packet.
            const int next = FindNextVideoPacket();
            if (next < 0) {
                concealFrom = i;
                break;
            }
            s_.errorFlag = 1;
            MarkLost(i, next);
            i = next;
            x = i % g_.mbWidth;
            y = i / g_.mbWidth;
            StartVideoPacket(i);
            continue;
        }
        ++i;
        if (++x == g_.mbWidth) {
            x = 0;
            ++y;
        }
    }
    if (concealFrom < total) s_.errorFlag = 1;
    MarkLost(concealFrom, total);
    if (s_.errorFlag) ConcealLostMacroblocks();
    if (type == kVopP && motionCount_ > 0)
        s_.meanMotion = {static_cast<int16_t>(RoundedDiv(motionSumX_, motionCount_)),
                         static_cast<int16_t>(RoundedDiv(motionSumY_, motionCount_))};
}

}  // namespace

void DecodeMacroblocks(const VopContext& ctx) {
    VopDecoder(ctx).Run();
}

void ResetPredictionMaps(DecoderState* s) {
    for (int16_t& v : s->dcLuma)
        v = 1024;
    for (auto& plane : s->dcChroma)
        for (int16_t& v : plane)
            v = 1024;
    std::memset(s->acLuma, 0, sizeof s->acLuma);
    std::memset(s->acChroma, 0, sizeof s->acChroma);
    std::memset(s->mv, 0, sizeof s->mv);
    std::memset(s->intraPredictorsUsed, 0, sizeof s->intraPredictorsUsed);
    std::memset(s->quantMap, 1, sizeof s->quantMap);
    std::memset(s->refKind, kRefIntra, sizeof s->refKind);
    std::memset(s->refFieldSelect, 0, sizeof s->refFieldSelect);
    std::memset(s->refFieldMv, 0, sizeof s->refFieldMv);
}

}  // namespace decoder
