#include "player/qt/position_slider_link.h"

#include <algorithm>

#include "ui/skin_slider.h"

namespace player::qt {

PositionSliderLink::PositionSliderLink(ui::SkinSlider* slider, EngineBridge& bridge,
                                       PlaybackEngine& engine, QObject* parent)
    : QObject(parent), slider_(slider), engine_(engine) {
    connect(&bridge, &EngineBridge::positionChanged, this, &PositionSliderLink::OnPosition,
            Qt::QueuedConnection);
    connect(slider_, &ui::SkinSlider::scrolled, this, &PositionSliderLink::OnScrolled);
}

void PositionSliderLink::OnPosition(qint64 position, qint64 maximum) {
    if (dragging_) return;
    slider_->setRange(0, static_cast<int>(std::max<qint64>(maximum, 0)));
    slider_->setValue(static_cast<int>(position));
}

void PositionSliderLink::OnScrolled(int code, int position) {
    // 5: the thumb is dragged; 4: it was let go; 8: a key's scroll ended.
    dragging_ = code == 5;
    engine_.Seek(position);
    if (code == 4 || code == 8) engine_.SeekReleased();
}

}  // namespace player::qt
