#include "decoder/concealment.h"

#include <cstdlib>

namespace decoder {

bool FillFromBorders(uint8_t* dst, ptrdiff_t stride, int size, BorderSides sides) {
    if (size > 16 || (!sides.above && !sides.below && !sides.left && !sides.right)) return false;
    // Weights 1/distance in fixed point: the distance from a sample to a border line is 1..16.
    static constexpr int kWeight[17] = {0,         4096,      4096 / 2,  4096 / 3,  4096 / 4,
                                        4096 / 5,  4096 / 6,  4096 / 7,  4096 / 8,  4096 / 9,
                                        4096 / 10, 4096 / 11, 4096 / 12, 4096 / 13, 4096 / 14,
                                        4096 / 15, 4096 / 16};
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
    if (sides.above + sides.below + sides.left + sides.right == 1) {
        // One side alone: its line carries on across the block.
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                dst[y * stride + x] = sides.above   ? above[x]
                                      : sides.below ? below[x]
                                      : sides.left  ? left[y]
                                                    : right[y];
        return true;
    }
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int sum = 0;
            int weight = 0;
            const auto add = [&](bool on, int value, int distance) {
                if (!on) return;
                const int w = kWeight[distance];
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
