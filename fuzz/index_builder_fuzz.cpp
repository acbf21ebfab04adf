// Arbitrary ".idx" bytes against a data file built from the same input: the first byte picks
// where the input splits into index and data.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "media/frame_index.h"

namespace {

class SpanProbe : public media::DataFileProbe {
  public:
    explicit SpanProbe(std::span<const uint8_t> data) : data_(data) {}
    uint64_t DataSize() const override { return data_.size(); }
    bool ReadHeader(uint64_t offset, uint8_t* out) override {
        if (offset > data_.size() || data_.size() - offset < 24) return false;
        std::memcpy(out, data_.data() + offset, 24);
        return true;
    }

  private:
    std::span<const uint8_t> data_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t split = std::min<size_t>(size - 1, size_t{data[0]} * 20);
    std::span<const uint8_t> index(data + 1, split);
    std::span<const uint8_t> file(data + 1 + split, size - 1 - split);
    static media::FrameIndex built;
    SpanProbe probe(file);
    if (built.BuildFromIndex(index, &probe)) {
        for (const auto& e : built.frames())
            if (e.channel >= 16 || e.kind > 2) __builtin_trap();
    }
    media::CheckDataStream(file, nullptr);
    return 0;
}
