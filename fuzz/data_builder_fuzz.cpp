// Arbitrary ".umv" bytes through the data-file walk: every indexed payload must lie inside.
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/frame_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static media::FrameIndex index;
    std::span<const uint8_t> bytes(data, size);
    media::CheckDataStream(bytes, nullptr);
    index.BuildFromData(bytes);
    for (const auto& e : index.frames())
        if (e.offset + 24 + e.size > size) __builtin_trap();
    for (const auto& a : index.audio())
        if (a.offset + 24 + 2048 > size) __builtin_trap();
    return 0;
}
