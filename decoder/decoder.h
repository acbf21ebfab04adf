// The MPEG-4 Part 2 video decoder: one command entry through which callers size, initialise,
// use and release decoder instances. An instance is plain memory that the caller allocates
// (QueryMemory tells how much) and passes in on every call; the decoder keeps no data of its own,
// so different instances may decode on different threads (one instance on one thread at a time).
#pragma once

#include <cstddef>
#include <cstdint>

namespace decoder {

struct DecoderState;
struct DecoderTables;
class BitReader;

// Picture sizes an instance accepts: up to 45 x 36 macroblocks.
inline constexpr int kMaxWidth = 720;
inline constexpr int kMaxHeight = 576;
inline constexpr int kCodecMpeg4 = 4;

// Operation codes of decoder_command.
enum DecoderOperation : uint32_t {
    kOpDecodeFrame = 0,  // any code not listed below decodes a frame
    kOpQueryMemory = 0x4000,
    kOpInit = 0x8000,
    kOpRelease = 0x10000,
    kOpSetPostprocess = 0x20000,
    kOpSetOutputFormat = 0x40000,
    kOpProbePictureSize = 0x80000,
    kOpUnused4 = 0x100000,
    kOpUnused0 = 0x200000,
};

// Results of decoder_command.
enum DecoderResult : int {
    kResultOk = 0,           // done; DecodeFrame: a picture was decoded (or shown again)
    kResultInvalid = 2,      // handle 0, a parameter out of range, or a picture size refused
    kResultNoPicture = 3,    // the frame holds no picture; the size probe: no VOL header
    kResultUnusedOp = 4,     // operation 0x100000
    kResultUnsupported = 5,  // the stream uses a feature this decoder does not support; the
                             // request's result field holds the stream status (below)
};

// Stream statuses of an unsupported stream (FrameRequest::result with kResultUnsupported).
enum StreamStatus : int {
    kStatusNoVolAfterVo = 101,          // a video object start code without a VOL behind it
    kStatusShapeOrPartitioned = 102,    // grey-scale shape, or data partitioning
    kStatusScalability = 103,           // scalable coding
    kStatusQuarterSample = 105,         // quarter-sample motion vectors
    kStatusPictureSize = 106,           // a VOL picture size larger than the instance holds
    kStatusUnsupportedTool = 107,       // binary shape, sprites, not 8 bits, newpred, reduced
                                        // resolution, a chroma format other than 4:2:0
    kStatusComplexityEstimation = 108,  // complexity estimation headers
};

// Render flags of FrameRequest.
inline constexpr int32_t kRenderConvert = 1;
inline constexpr int32_t kRenderViaDisplayBuffer = 0x8000;

struct DecoderParams {
    int32_t codecKind = kCodecMpeg4;
    int32_t width = 0;
    int32_t height = 0;
    int32_t outputFormat = 3;  // 1..11, see decoder/kernels/kernels.h
    int32_t timeIncrement = 0;
    uint8_t* picture[3] = {};  // edged pictures: 0 the B-VOP target, 1 and 2 the references
    uint8_t* display = nullptr;
    DecoderState* state = nullptr;
    DecoderTables* tables = nullptr;
    BitReader* reader = nullptr;
};

struct MemoryRequirements {
    // 0..2 each edged picture, 3 the display buffer, 4 DecoderState, 5 DecoderTables,
    // 6 BitReader.
    uint32_t size[7] = {};
};

struct FrameRequest {
    uint8_t* output = nullptr;  // the caller's picture buffer
    const uint8_t* data = nullptr;
    uint32_t length = 0;  // bytes of the frame
    int32_t renderFlags = kRenderConvert;
    int32_t stride = 0;  // output stride in pixels (0: the picture width)
    int32_t result = 0;  // out: 0 decoded cleanly, 1 damaged (the picture is still
                         // shown), or the stream status of an unsupported stream
};

// The command entry. param1/param2 by operation:
//   QueryMemory         DecoderParams* (width, height)  MemoryRequirements* out
//   Init                DecoderParams* (buffers set,    - (ignored)
//                       codecKind kCodecMpeg4)
//   Release             -                               -
//   SetPostprocess      intptr_t level                  -
//   SetOutputFormat     DecoderParams* (outputFormat)   -
//   ProbePictureSize    const FrameRequest* (data and   int* out: width << 12 | height
//                       length of the frame)
//   DecodeFrame         FrameRequest*                   DecoderParams*
int decoder_command(int handle, uint32_t operation, void* param1, void* param2);

// The size from a VO+VOL header at the start of `data` (the first `size` bytes, at most 256
// looked at). False when there is none.
bool probe_picture_size(const uint8_t* data, size_t size, int* width, int* height);

// The size of the pictures the instance decodes now: the size given at Init, or that of the last
// VOL header (a layer smaller than the instance was set up for is decoded at its own size).
void CurrentPictureSize(const DecoderParams& params, int* width, int* height);

// Shows the newest reference picture, which an I- or P-VOP holds back so that pictures come out
// in display order: at the end of a stream the caller flushes it with this call (converted into
// req->output as DecodeFrame would). kResultNoPicture when no reference was decoded.
int FlushPicture(FrameRequest* req, DecoderParams* params);
// Converts the picture the last DecodeFrame (or FlushPicture) showed into req->output again, by
// req's render flags and stride: a caller that decodes with render flags 0 converts only once it
// knows the picture's size. kResultNoPicture when none was shown yet.
int ConvertShownPicture(FrameRequest* req, DecoderParams* params);
// True when the last DecodeFrame showed the blank picture that comes out before the first
// reference (the first I-VOP of an instance shows it).
bool ShowedBlankPicture(const DecoderParams& params);

namespace kernels {
struct KernelSet;
}
// Makes an initialised instance use another kernel set (Init picks the fastest one); tests run
// the plain reference kernels through the whole decoder this way.
void SelectKernels(const DecoderParams& params, const kernels::KernelSet& set);

// Statistics an instance keeps of what it decoded (for tests and tools).
struct DecodeStats {
    uint64_t vops[4];  // by vop_coding_type
    uint64_t notCodedVops;
    uint64_t placeholderVops;  // not-coded VOPs standing in for a packed stream's reference
    uint64_t intraMbs, interMbs, inter4vMbs, notCodedMbs, fieldPredictedMbs, fieldDctMbs;
    uint64_t directMbs, directFieldMbs, direct4vMbs, forwardMbs, backwardMbs, interpolatedMbs,
        skippedBMbs;
    uint64_t dquantMbs, dbquantMbs, acPredictedBlocks;
    uint64_t alternateScanVops;  // interlaced VOPs with the alternate vertical scan
    uint64_t escapes[3];
    uint64_t mpegQuantVops, loadedMatrices, roundingVops;
    uint64_t emulatedEdgeBlocks;  // predictions that read beyond the padded border
    uint64_t damagedVops;
    uint64_t concealedMbs;  // lost macroblocks of I/P-VOPs predicted from their neighbours. vectors
    uint64_t spatiallyConcealedMbs;  // of those, the ones filled from the pixels around them
    uint64_t stuffing;
    uint64_t retimedBVops;  // B-VOPs whose time did not lie between their references
    uint64_t videoPackets;
    uint64_t midRowBPackets;  // video packets of interlaced B-VOPs starting inside a row
    int minQuant, maxQuant;
};
// The statistics of an initialised instance.
const DecodeStats& StatsOf(const DecoderParams& params);

}  // namespace decoder
