// MPEG-4 Part 2 elementary streams (".m4v"): cut into one frame per VOP, the headers in front
// of a VOP staying with it, and the VOL fields the recording needs (picture size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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
// read ahead and a frame's bytes are fresh in the cache when it is decoded. Frames give their
// offsets in the whole stream. Copies are independent cursors on the same bytes.
class EsFrameSplitter {
  public:
    explicit EsFrameSplitter(std::span<const uint8_t> stream) : s_(stream) {}
    virtual ~EsFrameSplitter() = default;
    EsFrameSplitter(const EsFrameSplitter&) = default;
    EsFrameSplitter& operator=(const EsFrameSplitter&) = default;

    // The next frame; false after the last one.
    bool Next(EsFrame* frame);
    // The bytes of the frame Next() returned last, valid until Next() is called again.
    std::span<const uint8_t> Bytes(const EsFrame& frame) const {
        return s_.subspan(frame.begin - base_, frame.end - frame.begin);
    }

  protected:
    EsFrameSplitter() = default;
    // For a stream read piece by piece: called when the search has reached the end of the
    // bytes held. Bytes from stream offset `keepFrom` on must stay; more may be appended (and
    // handed over with Hold()). False when the stream has no more.
    virtual bool More(size_t keepFrom);
    // Now holds `bytes`, the stream from offset `base` on.
    void Hold(std::span<const uint8_t> bytes, size_t base) {
        s_ = bytes;
        base_ = base;
    }

  private:
    // The next frame as the start codes show it; what follows the last VOP is not yet joined.
    bool Cut(EsFrame* frame);
    // The next start code at or after scan_ within the bytes held, reading more as needed.
    size_t NextCode();

    std::span<const uint8_t> s_;
    size_t base_ = 0;     // stream offset of s_[0]
    bool ended_ = false;  // s_ reaches the end of the stream
    size_t scan_ = 0;     // where the search for the next start code goes on
    size_t frameStart_ = 0;
    bool vopSeen_ = false;
    bool volSeen_ = false;
    int vopType_ = 0;
    bool held_ = false;  // heldFrame_ is cut but not returned yet
    EsFrame heldFrame_{};
};

// Cuts a stream file into frames as EsFrameSplitter does, reading it in pieces into one buffer
// that holds about two frames: the file is read once, with no copy of it in memory and no
// mapping to fault in page by page.
class EsFileSplitter : public EsFrameSplitter {
  public:
    static constexpr size_t kPieceSize = 256 * 1024;
    // Reads from `file` (left open; the caller closes it) `pieceSize` bytes at a time.
    explicit EsFileSplitter(std::FILE* file, size_t pieceSize = kPieceSize)
        : file_(file), pieceSize_(pieceSize == 0 ? 1 : pieceSize) {}
    EsFileSplitter(const EsFileSplitter&) = delete;
    EsFileSplitter& operator=(const EsFileSplitter&) = delete;

    // Whether reading the file failed (the frames before the failure were handed out).
    bool failed() const { return failed_; }

  private:
    bool More(size_t keepFrom) override;

    std::FILE* file_;
    size_t pieceSize_;
    std::vector<uint8_t> buffer_;
    size_t bufferOffset_ = 0;  // stream offset of buffer_[0]
    size_t filled_ = 0;        // bytes of buffer_ in use
    bool failed_ = false;
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
