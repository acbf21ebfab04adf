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

// Cuts a stream into frames as it goes: each Next() reads the stream only up to the end of the
// frame after the one it returns (which tells where that one ends), so a long stream is never
// read ahead and a frame's bytes are fresh in the cache when it is decoded. Copies are
// independent cursors on the same bytes.
class EsFrameSplitter {
  public:
    explicit EsFrameSplitter(std::span<const uint8_t> stream) : s_(stream) {}
    // The next frame; false after the last one.
    bool Next(EsFrame* frame);

  private:
    // The next frame as the start codes show it; what follows the last VOP is not yet joined.
    bool Cut(EsFrame* frame);

    std::span<const uint8_t> s_;
    size_t scan_ = 0;  // where the search for the next start code goes on
    size_t frameStart_ = 0;
    bool vopSeen_ = false;
    bool volSeen_ = false;
    int vopType_ = 0;
    bool held_ = false;  // heldFrame_ is cut but not returned yet
    EsFrame heldFrame_{};
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
