// What ChannelDisplay needs from the view of one cell. The views are widgets of the windows;
// the display only opens them, tells them that a new picture is ready and releases them.
#pragma once

namespace output {

// Display types of the DisplayType setting.
inline constexpr int kDisplayGpu = 0;  // the YUY2 picture converted on the graphics card
inline constexpr int kDisplayRgb = 1;  // the RGB picture drawn by the CPU

class ChannelView {
  public:
    virtual ~ChannelView() = default;
    // Prepares the view for pictures of width x height. False when the view cannot draw with
    // this display type (a GPU view without a usable context): the owner then puts an RGB view
    // in its place.
    virtual bool Open(int width, int height, int displayType, bool deinterlace) = 0;
    // A new picture or new marks are ready. Called on the thread that decodes: the view only
    // schedules a repaint on its own thread and reads the picture from the display there.
    virtual void PictureReady() = 0;
    virtual void Release() = 0;
};

}  // namespace output
