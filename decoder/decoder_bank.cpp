#include "decoder/decoder_bank.h"

#include <cstring>
#include <new>

namespace decoder {
namespace {

constexpr std::align_val_t kAlignment{64};

uint8_t* Allocate(size_t size) {
    auto* p = static_cast<uint8_t*>(::operator new(size, kAlignment, std::nothrow));
    if (p) std::memset(p, 0, size);
    return p;
}

void Free(void* p) {
    if (p) ::operator delete(p, kAlignment);
}

// The seven buffers of an instance, in MemoryRequirements order.
void** BufferSlot(DecoderParams& p, int i) {
    switch (i) {
        case 0:
        case 1:
        case 2:
            return reinterpret_cast<void**>(&p.picture[i]);
        case 3:
            return reinterpret_cast<void**>(&p.display);
        case 4:
            return reinterpret_cast<void**>(&p.state);
        case 5:
            return reinterpret_cast<void**>(&p.tables);
        default:
            return reinterpret_cast<void**>(&p.reader);
    }
}

}  // namespace

DecoderBank::DecoderBank(int count)
    : count_(count),
      params_(std::make_unique<DecoderParams[]>(static_cast<size_t>(count))),
      requests_(std::make_unique<FrameRequest[]>(static_cast<size_t>(count))) {}

DecoderBank::~DecoderBank() {
    Close();
}

int DecoderBank::OutputFormatFor(int displayType, bool deinterlace, int width, int height) {
    if (displayType != 1) return 1;
    if (width == 704 && height >= 480 && deinterlace) return 1;
    return 5;
}

bool DecoderBank::Open(int displayType, bool deinterlace, int width, int height,
                       uint8_t* const* outputs) {
    Close();
    format_ = OutputFormatFor(displayType, deinterlace, width, height);
    for (int c = 0; c < count_; ++c) {
        DecoderParams& p = params_[c];
        p = DecoderParams{};
        p.codecKind = kCodecMpeg4;
        p.width = width;
        p.height = height;
        p.outputFormat = format_;
        MemoryRequirements m;
        bool ok = decoder_command(1, kOpQueryMemory, &p, &m) == kResultOk;
        for (int i = 0; ok && i < 7; ++i) {
            void* buffer = Allocate(m.size[i]);
            *BufferSlot(p, i) = buffer;
            ok = buffer != nullptr;
        }
        ok = ok && decoder_command(1, kOpInit, &p, nullptr) == kResultOk;
        FrameRequest& r = requests_[c];
        r = FrameRequest{};
        r.output = outputs ? outputs[c] : nullptr;
        r.renderFlags = r.output ? kRenderConvert : 0;
        r.stride = width;
        if (!ok) {
            open_ = true;
            Close();
            return false;
        }
    }
    open_ = true;
    return true;
}

void DecoderBank::Close() {
    if (!open_) return;
    for (int c = 0; c < count_; ++c) {
        DecoderParams& p = params_[c];
        if (p.state) decoder_command(1, kOpRelease, &p, nullptr);
        for (int i = 0; i < 7; ++i) {
            void** slot = BufferSlot(p, i);
            Free(*slot);
            *slot = nullptr;
        }
    }
    open_ = false;
}

bool DecoderBank::Decode(int channel, const uint8_t* data, size_t length) {
    if (!open_ || channel < 0 || channel >= count_) return false;
    FrameRequest& r = requests_[channel];
    r.data = data;
    r.length = static_cast<uint32_t>(length > UINT32_MAX ? UINT32_MAX : length);
    return decoder_command(1, kOpDecodeFrame, &r, &params_[channel]) == kResultOk;
}

void DecoderBank::Reset(int channel) {
    if (!open_ || channel < 0 || channel >= count_) return;
    decoder_command(1, kOpInit, &params_[channel], nullptr);
}

}  // namespace decoder
