#include "output/alaw.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace output {
namespace {

TEST(Alaw, KnownCodes) {
    EXPECT_EQ(alaw_to_pcm(0xD5), 8);
    EXPECT_EQ(alaw_to_pcm(0x55), -8);
    EXPECT_EQ(alaw_to_pcm(0x2A), -32256);
    EXPECT_EQ(alaw_to_pcm(0xAA), 32256);
}

// The sign bit only flips the sign, and within one sign the magnitudes rise strictly with the
// code (after the alternate-bit inversion), so no two codes share a sample.
TEST(Alaw, SymmetricAndMonotonic) {
    int previous = 0;
    for (int code = 0; code < 128; ++code) {
        const uint8_t positive = static_cast<uint8_t>((code | 0x80) ^ 0x55);
        const int value = alaw_to_pcm(positive);
        EXPECT_EQ(alaw_to_pcm(positive ^ 0x80), -value) << code;
        EXPECT_GT(value, previous) << code;
        previous = value;
    }
}

TEST(Alaw, BlockExpansionMatchesSingleSamples) {
    std::vector<uint8_t> in(2048);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<uint8_t>(i * 7 + 3);
    std::vector<int16_t> out(in.size());
    ExpandAlaw(in.data(), out.data(), in.size());
    for (size_t i = 0; i < in.size(); ++i)
        ASSERT_EQ(out[i], alaw_to_pcm(in[i])) << i;
}

}  // namespace
}  // namespace output
