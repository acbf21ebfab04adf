#include "ui/slider_math.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ui {

int SliderThumbX(const SliderGeometry& g, int pos) {
    const int slots = g.max - g.min + 1;
    if (slots <= 0) return g.margin;
    const int travel = std::max(g.Travel(), 0);
    const int step = travel / slots;
    // With more positions than half the pixels (a recording's pictures on the position slider)
    // whole-pixel steps would be 0 or 1 pixel and leave the thumb at the start or far short of
    // the filled track: the thumb then goes in proportion.
    if (step < 2) return g.margin + static_cast<int>(int64_t{pos - g.min} * travel / slots);
    return g.margin + (pos - g.min) * step;
}

int SliderPositionFromX(const SliderGeometry& g, int x) {
    const int travel = g.Travel();
    if (travel <= 0 || g.max < g.min) return g.min;
    const double scale = static_cast<double>(g.max + 1 - g.min) / travel;
    const double offset = scale * (x - g.thumbWidth / 2 - g.margin);
    const int pos = g.min + static_cast<int>(std::floor(offset + 0.5));
    return std::clamp(pos, g.min, g.max);
}

FilledSpan SliderFilledSpan(int clientWidth, int trackBitmapWidth, int pos, int max) {
    if (max + 1 <= 0 || pos <= 0) return {};
    return {clientWidth * pos / (max + 1), pos * trackBitmapWidth / (max + 1)};
}

SliderStep SliderKeyStep(SliderKey key, int pos, int min, int max, int pageSize, int lineSize) {
    switch (key) {
        case SliderKey::PageUp:
            return {std::max(pos - pageSize, min), kSliderPageUp};
        case SliderKey::PageDown:
            return {std::min(pos + pageSize, max), kSliderPageDown};
        case SliderKey::Home:
            return {min, kSliderHome};
        case SliderKey::End:
            return {max, kSliderEnd};
        case SliderKey::Left:
            return {std::max(pos - lineSize, min), kSliderLineLeft};
        case SliderKey::Right:
            return {std::min(pos + lineSize, max), kSliderLineRight};
    }
    return {pos, kSliderKeyReleased};
}

}  // namespace ui
