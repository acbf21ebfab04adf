#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/regular_file.h"

namespace platform {

MappedFile::~MappedFile() {
    Close();
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        Close();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void MappedFile::Close() {
    if (data_ != nullptr) munmap(const_cast<uint8_t*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

MapError MappedFile::Open(const std::string& path) {
    Close();
    const int fd = OpenRegularFile(path);
    if (fd < 0) return MapError::kCannotOpen;
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        ::close(fd);
        return MapError::kCannotOpen;
    }
    if (st.st_size == 0) {
        ::close(fd);
        return MapError::kEmpty;
    }
    void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED) return MapError::kCannotMap;
    data_ = static_cast<const uint8_t*>(p);
    size_ = static_cast<size_t>(st.st_size);
    return MapError::kNone;
}

}  // namespace platform
