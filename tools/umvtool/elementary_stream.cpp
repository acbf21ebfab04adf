#include "tools/umvtool/elementary_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace umvtool {
namespace {

constexpr uint8_t kVopCode = 0xB6;

bool IsVolCode(uint8_t c) {
    return c >= 0x20 && c <= 0x2F;
}
bool IsVoOrVolCode(uint8_t c) {
    return c <= 0x2F;
}

constexpr size_t kNone = static_cast<size_t>(-1);

// The next 00 00 01 prefix, followed by at least `after` bytes (the code and what else the
// caller reads), whose 01 byte lies at `*from` or later; its position, or kNone. `*from` moves
// past it, or to where a later search must start again once more bytes follow. Compressed data
// holds a 01 byte about once in 256, so the library's vectorised byte search finds the
// candidates and only those are looked at.
size_t NextStartCode(std::span<const uint8_t> s, size_t* from, size_t after = 1) {
    const size_t ends = s.size() < 3 + after ? 0 : s.size() - after;
    const uint8_t* const data = s.data();
    for (size_t i = std::max<size_t>(*from, 2); i < ends;) {
        const auto* one = static_cast<const uint8_t*>(std::memchr(data + i, 1, ends - i));
        if (one == nullptr) break;
        i = static_cast<size_t>(one - data);
        if (data[i - 1] == 0 && data[i - 2] == 0) {
            *from = i + 1;
            return i - 2;
        }
        ++i;
    }
    *from = std::max(*from, ends);
    return kNone;
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

bool EsFrameSplitter::More(size_t) {
    return false;
}

size_t EsFrameSplitter::NextCode() {
    for (;;) {
        // Short of the end of the stream, a VOP's code is looked at only when the byte with its
        // coding type is held too.
        size_t from = scan_ - base_;
        const size_t p = NextStartCode(s_, &from, ended_ ? 1 : 2);
        scan_ = base_ + from;
        if (p != kNone) return base_ + p;
        if (ended_) return kNone;
        // A prefix may straddle the end of what is held: its two zeros stay.
        size_t keep = std::min(scan_ < 2 ? 0 : scan_ - 2, frameStart_);
        if (held_) keep = std::min(keep, heldFrame_.begin);
        if (!More(keep)) ended_ = true;
    }
}

bool EsFrameSplitter::Cut(EsFrame* frame) {
    for (;;) {
        const size_t p = NextCode();
        if (p == kNone) {
            if (!vopSeen_) return false;
            *frame = {frameStart_, base_ + s_.size(), vopType_, volSeen_};
            vopSeen_ = volSeen_ = false;
            return true;
        }
        const uint8_t code = s_[p - base_ + 3];
        const bool cut = vopSeen_;
        if (cut) {
            *frame = {frameStart_, p, vopType_, volSeen_};
            frameStart_ = p;
            vopSeen_ = volSeen_ = false;
        }
        if (IsVolCode(code)) volSeen_ = true;
        if (code == kVopCode) {
            vopSeen_ = true;
            vopType_ = p - base_ + 4 < s_.size() ? s_[p - base_ + 4] >> 6 : 0;
        }
        if (cut) return true;
    }
}

bool EsFrameSplitter::Next(EsFrame* frame) {
    if (!held_) {
        if (!Cut(&heldFrame_)) return false;
        held_ = true;
    }
    EsFrame after;
    if (Cut(&after)) {
        *frame = std::exchange(heldFrame_, after);
        return true;
    }
    // No VOP after the held frame: what follows it (end of sequence) joins it.
    *frame = heldFrame_;
    frame->end = base_ + s_.size();
    held_ = false;
    return true;
}

bool EsFileSplitter::More(size_t keepFrom) {
    if (failed_) return false;
    const size_t drop = keepFrom - bufferOffset_;
    filled_ -= drop;
    if (drop != 0) std::memmove(buffer_.data(), buffer_.data() + drop, filled_);
    bufferOffset_ = keepFrom;
    if (buffer_.size() < filled_ + pieceSize_) buffer_.resize(filled_ + pieceSize_);
    const size_t got = std::fread(buffer_.data() + filled_, 1, pieceSize_, file_);
    if (got == 0 && std::ferror(file_)) failed_ = true;
    filled_ += got;
    Hold({buffer_.data(), filled_}, bufferOffset_);
    return got != 0;
}

std::vector<EsFrame> SplitElementaryStream(std::span<const uint8_t> s) {
    std::vector<EsFrame> frames;
    EsFrameSplitter splitter(s);
    for (EsFrame f; splitter.Next(&f);)
        frames.push_back(f);
    return frames;
}

bool FindVolInfo(std::span<const uint8_t> s, VolInfo* info) {
    for (size_t scan = 0, p; (p = NextStartCode(s, &scan)) != kNone;) {
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
    for (size_t scan = 0, p; (p = NextStartCode(s, &scan)) != kNone;) {
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
