#include "decoder/exact_divider.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

using decoder::ExactDivider;

// Every divisor the direct mode can meet, against the numerators where a reciprocal goes wrong
// first: around the multiples of the divisor, the largest products and random ones.
TEST(ExactDivider, MatchesTruncatingDivisionForEveryDivisor) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> any(-2147483647, 2147483647);
    constexpr int kLargest = 32768 * 65535;
    for (uint32_t d = 1; d <= 65536; ++d) {
        const ExactDivider div(d);
        const int di = static_cast<int>(d);
        const int multiples[] = {1, 2, 3, 7, 4096, kLargest / di - 1, kLargest / di};
        for (int k : multiples) {
            for (int delta = -1; delta <= 1; ++delta) {
                const int64_t n64 = int64_t{k} * di + delta;
                if (n64 > kLargest + 1) continue;
                const int n = static_cast<int>(n64);
                ASSERT_EQ(div(n), n / di) << n << " / " << d;
                ASSERT_EQ(div(-n), -n / di) << -n << " / " << d;
            }
        }
        for (int n : {0, 1, -1, kLargest, -kLargest, 2147483647, -2147483647})
            ASSERT_EQ(div(n), n / di) << n << " / " << d;
        for (int r = 0; r < 8; ++r) {
            const int n = any(rng);
            ASSERT_EQ(div(n), n / di) << n << " / " << d;
        }
    }
}

// Small divisors and vector-sized numerators exhaustively: the usual case.
TEST(ExactDivider, MatchesTruncatingDivisionForVectorSizedNumerators) {
    for (int d = 1; d <= 64; ++d) {
        const ExactDivider div(static_cast<uint32_t>(d));
        for (int n = -70000; n <= 70000; ++n)
            ASSERT_EQ(div(n), n / d) << n << " / " << d;
    }
}

}  // namespace
