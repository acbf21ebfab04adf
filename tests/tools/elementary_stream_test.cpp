#include "tools/umvtool/elementary_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <span>
#include <vector>

namespace {

using umvtool::EsFrame;

std::vector<uint8_t> Code(uint8_t code, std::vector<uint8_t> payload = {}) {
    payload.insert(payload.begin(), {uint8_t{0}, uint8_t{0}, uint8_t{1}, code});
    return payload;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(ElementaryStream, HeadersStayWithTheVopThatFollowsThem) {
    const auto vos = Code(0xB0, {0x01});
    const auto vo = Code(0x00);
    const auto vol = Code(0x20, {0x11, 0x22});
    const auto gov = Code(0xB3, {0x33});
    const auto iVop = Code(0xB6, {0x00, 0xAA});  // coding type 0
    const auto pVop = Code(0xB6, {0x40, 0xBB});  // 1
    const auto bVop = Code(0xB6, {0x80, 0xCC});  // 2
    const auto stream = Cat({vos, vo, vol, gov, iVop, pVop, bVop, gov, iVop, Code(0xB1)});
    const std::vector<EsFrame> frames = umvtool::SplitElementaryStream(stream);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].begin, 0u);
    EXPECT_EQ(frames[0].end, vos.size() + vo.size() + vol.size() + gov.size() + iVop.size());
    EXPECT_TRUE(frames[0].hasVol);
    EXPECT_EQ(frames[0].vopType, 0);
    EXPECT_EQ(frames[1].vopType, 1);
    EXPECT_EQ(frames[2].vopType, 2);
    EXPECT_FALSE(frames[3].hasVol);  // GOV + I-VOP without a VOL in front
    EXPECT_EQ(frames[3].vopType, 0);
    EXPECT_EQ(frames[3].end, stream.size());  // the end-of-sequence code joins the last frame
    EXPECT_EQ(frames[1].begin, frames[0].end);
    EXPECT_EQ(umvtool::VoVolHeaders(stream), Cat({vo, vol}));
}

TEST(ElementaryStream, PrefixesAreFoundAtEveryAlignmentAndNotPastTheEnd) {
    // A zero before the prefix, lone 01 bytes and 00 01 pairs in the payload, a VOP code as the
    // very last byte and a prefix with no code after it.
    const std::vector<uint8_t> first = {0, 0, 0, 1, 0xB6, 0x40, 1, 1, 0, 1, 0x01, 0, 1};
    const std::vector<uint8_t> second = {0, 0, 1, 0xB6, 0x80, 0, 0, 0, 0, 2, 1, 0};
    const std::vector<uint8_t> third = {0, 0, 1, 0xB6};
    const auto stream = Cat({first, second, third});
    const std::vector<EsFrame> frames = umvtool::SplitElementaryStream(stream);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].begin, 0u);
    EXPECT_EQ(frames[0].vopType, 1);
    EXPECT_EQ(frames[1].begin, first.size());
    EXPECT_EQ(frames[1].vopType, 2);
    EXPECT_EQ(frames[2].begin, first.size() + second.size());
    EXPECT_EQ(frames[2].end, stream.size());
    EXPECT_EQ(frames[2].vopType, 0);  // no byte after the code

    const std::vector<uint8_t> cut = {0, 0, 1, 0xB6, 0x40, 7, 0, 0, 1};
    const std::vector<EsFrame> one = umvtool::SplitElementaryStream(cut);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].end, cut.size());
    EXPECT_TRUE(umvtool::SplitElementaryStream(std::vector<uint8_t>{0, 0, 1}).empty());
}

// Prefixes at every offset of a longer stream, with near misses (a lone 00 before a 01, three
// zeros) around them, are found once each.
TEST(ElementaryStream, PrefixesAtEveryOffsetOfALongStream) {
    for (size_t offset = 0; offset < 40; ++offset) {
        std::vector<uint8_t> filler(offset, 0x55);
        for (size_t k = 2; k < filler.size(); k += 7)
            filler[k - 1] = 0, filler[k] = 1;  // 00 01 without the second zero
        const auto stream = Cat({filler, Code(0xB6, {0x40, 0x55, 0, 0, 0}), Code(0xB6, {0x80}),
                                 std::vector<uint8_t>(offset % 17, 0x77)});
        const std::vector<EsFrame> frames = umvtool::SplitElementaryStream(stream);
        ASSERT_EQ(frames.size(), 2u) << offset;
        // Three zeros of payload run into the second prefix: it starts at its own two zeros.
        EXPECT_EQ(frames[1].begin, offset + 8 + 1) << offset;
        EXPECT_EQ(frames[1].vopType, 2) << offset;
        EXPECT_EQ(frames[1].end, stream.size()) << offset;
    }
}

// The cursor hands out the frames one by one, a copy walks on by itself, and the end stays
// the end.
TEST(ElementaryStream, CursorCopiesWalkOnTheirOwn) {
    const auto stream = Cat({Code(0x20, {0x11}), Code(0xB6, {0x00}), Code(0xB6, {0x40}),
                             Code(0xB6, {0x80}), Code(0xB1)});
    umvtool::EsFrameSplitter cursor(stream);
    EsFrame f;
    ASSERT_TRUE(cursor.Next(&f));
    EXPECT_TRUE(f.hasVol);
    umvtool::EsFrameSplitter copy = cursor;
    ASSERT_TRUE(cursor.Next(&f));
    EXPECT_EQ(f.vopType, 1);
    ASSERT_TRUE(cursor.Next(&f));
    EXPECT_EQ(f.vopType, 2);
    EXPECT_EQ(f.end, stream.size());
    EXPECT_FALSE(cursor.Next(&f));
    EXPECT_FALSE(cursor.Next(&f));
    ASSERT_TRUE(copy.Next(&f));
    EXPECT_EQ(f.vopType, 1);
}

// A stream read from a file in pieces of any size is cut exactly as the whole stream in memory
// is, with each frame's bytes intact: prefixes, codes and the coding-type byte straddle every
// piece boundary somewhere.
TEST(ElementaryStream, FileReadInPiecesIsCutAsInMemory) {
    std::vector<uint8_t> stream = Cat({Code(0xB0, {0x01}), Code(0x00), Code(0x20, {0x11, 0x22})});
    for (size_t offset = 0; offset < 23; ++offset) {
        std::vector<uint8_t> payload(offset, 0x55);
        for (size_t k = 2; k < payload.size(); k += 5)
            payload[k - 1] = 0, payload[k] = 1;  // 00 01 without the second zero
        const auto part = Cat({Code(0xB6, {static_cast<uint8_t>(offset << 6)}), payload,
                               Code(0xB3, {0, 0, 0}), Code(0xB6, {0x80})});
        stream.insert(stream.end(), part.begin(), part.end());
    }
    stream.insert(stream.end(), {0, 0, 1, 0xB1, 0, 0});
    const std::vector<EsFrame> whole = umvtool::SplitElementaryStream(stream);
    ASSERT_EQ(whole.size(), 46u);

    for (size_t piece : {size_t{1}, size_t{2}, size_t{3}, size_t{4}, size_t{5}, size_t{7},
                         size_t{11}, size_t{64}, umvtool::EsFileSplitter::kPieceSize}) {
        std::FILE* file = fmemopen(stream.data(), stream.size(), "rb");
        ASSERT_NE(file, nullptr);
        umvtool::EsFileSplitter split(file, piece);
        size_t n = 0;
        for (EsFrame f; split.Next(&f); ++n) {
            ASSERT_LT(n, whole.size()) << piece;
            EXPECT_EQ(f.begin, whole[n].begin) << piece << " frame " << n;
            EXPECT_EQ(f.end, whole[n].end) << piece << " frame " << n;
            EXPECT_EQ(f.vopType, whole[n].vopType) << piece << " frame " << n;
            EXPECT_EQ(f.hasVol, whole[n].hasVol) << piece << " frame " << n;
            const std::span<const uint8_t> bytes = split.Bytes(f);
            ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), stream.begin() + f.begin,
                                   stream.begin() + f.end))
                << piece << " frame " << n;
        }
        EXPECT_EQ(n, whole.size()) << piece;
        EXPECT_FALSE(split.failed());
        std::fclose(file);
    }
}

// A file that cannot be read (a folder) gives no frames and says so.
TEST(ElementaryStream, UnreadableFileIsAFailureNotAnEmptyStream) {
    std::FILE* folder = std::fopen(".", "rb");
    ASSERT_NE(folder, nullptr);
    umvtool::EsFileSplitter split(folder);
    EsFrame f;
    EXPECT_FALSE(split.Next(&f));
    EXPECT_TRUE(split.failed());
    std::fclose(folder);
}

TEST(ElementaryStream, NoVopNoFrames) {
    EXPECT_TRUE(umvtool::SplitElementaryStream(Cat({Code(0x00), Code(0x20)})).empty());
    EXPECT_TRUE(umvtool::SplitElementaryStream({}).empty());
    umvtool::VolInfo info;
    EXPECT_FALSE(umvtool::FindVolInfo(std::vector<uint8_t>{0, 0, 1, 0x20}, &info));
}

}  // namespace
