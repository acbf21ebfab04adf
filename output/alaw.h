// G.711 A-law expansion of the recorder's audio blocks into 16-bit PCM.
#pragma once

#include <cstddef>
#include <cstdint>

namespace output {

// One A-law byte as a signed 16-bit sample.
int16_t alaw_to_pcm(uint8_t byte);

// Expands `count` A-law bytes into `count` samples (table lookups only).
void ExpandAlaw(const uint8_t* alaw, int16_t* pcm, size_t count);

}  // namespace output
