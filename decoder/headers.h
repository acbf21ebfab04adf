// The stream headers in front of the macroblock data: video object layer (VOL), group of VOPs
// (GOV) and VOP headers. Internal to the decoder.
#pragma once

#include <cstdint>

#include "decoder/bit_reader.h"
#include "decoder/decoder_state.h"

namespace decoder {

// Start code values (the byte after the 00 00 01 prefix).
inline constexpr int kVoCodeLast = 0x1F;
inline constexpr int kVolCodeFirst = 0x20;
inline constexpr int kVolCodeLast = 0x2F;
inline constexpr int kUserDataCode = 0xB2;
inline constexpr int kGovCode = 0xB3;
inline constexpr int kVopCode = 0xB6;

// What the header parsers return for a header whose marker bits or values show it damaged.
inline constexpr int kDamagedHeader = -1;

// A VOL header with the quantisation matrices it carries.
struct ParsedVol {
    VolHeader vol;
    bool loadIntra = false;
    bool loadInter = false;
    uint16_t intraMatrix[64];  // raster order, valid when quant_type is 1
    uint16_t interMatrix[64];
};

// Parses a VOL header; the reader stands right after its start code. Returns 0 when the layer
// can be decoded, kDamagedHeader when a marker bit is 0 or the time resolution or picture size
// is 0, otherwise its StreamStatus (the header is parsed as far as it can be). A header cut short
// by the end of the frame shows as reader.overrun().
int parse_vol_header(BitReader& reader, ParsedVol* out);

// Parses a GOV header behind its start code: the time code in whole seconds.
int parse_gov_header(BitReader& reader);

// Parses a VOP header behind its start code with the VOL in force into `vop`; returns the
// modulo_time_base count, or kDamagedHeader when a marker bit around the time is 0.
int parse_vop_header(BitReader& reader, const VolHeader& vol, VopHeader* vop);

// Finds the next 00 00 01 prefix at or after the reader's byte position; leaves the reader on
// the byte after the prefix and returns that byte (the start code value), or -1 at the end.
int NextStartCode(BitReader& reader);

// Bits of vop_time_increment for a resolution.
int TimeIncrementBits(int resolution);

}  // namespace decoder
