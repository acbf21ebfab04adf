#include "media/recording_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/regular_file.h"

namespace media {
namespace {

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        char a = text[text.size() - n + i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != suffix[i]) return false;
    }
    return true;
}

std::string ReplaceExtension(const std::string& path, const char* ext) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
    return path.substr(0, dot) + ext;
}

class FdProbe : public DataFileProbe {
  public:
    FdProbe(int fd, uint64_t size) : fd_(fd), size_(size) {}
    uint64_t DataSize() const override { return size_; }
    bool ReadHeader(uint64_t offset, uint8_t* header) override {
        return pread(fd_, header, kFrameHeaderSize, static_cast<off_t>(offset)) ==
               static_cast<ssize_t>(kFrameHeaderSize);
    }

  private:
    int fd_;
    uint64_t size_;
};

}  // namespace

std::string DataPathForIndex(const std::string& indexPath) {
    return ReplaceExtension(indexPath, ".umv");
}
std::string IndexPathForData(const std::string& dataPath) {
    return ReplaceExtension(dataPath, ".idx");
}

RecordingFile::RecordingFile() = default;
RecordingFile::~RecordingFile() {
    Close();
}

void RecordingFile::Close() {
    if (dataFd_ >= 0) ::close(dataFd_);
    dataFd_ = -1;
    dataSize_ = 0;
    data_.Close();
    dataPath_.clear();
    index_.Clear();
}

OpenError RecordingFile::Open(const std::string& path, const BuildProgress& progress) {
    return EndsWithNoCase(path, ".idx") ? OpenPair(path, progress) : OpenData(path, progress);
}

OpenError RecordingFile::OpenPair(const std::string& indexPath, const BuildProgress& progress) {
    Close();
    const std::string dataPath = DataPathForIndex(indexPath);
    const int fd = platform::OpenRegularFile(dataPath);
    if (fd < 0) return OpenError::kCantOpen;
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        ::close(fd);
        return OpenError::kCantOpen;
    }
    platform::MappedFile indexMap;
    if (indexMap.Open(indexPath) != platform::MapError::kNone) {
        ::close(fd);
        return OpenError::kCantOpen;
    }
    const uint64_t dataSize = static_cast<uint64_t>(st.st_size);
    std::vector<uint8_t> head(std::min<uint64_t>(dataSize, kDataCheckBytes));
    uint8_t model = 0;
    if (pread(fd, head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()) ||
        !CheckDataStream(head, &model)) {
        ::close(fd);
        return OpenError::kImproperType;
    }
    index_.setModelCode(model);
    FdProbe probe(fd, dataSize);
    if (!index_.BuildFromIndex(indexMap.bytes(), &probe, progress)) {
        ::close(fd);
        return OpenError::kImproperType;
    }
    dataFd_ = fd;
    dataSize_ = dataSize;
    dataPath_ = dataPath;
    return OpenError::kNone;
}

OpenError RecordingFile::OpenData(const std::string& dataPath, const BuildProgress& progress) {
    Close();
    if (data_.Open(dataPath) != platform::MapError::kNone) return OpenError::kCantOpen;
    if (!CheckDataStream(data_.bytes(), nullptr)) {
        data_.Close();
        return OpenError::kImproperType;
    }
    index_.BuildFromData(data_.bytes(), progress);
    dataPath_ = dataPath;
    return OpenError::kNone;
}

bool RecordingFile::ReadAt(uint64_t offset, uint8_t* out, size_t size) {
    if (offset > dataSize_ || size > dataSize_ - offset) return false;
    size_t done = 0;
    while (done < size) {
        ssize_t n = pread(dataFd_, out + done, size - done, static_cast<off_t>(offset + done));
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool RecordingFile::ReadVideo(size_t i, FrameHeader* header, uint8_t* buffer, size_t* size) {
    if (i >= index_.frameCount()) return false;
    const FrameEntry& e = index_.frames()[i];
    if (isPair()) {
        uint8_t raw[kFrameHeaderSize];
        if (!ReadAt(e.offset, raw, sizeof raw)) return false;
        FrameHeader h = FrameHeader::Decode(raw);
        const size_t payload = size_t{h.length} * 32;
        if (payload > kMaxPayloadSize || !ReadAt(e.offset + kFrameHeaderSize, buffer, payload))
            return false;
        if (header) *header = h;
        *size = payload;
        return true;
    }
    if (!data_.IsOpen() || e.size > kMaxPayloadSize || e.offset > data_.size() ||
        data_.size() - e.offset < kFrameHeaderSize + uint64_t{e.size})
        return false;
    if (header) *header = FrameHeader::Decode(data_.data() + e.offset);
    std::memcpy(buffer, data_.data() + e.offset + kFrameHeaderSize, e.size);
    *size = e.size;
    return true;
}

int RecordingFile::ReadFlags(size_t i) {
    if (i >= index_.frameCount()) return -1;
    const FrameEntry& e = index_.frames()[i];
    if (e.hasFlags) return e.flags;
    uint8_t flags = 0;
    if (!isPair() || !ReadAt(e.offset + 3, &flags, 1)) return -1;
    return flags;
}

int RecordingFile::ReadAudio(size_t j, uint8_t* out) {
    if (j >= index_.audioCount()) return -1;
    const AudioEntry& a = index_.audio()[j];
    if (isPair()) {
        uint8_t raw[kFrameHeaderSize];
        if (!ReadAt(a.offset, raw, sizeof raw) ||
            !ReadAt(a.offset + kFrameHeaderSize, out, kAudioPayloadSize))
            return -1;
        return raw[0];
    }
    if (!data_.IsOpen() || a.offset > data_.size() ||
        data_.size() - a.offset < kFrameHeaderSize + kAudioPayloadSize)
        return -1;
    std::memcpy(out, data_.data() + a.offset + kFrameHeaderSize, kAudioPayloadSize);
    return data_.data()[a.offset];
}

}  // namespace media
