#include "media/recording_pair_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "media/frame_header.h"
#include "media/index_entry.h"

namespace media {

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string PairBaseName(int year1900, int month0, int day, int hour, int minute, int second) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d_%02d%02d%02d", year1900 + 1900, month0 + 1, day,
                  hour, minute, second);
    return text;
}

RecordingPairWriter::~RecordingPairWriter() {
    Close();
}

WriteError RecordingPairWriter::Open(const std::string& folder, const std::string& baseName) {
    Release();
    std::lock_guard guard(mutex_);
    dataPath_ = folder + baseName + ".umv";
    indexPath_ = folder + baseName + ".idx";
    dataSize_ = kickedSize_ = 0;
    constexpr int kCreate = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    dataFd_ = ::open(dataPath_.c_str(), kCreate, 0644);
    if (dataFd_ < 0) return errno == EEXIST ? WriteError::kExists : WriteError::kCannotCreate;
    indexFd_ = ::open(indexPath_.c_str(), kCreate, 0644);
    if (indexFd_ < 0) {
        const WriteError error = errno == EEXIST ? WriteError::kExists : WriteError::kCannotCreate;
        // The data file was created just now and is still empty: it goes again.
        ::close(dataFd_);
        dataFd_ = -1;
        ::unlink(dataPath_.c_str());
        return error;
    }
    return WriteError::kNone;
}

WriteError RecordingPairWriter::Append(const uint8_t* record, size_t size) {
    std::lock_guard guard(mutex_);
    if (dataFd_ < 0) return WriteError::kNotOpen;
    if (size < kFrameHeaderSize || RecordExtent(record) != size) return WriteError::kBadRecord;
    if (dataSize_ + size > UINT32_MAX) return WriteError::kFileTooLarge;

    const FrameHeader header = FrameHeader::Decode(record);
    uint8_t entry[kIndexEntrySize];
    IndexEntry::ForRecord(header, static_cast<uint32_t>(dataSize_)).Encode(entry);
    if (!WriteAll(dataFd_, record, size)) {
        // Leave the data file ending at the last whole record, so nothing after it is torn.
        if (ftruncate(dataFd_, static_cast<off_t>(dataSize_)) == 0)
            lseek(dataFd_, static_cast<off_t>(dataSize_), SEEK_SET);
        return WriteError::kCannotWrite;
    }
    dataSize_ += size;
    if (!WriteAll(indexFd_, entry, sizeof entry)) return WriteError::kCannotWrite;
    if (dataSize_ - kickedSize_ >= kWritebackStep) {
        // Start writing the data out now, so the sync at the end of each minute has little left
        // to wait for. Only a hint: its failure is not an error.
        sync_file_range(dataFd_, static_cast<off_t>(kickedSize_),
                        static_cast<off_t>(dataSize_ - kickedSize_), SYNC_FILE_RANGE_WRITE);
        kickedSize_ = dataSize_;
    }
    return WriteError::kNone;
}

WriteError RecordingPairWriter::Sync() {
    int data = -1, index = -1;
    {
        // The descriptors are duplicated so that a Close on another thread cannot pull them away
        // while the sync runs without the lock.
        std::lock_guard guard(mutex_);
        if (dataFd_ < 0) return WriteError::kNotOpen;
        data = ::dup(dataFd_);
        index = ::dup(indexFd_);
    }
    bool ok = data >= 0 && index >= 0;
    ok = ok && ::fdatasync(data) == 0;
    ok = ok && ::fdatasync(index) == 0;
    if (data >= 0) ::close(data);
    if (index >= 0) ::close(index);
    return ok ? WriteError::kNone : WriteError::kCannotWrite;
}

WriteError RecordingPairWriter::Close() {
    return Release();
}

WriteError RecordingPairWriter::Release() {
    int data = -1, index = -1;
    {
        std::lock_guard guard(mutex_);
        data = std::exchange(dataFd_, -1);
        index = std::exchange(indexFd_, -1);
    }
    bool ok = true;
    if (data >= 0) {
        ok = ::fdatasync(data) == 0 && ok;
        ok = ::close(data) == 0 && ok;
    }
    if (index >= 0) {
        ok = ::fdatasync(index) == 0 && ok;
        ok = ::close(index) == 0 && ok;
    }
    return ok ? WriteError::kNone : WriteError::kCannotWrite;
}

}  // namespace media
