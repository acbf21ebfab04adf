// Reads the bits of one coded frame, most significant bit first, straight from the caller's
// buffer. Every read is bounded by the frame: bits past its end read as zero and never touch
// memory beyond it, and overrun() tells when a read went past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace decoder {

class BitReader {
  public:
    void begin_read(const uint8_t* data, size_t size) {
        data_ = data;
        size_ = data ? size : 0;
        pos_ = 0;
    }

    // The next n bits (0..32), right-aligned, without consuming them.
    uint32_t peek_bits(int n) const {
        if (n == 0) return 0;
        const uint64_t word = Load64(pos_ >> 3) << (pos_ & 7);
        return static_cast<uint32_t>(word >> (64 - n));
    }
    // The 32 bits from bit position `pos` on, for loops that keep their position in a register
    // and hand it back with setPosition().
    uint32_t peek32At(size_t pos) const { return static_cast<uint32_t>(window64(pos) >> 32); }
    // The bits from position `pos` on, most significant first: at least 57 of them are valid.
    uint64_t window64(size_t pos) const { return Load64(pos >> 3) << (pos & 7); }
    void skip_bits(size_t n) { pos_ += n; }
    uint32_t read_bits(int n) {
        const uint32_t v = peek_bits(n);
        pos_ += static_cast<size_t>(n);
        return v;
    }
    int read_bit() { return static_cast<int>(read_bits(1)); }
    // Two's complement value of n bits.
    int32_t read_signed_bits(int n) {
        const uint32_t v = read_bits(n);
        return static_cast<int32_t>(v << (32 - n)) >> (32 - n);
    }
    void align_to_byte() { pos_ = (pos_ + 7) & ~size_t{7}; }
    bool IsByteAligned() const { return (pos_ & 7) == 0; }

    // The 23 bits behind the stuffing that ends a VOP (a 0 and then 1s up to the next byte
    // boundary, or 0x7F when already aligned); 0 means a start code follows. Without valid
    // stuffing in front of it, returns a non-zero value.
    uint32_t peek_after_stuffing() const {
        size_t p = pos_;
        const int pad = static_cast<int>(8 - (p & 7));  // 1..8 bits up to the boundary
        const uint32_t stuffing = static_cast<uint32_t>(Load64(p >> 3) << (p & 7) >> (64 - pad));
        if (stuffing != (1u << (pad - 1)) - 1) return 1;
        p += static_cast<size_t>(pad);
        return static_cast<uint32_t>(Load64(p >> 3) >> (64 - 23));
    }

    // Whether the bits up to the next byte boundary (all eight when aligned) are a 0 followed by
    // 1s, the stuffing in front of a resync marker or of the end of the coded data. Past the end
    // of the frame the answer is meaningless; check atEnd() too.
    bool stuffingAhead() const {
        const size_t byte = pos_ >> 3;
        const unsigned pad = 8 - static_cast<unsigned>(pos_ & 7);
        const unsigned bits = byte < size_ ? data_[byte] & ((1u << pad) - 1) : 0;
        return bits == (1u << (pad - 1)) - 1;
    }

    size_t position() const { return pos_; }
    void setPosition(size_t bits) { pos_ = bits; }
    size_t sizeBits() const { return size_ * 8; }
    // Bits left before the end of the frame (negative after an overrun).
    ptrdiff_t bitsLeft() const {
        return static_cast<ptrdiff_t>(size_ * 8) - static_cast<ptrdiff_t>(pos_);
    }
    bool overrun() const { return pos_ > size_ * 8; }
    bool atEnd() const { return pos_ >= size_ * 8; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    size_t bytePosition() const { return pos_ >> 3; }

  private:
    // Eight bytes from byte index i, big-endian, zero past the end of the frame.
    uint64_t Load64(size_t i) const {
        if (i + 8 <= size_) {
            uint64_t v;
            std::memcpy(&v, data_ + i, 8);
            return __builtin_bswap64(v);
        }
        uint64_t v = 0;
        for (int k = 0; k < 8; ++k) {
            v <<= 8;
            if (i + static_cast<size_t>(k) < size_) v |= data_[i + static_cast<size_t>(k)];
        }
        return v;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
};

}  // namespace decoder
