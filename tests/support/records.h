// Building media frame records, index entries and whole recordings in memory for tests.
#pragma once

#include <cstdint>
#include <vector>

#include "media/frame_header.h"
#include "media/index_entry.h"
#include "media/wall_time.h"

namespace testsupport {

struct RecordSpec {
    int channel = 0;
    int kind = 0;
    uint32_t stamp = 0;
    int year = 108;  // 2008
    int month = 5;   // June
    int day = 1;
    int hour = 10;
    int minute = 0;
    int second = 0;
    uint16_t length = 1;  // payload units of 32 bytes (video)
    uint8_t flags = 0;
    uint8_t model = 5;
    uint8_t sync = 0xFF;
    uint8_t fill = 0;  // payload byte value (0 = derived from the stamp)
};

inline media::FrameHeader HeaderOf(const RecordSpec& s) {
    media::FrameHeader h;
    h.channel = static_cast<uint8_t>(s.channel);
    h.kind = static_cast<uint8_t>(s.kind);
    h.flags = s.flags;
    h.length = s.kind == 3 ? 64 : s.length;
    h.year = static_cast<uint8_t>(s.year);
    h.month = static_cast<uint8_t>(s.month);
    h.day = static_cast<uint8_t>(s.day);
    h.hour = static_cast<uint8_t>(s.hour);
    h.minute = static_cast<uint8_t>(s.minute);
    h.second = static_cast<uint8_t>(s.second);
    h.stamp = s.stamp;
    h.modelCode = s.model;
    for (uint8_t& b : h.sync)
        b = s.sync;
    return h;
}

// Header plus payload, the payload filled with a byte that identifies the record.
inline std::vector<uint8_t> MakeRecord(const RecordSpec& s) {
    const media::FrameHeader h = HeaderOf(s);
    std::vector<uint8_t> bytes(h.extent(), s.fill ? s.fill : static_cast<uint8_t>(s.stamp * 7 + 1));
    h.Encode(bytes.data());
    return bytes;
}

inline void Append(std::vector<uint8_t>* to, const std::vector<uint8_t>& bytes) {
    to->insert(to->end(), bytes.begin(), bytes.end());
}

// A data file and the index file the writer would have made for it.
struct Recording {
    std::vector<uint8_t> data;
    std::vector<uint8_t> index;

    void Add(const RecordSpec& s) {
        const std::vector<uint8_t> record = MakeRecord(s);
        uint8_t entry[media::kIndexEntrySize];
        media::IndexEntry::ForRecord(media::FrameHeader::Decode(record.data()),
                                     static_cast<uint32_t>(data.size()))
            .Encode(entry);
        Append(&data, record);
        index.insert(index.end(), entry, entry + sizeof entry);
    }
};

}  // namespace testsupport
