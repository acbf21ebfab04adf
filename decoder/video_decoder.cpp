#include "decoder/video_decoder.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "decoder/kernels/kernels.h"

namespace decoder {
namespace {

constexpr std::align_val_t kAlignment{64};
constexpr int kHandle = 1;

}  // namespace

size_t OutputBytes(OutputFormat format, int stride, int height) {
    const int code = static_cast<int>(format);
    const size_t rows = static_cast<size_t>(height);
    const size_t pitch = static_cast<size_t>(stride);
    if (format == OutputFormat::kPlanar420)
        return pitch * rows + 2 * ((pitch + 1) / 2) * ((rows + 1) / 2);
    return pitch * rows * static_cast<size_t>(kernels::OutputBytesPerPixel(code));
}

const char* DescribeStreamStatus(int streamStatus) {
    switch (streamStatus) {
        case kStatusNoVolAfterVo:
            return "a video object without its video object layer header";
        case kStatusShapeOrPartitioned:
            return "grey-scale shape or data partitioning is not supported";
        case kStatusScalability:
            return "scalable coding is not supported";
        case kStatusQuarterSample:
            return "quarter-sample motion vectors are not supported";
        case kStatusPictureSize:
            return "the picture is larger than 720x576";
        case kStatusUnsupportedTool:
            return "binary shape, sprites, newpred, reduced resolution, a sample depth other than "
                   "8 bits or a chroma format other than 4:2:0 is not supported";
        case kStatusComplexityEstimation:
            return "complexity estimation headers are not supported";
        default:
            return "the stream uses a feature that is not supported";
    }
}

void VideoDecoder::AlignedFree::operator()(uint8_t* p) const {
    ::operator delete(p, kAlignment);
}

VideoDecoder::VideoDecoder(int width, int height, OutputFormat format) : format_(format) {
    ok_ = Open(width, height);
}

VideoDecoder::~VideoDecoder() {
    Release();
}

void VideoDecoder::Release() {
    if (ok_) decoder_command(kHandle, kOpRelease, &params_, nullptr);
    for (auto& b : buffers_)
        b.reset();
    params_ = DecoderParams{};
    ok_ = false;
}

bool VideoDecoder::Open(int width, int height) {
    Release();
    params_.width = width;
    params_.height = height;
    params_.outputFormat = static_cast<int>(format_);
    MemoryRequirements m;
    if (decoder_command(kHandle, kOpQueryMemory, &params_, &m) != kResultOk) return false;
    for (int i = 0; i < 7; ++i) {
        auto* p = static_cast<uint8_t*>(::operator new(m.size[i], kAlignment, std::nothrow));
        if (!p) return false;
        std::memset(p, 0, m.size[i]);
        buffers_[i].reset(p);
    }
    for (int i = 0; i < 3; ++i)
        params_.picture[i] = buffers_[i].get();
    params_.display = buffers_[3].get();
    params_.state = reinterpret_cast<DecoderState*>(buffers_[4].get());
    params_.tables = reinterpret_cast<DecoderTables*>(buffers_[5].get());
    params_.reader = reinterpret_cast<BitReader*>(buffers_[6].get());
    ok_ = decoder_command(kHandle, kOpInit, &params_, nullptr) == kResultOk;
    return ok_;
}

void VideoDecoder::Reset() {
    if (ok_) ok_ = decoder_command(kHandle, kOpInit, &params_, nullptr) == kResultOk;
}

void VideoDecoder::SetOutputFormat(OutputFormat format) {
    format_ = format;
    params_.outputFormat = static_cast<int>(format);
    if (ok_) decoder_command(kHandle, kOpSetOutputFormat, &params_, nullptr);
}

int VideoDecoder::width() const {
    int w = 0, h = 0;
    CurrentPictureSize(params_, &w, &h);
    return w;
}

int VideoDecoder::height() const {
    int w = 0, h = 0;
    CurrentPictureSize(params_, &w, &h);
    return h;
}

const DecodeStats& VideoDecoder::stats() const {
    return StatsOf(params_);
}

// Writes the picture the last call showed, when the destination holds it.
DecodeResult VideoDecoder::Finish(int rc, const Destination& dst) {
    DecodeResult result;
    const bool damaged = request_.result == 1;
    if (rc == kResultUnsupported) {
        result.status = DecodeStatus::kUnsupported;
        result.streamStatus = request_.result;
        return result;
    }
    if (rc != kResultOk || ShowedBlankPicture(params_)) {
        result.status = damaged ? DecodeStatus::kDamagedNone : DecodeStatus::kNone;
        return result;
    }
    result.width = width();
    result.height = height();
    if (dst.data) {
        const int stride = dst.stride > 0 ? dst.stride : result.width;
        if (stride < result.width || OutputBytes(format_, stride, result.height) > dst.capacity) {
            result.status = DecodeStatus::kUnsupported;
            result.streamStatus = kStatusPictureSize;
            return result;
        }
        request_.output = dst.data;
        request_.stride = stride;
        request_.renderFlags = kRenderConvert;
        ConvertShownPicture(&request_, &params_);
    }
    result.status = damaged ? DecodeStatus::kDamaged : DecodeStatus::kPicture;
    return result;
}

DecodeResult VideoDecoder::Decode(std::span<const uint8_t> frame, const Destination& dst) {
    if (!ok_) return {DecodeStatus::kUnsupported, kStatusPictureSize, 0, 0};
    // Decode first, convert once the picture's size is known.
    request_ = FrameRequest{};
    request_.renderFlags = 0;
    request_.data = frame.data();
    request_.length = static_cast<uint32_t>(std::min<size_t>(frame.size(), UINT32_MAX));
    int rc = decoder_command(kHandle, kOpDecodeFrame, &request_, &params_);
    int w = 0, h = 0;
    if (rc == kResultUnsupported && request_.result == kStatusPictureSize &&
        probe_picture_size(frame.data(), frame.size(), &w, &h) && w <= kMaxWidth &&
        h <= kMaxHeight && Open(w, h)) {
        // A layer larger than the instance: the instance grows and decodes it from the start.
        request_.result = 0;
        rc = decoder_command(kHandle, kOpDecodeFrame, &request_, &params_);
    }
    return Finish(rc, dst);
}

DecodeResult VideoDecoder::Flush(const Destination& dst) {
    if (!ok_) return {};
    request_ = FrameRequest{};
    request_.renderFlags = 0;
    return Finish(FlushPicture(&request_, &params_), dst);
}

VideoDecoderBank::VideoDecoderBank(int count, int width, int height, OutputFormat format) {
    for (int c = 0; c < count; ++c)
        decoders_.push_back(std::make_unique<VideoDecoder>(width, height, format));
}

bool VideoDecoderBank::ok() const {
    for (const auto& d : decoders_)
        if (!d->ok()) return false;
    return !decoders_.empty();
}

DecodeResult VideoDecoderBank::Decode(int channel, std::span<const uint8_t> frame,
                                      const Destination& dst) {
    if (channel < 0 || channel >= count()) return {};
    return decoders_[static_cast<size_t>(channel)]->Decode(frame, dst);
}

DecodeResult VideoDecoderBank::Flush(int channel, const Destination& dst) {
    if (channel < 0 || channel >= count()) return {};
    return decoders_[static_cast<size_t>(channel)]->Flush(dst);
}

void VideoDecoderBank::Reset(int channel) {
    if (channel >= 0 && channel < count()) decoders_[static_cast<size_t>(channel)]->Reset();
}

}  // namespace decoder
