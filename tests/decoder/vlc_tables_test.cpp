// The code tables of the standard: every table is a complete prefix code (no code is a prefix of
// another and, but for the bit patterns the standard leaves unused, every pattern starts one), the
// lookup tables agree with the code lists, and the scan orders are permutations.
#include "decoder/vlc_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using decoder::VlcCode;

struct Code {
    uint32_t code;
    int length;
};

// Sum over codes of 2^(maxLength - length) and whether any code is a prefix of another.
void CheckPrefixCode(const std::vector<Code>& codes, double expectedKraft, const char* name) {
    double kraft = 0;
    for (size_t i = 0; i < codes.size(); ++i) {
        kraft += 1.0 / (1 << codes[i].length);
        for (size_t j = 0; j < codes.size(); ++j) {
            if (i == j || codes[i].length > codes[j].length) continue;
            const uint32_t prefix = codes[j].code >> (codes[j].length - codes[i].length);
            EXPECT_NE(prefix, codes[i].code) << name << " code " << i << " prefixes code " << j;
        }
    }
    EXPECT_DOUBLE_EQ(kraft, expectedKraft) << name;
}

template <size_t N>
std::vector<Code> CodesOf(const VlcCode (&table)[N]) {
    std::vector<Code> out;
    for (const VlcCode& c : table)
        out.push_back({c.code, c.length});
    return out;
}

TEST(VlcTablesTest, MacroblockCodesArePrefixCodes) {
    // Unused patterns: the I-VOP MCBPC leaves 0000 0000 0, 0000 0001 and 0000 001 unused, the
    // P-VOP MCBPC 0000 0000 0, CBPY 0000 0x, motion codes 0000 0000 000x (the two sign variants
    // of every code but 0 counted).
    CheckPrefixCode(CodesOf(decoder::kIntraMcbpc), 1.0 - 7.0 / 512, "intra MCBPC");
    CheckPrefixCode(CodesOf(decoder::kInterMcbpc), 1.0 - 1.0 / 512, "inter MCBPC");
    CheckPrefixCode(CodesOf(decoder::kCbpy), 1.0 - 2.0 / 64, "CBPY");
    std::vector<Code> motion;
    for (size_t i = 0; i < std::size(decoder::kMotionCode); ++i) {
        const VlcCode c = decoder::kMotionCode[i];
        if (i == 0) {
            motion.push_back({c.code, c.length});
        } else {
            motion.push_back({uint32_t{c.code} << 1u, c.length + 1});
            motion.push_back({(uint32_t{c.code} << 1u) | 1u, c.length + 1});
        }
    }
    CheckPrefixCode(motion, 1.0 - 4.0 / 8192, "motion code");
    CheckPrefixCode(CodesOf(decoder::kDcSizeLuma), 1.0 - 1.0 / 2048, "luma DC size");
    CheckPrefixCode(CodesOf(decoder::kDcSizeChroma), 1.0 - 1.0 / 4096, "chroma DC size");
}

// Both coefficient tables use every 12-bit pattern but 0000 0000 0xxx, the sign bits counted.
TEST(VlcTablesTest, CoefficientCodesArePrefixCodes) {
    for (const auto* table : {&decoder::kIntraCoefficients, &decoder::kInterCoefficients}) {
        std::vector<Code> codes;
        for (const auto& c : *table) {
            if (c.level == 0) {
                codes.push_back({c.code, c.length});
            } else {
                codes.push_back({uint32_t{c.code} << 1u, c.length + 1});
                codes.push_back({(uint32_t{c.code} << 1u) | 1u, c.length + 1});
            }
        }
        CheckPrefixCode(codes, 1.0 - 8.0 / 4096, "coefficients");
    }
}

TEST(VlcTablesTest, CoefficientEventsAreDistinctAndLimitsMatchTheStandard) {
    for (const auto* table : {&decoder::kIntraCoefficients, &decoder::kInterCoefficients}) {
        for (int i = 0; i < 102; ++i)
            for (int j = i + 1; j < 102; ++j)
                EXPECT_FALSE((*table)[i].last == (*table)[j].last &&
                             (*table)[i].run == (*table)[j].run &&
                             (*table)[i].level == (*table)[j].level);
    }
    // A few escape limits of the standard's tables.
    EXPECT_EQ(decoder::kIntraEscapeLimits.maxLevel[0][0], 27);
    EXPECT_EQ(decoder::kIntraEscapeLimits.maxLevel[0][1], 10);
    EXPECT_EQ(decoder::kIntraEscapeLimits.maxLevel[1][0], 8);
    EXPECT_EQ(decoder::kIntraEscapeLimits.maxRun[0][1], 14);
    EXPECT_EQ(decoder::kIntraEscapeLimits.maxRun[1][1], 20);
    EXPECT_EQ(decoder::kIntraEscapeLimits.maxRun[1][2], 6);
    EXPECT_EQ(decoder::kInterEscapeLimits.maxLevel[0][0], 12);
    EXPECT_EQ(decoder::kInterEscapeLimits.maxLevel[1][0], 3);
    EXPECT_EQ(decoder::kInterEscapeLimits.maxRun[0][1], 26);
    EXPECT_EQ(decoder::kInterEscapeLimits.maxRun[1][1], 40);
    EXPECT_EQ(decoder::kInterEscapeLimits.maxRun[0][2], 10);
}

TEST(VlcTablesTest, LookupsReturnTheListedEvents) {
    for (const auto& c : decoder::kInterCoefficients) {
        const auto e = decoder::kInterCoefficientLookup[c.code << (12 - c.length)];
        EXPECT_EQ(e.length, c.length);
        EXPECT_EQ(e.run, c.run);
        EXPECT_EQ(e.level, c.level);
        EXPECT_EQ(e.last, c.last);
    }
    for (size_t i = 0; i < std::size(decoder::kMotionCode); ++i) {
        const VlcCode c = decoder::kMotionCode[i];
        const auto e = decoder::kMotionCodeLookup[uint64_t{c.code} << (64 - c.length)];
        EXPECT_EQ(e.value, i);
        EXPECT_EQ(e.length, c.length);
    }
    EXPECT_EQ(decoder::kIntraCoefficientLookup[0].length, 0);  // 0000 0000 0000 starts nothing
}

// The packed coefficient tables give the flat table's event for every 12-bit window (an
// event's length with its sign bit), so no code (short, long, escape or invalid) reads
// differently.
TEST(VlcTablesTest, PackedCoefficientLookupsMatchTheFlatOnes) {
    for (uint32_t bits = 0; bits < 4096; ++bits) {
        for (const auto& [flat, packed] :
             {std::pair{&decoder::kIntraCoefficientLookup, &decoder::kIntraCoefficientLookupPacked},
              std::pair{&decoder::kInterCoefficientLookup,
                        &decoder::kInterCoefficientLookupPacked}}) {
            const auto a = (*flat)[bits];
            const auto b = (*packed)[bits];
            const int withSign = a.level != 0 ? a.length + 1 : a.length;
            ASSERT_EQ(std::tuple(withSign, a.last, a.run, a.level),
                      std::tuple(int{b.bits}, b.last, b.run, b.level))
                << (flat == &decoder::kIntraCoefficientLookup ? "intra " : "inter ") << bits;
        }
    }
}

// The small motion code and DC size tables give the flat table's entry for every window, so
// no code (short, long or invalid) reads differently.
template <int Bits, size_t N>
void ExpectSameAsFlat(const decoder::ZeroPrefixLookup<Bits>& small, const VlcCode (&codes)[N],
                      const char* name) {
    const auto flat = decoder::BuildLookup<Bits>(codes);
    for (uint64_t bits = 0; bits < (uint64_t{1} << Bits); ++bits) {
        const auto a = flat.entries[bits];
        const auto b = small[(bits << (64 - Bits)) | 0x5A5A];  // bits after the window ignored
        ASSERT_EQ(std::pair(a.length, a.value), std::pair(b.length, b.value)) << name << " " << bits;
    }
}

TEST(VlcTablesTest, ZeroPrefixLookupsMatchTheFlatOnes) {
    ExpectSameAsFlat(decoder::kMotionCodeLookup, decoder::kMotionCode, "motion code");
    ExpectSameAsFlat(decoder::kDcSizeLumaLookup, decoder::kDcSizeLuma, "luma DC size");
    ExpectSameAsFlat(decoder::kDcSizeChromaLookup, decoder::kDcSizeChroma, "chroma DC size");
}

bool IsPermutation(const uint8_t* scan) {
    std::vector<uint8_t> v(scan, scan + 64);
    std::sort(v.begin(), v.end());
    for (int i = 0; i < 64; ++i)
        if (v[i] != i) return false;
    return true;
}

TEST(VlcTablesTest, ScanOrders) {
    EXPECT_TRUE(IsPermutation(decoder::kZigzagScan));
    EXPECT_TRUE(IsPermutation(decoder::kAlternateHorizontalScan));
    EXPECT_TRUE(IsPermutation(decoder::kAlternateVerticalScan));
    // The vertical order is the horizontal one transposed.
    for (int i = 0; i < 64; ++i) {
        const int h = decoder::kAlternateHorizontalScan[i];
        EXPECT_EQ(decoder::kAlternateVerticalScan[i], (h % 8) * 8 + h / 8);
    }
    EXPECT_EQ(decoder::kDefaultIntraMatrix[0], 8);
    EXPECT_EQ(decoder::kDefaultIntraMatrix[63], 45);
    EXPECT_EQ(decoder::kDefaultInterMatrix[0], 16);
    EXPECT_EQ(decoder::kDefaultInterMatrix[63], 33);
}

}  // namespace
