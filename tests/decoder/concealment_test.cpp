// Filling a lost block from the pixels around it.
#include "decoder/concealment.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using decoder::BorderActivity;
using decoder::BorderSides;
using decoder::FillFromBorders;

// A 32x32 picture with the 16x16 block at (8, 8) to fill; the block starts out 0x55.
struct Canvas {
    static constexpr int kStride = 32;
    std::vector<uint8_t> pixels = std::vector<uint8_t>(kStride * kStride, 0x55);
    uint8_t* block() { return pixels.data() + 8 * kStride + 8; }
    uint8_t at(int x, int y) const {
        return pixels[static_cast<size_t>((8 + y) * kStride + 8 + x)];
    }
    void set(int x, int y, uint8_t v) {
        pixels[static_cast<size_t>((8 + y) * kStride + 8 + x)] = v;
    }
};

TEST(ConcealmentTest, FillsFromTheNamedSidesWeightedByDistance) {
    // Only the row above: vertical edges carry on downwards unchanged.
    Canvas bars;
    for (int x = 0; x < 16; ++x)
        bars.set(x, -1, x < 5 ? 20 : 200);
    ASSERT_TRUE(FillFromBorders(bars.block(), Canvas::kStride, 16, {true, false, false, false}));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(bars.at(x, y), x < 5 ? 20 : 200) << x << "," << y;

    // Above dark, below bright: each column runs from near the one to near the other, monotonic.
    Canvas ramp;
    for (int x = 0; x < 16; ++x) {
        ramp.set(x, -1, 0);
        ramp.set(x, 16, 240);
    }
    ASSERT_TRUE(FillFromBorders(ramp.block(), Canvas::kStride, 16, {true, true, false, false}));
    EXPECT_LT(ramp.at(3, 0), 30);
    EXPECT_GT(ramp.at(3, 15), 210);
    for (int y = 1; y < 16; ++y)
        EXPECT_GE(ramp.at(3, y), ramp.at(3, y - 1));
    EXPECT_EQ(ramp.at(3, 7), 240 - ramp.at(3, 8));  // symmetric about the middle

    // The left and right columns name the same for every column of a row.
    Canvas sides;
    for (int y = 0; y < 16; ++y) {
        sides.set(-1, y, static_cast<uint8_t>(10 * y));
        sides.set(16, y, static_cast<uint8_t>(10 * y));
    }
    ASSERT_TRUE(FillFromBorders(sides.block(), Canvas::kStride, 16, {false, false, true, true}));
    for (int y = 0; y < 16; ++y)
        EXPECT_EQ(sides.at(9, y), 10 * y);

    // No side: nothing to fill from, nothing written.
    Canvas none;
    EXPECT_FALSE(FillFromBorders(none.block(), Canvas::kStride, 16, {}));
    EXPECT_EQ(none.at(0, 0), 0x55);
}

TEST(ConcealmentTest, BorderActivityIsThePictureStepPerLine) {
    Canvas flat;
    EXPECT_EQ(BorderActivity(flat.block(), Canvas::kStride, 16, {true, false, true, false}), 0);
    Canvas striped;  // rows above alternate 0 / 100; the columns to the left stay flat
    for (int x = -2; x < 16; ++x) {
        striped.set(x, -1, 0);
        striped.set(x, -2, 100);
    }
    EXPECT_EQ(BorderActivity(striped.block(), Canvas::kStride, 16, {true, false, false, false}),
              100);
    EXPECT_EQ(BorderActivity(striped.block(), Canvas::kStride, 16, {true, false, true, false}), 50);
    EXPECT_EQ(BorderActivity(striped.block(), Canvas::kStride, 16, {}), 0);
}

}  // namespace
