// Truncating division by a divisor that stays the same for many divisions (the temporal
// distances of a B-VOP): one multiply and one shift in place of a divide, with exactly the
// result of `n / d` for every divisor 1..65536 and every |n| < 2^31.
#pragma once

#include <cstdint>

namespace decoder {

class ExactDivider {
  public:
    explicit ExactDivider(uint32_t d) {
        int l = 0;  // the smallest l with d <= 2^l
        while ((uint32_t{1} << l) < d)
            ++l;
        shift_ = 32 + l;
        magic_ = (uint64_t{1} << shift_) / d + 1;  // at most 2^33: |n| * magic_ fits 64 bits
    }

    int operator()(int n) const {
        const uint32_t sign = n < 0 ? ~uint32_t{0} : 0;
        const uint64_t magnitude = (static_cast<uint32_t>(n) ^ sign) - sign;
        const uint32_t q = static_cast<uint32_t>((magnitude * magic_) >> shift_);
        return static_cast<int>((q ^ sign) - sign);
    }

  private:
    uint64_t magic_;
    int shift_;
};

}  // namespace decoder
