// The picture of one cell, double-buffered: the decoder writes the back buffer while views read
// the front one, and a finished picture becomes the front under the cell's lock, so a view never
// sees a half-written picture and the decoder never waits for more than that swap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace output {

// The largest picture in 24-bit RGB: 704 x 576 x 3.
inline constexpr size_t kPictureBufferSize = 704 * 576 * 3;

class CellBuffer {
  public:
    CellBuffer();

    // Where the next picture is written (only the decoding thread touches it).
    uint8_t* back() { return buffers_[1 - front_].get(); }
    // The back buffer becomes the picture shown.
    void Publish();
    // Both buffers zeroed (a cell that shows nothing yet).
    void Clear();

    // Readers hold the lock while they read front().
    std::unique_lock<std::mutex> Lock() const { return std::unique_lock(mutex_); }
    const uint8_t* front() const { return buffers_[front_].get(); }

  private:
    mutable std::mutex mutex_;
    std::unique_ptr<uint8_t[]> buffers_[2];
    int front_ = 0;
};

}  // namespace output
