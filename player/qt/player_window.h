// The player's main window: the skin with its buttons, the sixteen channel cells, the position
// slider, the file list, the path, status and time fields. It only wires the controls to the
// playback engine and shows what the engine reports.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "output/channel_display.h"
#include "player/play_timing.h"
#include "player/playback_engine.h"
#include "player/qt/engine_bridge.h"
#include "player/qt/export_runner.h"
#include "player/qt/folder_walker.h"
#include "player/qt/picture_commands.h"
#include "player/qt/player_audio.h"
#include "ui/language.h"

class QLabel;
class QProgressDialog;
class QTreeWidget;
class QTreeWidgetItem;
class QTimer;

namespace output::qt {
class ChannelCell;
}
namespace platform {
class RegistryStore;
class StringTable;
}  // namespace platform
namespace player {
class StillSearchDialog;
class VideoSearchDialog;
}  // namespace player
namespace ui {
class LanguagePack;
class SkinFrame;
class SkinSlider;
}  // namespace ui

namespace player::qt {

// Command identifiers of the window's buttons (also the ids of their tooltips).
enum PlayerCommand : int {
    kCmdReverse = 102,
    kCmdPlay = 103,
    kCmdPause = 104,
    kCmdStop = 105,
    kCmdPreviousFrame = 106,
    kCmdNextFrame = 107,
    kCmdSlow = 108,
    kCmdFast = 109,
    kCmdWatermark = 110,
    kCmdPrint = 111,
    kCmdCapture = 112,
    kCmdLayoutFirst = 113,  // 113..119: the seven group layouts
    kCmdPanorama = 120,
    kCmdSound = 121,
    kCmdStillSearch = 122,
    kCmdVideoSearch = 123,
    kCmdCaptureMenu = 124,
    kCmdPrintMenu = 126,
    kCmdMinimize = 127,
    kCmdExit = 131,
    kCmdFileOpen = 142,
};

class PlayerWindow final : public QWidget {
    Q_OBJECT
  public:
    PlayerWindow(platform::RegistryStore& settings, platform::StringTable& strings,
                 const std::string& programDir, int displayType = -1);
    ~PlayerWindow() override;

    // Opens a recording as File Open does. `quiet`: no message box; the failure text is returned.
    QString OpenFile(const QString& path, bool quiet = false, int64_t atWallTime = -1);
    void ChooseLayout(int id);
    // When every visible cell shows its first picture (or playing ended), grabs the window to
    // `path` and emits screenshotTaken(ok).
    void ScreenshotWhenReady(const QString& path);
    // While paused: each visible cell shows the newest picture its decoder holds back.
    void ShowHeldPictures();
    // The commands of the buttons, the menu and the keyboard (PlayerCommand, MenuCommand).
    void OnCommand(int command);
    // The pack that live language changes load into (owned by the caller).
    void SetLanguagePack(ui::LanguagePack* pack, ui::Language current);
    void ChooseLanguage(ui::Language language);
    // Starts an export of the open recording without asking (the menu asks first).
    bool StartExport(const ExportOrder& order);
    void ShowFolder(const QString& folder);

    PlaybackEngine& engine() { return engine_; }
    output::ChannelDisplay& display() { return display_; }
    QString statusText() const;
    QString timeText() const;
    output::qt::ChannelCell* cell(int channel) const { return cells_[channel]; }
    QTreeWidget* fileList() const { return files_; }
    QTreeWidget* compactFileList() const { return compact_; }
    FolderWalker& folderWalker() { return *walker_; }
    PictureCommands& pictureCommands() { return pictures_; }
    ExportRunner& exportRunner() { return *exporter_; }
    QProgressDialog* exportProgress() const { return exportProgress_; }
    VideoSearchDialog* videoSearch();
    StillSearchDialog* stillSearch();
    QLabel* watermarkView() const { return checkView_; }
    // Messages go here instead of a message box (tests).
    void SetMessageSink(std::function<void(const QString&)> sink);
    // Lines telling what the window did, for the scripts that drive the program: a command
    // completed, a file opened, the status and time fields changed, the lists filled, the views
    // opened, the window closed.
    void SetTrace(std::function<void(const QString&)> trace);
    const std::optional<int64_t>& markIn() const { return markIn_; }
    const std::optional<int64_t>& markOut() const { return markOut_; }

  signals:
    void screenshotTaken(bool ok);
    void exportFinished(bool ok, const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void OnLayoutChanged(int layoutId);
    void OnMessage(int textId);
    void OnFileActivated(QTreeWidgetItem* item);
    void OnRecordingChanged(const QString& path);
    void ShowPath(const QString& path);
    void ReopenViews();
    void ShowFileDialog();
    void FillFileList(const QString& folder);
    void ShowWalkedRows();
    void SyncSelection(QTreeWidget* from);
    void RemoveRow(const QString& path);
    PictureContext CurrentPicture() const;
    void ToggleWatermark();
    void OpenVideoChoice();
    void SetMark(bool in);
    void AskExport(bool evidence);
    void ExportDone();
    void Tell(const QString& text);
    void Trace(const QString& line);
    void TraceStillSearch();
    void RetranslateTexts();
    void CheckScreenshot();
    void InstallShortcuts();
    void ToggleSound();
    QString Text(int id) const;

    platform::RegistryStore& settings_;
    platform::StringTable& strings_;
    std::string programDir_;
    int displayType_;
    output::ChannelDisplay display_;
    EngineBridge bridge_;
    SteadyClock clock_;
    PeriodicTicker ticks_;
    PlayerAudio audio_;
    PlaybackEngine engine_;
    ui::SkinFrame* skin_ = nullptr;
    ui::SkinSlider* slider_ = nullptr;
    std::array<output::qt::ChannelCell*, kChannelCount> cells_{};
    QWidget* logoCell_ = nullptr;
    QTreeWidget* files_ = nullptr;
    QTreeWidget* compact_ = nullptr;
    QLabel* checkView_ = nullptr;
    FolderWalker* walker_ = nullptr;
    PictureCommands pictures_;
    ExportRunner* exporter_ = nullptr;
    QProgressDialog* exportProgress_ = nullptr;
    VideoSearchDialog* videoSearch_ = nullptr;
    StillSearchDialog* stillSearch_ = nullptr;
    ui::LanguagePack* languagePack_ = nullptr;
    ui::Language language_ = ui::Language::English;
    std::optional<int64_t> markIn_;
    std::optional<int64_t> markOut_;
    std::function<void(const QString&)> message_;
    std::function<void(const QString&)> trace_;
    QLabel* path_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* time_ = nullptr;
    QTimer* screenshotTimer_ = nullptr;
    QString screenshotPath_;
    QString selectAfterWalk_;
    bool sound_ = false;
};

}  // namespace player::qt
