#include "media/frame_header.h"
#include <initializer_list>

namespace media {
namespace {

uint16_t Be16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
void PutBe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

}  // namespace

FrameHeader FrameHeader::Decode(const uint8_t* b) {
    FrameHeader h;
    h.channel = b[0];
    h.kind = b[1];
    h.sync[0] = b[2];
    h.flags = b[3];
    h.length = Be16(b + 4);
    h.year = b[6];
    h.month = b[7];
    h.sync[1] = b[8];
    h.day = b[9];
    h.hour = b[10];
    h.sync[2] = b[11];
    h.minute = b[12];
    h.second = b[13];
    h.sync[3] = b[14];
    h.cause = b[15];
    h.stamp = StampOf(b);
    h.videoLoss = Be16(b + 18);
    h.modelCode = b[22];
    h.reserved = b[23];
    return h;
}

void FrameHeader::Encode(uint8_t* b) const {
    b[0] = channel;
    b[1] = kind;
    b[2] = sync[0];
    b[3] = flags;
    PutBe16(b + 4, length);
    b[6] = year;
    b[7] = month;
    b[8] = sync[1];
    b[9] = day;
    b[10] = hour;
    b[11] = sync[2];
    b[12] = minute;
    b[13] = second;
    b[14] = sync[3];
    b[15] = cause;
    PutBe16(b + 16, static_cast<uint16_t>(stamp >> 16));
    PutBe16(b + 18, videoLoss);
    PutBe16(b + 20, static_cast<uint16_t>(stamp));
    b[22] = modelCode;
    b[23] = reserved;
}

size_t FrameHeader::payloadSize() const {
    if (channel >= kChannelCount || kind <= 2) return size_t{length} * 32;
    if (kind == 3) return kAudioPayloadSize;
    return 0;
}

size_t RecordExtent(const uint8_t* h) {
    const size_t length = Be16(h + 4);
    if (h[0] >= kChannelCount || h[1] <= 2) return kFrameHeaderSize + length * 32;
    if (h[1] == 3) return kFrameHeaderSize + kAudioPayloadSize;
    return kFrameHeaderSize;
}

bool IsWellFormed(const uint8_t* h) {
    if (h[22] < 3) return false;
    const uint8_t s = h[2];
    if (s != 0x00 && s != 0xFF) return false;
    return h[8] == s && h[11] == s && h[14] == s;
}

PictureSize PictureSizeOf(int sizeCode) {
    switch (sizeCode) {
        case 0:
            return {704, 240, true};
        case 1:
            return {352, 240, true};
        case 2:
            return {704, 480, true};
        case 4:
            return {704, 288, true};
        case 5:
            return {352, 288, true};
        case 6:
            return {704, 576, true};
        default:
            return {704, 576, false};
    }
}

int SizeCodeOf(int width, int height) {
    for (int code : {0, 1, 2, 4, 5, 6}) {
        PictureSize s = PictureSizeOf(code);
        if (s.width == width && s.height == height) return code;
    }
    return -1;
}

uint8_t SizeCodeFlags(int sizeCode) {
    return static_cast<uint8_t>(((sizeCode & 3) << 1) | ((sizeCode & 4) ? 0x40 : 0));
}

}  // namespace media
