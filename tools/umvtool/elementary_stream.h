// MPEG-4 Part 2 elementary streams (".m4v"): cut into one frame per VOP, the headers in front
// of a VOP staying with it, and the VOL fields the recording needs (picture size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace umvtool {

struct EsFrame {
    size_t begin;
    size_t end;
    int vopType;  // 0 I, 1 P, 2 B, 3 S (from vop_coding_type)
    bool hasVol;  // a video object layer header is among the frame's headers
};

std::vector<EsFrame> SplitElementaryStream(std::span<const uint8_t> stream);

struct VolInfo {
    int width = 0;
    int height = 0;
    int timeIncrementResolution = 0;
};

// Reads the rectangular VOL found in `bytes` (the first one). False when there is none or it
// cannot be read.
bool FindVolInfo(std::span<const uint8_t> bytes, VolInfo* info);

// The bytes of the video object and video object layer headers in front of the first VOP
// (start codes 0x100..0x12F with their data), for Intra pictures that lack them.
std::vector<uint8_t> VoVolHeaders(std::span<const uint8_t> stream);

}  // namespace umvtool
