#include "decoder/concealment.h"

#include <cstdlib>

namespace decoder {

bool FillFromBorders(uint8_t* dst, ptrdiff_t stride, int size, BorderSides sides) {
    if (!sides.above && !sides.below && !sides.left && !sides.right) return false;
    // Weights 1/distance in fixed point: the distance from a sample to a border line is 1..size.
    constexpr int kOne = 1 << 12;
    uint8_t above[16];
    uint8_t below[16];
    uint8_t left[16];
    uint8_t right[16];
    for (int k = 0; k < size; ++k) {
        above[k] = sides.above ? dst[k - stride] : 0;
        below[k] = sides.below ? dst[size * stride + k] : 0;
        left[k] = sides.left ? dst[k * stride - 1] : 0;
        right[k] = sides.right ? dst[k * stride + size] : 0;
    }
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int sum = 0;
            int weight = 0;
            const auto add = [&](bool on, int value, int distance) {
                if (!on) return;
                const int w = kOne / distance;
                sum += w * value;
                weight += w;
            };
            add(sides.above, above[x], y + 1);
            add(sides.below, below[x], size - y);
            add(sides.left, left[y], x + 1);
            add(sides.right, right[y], size - x);
            dst[y * stride + x] = static_cast<uint8_t>((sum + weight / 2) / weight);
        }
    }
    return true;
}

int BorderActivity(const uint8_t* dst, ptrdiff_t stride, int size, BorderSides sides) {
    int sum = 0;
    int count = 0;
    const uint8_t* below = dst + size * stride;
    for (int k = 0; k < size; ++k) {
        if (sides.above) sum += std::abs(dst[k - stride] - dst[k - 2 * stride]);
        if (sides.left) sum += std::abs(dst[k * stride - 1] - dst[k * stride - 2]);
        if (sides.below) sum += std::abs(below[k] - below[k + stride]);
        if (sides.right) sum += std::abs(dst[k * stride + size] - dst[k * stride + size + 1]);
    }
    count = size * (sides.above + sides.below + sides.left + sides.right);
    return count ? sum / count : 0;
}

}  // namespace decoder
