#include "media/frame_header.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/records.h"

namespace {

using media::FrameHeader;

TEST(FrameHeader, DecodeEncodeIsIdentityOnAnyBytes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        uint8_t raw[24], back[24];
        for (uint8_t& b : raw)
            b = static_cast<uint8_t>(rng());
        FrameHeader::Decode(raw).Encode(back);
        ASSERT_EQ(0, memcmp(raw, back, 24)) << "round " << round;
    }
}

TEST(FrameHeader, StampSkipsTheVideoLossMask) {
    uint8_t raw[24] = {};
    raw[16] = 0x00, raw[17] = 0x01, raw[18] = 0xFF, raw[19] = 0xFF, raw[20] = 0x00, raw[21] = 0x02;
    FrameHeader h = FrameHeader::Decode(raw);
    EXPECT_EQ(h.stamp, 65538u);
    EXPECT_EQ(h.videoLoss, 0xFFFF);
    EXPECT_EQ(media::StampOf(raw), 65538u);
}

TEST(FrameHeader, RecordExtentByKindAndChannel) {
    uint8_t raw[24] = {};
    raw[1] = 3;  // audio with length 0 still holds 2,048 bytes
    EXPECT_EQ(media::RecordExtent(raw), 24u + 2048u);
    raw[0] = 200, raw[1] = 0, raw[5] = 3;  // skipped channel steps over its length
    EXPECT_EQ(media::RecordExtent(raw), 24u + 96u);
    raw[0] = 2, raw[1] = 1, raw[4] = 0x01, raw[5] = 0x00;  // 256 units
    EXPECT_EQ(media::RecordExtent(raw), 24u + 8192u);
    raw[1] = 9;  // unknown kinds carry no payload
    EXPECT_EQ(media::RecordExtent(raw), 24u);
    raw[0] = 16;  // ... unless the channel marks the record as skipped
    EXPECT_EQ(media::RecordExtent(raw), 24u + 8192u);
    EXPECT_EQ(FrameHeader::Decode(raw).extent(), media::RecordExtent(raw));
}

TEST(FrameHeader, WellFormedNeedsConsistentSyncAndModelCode) {
    testsupport::RecordSpec fields;
    auto bytes = testsupport::MakeRecord(fields);
    EXPECT_TRUE(media::IsWellFormed(bytes.data()));
    fields.sync = 0x00;
    bytes = testsupport::MakeRecord(fields);
    EXPECT_TRUE(media::IsWellFormed(bytes.data()));
    bytes[2] = 0xFF;  // bytes 2 = 0xFF but 8, 11, 14 = 0x00
    EXPECT_FALSE(media::IsWellFormed(bytes.data()));
    bytes = testsupport::MakeRecord(fields);
    bytes[11] = 0x7F;
    EXPECT_FALSE(media::IsWellFormed(bytes.data()));
    fields.sync = 0x80;
    EXPECT_FALSE(media::IsWellFormed(testsupport::MakeRecord(fields).data()));
    fields.sync = 0xFF;
    fields.model = 2;
    EXPECT_FALSE(media::IsWellFormed(testsupport::MakeRecord(fields).data()));
    fields.model = 3;
    EXPECT_TRUE(media::IsWellFormed(testsupport::MakeRecord(fields).data()));
}

TEST(FrameHeader, SizeCodeSelectsThePictureSize) {
    FrameHeader h;
    h.flags = 0x46;  // bits 1, 2 and 6
    EXPECT_EQ(h.sizeCode(), 7);
    EXPECT_FALSE(media::PictureSizeOf(7).known);
    EXPECT_EQ(media::PictureSizeOf(7).width, 704);
    EXPECT_EQ(media::PictureSizeOf(7).height, 576);
    h.flags = 0x40;
    EXPECT_EQ(h.sizeCode(), 4);
    EXPECT_EQ(media::PictureSizeOf(4).height, 288);
    EXPECT_FALSE(media::PictureSizeOf(3).known);
    for (int code : {0, 1, 2, 4, 5, 6}) {
        const media::PictureSize s = media::PictureSizeOf(code);
        EXPECT_TRUE(s.known);
        EXPECT_EQ(media::SizeCodeOf(s.width, s.height), code);
        h.flags = media::SizeCodeFlags(code) | 0x39;  // other bits do not disturb the code
        EXPECT_EQ(h.sizeCode(), code);
    }
    EXPECT_EQ(media::SizeCodeOf(640, 480), -1);
}

TEST(FrameHeader, FlagBits) {
    FrameHeader h;
    h.flags = 0x39;
    EXPECT_TRUE(h.hasAudio());
    EXPECT_TRUE(h.motion());
    EXPECT_TRUE(h.sensor());
    EXPECT_TRUE(h.liveState());
    h.cause = 0x2B;  // playback state 5, cause 3
    EXPECT_EQ(h.recordCause(), 3);
    EXPECT_EQ(h.playbackState(), 5);
}

}  // namespace
