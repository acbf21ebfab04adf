// Numbered A-law blocks for the audio tests: block n is filled with a byte pattern of its own,
// so the samples a device received tell which blocks arrived and in what order.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "output/alaw.h"
#include "output/audio_out.h"

namespace testsupport {

inline std::array<uint8_t, output::kAlawBlockSize> AudioBlock(int n) {
    std::array<uint8_t, output::kAlawBlockSize> b{};
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<uint8_t>((n * 37 + i * 3) & 0xFF);
    return b;
}

// The recording's audio records 0..count-1; Resync jumps to `resyncTo`.
class NumberedSource final : public output::AudioBlockSource {
  public:
    explicit NumberedSource(int count) : count_(count) {}
    void Resync() override {
        next_ = resyncTo;
        ++resyncs;
    }
    bool Next(uint8_t* alaw) override {
        if (next_ >= count_) return false;
        const auto b = AudioBlock(next_++);
        std::copy(b.begin(), b.end(), alaw);
        return true;
    }
    int next() const { return next_; }
    int resyncTo = 0;
    int resyncs = 0;

  private:
    int count_;
    int next_ = 0;
};

}  // namespace testsupport
