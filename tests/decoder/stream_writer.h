// Writes small MPEG-4 Part 2 streams bit by bit for tests: VO/VOL and VOP headers with any field
// value (including the ones the decoder refuses), intra macroblocks with DC and single AC
// coefficients, inter macroblocks with chosen vectors, macroblock stuffing and user data.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "decoder/vlc_tables.h"

namespace testsupport {

class BitWriter {
  public:
    void Put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            acc_ = static_cast<uint8_t>((acc_ << 1) | ((value >> i) & 1));
            if (++count_ == 8) {
                bytes_.push_back(acc_);
                acc_ = 0;
                count_ = 0;
            }
        }
    }
    void Put(decoder::VlcCode c) { Put(c.code, c.length); }
    // Stuffing up to the next byte boundary: a 0 and then 1s (a whole byte when aligned).
    void Stuff() {
        Put(0, 1);
        while (count_ != 0)
            Put(1, 1);
    }
    void StartCode(uint8_t code) {
        if (count_ != 0) Stuff();
        for (uint8_t b : {uint8_t{0}, uint8_t{0}, uint8_t{1}, code})
            bytes_.push_back(b);
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    size_t bitCount() const { return bytes_.size() * 8 + static_cast<size_t>(count_); }

  private:
    std::vector<uint8_t> bytes_;
    uint8_t acc_ = 0;
    int count_ = 0;
};

struct VolSpec {
    int width = 352;
    int height = 288;
    int verid = 1;
    int shape = 0;
    int resolution = 25;
    bool interlaced = false;
    int spriteEnable = 0;
    bool not8Bit = false;
    bool quantType = false;
    std::vector<int> intraMatrix;  // values as written (a 0 ends a short list); empty: default
    std::vector<int> interMatrix;
    bool quarterSample = false;
    bool complexityEstimationDisable = true;
    bool dataPartitioned = false;
    bool scalability = false;
    bool userData = false;  // user data start code and bytes right behind the VOL
    bool withVo = true;     // a video object start code in front
};

inline int TimeBits(int resolution) {
    int bits = 1;
    while ((1 << bits) < resolution)
        ++bits;
    return bits;
}

inline void WriteVol(BitWriter& w, const VolSpec& v) {
    if (v.withVo) w.StartCode(0x00);
    w.StartCode(0x20);
    w.Put(0, 1);  // random_accessible_vol
    w.Put(1, 8);  // simple object
    if (v.verid != 1) {
        w.Put(1, 1);
        w.Put(static_cast<uint32_t>(v.verid), 4);
        w.Put(1, 3);
    } else {
        w.Put(0, 1);
    }
    w.Put(1, 4);  // square pixels
    w.Put(0, 1);  // vol_control_parameters
    w.Put(static_cast<uint32_t>(v.shape), 2);
    if (v.shape == 3 && v.verid != 1) w.Put(0, 4);
    w.Put(1, 1);
    w.Put(static_cast<uint32_t>(v.resolution), 16);
    w.Put(1, 1);
    w.Put(0, 1);  // fixed_vop_rate
    if (v.shape != 2) {
        if (v.shape == 0) {
            w.Put(1, 1);
            w.Put(static_cast<uint32_t>(v.width), 13);
            w.Put(1, 1);
            w.Put(static_cast<uint32_t>(v.height), 13);
            w.Put(1, 1);
        }
        w.Put(v.interlaced, 1);
        w.Put(1, 1);  // obmc_disable
        w.Put(static_cast<uint32_t>(v.spriteEnable), v.verid == 1 ? 1 : 2);
        w.Put(v.not8Bit, 1);
        if (v.not8Bit) {
            w.Put(5, 4);
            w.Put(12, 4);
        }
        w.Put(v.quantType, 1);
        if (v.quantType) {
            for (const std::vector<int>* m : {&v.intraMatrix, &v.interMatrix}) {
                w.Put(!m->empty(), 1);
                for (int value : *m)
                    w.Put(static_cast<uint32_t>(value), 8);
            }
        }
        if (v.verid != 1) w.Put(v.quarterSample, 1);
        w.Put(v.complexityEstimationDisable, 1);
        w.Put(1, 1);  // resync_marker_disable
        w.Put(v.dataPartitioned, 1);
        if (v.dataPartitioned) w.Put(0, 1);
        if (v.verid != 1) w.Put(0, 2);  // newpred, reduced resolution
        w.Put(v.scalability, 1);
    }
    w.Stuff();
    if (v.userData) {
        w.StartCode(0xB2);
        for (char c : {'C', 'A', 'M', '1'})
            w.Put(static_cast<uint8_t>(c), 8);
    }
}

struct VopSpec {
    int type = 0;  // 0 I, 1 P, 2 B
    int timeIncrement = 0;
    int modulo = 0;
    bool coded = true;
    int rounding = 0;
    int intraDcThr = 0;
    int quant = 8;
    int fcodeForward = 1;
    int fcodeBackward = 1;
};

inline void WriteVopHeader(BitWriter& w, const VolSpec& vol, const VopSpec& v) {
    w.StartCode(0xB6);
    w.Put(static_cast<uint32_t>(v.type), 2);
    for (int i = 0; i < v.modulo; ++i)
        w.Put(1, 1);
    w.Put(0, 1);
    w.Put(1, 1);
    w.Put(static_cast<uint32_t>(v.timeIncrement), TimeBits(vol.resolution));
    w.Put(1, 1);
    w.Put(v.coded, 1);
    if (!v.coded) return;
    if (v.type == 1) w.Put(static_cast<uint32_t>(v.rounding), 1);
    w.Put(static_cast<uint32_t>(v.intraDcThr), 3);
    if (vol.interlaced) w.Put(0b10, 2);  // top field first, no alternate scan
    w.Put(static_cast<uint32_t>(v.quant), 5);
    if (v.type != 0) w.Put(static_cast<uint32_t>(v.fcodeForward), 3);
    if (v.type == 2) w.Put(static_cast<uint32_t>(v.fcodeBackward), 3);
}

// Ends the VOP's data with stuffing up to the byte boundary.
inline void EndVop(BitWriter& w) {
    w.Stuff();
}

inline void PutCoefficient(BitWriter& w, const decoder::CoefficientCode (&table)[103], int last,
                           int run, int level) {
    for (const auto& c : table) {
        if (c.level != 0 && c.last == last && c.run == run && c.level == std::abs(level)) {
            w.Put(c.code, c.length);
            w.Put(level < 0, 1);
            return;
        }
    }
    // Escape type 3: fixed-length last, run and level.
    w.Put(table[102].code, table[102].length);
    w.Put(0b11, 2);
    w.Put(static_cast<uint32_t>(last), 1);
    w.Put(static_cast<uint32_t>(run), 6);
    w.Put(1, 1);
    w.Put(static_cast<uint32_t>(level) & 0xFFF, 12);
    w.Put(1, 1);
}

inline void PutDcDifferential(BitWriter& w, bool luma, int diff) {
    int size = 0;
    while ((std::abs(diff) >> size) != 0)
        ++size;
    w.Put(luma ? decoder::kDcSizeLuma[size] : decoder::kDcSizeChroma[size]);
    if (size > 0) {
        const uint32_t bits =
            diff > 0 ? static_cast<uint32_t>(diff) : static_cast<uint32_t>(diff + (1 << size) - 1);
        w.Put(bits, size);
        if (size > 8) w.Put(1, 1);
    }
}

// An intra macroblock (in an I- or P-VOP) whose six blocks carry the DC differentials `dc` and,
// for luma blocks when `acLevel` is not 0, one AC coefficient at scan position `acRun` + 1.
// With `dcAsCoefficient` the DC is coded among the AC coefficients (intra_dc_vlc_thr above the
// quantiser): every block then carries exactly its DC, which must not be 0.
struct IntraMb {
    int dc[6] = {0, 0, 0, 0, 0, 0};
    int acLevel = 0;
    int acRun = 0;
    bool stuffing = false;
    bool dcAsCoefficient = false;
};

inline void WriteIntraMb(BitWriter& w, const VolSpec& vol, bool inPVop, const IntraMb& mb) {
    if (inPVop) w.Put(0, 1);  // coded
    if (mb.stuffing) {
        w.Put(inPVop ? decoder::kInterMcbpc[20] : decoder::kIntraMcbpc[8]);
        if (inPVop) w.Put(0, 1);
    }
    const int cbpc = mb.dcAsCoefficient ? 3 : 0;
    const int cbpy = mb.dcAsCoefficient || mb.acLevel ? 15 : 0;
    w.Put(inPVop ? decoder::kInterMcbpc[12 + cbpc] : decoder::kIntraMcbpc[cbpc]);
    w.Put(0, 1);  // ac_pred_flag
    w.Put(decoder::kCbpy[cbpy]);
    if (vol.interlaced) w.Put(0, 1);
    for (int n = 0; n < 6; ++n) {
        if (mb.dcAsCoefficient) {
            PutCoefficient(w, decoder::kIntraCoefficients, 1, 0, mb.dc[n]);
            continue;
        }
        PutDcDifferential(w, n < 4, mb.dc[n]);
        if (n < 4 && mb.acLevel)
            PutCoefficient(w, decoder::kIntraCoefficients, 1, mb.acRun, mb.acLevel);
    }
}

inline void PutMotionDifference(BitWriter& w, int d, int fcode) {
    const int range = 32 << (fcode - 1);
    while (d < -range)
        d += 2 * range;
    while (d >= range)
        d -= 2 * range;
    if (d == 0) {
        w.Put(decoder::kMotionCode[0]);
        return;
    }
    const int r = fcode - 1;
    const int a = std::abs(d) - 1;
    w.Put(decoder::kMotionCode[(a >> r) + 1]);
    w.Put(d < 0, 1);
    if (r) w.Put(static_cast<uint32_t>(a & ((1 << r) - 1)), r);
}

// An inter macroblock with one vector (`pred` is the decoder's prediction of it) or four, and,
// when `level` is not 0, one coefficient in each luma block.
struct InterMb {
    int mvx[4] = {0, 0, 0, 0};
    int mvy[4] = {0, 0, 0, 0};
    int predx[4] = {0, 0, 0, 0};
    int predy[4] = {0, 0, 0, 0};
    bool fourVectors = false;
    int level = 0;
    bool stuffing = false;
};

inline void WriteInterMb(BitWriter& w, const VolSpec& vol, int fcode, const InterMb& mb) {
    w.Put(0, 1);  // coded
    if (mb.stuffing) {
        w.Put(decoder::kInterMcbpc[20]);
        w.Put(0, 1);
    }
    w.Put(decoder::kInterMcbpc[mb.fourVectors ? 8 : 0]);
    w.Put(decoder::kCbpy[mb.level ? 0 : 15]);  // inter: 15 minus the luma pattern
    if (vol.interlaced) {
        if (mb.level) w.Put(0, 1);
        if (!mb.fourVectors) w.Put(0, 1);
    }
    for (int n = 0; n < (mb.fourVectors ? 4 : 1); ++n) {
        PutMotionDifference(w, mb.mvx[n] - mb.predx[n], fcode);
        PutMotionDifference(w, mb.mvy[n] - mb.predy[n], fcode);
    }
    if (mb.level)
        for (int n = 0; n < 4; ++n)
            PutCoefficient(w, decoder::kInterCoefficients, 1, n, mb.level);
}

inline void WriteNotCodedMb(BitWriter& w) {
    w.Put(1, 1);
}

// A small deterministic pseudo-random sequence.
class Lcg {
  public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    int Next(int lo, int hi) {
        state_ = state_ * 1664525u + 1013904223u;
        return lo + static_cast<int>((state_ >> 8) % static_cast<uint32_t>(hi - lo + 1));
    }

  private:
    uint32_t state_;
};

// The decoder's median prediction of luma block vectors for streams without video packets: a
// grid of the vectors written so far in the current P-VOP.
class VectorGrid {
  public:
    VectorGrid(int mbWidth, int mbHeight)
        : w_(2 * mbWidth), h_(2 * mbHeight), x_(static_cast<size_t>(w_ * h_)), y_(x_.size()) {}
    void Set(int mbx, int mby, int n, int vx, int vy) {
        const size_t i = Index(2 * mbx + (n & 1), 2 * mby + (n >> 1));
        x_[i] = vx;
        y_[i] = vy;
    }
    void Predict(int mbx, int mby, int n, int* px, int* py) const {
        const int bx = 2 * mbx + (n & 1);
        const int by = 2 * mby + (n >> 1);
        static constexpr int kAboveRight[4] = {2, 1, 1, -1};
        const int cx[3] = {bx - 1, bx, bx + kAboveRight[n]};
        const int cy[3] = {by, by - 1, by - 1};
        int vx[3], vy[3];
        bool valid[3];
        for (int k = 0; k < 3; ++k) {
            valid[k] = cx[k] >= 0 && cy[k] >= 0 && cx[k] < w_;
            vx[k] = valid[k] ? x_[Index(cx[k], cy[k])] : 0;
            vy[k] = valid[k] ? y_[Index(cx[k], cy[k])] : 0;
        }
        const int missing = !valid[0] + !valid[1] + !valid[2];
        if (missing >= 2) {
            *px = *py = 0;
            for (int k = 0; k < 3; ++k)
                if (valid[k] && missing == 2) {
                    *px = vx[k];
                    *py = vy[k];
                }
            return;
        }
        *px = Median(vx[0], vx[1], vx[2]);
        *py = Median(vy[0], vy[1], vy[2]);
    }

  private:
    static int Median(int a, int b, int c) {
        return std::max(std::min(a, b), std::min(std::max(a, b), c));
    }
    size_t Index(int x, int y) const { return static_cast<size_t>(y * w_ + x); }
    int w_;
    int h_;
    std::vector<int> x_;
    std::vector<int> y_;
};

// A P-VOP of four-vector macroblocks, every macroblock with the same four vectors.
inline void WriteFourVectorPVop(BitWriter& w, const VolSpec& vol, const VopSpec& vop,
                                const int (&mvx)[4], const int (&mvy)[4]) {
    WriteVopHeader(w, vol, vop);
    const int mbw = vol.width / 16;
    const int mbh = vol.height / 16;
    VectorGrid grid(mbw, mbh);
    for (int y = 0; y < mbh; ++y) {
        for (int x = 0; x < mbw; ++x) {
            InterMb mb;
            mb.fourVectors = true;
            for (int n = 0; n < 4; ++n) {
                grid.Predict(x, y, n, &mb.predx[n], &mb.predy[n]);
                mb.mvx[n] = mvx[n];
                mb.mvy[n] = mvy[n];
                grid.Set(x, y, n, mvx[n], mvy[n]);
            }
            WriteInterMb(w, vol, vop.fcodeForward, mb);
        }
    }
    EndVop(w);
}

// The decoder's DC prediction in an I-VOP without video packets, so that a writer can code the
// DC level it wants each block to have.
class DcTracker {
  public:
    DcTracker(int mbWidth, int mbHeight, int quant)
        : lw_(2 * mbWidth + 1),
          cw_(mbWidth + 1),
          luma_(static_cast<size_t>(lw_ * (2 * mbHeight + 1)), 1024),
          chroma_{std::vector<int>(static_cast<size_t>(cw_ * (mbHeight + 1)), 1024),
                  std::vector<int>(static_cast<size_t>(cw_ * (mbHeight + 1)), 1024)} {
        lumaScale_ = quant < 5    ? 8
                     : quant < 9  ? 2 * quant
                     : quant < 25 ? quant + 8
                                  : 2 * quant - 16;
        chromaScale_ = quant < 5 ? 8 : quant < 25 ? (quant + 13) / 2 : quant - 6;
    }
    // The differential that gives block n of macroblock (x, y) the DC level `level`.
    int Code(int x, int y, int n, int level) {
        std::vector<int>& grid = n < 4 ? luma_ : chroma_[n - 4];
        const int stride = n < 4 ? lw_ : cw_;
        const int i =
            n < 4 ? (2 * y + (n >> 1) + 1) * lw_ + 2 * x + (n & 1) + 1 : (y + 1) * cw_ + x + 1;
        const int scale = n < 4 ? lumaScale_ : chromaScale_;
        const int a = grid[static_cast<size_t>(i - 1)];
        const int b = grid[static_cast<size_t>(i - 1 - stride)];
        const int c = grid[static_cast<size_t>(i - stride)];
        const int p = std::abs(a - b) < std::abs(b - c) ? c : a;
        grid[static_cast<size_t>(i)] = level * scale;
        return level - (p + (scale >> 1)) / scale;
    }

  private:
    int lw_;
    int cw_;
    std::vector<int> luma_;
    std::vector<int> chroma_[2];
    int lumaScale_;
    int chromaScale_;
};

// A P-VOP (interlaced layer) whose macroblocks all use field prediction with the same two field
// vectors (vertical in field units) and field selects.
inline void WriteFieldPVop(BitWriter& w, const VolSpec& vol, const VopSpec& vop,
                           const int (&mvx)[2], const int (&mvy)[2], const int (&select)[2]) {
    WriteVopHeader(w, vol, vop);
    const int sx = mvx[0] + mvx[1];
    const int avgx = (sx >> 1) | (sx & 1);  // what neighbours predict from
    const int avgy = mvy[0] + mvy[1];
    const int mbs = (vol.width / 16) * (vol.height / 16);
    for (int i = 0; i < mbs; ++i) {
        const int px = i ? avgx : 0;
        const int py = i ? avgy : 0;
        w.Put(0, 1);                     // coded
        w.Put(decoder::kInterMcbpc[0]);  // inter, no chroma coded
        w.Put(decoder::kCbpy[15]);       // no luma coded
        w.Put(1, 1);                     // field_prediction
        w.Put(static_cast<uint32_t>(select[0]), 1);
        w.Put(static_cast<uint32_t>(select[1]), 1);
        for (int f = 0; f < 2; ++f) {
            PutMotionDifference(w, mvx[f] - px, vop.fcodeForward);
            PutMotionDifference(w, mvy[f] - py / 2, vop.fcodeForward);
        }
    }
    EndVop(w);
}

// An I-VOP of intra macroblocks with random DC levels (a textured, blocky picture) and a few AC
// coefficients.
inline void WriteTexturedIVop(BitWriter& w, const VolSpec& vol, const VopSpec& vop, uint32_t seed,
                              int stuffingEvery = 0) {
    WriteVopHeader(w, vol, vop);
    Lcg rng(seed);
    const int mbw = vol.width / 16;
    const int mbs = mbw * (vol.height / 16);
    DcTracker dc(mbw, vol.height / 16, vop.quant);
    for (int i = 0; i < mbs; ++i) {
        IntraMb mb;
        for (int n = 0; n < 6; ++n)
            mb.dc[n] = dc.Code(i % mbw, i / mbw, n, rng.Next(20, 100));
        mb.acLevel = rng.Next(-3, 3);
        mb.acRun = rng.Next(0, 4);
        mb.stuffing = stuffingEvery && i % stuffingEvery == 0;
        WriteIntraMb(w, vol, false, mb);
    }
    EndVop(w);
}

// A P-VOP whose macroblocks all move by (mvx, mvy) half-pels.
inline void WriteUniformPVop(BitWriter& w, const VolSpec& vol, const VopSpec& vop, int mvx, int mvy,
                             int level = 0, int stuffingEvery = 0) {
    WriteVopHeader(w, vol, vop);
    const int mbs = (vol.width / 16) * (vol.height / 16);
    for (int i = 0; i < mbs; ++i) {
        InterMb mb;
        mb.mvx[0] = mvx;
        mb.mvy[0] = mvy;
        if (i > 0) {  // every later macroblock predicts the same vector
            mb.predx[0] = mvx;
            mb.predy[0] = mvy;
        }
        mb.level = level;
        mb.stuffing = stuffingEvery && i % stuffingEvery == 0;
        WriteInterMb(w, vol, vop.fcodeForward, mb);
    }
    EndVop(w);
}

// A P-VOP header at time t (rounding alternating with t).
inline VopSpec PVop(int t, int fcode = 2) {
    VopSpec p;
    p.type = 1;
    p.timeIncrement = t;
    p.fcodeForward = fcode;
    p.rounding = t & 1;
    return p;
}

// A VOL plus I-VOP frame, and P-VOP frames that move the picture.
inline std::vector<uint8_t> IntraFrame(const VolSpec& vol, uint32_t seed = 1) {
    BitWriter w;
    WriteVol(w, vol);
    WriteTexturedIVop(w, vol, VopSpec{}, seed);
    return w.bytes();
}
inline std::vector<uint8_t> MoveFrame(const VolSpec& vol, int t, int mvx, int mvy) {
    BitWriter w;
    WriteUniformPVop(w, vol, PVop(t), mvx, mvy, 1);
    return w.bytes();
}

}  // namespace testsupport
