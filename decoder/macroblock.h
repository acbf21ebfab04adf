// Decoding the macroblocks of one VOP into the instance's target picture. Internal to the decoder.
#pragma once

#include <cstdint>

#include "decoder/decoder_state.h"

namespace decoder {

// The planes of one edged picture, at their visible origins.
struct PicturePlanes {
    uint8_t* y;
    uint8_t* cb;
    uint8_t* cr;
};

struct VopContext {
    DecoderState* state;
    const DecoderTables* tables;
    BitReader* reader;
    PicturePlanes target;
    PicturePlanes forward;   // I/P: the previous reference; B: the older reference
    PicturePlanes backward;  // B: the newer reference
};

// Decodes every macroblock of the VOP whose header was just parsed. Stops early at a damaged
// macroblock or at the end of the coded data (the error flag is then set and the macroblocks
// not decoded are copied from the forward reference).
void DecodeMacroblocks(const VopContext& ctx);

// Resets the prediction maps to their initial values.
void ResetPredictionMaps(DecoderState* state);

}  // namespace decoder
