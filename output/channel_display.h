// The renderer both viewers drive: sixteen channels, each with its decoder instance, its
// double-buffered picture, its marks and caption and the view of its cell; and the composition
// of a layout into one picture for stills and printing.
//
// Threads: DecodeAndShow for one channel runs on one thread at a time (the play thread, a reader
// thread or a decode-pool worker); different channels may decode at once. Views read the
// picture on their own thread through Frame(). Opening and closing run while nothing decodes.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "decoder/decoder_bank.h"
#include "output/cell_buffer.h"
#include "output/channel_view.h"
#include "output/layout.h"

namespace platform {
class RegistryStore;
}

namespace output {

inline constexpr std::string_view kUnknownImageSize =
    "Unknown image size. We will assume the maximum size.";

// How a window shows the display's messages (an information box).
class DisplayMessages {
  public:
    virtual ~DisplayMessages() = default;
    virtual void ShowInformation(std::string_view text) = 0;
};

enum class PixelLayout {
    kYuy2,         // packed Y0 U Y1 V, top row first, width x 2 bytes a row
    kBgrBottomUp,  // 24-bit B, G, R, last row first, width x 3 bytes a row
};

// One cell's picture and overlays as a view reads them.
struct CellFrame {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    PixelLayout layout = PixelLayout::kYuy2;
    bool blank = true;           // nothing decoded since the decoders opened
    bool deinterlace = false;    // the DeInterlaced setting
    bool showLiveState = false;  // the remote client draws the live-state mark
    bool liveState = false;
    bool motion = false;
    bool sensor = false;
    const std::string* caption = nullptr;
    int viewRight = 0;  // the destination rectangle (0, 0, right, bottom); 0: the whole cell
    int viewBottom = 0;
};

// A cell's frame, readable while this object lives (it holds the cell's lock).
class FrameLock {
  public:
    FrameLock(std::unique_lock<std::mutex> lock, const CellFrame& frame)
        : lock_(std::move(lock)), frame_(frame) {}
    const CellFrame& operator*() const { return frame_; }
    const CellFrame* operator->() const { return &frame_; }

  private:
    std::unique_lock<std::mutex> lock_;
    CellFrame frame_;
};

class ChannelDisplay {
  public:
    // Reads DeInterlaced (writing its default 1 back when missing). `messages` may be null.
    ChannelDisplay(platform::RegistryStore& settings, DisplayMessages* messages);
    ~ChannelDisplay();
    ChannelDisplay(const ChannelDisplay&) = delete;
    ChannelDisplay& operator=(const ChannelDisplay&) = delete;

    // The picture size of a resolution code; an unknown code shows the message and takes
    // 704 x 576.
    void SetResolution(int code);
    int width() const { return width_; }
    int height() const { return height_; }

    // The view of a channel's cell (owned by the window; null detaches it).
    void AttachView(int channel, ChannelView* view);
    // Releases the view and opens it again for the current size with the DisplayType setting
    // (or `displayType` when given, as the remote client does with the value its session
    // read). False when the view cannot draw with that display type.
    bool OpenView(int channel, int displayType = -1);
    // Reads DisplayType (or takes `displayType` when given) and opens the sixteen decoders for
    // the current size; every cell shows nothing until its first picture. False when the
    // decoders cannot be set up.
    bool OpenDecoders(int displayType = -1);
    bool decodersOpen() const { return bank_.isOpen(); }
    int displayType() const { return displayType_; }
    bool deinterlace() const { return deinterlace_; }
    // Takes a new de-interlacing choice; decoders and views opened from now on use it.
    void SetDeinterlace(bool on) { deinterlace_ = on; }
    // The layout of the pictures the decoders deliver.
    PixelLayout pictureLayout() const { return layout_; }

    void SetViewRect(int channel, int right, int bottom);
    void SetCaption(int channel, std::string_view caption);
    void SetMarks(int channel, bool motion, bool sensor);
    void SetLiveState(int channel, bool on);
    // The remote client shows the live-state mark of each cell.
    void SetShowLiveState(bool show) { showLiveState_ = show; }
    // Player's panorama mode: every frame is decoded twice (so that the picture shown is the
    // frame itself, not the one before), and cells show neither marks nor caption.
    void SetPanorama(bool on) { panorama_.store(on); }
    bool panorama() const { return panorama_.load(); }

    // Decodes one frame of the channel and asks its view to draw it. False when no picture came
    // out (nothing is drawn then).
    bool DecodeAndShow(int channel, const uint8_t* data, size_t length);
    // Shows the newest I/P picture of the channel, which the decoder holds back until the next
    // one arrives (at the end of a stream, or to show a chosen picture at once). False when
    // there is none.
    bool ShowHeldPicture(int channel);
    // Asks the view to draw the channel again (once something was decoded).
    void Redraw(int channel);
    bool frameShown() const { return frameShown_.load(); }

    // The channel's current picture and overlays, for its view.
    FrameLock Frame(int channel) const;

    // Composes the layout (RGB, top row first) into an internal picture that stays valid until
    // the next Compose: the picture size for one channel, 720 x 480 for the grids. False for a
    // negative code or before the decoders opened.
    bool Compose(int layoutCode, BgrImage* picture, Layout* layout = nullptr);

    // Releases every view and closes the decoders.
    void Close();

  private:
    struct Cell {
        CellBuffer buffer;
        std::string caption;
        bool motion = false;
        bool sensor = false;
        bool liveState = false;
        bool picture = false;  // a real picture (not the blank one) was decoded
        int viewRight = 0;
        int viewBottom = 0;
        ChannelView* view = nullptr;
    };
    bool ValidChannel(int channel) const { return channel >= 0 && channel < kChannels; }
    int ReadDisplayType() const;
    void RefreshStill(int channel);
    // The back buffer of the channel holds a new picture: show it.
    void Published(int channel, bool blank, bool panorama);

    platform::RegistryStore& settings_;
    DisplayMessages* messages_;
    decoder::DecoderBank bank_;
    std::array<std::unique_ptr<Cell>, kChannels> cells_;
    std::array<std::unique_ptr<uint8_t[]>, kChannels> stills_;
    std::unique_ptr<uint8_t[]> composed_;
    int width_ = 704;
    int height_ = 576;
    int displayType_ = kDisplayGpu;
    bool deinterlace_ = true;
    PixelLayout layout_ = PixelLayout::kYuy2;
    bool showLiveState_ = false;
    std::atomic<bool> panorama_{false};
    std::atomic<bool> frameShown_{false};
};

}  // namespace output
