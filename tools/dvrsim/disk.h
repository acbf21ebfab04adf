// The simulated recorder's disk: every recording pair under a folder, in time order, seen the way
// a recorder lists its own recordings. Each channel's pictures of a pair form recorder files,
// split where the channel's event type changes at an Intra picture, and named like
//
//   /hdda/recs/20260314/ch02/260314_095955_02_M.umv
//   0         1         2    ^25          ^39
//
// (characters 25..37 hold the start time, 39..40 the 0-based channel, the name is 22 characters).
// The disk answers event searches (MODE 4) with one line per file:
//
//   PATH,END,BYTES,EVENT\n     END = YYMMDDhhmmss of the file's last picture, EVENT 0/1/2
//
// and the recording calendar (MODE 7) in the format of a ".cdb" calendar file: the 439-byte
// calendar header (channel count, recorder name, channel titles) followed by one 20-byte day
// entry per recorded minute of the whole disk, in time order (big-endian minute, channel mask,
// the sixteen 2-bit causes, zeros).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "media/calendar_file.h"
#include "media/frame_header.h"

namespace dvrsim {

struct DiskRecord {
    media::FrameHeader header;  // as stored
    std::vector<uint8_t> payload;
    int64_t time = 0;  // wall time; a Predicted picture has its channel's last Intra time
};

struct DiskFile {
    std::string path;
    int channel = 0;
    int event = 0;  // 0 forced, 1 motion, 2 sensor
    int64_t start = 0;
    int64_t end = 0;
    size_t first = 0;  // disk indices of its first and last picture
    size_t last = 0;
    uint64_t bytes = 0;
};

class Disk {
  public:
    // Every ".umv" under `path` (a folder, searched recursively) or the one recording `path`
    // names. False with a reason when a file cannot be read.
    bool Load(const std::string& path, std::string* error);

    const std::vector<DiskRecord>& records() const { return records_; }
    const std::vector<DiskFile>& files() const { return files_; }
    bool empty() const { return records_.empty(); }
    // Channels of the recorder that made the recordings: 4, 8 or 16 by the model code.
    int channelCount() const;

    // Adds the records of one recording's data file (as its bytes) and lists the files again.
    void AddData(std::span<const uint8_t> bytes);

    const DiskFile* FindFile(const std::string& path) const;
    // The first record at or after `time`; records().size() when there is none.
    size_t FirstAtOrAfter(int64_t time) const;

    // The event search answer. `channel` 0..15 selects one channel (any other value: all);
    // `event` 1 motion or 2 sensor selects one event type (any other value: all).
    std::string Search(int64_t from, int64_t to, int channel, int event) const;
    // The recording calendar answer.
    std::vector<uint8_t> Calendar(const media::CalendarHeader& header) const;

    // The path of a recorder file.
    static std::string FilePath(int64_t start, int channel, int event);

  private:
    bool LoadData(const std::string& path, std::string* error);
    void AddRecords(std::span<const uint8_t> bytes);
    void BuildFiles();

    std::vector<DiskRecord> records_;
    std::vector<DiskFile> files_;
    std::vector<size_t> pairStarts_;  // index of each pair's first record
};

// "YYMMDDhhmmss" (or "YYYYMMDDhhmmss") as a wall time; false when malformed.
bool ParseRecorderTime(const std::string& text, int64_t* out);
// A wall time as "YYMMDDhhmmss".
std::string RecorderTimeText(int64_t time);

}  // namespace dvrsim
