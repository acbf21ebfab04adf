// Picture output conversions, the de-interlacer and the YUY2-to-RGB converter on hand-made
// pictures, for every kernel set.
#include <gtest/gtest.h>

#include "tests/decoder/kernels/test_support.h"

namespace {

using namespace kerneltest;
using decoder::kernels::OutputSignedHeight;
using decoder::kernels::PlanarPicture;

// A small 4:2:0 picture with separate planes and strides wider than the picture.
struct Yuv {
    int width, height;
    std::vector<uint8_t> y, cb, cr;
    int yStride, cStride;
    Yuv(int w, int h) : width(w), height(h), yStride(w + 7), cStride((w + 1) / 2 + 5) {
        y.assign(static_cast<size_t>(yStride) * h, 0);
        cb.assign(static_cast<size_t>(cStride) * ((h + 1) / 2), 128);
        cr.assign(cb.size(), 128);
    }
    uint8_t& Y(int x, int r) { return y[static_cast<size_t>(r * yStride + x)]; }
    uint8_t& U(int x, int r) { return cb[static_cast<size_t>(r * cStride + x)]; }
    uint8_t& V(int x, int r) { return cr[static_cast<size_t>(r * cStride + x)]; }
    // Y = 10 row + column, U = 100 + 10 row + column, V = 200 + 10 row + column.
    void Ramp() {
        for (int r = 0; r < height; ++r) {
            for (int x = 0; x < width; ++x) {
                Y(x, r) = static_cast<uint8_t>(10 * r + x);
                U(x / 2, r / 2) = static_cast<uint8_t>(100 + 5 * (r & ~1) + x / 2);
                V(x / 2, r / 2) = static_cast<uint8_t>(200 + 5 * (r & ~1) + x / 2);
            }
        }
    }
    PlanarPicture picture() const {
        return {y.data(), cb.data(), cr.data(), yStride, cStride, width, height};
    }
};

class Convert : public testing::TestWithParam<const KernelSet*> {};

TEST_P(Convert, BlackAndWhiteToRgb) {
    Yuv in(16, 2);
    for (int x = 0; x < 16; ++x) {
        in.Y(x, 0) = 16;
        in.Y(x, 1) = 235;
    }
    std::vector<uint8_t> out(16 * 3 * 2, 0x55);
    GetParam()->convert[9](in.picture(), out.data(), 16, 2);  // 24-bit, top row first
    for (int x = 0; x < 16; ++x) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(out[3 * x + c], 0) << "black";
            EXPECT_GE(out[48 + 3 * x + c], 254) << "white";
        }
    }
}

TEST_P(Convert, ColoursFollowTheFixedPointFormula) {
    // Y 100, U 60, V 200: Y' = 672, U' = -544, V' = 576.
    // R = (672*9576 >> 16) + (576*13123 >> 16) = 98 + 115 = 213
    // G = 98 + (-544*-3218 >> 16) + (576*-6686 >> 16) = 98 + 26 - 59 = 65
    // B = 98 + (-544*16591 >> 16) = 98 - 138 -> 0
    Yuv in(2, 2);
    for (int i = 0; i < 2; ++i)
        in.Y(i, 0) = in.Y(i, 1) = 100;
    in.U(0, 0) = 60;
    in.V(0, 0) = 200;
    std::vector<uint8_t> out(2 * 4 * 2);
    GetParam()->convert[8](in.picture(), out.data(), 2, 2);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 65);
    EXPECT_EQ(out[2], 213);
    EXPECT_EQ(out[3], 255) << "32-bit pixels are opaque";
}

TEST_P(Convert, RowOrderFollowsTheSignOfTheHeight) {
    Yuv in(4, 4);
    for (int r = 0; r < 4; ++r) {
        for (int x = 0; x < 4; ++x)
            in.Y(x, r) = static_cast<uint8_t>(50 + 40 * r);
    }
    for (int format : {4, 5, 6, 7}) {
        const int bpp = decoder::kernels::OutputBytesPerPixel(format);
        std::vector<uint8_t> down(4 * 4 * static_cast<size_t>(bpp));
        std::vector<uint8_t> up(down.size());
        GetParam()->convert[format](in.picture(), up.data(), 4, OutputSignedHeight(format, 4));
        GetParam()->convert[format + 4](in.picture(), down.data(), 4,
                                        OutputSignedHeight(format + 4, 4));
        const size_t row = 4 * static_cast<size_t>(bpp);
        for (int r = 0; r < 4; ++r) {
            EXPECT_TRUE(std::equal(up.begin() + r * row, up.begin() + (r + 1) * row,
                                   down.begin() + (3 - r) * row))
                << "format " << format << " row " << r;
        }
        EXPECT_NE(down[0], down[3 * row]) << "rows differ, so the comparison means something";
    }
}

TEST_P(Convert, PackedLayoutsShareChromaBetweenTwoRows) {
    Yuv in(4, 4);
    in.Ramp();
    std::vector<uint8_t> yuy2(4 * 2 * 4 + 8, 0xAA);  // outStride 5 leaves slack
    GetParam()->convert[1](in.picture(), yuy2.data(), 5, 4);
    const uint8_t row3[] = {30, 110, 31, 210, 32, 111, 33, 211, 0xAA, 0xAA};
    EXPECT_TRUE(std::equal(std::begin(row3), std::end(row3), yuy2.begin() + 30));
    const uint8_t row0[] = {0, 100, 1, 200, 2, 101, 3, 201};
    EXPECT_TRUE(std::equal(std::begin(row0), std::end(row0), yuy2.begin()));

    std::vector<uint8_t> uyvy(4 * 2 * 4);
    GetParam()->convert[2](in.picture(), uyvy.data(), 4, 4);
    const uint8_t uyvyRow1[] = {100, 10, 200, 11, 101, 12, 201, 13};
    EXPECT_TRUE(std::equal(std::begin(uyvyRow1), std::end(uyvyRow1), uyvy.begin() + 8));
}

TEST_P(Convert, PlanarIsContiguousYThenCbThenCr) {
    Yuv in(6, 4);
    in.Ramp();
    std::vector<uint8_t> out(6 * 4 * 3 / 2 + 1, 0xAA);
    GetParam()->convert[3](in.picture(), out.data(), 6, 4);
    const uint8_t want[] = {0,   1,   2,   3,   4,   5,   10,  11,  12,  13,  14,  15,  20,
                            21,  22,  23,  24,  25,  30,  31,  32,  33,  34,  35,  100, 101,
                            102, 110, 111, 112, 200, 201, 202, 210, 211, 212, 0xAA};
    EXPECT_TRUE(std::equal(std::begin(want), std::end(want), out.begin()));
}

TEST_P(Convert, SixteenBitLayouts) {
    Yuv in(2, 2);
    for (int i = 0; i < 2; ++i)
        in.Y(i, 0) = in.Y(i, 1) = 235;  // white: 255, 255, 255
    std::vector<uint8_t> out(2 * 2 * 2);
    GetParam()->convert[10](in.picture(), out.data(), 2, 2);
    EXPECT_EQ(out[0] | out[1] << 8, 0xFFFF) << "RGB565";
    GetParam()->convert[11](in.picture(), out.data(), 2, 2);
    EXPECT_EQ(out[0] | out[1] << 8, 0x7FFF) << "RGB555";
    in.Y(0, 0) = in.Y(1, 0) = in.Y(0, 1) = in.Y(1, 1) = 100;
    in.U(0, 0) = 60;
    in.V(0, 0) = 200;  // B 0, G 65, R 213
    GetParam()->convert[10](in.picture(), out.data(), 2, 2);
    EXPECT_EQ(out[0] | out[1] << 8, (213 >> 3) << 11 | (65 >> 2) << 5);
    GetParam()->convert[11](in.picture(), out.data(), 2, 2);
    EXPECT_EQ(out[0] | out[1] << 8, (213 >> 3) << 10 | (65 >> 3) << 5);
}

TEST_P(Convert, EmptyPicturesWriteNothing) {
    Yuv in(4, 4);
    std::vector<uint8_t> out(64, 0xAA);
    for (int format = 1; format <= 11; ++format) {
        PlanarPicture p = in.picture();
        p.width = 0;
        GetParam()->convert[format](p, out.data(), 4, 4);
        GetParam()->convert[format](in.picture(), out.data(), 4, 0);
    }
    for (uint8_t b : out)
        ASSERT_EQ(b, 0xAA);
}

INSTANTIATE_TEST_SUITE_P(Sets, Convert, testing::ValuesIn(AllSets()), SetName());

// --- the renderer's conversions of packed YUY2 ---

std::vector<uint8_t> GreyYuy2(int width, int height, uint8_t y) {
    std::vector<uint8_t> v(static_cast<size_t>(width) * 2 * height);
    for (size_t i = 0; i < v.size(); i += 2) {
        v[i] = y;
        v[i + 1] = 128;
    }
    return v;
}

class Renderer : public testing::TestWithParam<const KernelSet*> {};

TEST_P(Renderer, FieldPicturesAreNotDeinterlaced) {
    Random rng(3);
    std::vector<uint8_t> in(704 * 2 * 240);
    rng.Fill(in);
    std::vector<uint8_t> out(in.size());
    GetParam()->deinterlace(in.data(), out.data(), 704 * 2, 704, 240);
    EXPECT_EQ(in, out);
}

TEST_P(Renderer, StaticPicturePassesUnchanged) {
    // Every column constant from top to bottom, so rows r - 1, r and r + 1 agree.
    std::vector<uint8_t> in(704 * 2 * 480);
    for (int r = 0; r < 480; ++r) {
        for (int x = 0; x < 704 * 2; ++x)
            in[static_cast<size_t>(r * 1408 + x)] = static_cast<uint8_t>(x * 37);
    }
    std::vector<uint8_t> out(in.size());
    GetParam()->deinterlace(in.data(), out.data(), 1408, 704, 480);
    EXPECT_EQ(in, out);
}

TEST_P(Renderer, CombingIsReplacedByTheAverage) {
    auto in = GreyYuy2(704, 480, 235);
    uint8_t* row5 = in.data() + 5 * 1408;
    for (int x = 0; x < 704; ++x)
        row5[2 * x] = 16;   // black odd row between white rows
    row5[2 * 10 + 1] = 90;  // its chroma byte is replaced too
    uint8_t* row8 = in.data() + 8 * 1408;
    row8[0] = 16;  // a black even row is never touched
    uint8_t* last = in.data() + 479 * 1408;
    last[0] = 16;  // nor the last row
    std::vector<uint8_t> out(in.size());
    GetParam()->deinterlace(in.data(), out.data(), 1408, 704, 480);
    for (int x = 0; x < 704; ++x) {
        ASSERT_EQ(out[5 * 1408 + 2 * x], 117 + 117) << x;
        ASSERT_EQ(out[5 * 1408 + 2 * x + 1], 128) << x;
    }
    EXPECT_EQ(out[8 * 1408], 16);
    EXPECT_EQ(out[479 * 1408], 16);
    EXPECT_EQ(out[7 * 1408], 235) << "odd row 7 lies next to the black row 8, but row 6 does not: "
                                     "m = (117 - 117) * (8 - 117) = 0";

    // In place gives the same picture.
    GetParam()->deinterlace(in.data(), in.data(), 1408, 704, 480);
    EXPECT_EQ(in, out);
}

TEST_P(Renderer, CombMeasureThreshold) {
    // Y above 200, below 100 (halves 100 and 50): m = (100 - yr)(50 - yr) - 625 * (2500 >> 12)
    // = (100 - yr)(50 - yr). yr = 53 (Y 106/107): 47 * -3 < 0 stays; yr = 109 (Y 218):
    // -9 * -59 = 531 > 73 is replaced; yr = 103: -3 * -53 = 159 is replaced; yr = 101:
    // -1 * -51 = 51 stays.
    auto in = GreyYuy2(8, 480, 0);
    const int above = 2 * 16, row = 3 * 16, below = 4 * 16;
    const uint8_t ys[] = {106, 218, 206, 202, 100, 200};
    const bool replaced[] = {false, true, true, false, false, false};
    for (int x = 0; x < 6; ++x) {
        in[static_cast<size_t>(above + 2 * x)] = 200;
        in[static_cast<size_t>(below + 2 * x)] = 100;
        in[static_cast<size_t>(row + 2 * x)] = ys[x];
    }
    std::vector<uint8_t> out(in.size());
    GetParam()->deinterlace(in.data(), out.data(), 16, 8, 480);
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(out[static_cast<size_t>(row + 2 * x)], replaced[x] ? 150 : ys[x]) << x;
    }
}

TEST_P(Renderer, Yuy2ToRgbIsBottomUpWithAveragedChroma) {
    // Two rows of two pairs: pair 0 has U 128 V 228, pair 1 U 128 V 28.
    const uint8_t in[2][8] = {{16, 128, 16, 228, 235, 128, 235, 28},
                              {126, 128, 126, 128, 126, 128, 126, 128}};
    uint8_t out[2][12 + 2];
    std::memset(out, 0xAA, sizeof(out));
    GetParam()->yuy2ToRgb(&in[0][0], 8, &out[0][0], 14, 4, 2);
    // Bottom-up: the first output row is the last source row; Y 126 is mid grey.
    const int grey = (19077 * 110 + 8192) >> 14;
    for (int c = 0; c < 12; ++c)
        EXPECT_EQ(out[0][c], grey) << c;
    EXPECT_EQ(out[0][12], 0xAA);
    // Pixel 0: Y 16 with V +100: R = (26150 * 100 + 8192) >> 14 = 160, G = (-13320*100 + 8192)>>14
    // < 0
    EXPECT_EQ(out[1][0], 0);
    EXPECT_EQ(out[1][1], 0);
    EXPECT_EQ(out[1][2], 160);
    // Pixel 1: chroma averaged with the next pair: V (228 + 28) >> 1 = 128, black.
    EXPECT_EQ(out[1][3] + out[1][4] + out[1][5], 0);
    // Pixel 3 (last): no next pair, its own V 28 (-100): G = (19077*219 + 1332000 + 8192) >> 14
    EXPECT_EQ(out[1][9], 255) << "B";
    EXPECT_EQ(out[1][10], 255) << "G";
    EXPECT_EQ(out[1][11], (19077 * 219 - 2615000 + 8192) >> 14) << "R";
}

INSTANTIATE_TEST_SUITE_P(Sets, Renderer, testing::ValuesIn(AllSets()), SetName());

}  // namespace
