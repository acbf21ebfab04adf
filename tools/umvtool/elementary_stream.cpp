#include "tools/umvtool/elementary_stream.h"

#include <cstring>


namespace umvtool {
namespace {

constexpr uint8_t kVopCode = 0xB6;

bool IsVolCode(uint8_t c) {
    return c >= 0x20 && c <= 0x2F;
}
bool IsVoOrVolCode(uint8_t c) {
    return c <= 0x2F;
}

// Positions of every 00 00 01 prefix followed by at least one byte (the code). A prefix ends in
// a 01 byte with two 00 bytes before it. Compressed data holds a 01 byte about once in 256, so
// the library's vectorised byte search finds the candidates and only those are looked at.
std::vector<size_t> StartCodes(std::span<const uint8_t> s) {
    std::vector<size_t> found;
    if (s.size() < 4) return found;
    const uint8_t* const data = s.data();
    const uint8_t* const ends = data + s.size() - 1;  // the code byte after a prefix must exist
    for (const uint8_t* p = data + 2; p < ends;) {
        const auto* one = static_cast<const uint8_t*>(std::memchr(p, 1, static_cast<size_t>(ends - p)));
        if (one == nullptr) break;
        if (one[-1] == 0 && one[-2] == 0) found.push_back(static_cast<size_t>(one - 2 - data));
        p = one + 1;
    }
    return found;
}

class Bits {
  public:
    explicit Bits(std::span<const uint8_t> data) : data_(data) {}
    uint32_t Read(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            const size_t byte = pos_ >> 3;
            const uint32_t bit = byte < data_.size() ? (data_[byte] >> (7 - (pos_ & 7))) & 1 : 0;
            v = (v << 1) | bit;
            ++pos_;
        }
        return v;
    }
    bool exhausted() const { return (pos_ >> 3) >= data_.size(); }

  private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

}  // namespace

std::vector<EsFrame> SplitElementaryStream(std::span<const uint8_t> s) {
    std::vector<EsFrame> frames;
    size_t frameStart = 0;
    bool vopSeen = false;
    bool volSeen = false;
    int vopType = 0;
    for (size_t p : StartCodes(s)) {
        const uint8_t code = s[p + 3];
        if (vopSeen) {
            frames.push_back({frameStart, p, vopType, volSeen});
            frameStart = p;
            vopSeen = volSeen = false;
        }
        if (IsVolCode(code)) volSeen = true;
        if (code == kVopCode) {
            vopSeen = true;
            vopType = p + 4 < s.size() ? s[p + 4] >> 6 : 0;
        }
    }
    if (vopSeen) {
        frames.push_back({frameStart, s.size(), vopType, volSeen});
    } else if (!frames.empty()) {
        frames.back().end = s.size();  // trailing headers (end of sequence) join the last frame
    }
    return frames;
}

bool FindVolInfo(std::span<const uint8_t> s, VolInfo* info) {
    for (size_t p : StartCodes(s)) {
        if (!IsVolCode(s[p + 3])) continue;
        Bits b(s.subspan(p + 4));
        b.Read(1);  // random_accessible_vol
        b.Read(8);  // video_object_type_indication
        int verid = 1;
        if (b.Read(1)) {  // is_object_layer_identifier
            verid = static_cast<int>(b.Read(4));
            b.Read(3);
        }
        if (b.Read(4) == 0xF) b.Read(16);  // aspect_ratio_info, extended PAR
        if (b.Read(1)) {                   // vol_control_parameters
            b.Read(2);                     // chroma_format
            b.Read(1);                     // low_delay
            if (b.Read(1)) {               // vbv_parameters
                b.Read(15), b.Read(1), b.Read(15), b.Read(1);
                b.Read(15), b.Read(1), b.Read(3), b.Read(11), b.Read(1), b.Read(15), b.Read(1);
            }
        }
        const uint32_t shape = b.Read(2);
        if (shape == 3 && verid != 1) b.Read(4);
        if (!b.Read(1)) return false;  // marker
        const uint32_t resolution = b.Read(16);
        if (!b.Read(1) || resolution == 0) return false;
        if (b.Read(1)) {  // fixed_vop_rate
            int bits = 1;
            while ((1u << bits) < resolution)
                ++bits;
            b.Read(bits);
        }
        if (shape != 0) return false;  // only rectangular layers have a size here
        if (!b.Read(1)) return false;
        info->width = static_cast<int>(b.Read(13));
        if (!b.Read(1)) return false;
        info->height = static_cast<int>(b.Read(13));
        if (!b.Read(1) || b.exhausted()) return false;
        info->timeIncrementResolution = static_cast<int>(resolution);
        return true;
    }
    return false;
}

std::vector<uint8_t> VoVolHeaders(std::span<const uint8_t> s) {
    size_t begin = s.size();
    for (size_t p : StartCodes(s)) {
        const uint8_t code = s[p + 3];
        if (IsVoOrVolCode(code)) {
            if (begin == s.size()) begin = p;
        } else if (begin != s.size()) {
            return std::vector<uint8_t>(s.begin() + static_cast<ptrdiff_t>(begin),
                                        s.begin() + static_cast<ptrdiff_t>(p));
        }
    }
    return {};
}

}  // namespace umvtool
