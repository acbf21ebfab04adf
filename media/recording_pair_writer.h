// Writes a ".umv"/".idx" pair: every record goes to the data file first, then its index entry,
// so a pair cut short by a crash still opens up to its last complete record. Each writer has its
// own lock, held only while its files change hands or a record is appended; pushing to the disk
// (fdatasync) is done outside it, so a slow disk never stalls another writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace media {

enum class WriteError {
    kNone = 0,
    kCannotCreate,  // a file of the pair could not be created
    kCannotWrite,   // a write failed (disk full, I/O error)
    kBadRecord,     // not a whole record (header plus the payload its header announces)
    kNotOpen,
    kFileTooLarge,  // offsets of a data file must fit in 32 bits
    kExists,        // a file of the pair exists already; it is left as it was
};

class RecordingPairWriter {
  public:
    RecordingPairWriter() = default;
    ~RecordingPairWriter();
    RecordingPairWriter(const RecordingPairWriter&) = delete;
    RecordingPairWriter& operator=(const RecordingPairWriter&) = delete;

    // Creates folder + baseName + ".umv" and ".idx". A file of either name that exists already is
    // never replaced: the open fails with kExists and both files stay as they were. The folder
    // must exist and end with '/'.
    WriteError Open(const std::string& folder, const std::string& baseName);
    // Appends one record (24-byte header and its payload, exactly as received) and its index
    // entry.
    WriteError Append(const uint8_t* record, size_t size);
    // Pushes what was written to the disk (fdatasync of both files).
    WriteError Sync();
    // Syncs and closes both files.
    WriteError Close();

    bool isOpen() const {
        std::lock_guard lock(mutex_);
        return dataFd_ >= 0;
    }
    uint64_t dataSize() const { return dataSize_; }
    const std::string& dataPath() const { return dataPath_; }
    const std::string& indexPath() const { return indexPath_; }

  private:
    // Takes both files out of the writer (under its lock) and syncs and closes them.
    WriteError Release();

    // Written data is handed to the disk in steps of this size as it accumulates.
    static constexpr uint64_t kWritebackStep = 4u << 20;

    mutable std::mutex mutex_;
    int dataFd_ = -1;
    int indexFd_ = -1;
    uint64_t dataSize_ = 0;
    uint64_t kickedSize_ = 0;  // data handed to the disk so far
    std::string dataPath_;
    std::string indexPath_;
};

// Writes every byte to a file descriptor, retrying interrupted writes; false on any failure.
bool WriteAll(int fd, const uint8_t* data, size_t size);

// "%04d%02d%02d_%02d%02d%02d" of a header's date and time (year + 1900, month + 1).
std::string PairBaseName(int year1900, int month0, int day, int hour, int minute, int second);

}  // namespace media
