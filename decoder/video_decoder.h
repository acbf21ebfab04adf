// The decoder for our own callers: an instance that owns its memory, decodes one frame per call
// straight into the caller's buffer (a renderer's picture, a QImage's bits) and says what came of
// it. The command entry (decoder_command) stays the compatible way in for the player's plug-in
// interface; this class is built on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "decoder/decoder.h"

namespace decoder {

// The layout of the pictures written into the caller's buffer (the command entry's codes 1..11).
enum class OutputFormat : int {
    kYuy2 = 1,            // packed Y0 U Y1 V, 2 bytes a pixel
    kUyvy = 2,            // packed U Y0 V Y1
    kPlanar420 = 3,       // Y rows, then Cb rows, then Cr rows (chroma rows (stride + 1) / 2)
    kBgra32BottomUp = 4,  // B,G,R,255, last row first
    kBgr24BottomUp = 5,   // B,G,R, last row first
    kRgb565BottomUp = 6,  // 16-bit little-endian words, last row first
    kRgb555BottomUp = 7,
    kBgra32 = 8,  // the layouts of 4..7, top row first
    kBgr24 = 9,
    kRgb565 = 10,
    kRgb555 = 11,
};

// Bytes a picture of width x height takes in `format` with `stride` pixels a row.
size_t OutputBytes(OutputFormat format, int stride, int height);

// Where one picture goes: `stride` in pixels (0: the picture width), `capacity` in bytes. A null
// `data` decodes without writing a picture.
struct Destination {
    uint8_t* data = nullptr;
    int stride = 0;
    size_t capacity = 0;
};

enum class DecodeStatus {
    kPicture,      // a picture was written
    kNone,         // the frame holds no picture to show (headers only, a B-VOP without its
                   // references, a placeholder, the blank start)
    kDamaged,      // a picture was written, but parts of it were concealed
    kDamagedNone,  // damage, and nothing to show (a VOP header that does not parse)
    kUnsupported,  // the stream uses something this decoder does not decode: see streamStatus
};

struct DecodeResult {
    DecodeStatus status = DecodeStatus::kNone;
    int streamStatus = 0;  // kUnsupported: a StreamStatus
    int width = 0;         // the size of the picture written (kPicture, kDamaged)
    int height = 0;

    bool hasPicture() const {
        return status == DecodeStatus::kPicture || status == DecodeStatus::kDamaged;
    }
    bool damaged() const {
        return status == DecodeStatus::kDamaged || status == DecodeStatus::kDamagedNone;
    }
};

// The words a user reads for an unsupported stream's status.
const char* DescribeStreamStatus(int streamStatus);

class VideoDecoder {
  public:
    // An instance for pictures up to width x height; a larger VOL later re-sizes it.
    VideoDecoder(int width, int height, OutputFormat format);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // False when the size is refused or memory ran out.
    bool ok() const { return ok_; }

    DecodeResult Decode(std::span<const uint8_t> frame, const Destination& dst);
    // The reference picture held back for display order, at the end of a stream.
    DecodeResult Flush(const Destination& dst);
    // Starts over as a new instance of the same size (after a seek or a channel switch).
    void Reset();

    void SetOutputFormat(OutputFormat format);
    OutputFormat outputFormat() const { return format_; }
    // The size of the pictures the instance decodes now.
    int width() const;
    int height() const;
    const DecodeStats& stats() const;
    // The command entry's view of the instance (kernel selection in tests).
    DecoderParams& params() { return params_; }

  private:
    bool Open(int width, int height);
    void Release();
    DecodeResult Finish(int rc, const Destination& dst);
    bool Prepare(const Destination& dst);

    struct AlignedFree {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, AlignedFree> buffers_[7];
    DecoderParams params_{};
    FrameRequest request_{};
    OutputFormat format_;
    bool ok_ = false;
};

// One decoder per channel.
class VideoDecoderBank {
  public:
    VideoDecoderBank(int count, int width, int height, OutputFormat format);

    bool ok() const;
    int count() const { return static_cast<int>(decoders_.size()); }
    // An unknown channel decodes nothing (kNone).
    DecodeResult Decode(int channel, std::span<const uint8_t> frame, const Destination& dst);
    DecodeResult Flush(int channel, const Destination& dst);
    void Reset(int channel);
    VideoDecoder& channel(int c) { return *decoders_[static_cast<size_t>(c)]; }

  private:
    std::vector<std::unique_ptr<VideoDecoder>> decoders_;
};

}  // namespace decoder
