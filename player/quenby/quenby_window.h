// The simple player's window: the recordings of its own folder in a list, the channel cells,
// Play, Pause, Stop, layouts of 1, 4 and 16 cells and the position slider. Everything it does
// goes through the player's engine; the window only shows what the engine reports.
#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "output/channel_display.h"
#include "player/playback_engine.h"
#include "player/player_layout.h"
#include "player/qt/engine_bridge.h"
#include "player/qt/player_audio.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QTimer;

namespace output::qt {
class ChannelCell;
}
namespace platform {
class RegistryStore;
}
namespace ui {
class SkinButton;
class SkinSlider;
}  // namespace ui

namespace quenby {

class QuenbyWindow final : public QWidget {
    Q_OBJECT
  public:
    // `folder` ends in a separator; displayType as the player's (-1: the setting).
    QuenbyWindow(platform::RegistryStore& settings, const std::string& folder, int displayType);
    ~QuenbyWindow() override;

    // Opens and plays the recording of the list's row (false when it cannot be opened).
    bool PlayRow(int row);
    // Opens the first recording paused at its first pictures and grabs the window to `path`
    // once every visible cell shows one; screenshotTaken tells the result.
    void ScreenshotFirstRecording(const QString& path);
    int rowCount() const;
    player::PlaybackEngine& engine() { return engine_; }

  signals:
    void screenshotTaken(bool saved);

  private:
    void BuildControls();
    // A button: Play (103), Pause (104), Stop (105), four cells (113), sixteen cells (119),
    // sound (121).
    void OnCommand(int command);
    void ToggleSound();
    void OnMessage(int textId);
    void OnLayoutChanged(int layoutId);
    void ReopenViews();
    void OnRowActivated(QListWidgetItem* item);
    void ShowRecording(const QString& path);
    void ChooseCells(int count);
    void CheckScreenshot();

    std::string folder_;
    int displayType_;
    output::ChannelDisplay display_;
    player::qt::EngineBridge bridge_;
    player::SteadyClock clock_;
    player::PeriodicTicker ticks_;
    player::qt::PlayerAudio audio_;
    player::PlaybackEngine engine_;

    std::array<output::qt::ChannelCell*, player::kChannelCount> cells_{};
    QListWidget* files_ = nullptr;
    ui::SkinSlider* slider_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* time_ = nullptr;
    QLabel* path_ = nullptr;
    ui::SkinButton* soundButton_ = nullptr;
    bool sound_ = false;
    int singleChannel_ = 0;
    QString screenshotPath_;
    QTimer* screenshotTimer_ = nullptr;
};

}  // namespace quenby
