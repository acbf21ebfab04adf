// The bit reader: reads across bytes, stops at the end of the frame, and finds the stuffing that
// ends a VOP.
#include "decoder/bit_reader.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(BitReaderTest, ReadsMostSignificantBitFirstAcrossBytes) {
    const uint8_t data[] = {0xA5, 0x3C, 0xFF, 0x01, 0x80, 0x00, 0x12, 0x34, 0x56, 0x78};
    decoder::BitReader r;
    r.begin_read(data, sizeof data);
    EXPECT_EQ(r.read_bits(3), 0b101u);
    EXPECT_EQ(r.peek_bits(9), 0b001010011u);
    EXPECT_EQ(r.read_bits(13), 0x053Cu);
    EXPECT_EQ(r.read_bits(32), 0xFF018000u);
    EXPECT_EQ(r.read_signed_bits(4), 1);
    EXPECT_EQ(r.read_signed_bits(4), 2);
    EXPECT_EQ(r.read_signed_bits(12), 0x345);
    r.setPosition(0);
    EXPECT_EQ(r.read_signed_bits(3), -3);
}

// Bits past the end read as zero, only from inside the buffer (a heap block of the exact size),
// and the overrun shows.
TEST(BitReaderTest, StopsAtTheEndOfTheFrame) {
    for (size_t size = 0; size <= 9; ++size) {
        std::unique_ptr<uint8_t[]> data(new uint8_t[size ? size : 1]);
        for (size_t i = 0; i < size; ++i)
            data[i] = 0xFF;
        decoder::BitReader r;
        r.begin_read(data.get(), size);
        for (size_t bit = 0; bit < size * 8; ++bit)
            EXPECT_EQ(r.read_bit(), 1);
        EXPECT_FALSE(r.overrun());
        EXPECT_TRUE(r.atEnd());
        EXPECT_EQ(r.peek_bits(32), 0u);
        r.skip_bits(1);
        EXPECT_TRUE(r.overrun());
        EXPECT_LT(r.bitsLeft(), 0);
    }
    decoder::BitReader none;
    none.begin_read(nullptr, 100);
    EXPECT_EQ(none.read_bits(32), 0u);
    EXPECT_TRUE(none.overrun());
}

// The quick test for stuffing agrees with reading the bits up to the boundary, at every bit of
// every byte value and in the byte past the end (which reads as zeros, and stays in bounds).
TEST(BitReaderTest, TellsStuffingUpToTheByteBoundary) {
    for (int value = 0; value < 256; ++value) {
        const uint8_t data[] = {static_cast<uint8_t>(value)};
        decoder::BitReader r;
        r.begin_read(data, sizeof data);
        for (size_t pos = 0; pos < 16; ++pos) {
            r.setPosition(pos);
            const int pad = static_cast<int>(8 - pos % 8);
            const bool stuffing = r.peek_bits(pad) == (1u << (pad - 1)) - 1;
            ASSERT_EQ(r.stuffingAhead(), stuffing) << value << " at bit " << pos;
        }
    }
}

TEST(BitReaderTest, LooksBehindVopStuffing) {
    // Aligned: a whole byte 0x7F of stuffing, then a start code.
    const uint8_t aligned[] = {0x7F, 0x00, 0x00, 0x01, 0xB6};
    decoder::BitReader r;
    r.begin_read(aligned, sizeof aligned);
    EXPECT_EQ(r.peek_after_stuffing(), 0u);
    // Three bits into a byte: 0 and four 1s up to the boundary.
    const uint8_t unaligned[] = {0xAF, 0x00, 0x00, 0x01};
    r.begin_read(unaligned, sizeof unaligned);
    r.skip_bits(3);
    EXPECT_EQ(r.peek_after_stuffing(), 0u);
    // Not stuffing: macroblock data goes on.
    const uint8_t data[] = {0xB7, 0x00, 0x00, 0x01};
    r.begin_read(data, sizeof data);
    r.skip_bits(3);
    EXPECT_NE(r.peek_after_stuffing(), 0u);
    // Stuffing, but no start code behind it.
    const uint8_t more[] = {0x7F, 0x00, 0x80, 0x01};
    r.begin_read(more, sizeof more);
    EXPECT_NE(r.peek_after_stuffing(), 0u);
}

}  // namespace
