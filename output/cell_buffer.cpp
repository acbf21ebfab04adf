#include "output/cell_buffer.h"

#include <cstring>

namespace output {

CellBuffer::CellBuffer() {
    for (auto& b : buffers_)
        b = std::make_unique<uint8_t[]>(kPictureBufferSize);  // value-initialised: zero
}

void CellBuffer::Publish() {
    std::lock_guard lock(mutex_);
    front_ = 1 - front_;
}

void CellBuffer::Clear() {
    std::lock_guard lock(mutex_);
    for (auto& b : buffers_)
        std::memset(b.get(), 0, kPictureBufferSize);
}

}  // namespace output
