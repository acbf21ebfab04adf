// Ties a window's position slider to the engine: the engine's position moves the thumb unless the
// user is dragging it, and the user's scrolling seeks.
#pragma once

#include <QObject>

#include "player/playback_engine.h"
#include "player/qt/engine_bridge.h"

namespace ui {
class SkinSlider;
}

namespace player::qt {

class PositionSliderLink final : public QObject {
    Q_OBJECT
  public:
    PositionSliderLink(ui::SkinSlider* slider, EngineBridge& bridge, PlaybackEngine& engine,
                       QObject* parent);

  private:
    void OnPosition(qint64 position, qint64 maximum);
    void OnScrolled(int code, int position);

    ui::SkinSlider* slider_;
    PlaybackEngine& engine_;
    bool dragging_ = false;
};

}  // namespace player::qt
