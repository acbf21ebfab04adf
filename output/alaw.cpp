#include "output/alaw.h"

#include <array>

namespace output {
namespace {

constexpr int16_t Expand(uint8_t byte) {
    const int a = byte ^ 0x55;
    int t = (a & 0x0F) << 4;
    const int seg = (a >> 4) & 7;
    if (seg == 0) {
        t += 8;
    } else if (seg == 1) {
        t += 0x108;
    } else {
        t = (t + 0x108) << (seg - 1);
    }
    return static_cast<int16_t>((a & 0x80) ? t : -t);
}

constexpr std::array<int16_t, 256> MakeTable() {
    std::array<int16_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[static_cast<size_t>(i)] = Expand(static_cast<uint8_t>(i));
    return table;
}

constexpr std::array<int16_t, 256> kTable = MakeTable();

}  // namespace

int16_t alaw_to_pcm(uint8_t byte) {
    return kTable[byte];
}

void ExpandAlaw(const uint8_t* alaw, int16_t* pcm, size_t count) {
    for (size_t i = 0; i < count; ++i)
        pcm[i] = kTable[alaw[i]];
}

}  // namespace output
