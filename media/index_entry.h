// One 20-byte entry of a ".idx" file: where a record of the ".umv" file starts and what it is.
#pragma once

#include <cstddef>
#include <cstdint>

namespace media {

struct FrameHeader;

inline constexpr size_t kIndexEntrySize = 20;

struct IndexEntry {
    uint32_t offset = 0;  // of the record's header in the ".umv" file
    uint32_t time = 0;    // wall time of the record's own date and time fields
    uint32_t stamp = 0;
    uint8_t channel = 0;
    uint8_t kind = 0;
    uint8_t zero[6] = {};  // a reader rejects the index when any of these is not zero

    static IndexEntry Decode(const uint8_t* bytes);
    void Encode(uint8_t* bytes) const;
    // The entry the writer appends for a record whose header starts at `offset`.
    static IndexEntry ForRecord(const FrameHeader& header, uint32_t offset);
    bool ZeroBytesClear() const;
};

}  // namespace media
