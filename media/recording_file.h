// An opened recording: a ".umv"/".idx" pair or a ".umv" data file alone, with its FrameIndex and
// the reads the player makes while it plays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "media/frame_index.h"
#include "platform/mapped_file.h"

namespace media {

enum class OpenError {
    kNone = 0,
    kCantOpen,      // "File can't opened!"
    kImproperType,  // "Improper file type."
};

class RecordingFile {
  public:
    RecordingFile();
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // ".idx" (any case) opens the pair with the ".umv" of the same base name; anything else is
    // opened as a data file alone.
    OpenError Open(const std::string& path, const BuildProgress& progress = {});
    OpenError OpenPair(const std::string& indexPath, const BuildProgress& progress = {});
    OpenError OpenData(const std::string& dataPath, const BuildProgress& progress = {});
    void Close();

    bool isOpen() const { return dataFd_ >= 0 || data_.IsOpen(); }
    bool isPair() const { return dataFd_ >= 0; }
    const FrameIndex& index() const { return index_; }
    const std::string& dataPath() const { return dataPath_; }

    // Reads picture i of the frame list: its header and its payload into `buffer`, which holds
    // kMaxPayloadSize bytes. False when the record cannot be read or its payload is too large.
    bool ReadVideo(size_t i, FrameHeader* header, uint8_t* buffer, size_t* size);
    // The header flags of picture i (sizeCode, motion, sensor), or -1.
    int ReadFlags(size_t i);
    // Reads audio block j (2,048 bytes) into `out`; returns its channel, or -1.
    int ReadAudio(size_t j, uint8_t* out);

  private:
    bool ReadAt(uint64_t offset, uint8_t* out, size_t size);

    FrameIndex index_;
    std::string dataPath_;
    int dataFd_ = -1;  // pair: the data file, read with explicit offsets
    uint64_t dataSize_ = 0;
    platform::MappedFile data_;  // data file alone: mapped whole
};

// The ".umv" path of an ".idx" path (same base name).
std::string DataPathForIndex(const std::string& indexPath);
// The ".idx" path of a ".umv" path.
std::string IndexPathForData(const std::string& dataPath);

}  // namespace media
