// The remote client's main window: the skin with its 30 buttons, the sixteen video panes, the
// clock, disk, mode, information and status texts, the preset and speed lists and the volume
// slider. It owns the recorder connection and reacts to what the connection reports (through the
// bridge, on this window's thread); the decisions live in the plain classes of core/.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "client/app/search/progress_box.h"
#include "client/app/settings/client_settings.h"
#include "client/app/window/core/address_book.h"
#include "client/app/window/core/event_sound_rule.h"
#include "client/app/window/core/local_recording_plan.h"
#include "client/net/camera_control.h"
#include "client/net/protocol.h"
#include "output/channel_display.h"

class QComboBox;
class QLabel;
class QTimer;

namespace client {
class DvrConnection;
class RecordingStopWatch;
class AudioOutputSink;
}  // namespace client
namespace output {
class AudioDevice;
class AudioOut;
}  // namespace output
namespace output::qt {
class ChannelCell;
}
namespace client::search {
class SearchWindows;
}
namespace platform {
class RegistryStore;
class StringTable;
}  // namespace platform
namespace ui {
class LanguagePack;
class SkinFrame;
class SkinSlider;
}  // namespace ui

namespace client_app {

class AlarmSound;
class ConnectionBridge;

// What a test or the command line changes about the window.
struct WindowOptions {
    std::string programDir;   // language packs, customisation bitmaps, the player, the installer
    std::string dataDir;      // "IPList.db" and the default recording folders
    int displayType = -1;     // -1: the "DisplayType" setting
    int reconnectMs = 60000;  // timer 2
    int languageId = 1033;    // the interface language in use (the installer is told)
    client::NetTimings timings;
    // Messages go to messageShown() only, never to a message box (tests, screenshots).
    bool quietMessages = false;
    // The sound devices; null: SDL's.
    std::function<std::unique_ptr<output::AudioDevice>()> makeAudioDevice;
    // The clock of the camera repetition and the alarm hold (steady) and of the end time (wall).
    std::function<std::chrono::steady_clock::time_point()> steadyNow;
    std::function<std::time_t()> wallNow;
    // Starting a program beside the client: (path, arguments) -> started.
    std::function<bool(const QString&, const QStringList&)> startProgram;
    // The process's language pack, which the setup dialog switches; null: the setup dialog
    // keeps its language list disabled.
    ui::LanguagePack* languagePack = nullptr;
};

// Where a connection goes: what the address book dialog returns.
struct ConnectionFields {
    std::string dvrName;
    std::string address;
    std::string port;
    std::string user;  // "admin" or "user"
    std::string password;
};

class TelvaWindow final : public QWidget {
    Q_OBJECT
  public:
    TelvaWindow(platform::RegistryStore& settings, platform::StringTable& strings,
                WindowOptions options, QWidget* parent = nullptr);
    ~TelvaWindow() override;

    // Stores the fields and connects, as the connection dialog's OK does.
    void ConnectTo(const ConnectionFields& fields);
    // The window's commands (button identifiers 700..783, 1056, 1082).
    void OnCommand(int command);
    // A numbered notification, as the connection posts it.
    void OnNotification(int message, int parameter);
    // What timer 1, 2, 4 (the local recording's minute), 5 or 6 does when it fires (the window's
    // timers call these).
    void RunTimer(int id);
    // Camera button 0..7 pressed or released, as the mouse does it on buttons 708..715.
    void PressCamera(int index);
    void ReleaseCamera();
    // A double click on the pane of `channel`.
    void DoubleClickPane(int channel);
    void SetViewMode(int mode);
    void ToggleFullScreen();
    // Starts a local recording with the dialog's choices.
    void StartLocalRecording(const client::RecordingChoice& choice);
    void StopLocalRecording();
    // Grabs the window (its skin area) as a picture.
    QImage Grab();

    // What the window shows and holds, for tests and the command line.
    int viewMode() const { return viewMode_; }
    bool fullScreenMode() const { return fullScreen_; }
    bool admin() const { return admin_; }
    bool ButtonVisible(int index) const;
    QString ButtonTooltip(int index) const;
    QWidget* pane(int channel) const;
    QString statusText() const;
    QString modeText() const;
    QString informationText() const;
    QString clockText() const;
    QString lastMessage() const { return lastMessage_; }
    bool alarmPlaying() const;
    bool audioOn() const { return audioOn_; }
    bool streamUp() const { return streamKind_ != 0; }
    bool reconnectPending() const { return reconnectPending_; }
    const LocalRecordingState& recording() const { return recording_; }
    int recordingMinutesCounted() const;
    ConnectionBridge& bridge() { return *bridge_; }
    client::DvrConnection& connection() { return *connection_; }
    client::search::SearchWindows& searchWindows() { return *search_; }
    int displayType() const { return displayType_; }
    bool controlsEnabled() const;
    output::ChannelDisplay& display() { return display_; }
    QComboBox* presetList() const { return presets_; }
    QComboBox* speedList() const { return speeds_; }
    ui::SkinSlider* volumeSlider() const { return volume_; }

  signals:
    // A message the window showed (or would have shown in a box).
    void messageShown(const QString& text);
    // The stream kind changed (1031): 0 stopped, 1 live, ...
    void streamChanged(int kind);
    // The window's texts were put in the interface language anew.
    void relabelled();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Buttons that open the other parts' dialogs.
    void OpenSearch();
    void OpenBackup();
    void OpenSetup();
    void OpenRecordingSettings();
    void OpenUpgrade();
    void OpenBackupList(const QByteArray& answer);
    void ConnectSearchWindows();
    void SetControlsEnabled(bool enabled);
    void OnPlaybackPanel(bool shown);
    // Ends what belongs to the live stream: local recording, the alarm sound, live audio, the
    // reconnect timer and the status line.
    void GiveUpStream();
    void ReconnectLive();
    void ApplyDisplayType(int type);
    void ApplyDeInterlace(bool on);
    void ApplyEventSound(bool on);
    void Relabel();
    void CopyPlayerAfterFileBackup();
    QString InformationLine() const;

    void CreateControls();
    void ApplyViewMode();
    void ApplyButtonSet();
    void ShowCameraControls(bool show);
    void OnConnectButton();
    void OnStreamChanged(int kind);
    void OnConnectionLost();
    void OnAlarm(int message, int parameter);
    void ApplyAlarmAction(EventSoundRule::Action action);
    void ToggleSound();
    void OnVolume(int code, int position);
    void Capture();
    void RecordButton();
    void StartProgram(const char* file, const QStringList& arguments, int missingText);
    void StartInstaller();
    void ShowDiskSpace();
    void ShowInformationBox();
    void RefreshClock();
    void RefreshDiskTexts();
    void ReopenViews();
    // Panes whose channel has shown no picture yet show the idle picture.
    void RefreshIdlePanes();
    void SendPreset(bool set);
    void ShowMessage(int textId);
    void ShowText(const QString& text);
    QString Text(int id) const;
    bool connected() const;
    bool Live() const { return streamKind_ == static_cast<int>(client::StreamKind::Live); }
    std::chrono::steady_clock::time_point SteadyNow() const;
    std::time_t WallNow() const;

    platform::RegistryStore& settings_;
    platform::StringTable& strings_;
    WindowOptions options_;
    client::ClientSettings clientSettings_;
    int displayType_ = 1;
    output::ChannelDisplay display_;
    std::unique_ptr<ConnectionBridge> bridge_;
    std::unique_ptr<output::AudioDevice> audioDevice_;
    std::unique_ptr<output::AudioOut> audioOut_;
    std::unique_ptr<client::AudioOutputSink> audioSink_;
    std::unique_ptr<output::AudioDevice> alarmDevice_;
    std::unique_ptr<AlarmSound> alarm_;
    // In this order: the relay outlives the connection's threads, the search windows go first.
    client::search::ProgressRelay relay_;
    std::unique_ptr<client::DvrConnection> connection_;
    std::unique_ptr<client::search::SearchWindows> search_;
    std::unique_ptr<client::CameraHold> camera_;
    AddressBook book_;

    ui::SkinFrame* skin_ = nullptr;
    std::array<output::qt::ChannelCell*, 16> cells_{};
    std::array<QLabel*, 16> idle_{};
    QLabel* logo_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* clock_ = nullptr;
    QLabel* used_ = nullptr;
    QLabel* free_ = nullptr;
    QLabel* mode_ = nullptr;
    QLabel* info_ = nullptr;
    QLabel* infoArea_ = nullptr;
    QComboBox* presets_ = nullptr;
    QComboBox* speeds_ = nullptr;
    ui::SkinSlider* volume_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    QTimer* timer5_ = nullptr;
    QTimer* timer6_ = nullptr;
    client::RecordingStopWatch* stopWatch_ = nullptr;

    int viewMode_ = 22;
    int rememberedMulti_ = 22;
    bool fullScreen_ = false;
    QRect windowedRect_;
    bool closing_ = false;
    bool admin_ = false;
    bool loggedIn_ = false;  // connected or connecting after the connection dialog
    bool controlsEnabled_ = true;
    bool panelShown_ = false;  // the playback panel stands for buttons 10..27
    ConnectionFields fields_;
    int streamKind_ = 0;
    int channelCount_ = 16;
    EventSoundRule eventSound_;
    bool audioOn_ = false;
    bool audioAvailable_ = false;
    LocalRecordingState recording_;
    bool reconnectPending_ = false;
    int clockTicks_ = 0;
    QString lastMessage_;
};

}  // namespace client_app
