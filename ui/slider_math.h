// Thumb and track arithmetic of the skinned slider, kept free of widgets so it is testable alone.
#pragma once

namespace ui {

// Scroll codes that the slider reports to its parent with its position.
enum SliderCode : int {
    kSliderLineLeft = 0,    // Left arrow
    kSliderLineRight = 1,   // Right arrow
    kSliderPageUp = 2,      // Page Up
    kSliderPageDown = 3,    // Page Down
    kSliderDragEnded = 4,   // mouse released after the position changed by mouse
    kSliderMouseMoved = 5,  // position changed by mouse (press or drag)
    kSliderHome = 6,        // Home
    kSliderEnd = 7,         // End
    kSliderKeyReleased = 8  // one of the keys above released
};

struct SliderGeometry {
    int min = 0;
    int max = 0;
    int clientWidth = 0;
    int margin = 0;
    int thumbWidth = 0;

    // Pixels the thumb can travel; 0 or less when the control is too narrow for its thumb.
    int Travel() const { return clientWidth - 2 * margin - thumbWidth; }
};

// Left edge of the thumb at `pos`: the step is an integer division taken before the multiplication,
// so the thumb moves in whole-pixel steps; with fewer than two pixels a step (long ranges) the
// thumb goes in proportion to the travel instead.
int SliderThumbX(const SliderGeometry& g, int pos);

// The position under mouse x, rounded half up, kept within min..max. A control with no travel or an
// empty range answers min.
int SliderPositionFromX(const SliderGeometry& g, int x);

// Widths of the filled part of the track: on the control and in the filled-track bitmap.
struct FilledSpan {
    int destWidth = 0;
    int sourceWidth = 0;
};
FilledSpan SliderFilledSpan(int clientWidth, int trackBitmapWidth, int pos, int max);

enum class SliderKey { Left, Right, PageUp, PageDown, Home, End };

struct SliderStep {
    int position = 0;
    int code = 0;
};

// The new position and the code to report for one of the slider's keys.
SliderStep SliderKeyStep(SliderKey key, int pos, int min, int max, int pageSize, int lineSize);

}  // namespace ui
