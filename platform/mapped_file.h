// Read-only memory mapping of a whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace platform {

enum class MapError {
    kNone = 0,
    kCannotOpen,  // missing, unreadable or not a regular file
    kEmpty,       // a zero-length file has nothing to map
    kCannotMap,
};

class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps the whole file. Missing and empty files are errors; any earlier mapping is released.
    MapError Open(const std::string& path);
    void Close();

    bool IsOpen() const { return data_ != nullptr; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    std::span<const uint8_t> bytes() const { return {data_, size_}; }

  private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace platform
