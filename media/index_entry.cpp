#include "media/index_entry.h"

#include "media/byte_order.h"
#include "media/frame_header.h"
#include "media/wall_time.h"

namespace media {
IndexEntry IndexEntry::Decode(const uint8_t* b) {
    IndexEntry e;
    e.offset = Be32(b);
    e.time = Be32(b + 4);
    e.stamp = Be32(b + 8);
    e.channel = b[12];
    e.kind = b[13];
    for (int i = 0; i < 6; ++i)
        e.zero[i] = b[14 + i];
    return e;
}

void IndexEntry::Encode(uint8_t* b) const {
    PutBe32(b, offset);
    PutBe32(b + 4, time);
    PutBe32(b + 8, stamp);
    b[12] = channel;
    b[13] = kind;
    for (int i = 0; i < 6; ++i)
        b[14 + i] = zero[i];
}

IndexEntry IndexEntry::ForRecord(const FrameHeader& h, uint32_t offset) {
    IndexEntry e;
    e.offset = offset;
    e.time = WallTime32(h);
    e.stamp = h.stamp;
    e.channel = h.channel;
    e.kind = h.kind;
    return e;
}

bool IndexEntry::ZeroBytesClear() const {
    for (uint8_t b : zero)
        if (b != 0) return false;
    return true;
}

}  // namespace media
