#include "output/channel_display.h"

#include <cstdlib>
#include <cstring>

#include "decoder/kernels/kernels.h"
#include "media/frame_header.h"
#include "platform/registry_store.h"

namespace output {
namespace {

constexpr std::string_view kDisplayTypeName = "DisplayType";
constexpr std::string_view kDeInterlacedName = "DeInterlaced";

int ReadInt(platform::RegistryStore& settings, std::string_view name, std::string_view fallback) {
    const std::string text = settings.ReadOrInit(platform::Hive::kLocalMachine,
                                                 platform::kEnvironmentsKey, name, fallback);
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str()) return std::atoi(std::string(fallback).c_str());
    return static_cast<int>(value);
}

}  // namespace

ChannelDisplay::ChannelDisplay(platform::RegistryStore& settings, DisplayMessages* messages)
    : settings_(settings),
      messages_(messages),
      bank_(kChannels),
      composed_(std::make_unique<uint8_t[]>(kPictureBufferSize)) {
    for (auto& c : cells_)
        c = std::make_unique<Cell>();
    for (auto& s : stills_)
        s = std::make_unique<uint8_t[]>(kPictureBufferSize);
    deinterlace_ = ReadInt(settings_, kDeInterlacedName, "1") == 1;
}

// The views belong to the windows, which may be gone by now: only the decoders close here.
ChannelDisplay::~ChannelDisplay() {
    bank_.Close();
}

void ChannelDisplay::SetResolution(int code) {
    const media::PictureSize size = media::PictureSizeOf(code);
    if (!size.known && messages_) messages_->ShowInformation(kUnknownImageSize);
    width_ = size.known ? size.width : 704;
    height_ = size.known ? size.height : 576;
}

int ChannelDisplay::ReadDisplayType() const {
    return ReadInt(settings_, kDisplayTypeName, "0");
}

void ChannelDisplay::AttachView(int channel, ChannelView* view) {
    if (ValidChannel(channel)) cells_[static_cast<size_t>(channel)]->view = view;
}

bool ChannelDisplay::OpenView(int channel, int displayType) {
    if (!ValidChannel(channel)) return false;
    ChannelView* view = cells_[static_cast<size_t>(channel)]->view;
    if (!view) return false;
    view->Release();
    const int type = displayType >= 0 ? displayType : ReadDisplayType();
    return view->Open(width_, height_, type, deinterlace_);
}

bool ChannelDisplay::OpenDecoders(int displayType) {
    displayType_ = displayType >= 0 ? displayType : ReadDisplayType();
    bank_.Close();
    uint8_t* outputs[kChannels];
    for (int c = 0; c < kChannels; ++c) {
        Cell& cell = *cells_[static_cast<size_t>(c)];
        cell.buffer.Clear();
        {
            auto lock = cell.buffer.Lock();
            cell.picture = false;
        }
        std::memset(stills_[static_cast<size_t>(c)].get(), 0, kPictureBufferSize);
        outputs[c] = cell.buffer.back();
    }
    frameShown_.store(false);
    if (!bank_.Open(displayType_, deinterlace_, width_, height_, outputs)) return false;
    layout_ = bank_.outputFormat() == 1 ? PixelLayout::kYuy2 : PixelLayout::kBgrBottomUp;
    return true;
}

void ChannelDisplay::SetViewRect(int channel, int right, int bottom) {
    if (!ValidChannel(channel)) return;
    Cell& cell = *cells_[static_cast<size_t>(channel)];
    auto lock = cell.buffer.Lock();
    cell.viewRight = right;
    cell.viewBottom = bottom;
}

void ChannelDisplay::SetCaption(int channel, std::string_view caption) {
    if (!ValidChannel(channel)) return;
    Cell& cell = *cells_[static_cast<size_t>(channel)];
    auto lock = cell.buffer.Lock();
    cell.caption.assign(caption);
}

void ChannelDisplay::SetMarks(int channel, bool motion, bool sensor) {
    if (!ValidChannel(channel)) return;
    Cell& cell = *cells_[static_cast<size_t>(channel)];
    auto lock = cell.buffer.Lock();
    cell.motion = motion;
    cell.sensor = sensor;
}

void ChannelDisplay::SetLiveState(int channel, bool on) {
    if (!ValidChannel(channel)) return;
    Cell& cell = *cells_[static_cast<size_t>(channel)];
    auto lock = cell.buffer.Lock();
    cell.liveState = on;
}

bool ChannelDisplay::DecodeAndShow(int channel, const uint8_t* data, size_t length) {
    if (!ValidChannel(channel) || !bank_.isOpen()) return false;
    Cell& cell = *cells_[static_cast<size_t>(channel)];
    decoder::FrameRequest& request = bank_.request(channel);
    request.output = cell.buffer.back();
    bool ok = bank_.Decode(channel, data, length);
    const bool panorama = panorama_.load();
    // An I/P picture comes out one frame late: decoding the frame again shows the frame itself.
    if (ok && panorama) ok = bank_.Decode(channel, data, length);
    if (!ok) return false;
    Published(channel, decoder::ShowedBlankPicture(bank_.params(channel)), panorama);
    return true;
}

bool ChannelDisplay::ShowHeldPicture(int channel) {
    if (!ValidChannel(channel) || !bank_.isOpen()) return false;
    decoder::FrameRequest& request = bank_.request(channel);
    request.output = cells_[static_cast<size_t>(channel)]->buffer.back();
    if (decoder::FlushPicture(&request, &bank_.params(channel)) != decoder::kResultOk) return false;
    Published(channel, false, false);
    return true;
}

void ChannelDisplay::Published(int channel, bool blank, bool panorama) {
    Cell& cell = *cells_[static_cast<size_t>(channel)];
    {
        auto lock = cell.buffer.Lock();
        if (!blank) cell.picture = true;
        if (panorama) {
            cell.motion = cell.sensor = false;
            cell.caption.clear();
        }
    }
    cell.buffer.Publish();
    frameShown_.store(true);
    if (cell.view) cell.view->PictureReady();
}

void ChannelDisplay::Redraw(int channel) {
    if (!ValidChannel(channel) || !frameShown_.load()) return;
    if (ChannelView* view = cells_[static_cast<size_t>(channel)]->view) view->PictureReady();
}

FrameLock ChannelDisplay::Frame(int channel) const {
    const Cell& cell = *cells_[static_cast<size_t>(ValidChannel(channel) ? channel : 0)];
    auto lock = cell.buffer.Lock();
    CellFrame f;
    f.pixels = cell.buffer.front();
    f.width = width_;
    f.height = height_;
    f.layout = layout_;
    f.blank = !cell.picture;
    f.deinterlace = deinterlace_;
    f.showLiveState = showLiveState_;
    f.liveState = cell.liveState;
    f.motion = cell.motion;
    f.sensor = cell.sensor;
    f.caption = &cell.caption;
    f.viewRight = cell.viewRight;
    f.viewBottom = cell.viewBottom;
    return FrameLock(std::move(lock), f);
}

void ChannelDisplay::RefreshStill(int channel) {
    const Cell& cell = *cells_[static_cast<size_t>(channel)];
    uint8_t* still = stills_[static_cast<size_t>(channel)].get();
    const size_t rgbBytes = static_cast<size_t>(width_) * height_ * 3;
    auto lock = cell.buffer.Lock();
    if (!cell.picture) {
        // Nothing decoded yet: black, whatever the zero bytes would mean in YUY2.
        std::memset(still, 0, rgbBytes);
    } else if (layout_ == PixelLayout::kBgrBottomUp) {
        std::memcpy(still, cell.buffer.front(), rgbBytes);
    } else {
        // Stills are never de-interlaced.
        decoder::kernels::ActiveKernels().yuy2ToRgb(cell.buffer.front(), 2 * width_, still,
                                                    3 * width_, width_, height_);
    }
}

bool ChannelDisplay::Compose(int layoutCode, BgrImage* picture, Layout* used) {
    Layout layout;
    if (!bank_.isOpen() || !LayoutFor(layoutCode, width_, height_, &layout)) return false;
    BgrImage out{composed_.get(), 3 * static_cast<ptrdiff_t>(layout.width), layout.width,
                 layout.height};
    std::memset(out.pixels, 0, static_cast<size_t>(out.stride) * out.height);
    const CellRect visible = VisibleRect(width_, height_);
    for (int i = 0; i < layout.cellCount; ++i) {
        const int channel = layout.channels[static_cast<size_t>(i)];
        if (channel < 0) continue;
        RefreshStill(channel);
        StretchBottomUp(stills_[static_cast<size_t>(channel)].get(), 3 * width_, height_, visible,
                        out, layout.cells[static_cast<size_t>(i)]);
    }
    DrawGridLines(layout, out);
    *picture = out;
    if (used) *used = layout;
    return true;
}

void ChannelDisplay::Close() {
    for (auto& cell : cells_)
        if (cell->view) cell->view->Release();
    bank_.Close();
}

}  // namespace output
