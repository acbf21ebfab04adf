// Single-picture files beside the recordings. A still image is a JPEG picture followed by an
// 11-byte trailer with the picture's date and time; its name carries the recorder name, the
// capture time, the channel and a keyword. A ".ums" file holds one media frame record: a 24-byte
// header and one coded picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "media/frame_header.h"
#include "media/wall_time.h"

namespace media {

inline constexpr size_t kStillTrailerSize = 11;

struct StillTrailer {
    uint8_t tag = 0;           // not interpreted
    bool timePresent = false;  // the time is valid (and the still may carry a watermark)
    CivilTime time;            // full year, month 1..12

    void Encode(uint8_t* out) const;  // kStillTrailerSize bytes; the year little-endian
    static StillTrailer Decode(const uint8_t* bytes);
    // A trailer with the time present.
    static StillTrailer At(const CivilTime& time);
};

// "%s%s,%s,%s,%s.jpg": folder (ending in a separator), recorder name, capture time as
// "%y%m%d_%H%M%S", channel 1..16 (0 for "M", several channels shown), keyword.
std::string StillName(const std::string& folder, const std::string& recorderName,
                      const CivilTime& captureTime, int channel, const std::string& keyword);
// The readers' rule for a still's file name (without its folder): longer than 20 characters,
// and six digits after the first comma (or, failing that, at the first comma + 8).
bool IsStillName(std::string_view fileName);

struct StillNameFields {
    std::string recorderName;
    std::string captureTime;  // "yymmdd_hhmmss" as written
    std::string channel;      // "1".."16" or "M"
    std::string keyword;
};
// Splits a still's file name (without its folder) into its fields; false when it does not
// follow the still-name rule.
bool ParseStillName(std::string_view fileName, StillNameFields* out);

// Where the JPEG picture of a still file lies: from the last start-of-image marker before the
// first end-of-image marker to that marker inclusive. The trailer follows the end-of-image
// marker, and counts only when the picture starts at the beginning of the file.
struct JpegLocation {
    bool found = false;  // a start-of-image marker was seen
    size_t start = 0;
    size_t end = 0;  // one past the end-of-image marker (the file's end when there is none)
    bool hasTrailer = false;
    StillTrailer trailer;

    std::span<const uint8_t> jpeg(std::span<const uint8_t> file) const {
        return file.subspan(start, end - start);
    }
};
JpegLocation LocateJpeg(std::span<const uint8_t> file);

enum class StillError {
    kNone = 0,
    kCantOpen,      // "File can't opened!"
    kImproperType,  // "Improper file type."
    kTooBig,        // "The file size is too big!"
    kCannotWrite,
};
inline constexpr const char* kFileSizeTooBig = "The file size is too big!";

// Writes JPEG data and the trailer behind it. The file appears whole or not at all.
StillError WriteStill(const std::string& path, std::span<const uint8_t> jpeg,
                      const StillTrailer& trailer);

// A ".ums" file's record: the header, and the payload (file size minus 24 bytes, whatever the
// header's length field says). The payload must be smaller than the player's frame buffer; the
// header must be a well-formed video header.
struct UmsRecord {
    FrameHeader header;
    std::span<const uint8_t> payload;
};
StillError ParseUms(std::span<const uint8_t> file, UmsRecord* out);
// Reads a ".ums" file into `buffer` (kMaxPayloadSize bytes).
StillError ReadUms(const std::string& path, FrameHeader* header, uint8_t* buffer, size_t* size);

// True for names of recording and single-frame files ("umv", "idx", "ums" endings), which carry
// no watermark.
bool IsVideoFileName(std::string_view path);

}  // namespace media
