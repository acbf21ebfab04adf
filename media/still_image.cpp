#include "media/still_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "media/recording_pair_writer.h"
#include "platform/mapped_file.h"

namespace media {
namespace {

bool AllDigits(std::string_view text, size_t at, size_t count) {
    if (at + count > text.size()) return false;
    for (size_t i = at; i < at + count; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) !=
            tail[i])
            return false;
    return true;
}

}  // namespace

void StillTrailer::Encode(uint8_t* out) const {
    std::memset(out, 0, kStillTrailerSize);
    out[0] = tag;
    out[1] = timePresent ? 1 : 0;
    out[4] = static_cast<uint8_t>(time.year);
    out[5] = static_cast<uint8_t>(time.year >> 8);
    out[6] = static_cast<uint8_t>(time.month);
    out[7] = static_cast<uint8_t>(time.day);
    out[8] = static_cast<uint8_t>(time.hour);
    out[9] = static_cast<uint8_t>(time.minute);
    out[10] = static_cast<uint8_t>(time.second);
}

StillTrailer StillTrailer::Decode(const uint8_t* b) {
    StillTrailer t;
    t.tag = b[0];
    t.timePresent = b[1] != 0;
    t.time.year = b[4] | (b[5] << 8);
    t.time.month = b[6];
    t.time.day = b[7];
    t.time.hour = b[8];
    t.time.minute = b[9];
    t.time.second = b[10];
    return t;
}

StillTrailer StillTrailer::At(const CivilTime& time) {
    StillTrailer t;
    t.timePresent = true;
    t.time = time;
    return t;
}

std::string StillName(const std::string& folder, const std::string& recorderName,
                      const CivilTime& captureTime, int channel, const std::string& keyword) {
    char time[32];
    std::snprintf(time, sizeof time, "%02d%02d%02d_%02d%02d%02d", captureTime.year % 100,
                  captureTime.month, captureTime.day, captureTime.hour, captureTime.minute,
                  captureTime.second);
    const std::string ch = channel >= 1 && channel <= 16 ? std::to_string(channel) : "M";
    return folder + recorderName + "," + time + "," + ch + "," + keyword + ".jpg";
}

bool IsStillName(std::string_view name) {
    if (name.size() <= 20) return false;
    const size_t comma = name.find(',');
    if (comma == std::string_view::npos) return false;
    return AllDigits(name, comma + 1, 6) || AllDigits(name, comma + 8, 6);
}

bool ParseStillName(std::string_view name, StillNameFields* out) {
    if (!IsStillName(name)) return false;
    if (EndsWithNoCase(name, ".jpg")) name.remove_suffix(4);
    std::string_view parts[4];
    for (int i = 0; i < 3; ++i) {
        const size_t comma = name.find(',');
        if (comma == std::string_view::npos) return false;
        parts[i] = name.substr(0, comma);
        name.remove_prefix(comma + 1);
    }
    parts[3] = name;
    *out = StillNameFields{std::string(parts[0]), std::string(parts[1]), std::string(parts[2]),
                           std::string(parts[3])};
    return true;
}

JpegLocation LocateJpeg(std::span<const uint8_t> file) {
    JpegLocation loc;
    const size_t n = file.size();
    size_t i = 0;
    for (; i + 1 < n; ++i) {
        if (file[i] != 0xFF) continue;
        if (file[i + 1] == 0xD8) {
            loc.found = true;
            loc.start = i;
        } else if (file[i + 1] == 0xD9 && loc.found) {
            break;
        }
    }
    if (!loc.found) return loc;
    if (i + 1 >= n) {
        loc.end = n;  // no end-of-image marker: the picture runs to the end, without trailer
        return loc;
    }
    loc.end = i + 2;
    if (loc.start == 0 && n - loc.end >= kStillTrailerSize) {
        loc.hasTrailer = true;
        loc.trailer = StillTrailer::Decode(file.data() + loc.end);
    }
    return loc;
}

StillError WriteStill(const std::string& path, std::span<const uint8_t> jpeg,
                      const StillTrailer& trailer) {
    uint8_t tail[kStillTrailerSize];
    trailer.Encode(tail);
    const std::string temp = path + ".part";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return StillError::kCannotWrite;
    bool ok = WriteAll(fd, jpeg.data(), jpeg.size()) && WriteAll(fd, tail, sizeof tail);
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return StillError::kCannotWrite;
    }
    return StillError::kNone;
}

StillError ParseUms(std::span<const uint8_t> file, UmsRecord* out) {
    if (file.size() <= kFrameHeaderSize) return StillError::kImproperType;
    if (file.size() - kFrameHeaderSize >= kMaxPayloadSize) return StillError::kTooBig;
    if (!IsWellFormed(file.data())) return StillError::kImproperType;
    const FrameHeader header = FrameHeader::Decode(file.data());
    if (!header.IsVideo() || header.IsSkipped()) return StillError::kImproperType;
    out->header = header;
    out->payload = file.subspan(kFrameHeaderSize);
    return StillError::kNone;
}

StillError ReadUms(const std::string& path, FrameHeader* header, uint8_t* buffer, size_t* size) {
    platform::MappedFile file;
    const platform::MapError error = file.Open(path);
    if (error == platform::MapError::kEmpty) return StillError::kImproperType;
    if (error != platform::MapError::kNone) return StillError::kCantOpen;
    UmsRecord record;
    const StillError parsed = ParseUms(file.bytes(), &record);
    if (parsed != StillError::kNone) return parsed;
    *header = record.header;
    std::memcpy(buffer, record.payload.data(), record.payload.size());
    *size = record.payload.size();
    return StillError::kNone;
}

bool IsVideoFileName(std::string_view path) {
    return EndsWithNoCase(path, "umv") || EndsWithNoCase(path, "idx") ||
           EndsWithNoCase(path, "ums");
}

}  // namespace media
