#include "client/app/window/telva_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "client/app/search/calendar_search_dialog.h"
#include "client/app/search/event_search_dialog.h"
#include "client/app/search/playback_panel.h"
#include "client/app/search/search_result_dialog.h"
#include "client/app/search/search_texts.h"
#include "client/app/search/search_windows.h"
#include "client/app/search/simple_player_copy.h"
#include "client/app/settings/recording_settings_dialog.h"
#include "client/app/settings/recording_stop_watch.h"
#include "client/app/settings/setup_dialog.h"
#include "client/app/upgrade/backup_list_dialog.h"
#include "client/app/upgrade/upgrade_dialog.h"
#include "client/app/window/address_book_dialog.h"
#include "client/app/window/connection_bridge.h"
#include "client/app/window/core/alarm_sound.h"
#include "client/app/window/core/client_startup.h"
#include "client/app/window/core/view_layout.h"
#include "client/app/window/core/window_texts.h"
#include "client/app/window/disk_space_dialog.h"
#include "client/net/audio_output_sink.h"
#include "client/net/client_strings.h"
#include "client/net/dvr_connection.h"
#include "media/still_image.h"
#include "media/wall_time.h"
#include "output/audio_out.h"
#include "output/qt/channel_cell.h"
#include "output/sdl_audio_device.h"
#include "platform/registry_store.h"
#include "platform/string_table.h"
#include "ui/art/telva_main_layout.h"
#include "ui/capture_save_dialog.h"
#include "ui/language.h"
#include "ui/language_pack.h"
#include "ui/skin_button.h"
#include "ui/skin_frame.h"
#include "ui/skin_resources.h"
#include "ui/skin_slider.h"
#include "ui/still_save.h"

namespace client_app {
namespace {

enum Command : int {
    kCmdSound = 707,
    kCmdCameraFirst = 708,
    kCmdCameraLast = 715,
    kCmdConnect = 716,
    kCmdPlayer = 717,
    kCmdFullScreen = 718,
    kCmdSetup = 719,
    kCmdDvrRecord = 720,
    kCmdDvrSearch = 721,
    kCmdDvrBackup = 722,
    kCmdDvrSetup = 723,
    kCmdExit = 724,
    kCmdCapture = 725,
    kCmdRecord = 726,
    kCmdPresetSet = 727,
    kCmdPresetGoto = 728,
    kCmdMinimize = 783,
    kCmdDiskSpace = 1056,
    kCmdInformation = 1082,
};

enum Text : int {
    kTextCheckConnection = 2000,
    kTextDvrName = 2001,
    kTextDvrAddress = 2002,
    kTextAudioFailed = 2028,
    kTextProgramInformation = 2044,
    kTextHddFull = 2051,
    kTextPlayerMissing = 2054,
    kTextInstallerMissing = 2055,
    kTextFullScreenHint = 2060,
};

constexpr int kRecordControlOperation = 11;
constexpr int kClockBitmap = 351;
constexpr QPoint kClockBitmapAt{679, 96};
constexpr int kModeBitmap = 383;
constexpr QPoint kModeBitmapAt{690, 169};
constexpr int kFileLogo = 304;
constexpr QPoint kFileLogoAt{679, 30};
constexpr int kLogoPanel = 303;
constexpr int kIdlePane = 302;
constexpr int kWaveAlarm = 408;

// Active state bitmaps of the layout buttons (the hover bitmap as the normal one).
void LayoutButtonBitmaps(int index, bool active, int* normal, int* pressed, int* hover) {
    const ui::SkinButtonSpec& b = ui::art::kTelvaMainButtons[static_cast<size_t>(index)];
    *normal = active ? b.hover : b.normal;
    *pressed = b.pressed;
    *hover = b.hover;
}

QLabel* MakeText(QWidget* parent, QRect rect, const char* style, Qt::Alignment align) {
    auto* label = new QLabel(parent);
    label->setGeometry(rect);
    label->setAlignment(align);
    label->setStyleSheet(QString::fromLatin1(style));
    return label;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The connection the fields name; a port that is empty or out of range is the recorder's 80.
client::ConnectionParams ParamsOf(const ConnectionFields& fields) {
    client::ConnectionParams p;
    p.dvrName = fields.dvrName;
    p.host = fields.address;
    const long port = std::strtol(fields.port.c_str(), nullptr, 10);
    p.port = static_cast<uint16_t>(port > 0 && port <= 65535 ? port : 80);
    p.user = fields.user;
    p.password = fields.password;
    return p;
}

}  // namespace

TelvaWindow::TelvaWindow(platform::RegistryStore& settings, platform::StringTable& strings,
                         WindowOptions options, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      strings_(strings),
      options_(std::move(options)),
      clientSettings_(settings, options_.programDir, options_.dataDir),
      display_(settings, nullptr),
      book_(options_.programDir + "Factory_Connection.ini", options_.dataDir + "IPList.db") {
    displayType_ = options_.displayType >= 0 ? options_.displayType
                                             : (clientSettings_.DisplayType() == 1 ? 1 : 0);
    auto makeDevice = [this]() -> std::unique_ptr<output::AudioDevice> {
        if (options_.makeAudioDevice) return options_.makeAudioDevice();
        return std::make_unique<output::SdlAudioDevice>();
    };
    audioDevice_ = makeDevice();
    alarmDevice_ = makeDevice();
    audioOut_ = std::make_unique<output::AudioOut>(*audioDevice_);
    audioSink_ = std::make_unique<client::AudioOutputSink>(*audioOut_);
    alarm_ = std::make_unique<AlarmSound>(*alarmDevice_);
    bridge_ =
        std::make_unique<ConnectionBridge>(display_, displayType_, *audioSink_,
                                           [out = audioOut_.get()] { return out->volumeLevel(); });
    {
        QFile wave(ui::SkinSoundPath(kWaveAlarm));
        if (wave.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = wave.readAll();
            alarm_->SetSamples(
                DecodeWaveForDevice({reinterpret_cast<const uint8_t*>(bytes.constData()),
                                     static_cast<size_t>(bytes.size())}));
        }
    }
    connection_ =
        std::make_unique<client::DvrConnection>(*bridge_, *bridge_, *bridge_, options_.timings);
    search_ = std::make_unique<client::search::SearchWindows>(*connection_, relay_, this);
    QPointer<TelvaWindow> self(this);
    camera_ = std::make_unique<client::CameraHold>(
        [this](int channel, const std::string& req, client::CameraHold::SendDone done) {
            connection_->commands().Camera(channel, req, std::move(done));
        },
        [this] { return std::max(0, speeds_->currentIndex()); }, [this] { return viewMode_; },
        [self](int) {
            QMetaObject::invokeMethod(
                self,
                [self] {
                    if (self) self->ShowMessage(kTextCheckConnection);
                },
                Qt::QueuedConnection);
        });

    setWindowTitle(QStringLiteral("Telva_M4"));
    setFocusPolicy(Qt::StrongFocus);
    display_.SetShowLiveState(true);
    CreateControls();

    connect(bridge_.get(), &ConnectionBridge::notified, this, &TelvaWindow::OnNotification,
            Qt::QueuedConnection);
    connect(
        bridge_.get(), &ConnectionBridge::messageShown, this,
        [this](int, const QString& text) { ShowText(text); }, Qt::QueuedConnection);
    connect(bridge_.get(), &ConnectionBridge::timeShown, status_, &QLabel::setText,
            Qt::QueuedConnection);
    connect(
        bridge_.get(), &ConnectionBridge::channelInfoChanged, this,
        [this](int count) {
            channelCount_ = count;
            search_->SetChannelCount(count);
            ApplyButtonSet();
        },
        Qt::QueuedConnection);
    connect(bridge_.get(), &ConnectionBridge::viewsToReopen, this, &TelvaWindow::ReopenViews,
            Qt::QueuedConnection);
    connect(bridge_.get(), &ConnectionBridge::firstPicture, this, &TelvaWindow::RefreshIdlePanes,
            Qt::QueuedConnection);
    ConnectSearchWindows();

    // Hidden until a login allows them: presets and camera, the recorder functions.
    skin_->HideButtons(kButtonPresetSet, 10);
    skin_->HideButtons(kButtonRecorderFirst, 4);
    presets_->setEnabled(false);
    speeds_->setEnabled(false);
    presets_->hide();
    speeds_->hide();
    volume_->setRange(0, 17);
    volume_->setEnabled(false);

    {
        std::lock_guard lock(bridge_->decodeLock());
        display_.OpenDecoders(displayType_);
    }
    ReopenViews();
    SetViewMode(kModeAll);
    eventSound_.SetEnabled(clientSettings_.EventSound());

    RefreshDiskTexts();
    RefreshClock();
    auto makeTimer = [this](int id, int ms, bool single) {
        auto* t = new QTimer(this);
        t->setInterval(ms);
        t->setSingleShot(single);
        connect(t, &QTimer::timeout, this, [this, id] { RunTimer(id); });
        return t;
    };
    timer1_ = makeTimer(1, 1000, false);
    timer2_ = makeTimer(2, options_.reconnectMs, true);
    timer5_ = makeTimer(5, static_cast<int>(EventSoundRule::kMotionHold.count()), true);
    timer6_ = makeTimer(6, static_cast<int>(client::CameraHold::kPeriod.count()), false);
    // One watch ends a local recording of either kind: minute ticks for a duration, a check
    // once a minute for an end time.
    stopWatch_ =
        new client::RecordingStopWatch(this, std::chrono::minutes(1), [this] { return WallNow(); });
    connect(stopWatch_, &client::RecordingStopWatch::stopDue, this,
            &TelvaWindow::StopLocalRecording);
    timer1_->start();
}

TelvaWindow::~TelvaWindow() {
    closing_ = true;
    StopLocalRecording();
    alarm_->Stop();
    connection_->stream().Stop(true);
    connection_->stream().WaitStopped();
    search_.reset();
    connection_.reset();
    // The cells detach from the display before it closes.
    for (auto*& cell : cells_) {
        delete cell;
        cell = nullptr;
    }
    display_.Close();
    audioOut_->Close();
}

// ---- controls -----------------------------------------------------------------------------

void TelvaWindow::CreateControls() {
    skin_ = new ui::SkinFrame(this, ui::art::kTelvaMainButtons, strings_);
    skin_->Create(ui::art::kTelvaMainBackground, 30);
    connect(skin_, &ui::SkinFrame::commandTriggered, this, &TelvaWindow::OnCommand);
    for (int i = 0; i < skin_->ButtonCount(); ++i) {
        skin_->Button(i)->setFocusPolicy(Qt::NoFocus);
        if (i >= kButtonCameraFirst && i < kButtonCameraFirst + 8)
            skin_->Button(i)->installEventFilter(this);
    }
    logo_ = new QLabel(this);
    logo_->hide();
    for (int c = 0; c < 16; ++c) {
        cells_[c] = new output::qt::ChannelCell(display_, c, this);
        cells_[c]->hide();
        idle_[c] = new QLabel(cells_[c]);
        idle_[c]->setScaledContents(true);
        idle_[c]->setAttribute(Qt::WA_TransparentForMouseEvents);
        connect(cells_[c], &output::qt::ChannelCell::fellBackToRgb, this,
                [this] { clientSettings_.SetDisplayType(1); });
    }
    const char* white = "color: white; background: transparent;";
    status_ = MakeText(this, QRect(85, 33, 440, 25),
                       "color: white; background: #525552; padding-left: 6px;",
                       Qt::AlignVCenter | Qt::AlignLeft);
    clock_ = MakeText(this, QRect(689, 121, 167, 20), white, Qt::AlignCenter);
    used_ = MakeText(this, QRect(85, 612, 200, 20), "color: white; background: #F78E00;",
                     Qt::AlignCenter);
    free_ = MakeText(this, QRect(295, 612, 200, 20), "color: #F78E00; background: white;",
                     Qt::AlignCenter);
    for (QLabel* l : {used_, free_}) {
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }
    mode_ =
        MakeText(this, QRect(690, 169, 162, 23),
                 "color: #5554A0; background: transparent; font-weight: bold;", Qt::AlignCenter);
    info_ = MakeText(this, QRect(688, 219, 166, 85),
                     "color: #5554A0; background: #E6EEFA; padding: 2px;",
                     Qt::AlignTop | Qt::AlignLeft);
    info_->setWordWrap(true);
    infoArea_ = MakeText(this, QRect(10, 5, 120, 24), white, Qt::AlignLeft);
    infoArea_->setToolTip(Text(kTextProgramInformation));
    infoArea_->installEventFilter(this);

    const char* listStyle =
        "QComboBox { background: #101317; color: #d8dee9; border: 1px solid #3a4250; }";
    presets_ = new QComboBox(this);
    presets_->setGeometry(687, 339, 102, 21);
    for (int n = 1; n <= 99; ++n)
        presets_->addItem(QStringLiteral("Preset %1").arg(n));
    presets_->setCurrentIndex(0);
    speeds_ = new QComboBox(this);
    speeds_->setGeometry(760, 316, 104, 20);
    speeds_->addItems({QStringLiteral("Slow"), QStringLiteral("Normal"), QStringLiteral("Fast"),
                       QStringLiteral("Very Fast")});
    speeds_->setCurrentIndex(2);
    for (QComboBox* list : {presets_, speeds_}) {
        list->setStyleSheet(QString::fromLatin1(listStyle));
        list->setFocusPolicy(Qt::NoFocus);
    }

    volume_ = new ui::SkinSlider(this);
    volume_->setGeometry(ui::art::kTelvaVolumeLeft, ui::art::kTelvaVolumeTop,
                         ui::art::kTelvaVolumeWidth, ui::art::kTelvaVolumeHeight);
    const int* vb = ui::art::kTelvaVolumeBitmaps;
    volume_->SetBitmaps(vb[0], vb[1], vb[2], vb[3], vb[4], 6);
    volume_->setFocusPolicy(Qt::NoFocus);
    connect(volume_, &ui::SkinSlider::scrolled, this, &TelvaWindow::OnVolume);
}

QString TelvaWindow::Text(int id) const {
    return Q(strings_.Text(id));
}

bool TelvaWindow::ButtonVisible(int index) const {
    return skin_->Button(index) && !skin_->Button(index)->isHidden();
}

QString TelvaWindow::ButtonTooltip(int index) const {
    return skin_->Button(index) ? skin_->Button(index)->toolTip() : QString();
}

QWidget* TelvaWindow::pane(int channel) const {
    return channel >= 0 && channel < 16 ? cells_[channel] : nullptr;
}
QString TelvaWindow::statusText() const {
    return status_->text();
}
QString TelvaWindow::modeText() const {
    return mode_->text();
}
QString TelvaWindow::informationText() const {
    return info_->text();
}
QString TelvaWindow::clockText() const {
    return clock_->text();
}
int TelvaWindow::recordingMinutesCounted() const {
    return stopWatch_->MinutesCounted();
}
bool TelvaWindow::alarmPlaying() const {
    return eventSound_.playing();
}
bool TelvaWindow::connected() const {
    return connection_->stream().connected();
}

std::chrono::steady_clock::time_point TelvaWindow::SteadyNow() const {
    return options_.steadyNow ? options_.steadyNow() : std::chrono::steady_clock::now();
}
std::time_t TelvaWindow::WallNow() const {
    return options_.wallNow ? options_.wallNow() : std::time(nullptr);
}

void TelvaWindow::ShowText(const QString& text) {
    lastMessage_ = text;
    emit messageShown(text);
    if (options_.quietMessages) return;
    // Shown without a nested event loop and without blocking: the connection's notifications
    // keep their order, and a dialog that opens meanwhile (the calendar after "No More Video!!")
    // stays usable instead of waiting on a box it may cover.
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Telva_M4"), text,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void TelvaWindow::ShowMessage(int textId) {
    ShowText(Text(textId));
}

// ---- commands -----------------------------------------------------------------------------

void TelvaWindow::OnCommand(int command) {
    if (const int mode = ModeOfLayoutCommand(command); mode >= 0) {
        SetViewMode(mode);
        return;
    }
    switch (command) {
        case kCmdSound:
            ToggleSound();
            break;
        case kCmdConnect:
            OnConnectButton();
            break;
        case kCmdPlayer:
            StartProgram("Orvane_M4", {}, kTextPlayerMissing);
            break;
        case kCmdFullScreen:
            ToggleFullScreen();
            break;
        case kCmdSetup:
            OpenSetup();
            break;
        case kCmdDvrRecord:
            if (connected())
                connection_->commands().Control({kRecordControlOperation, "", 0, "", 0});
            break;
        case kCmdDvrSearch:
            OpenSearch();
            break;
        case kCmdDvrBackup:
            OpenBackup();
            break;
        case kCmdDvrSetup:
            StartInstaller();
            break;
        case kCmdExit:
            closing_ = true;
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            break;
        case kCmdCapture:
            Capture();
            break;
        case kCmdRecord:
            RecordButton();
            break;
        case kCmdPresetSet:
        case kCmdPresetGoto:
            SendPreset(command == kCmdPresetSet);
            break;
        case kCmdMinimize:
            showMinimized();
            break;
        case kCmdDiskSpace:
            ShowDiskSpace();
            break;
        case kCmdInformation:
            ShowInformationBox();
            break;
        default:
            break;  // the camera buttons act on press and release
    }
}

// ---- the recorder's search, backup, setup and upgrade dialogs ---------------------------

void TelvaWindow::ConnectSearchWindows() {
    using client::search::SearchWindows;
    connect(search_.get(), &SearchWindows::windowEnabled, this, &TelvaWindow::SetControlsEnabled);
    connect(search_.get(), &SearchWindows::message, this,
            [this](int, const QString& text) { ShowText(text); });
    connect(search_.get(), &SearchWindows::reconnectLive, this, &TelvaWindow::ReconnectLive);
    connect(search_.get(), &SearchWindows::playbackPanelShown, this, &TelvaWindow::OnPlaybackPanel);
    connect(search_.get(), &SearchWindows::streamTaken, this, &TelvaWindow::GiveUpStream);
    // The list of a file backup runs modally: it is opened after the answer's slot returned.
    connect(search_.get(), &SearchWindows::fileListArrived, this, &TelvaWindow::OpenBackupList,
            Qt::QueuedConnection);
}

void TelvaWindow::OpenSearch() {
    if (fields_.address.empty()) {
        ShowMessage(kTextCheckConnection);
        return;
    }
    search_->OpenSearch();
}

void TelvaWindow::OpenBackup() {
    if (fields_.address.empty()) {
        ShowMessage(kTextCheckConnection);
        return;
    }
    // The backup goes to the folder of the settings, read now (the setup dialog may change it).
    client::RecorderSettings rs;
    rs.recordRoot = clientSettings_.RecordPath();
    rs.backupRoot = clientSettings_.BackupPath();
    connection_->recorder().Configure(rs);
    search_->SetSimplePlayer(
        {clientSettings_.CopyQuenby(), options_.programDir, clientSettings_.BackupPath()});
    search_->OpenBackup();
}

void TelvaWindow::OpenBackupList(const QByteArray& answer) {
    clientapp::BackupListSetup setup;
    setup.connection = ParamsOf(fields_);
    setup.backupFolder = clientSettings_.BackupPath();
    clientapp::BackupListDialog dialog(std::string_view(answer.constData(), answer.size()),
                                       std::move(setup), this);
    connect(&dialog, &clientapp::BackupListDialog::backupCompleted, this,
            &TelvaWindow::CopyPlayerAfterFileBackup);
    connect(&dialog, &clientapp::BackupListDialog::messageShown, this,
            [this](int, const QString& text) { lastMessage_ = text; });
    dialog.exec();
}

void TelvaWindow::CopyPlayerAfterFileBackup() {
    // The list shows "Backup completed." itself once this returns; a missing player comes first.
    const client::search::SimplePlayerCopy copy = client::search::CopySimplePlayer(
        clientSettings_.CopyQuenby(), options_.programDir, clientSettings_.BackupPath());
    for (int id : client::search::BackupEndMessages(copy, client::search::BackupKind::TimeRange))
        ShowText(client::search::SearchText(id));
}

void TelvaWindow::SetControlsEnabled(bool enabled) {
    // The dialogs are the window's children: only the window's own controls are switched.
    for (int i = 0; i < skin_->ButtonCount(); ++i)
        skin_->Button(i)->setEnabled(enabled);
    for (QWidget* w : std::initializer_list<QWidget*>{presets_, speeds_, volume_, infoArea_})
        w->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
    controlsEnabled_ = enabled;
}

bool TelvaWindow::controlsEnabled() const {
    return controlsEnabled_;
}

void TelvaWindow::OnPlaybackPanel(bool shown) {
    panelShown_ = shown;
    if (shown) {
        skin_->HideButtons(kButtonPresetSet, 18);
        presets_->setEnabled(false);
        speeds_->setEnabled(false);
        return;
    }
    ApplyButtonSet();
}

void TelvaWindow::GiveUpStream() {
    StopLocalRecording();
    ApplyAlarmAction(eventSound_.Stop());
    if (audioOn_) ToggleSound();
    timer2_->stop();
    reconnectPending_ = false;
    status_->clear();
}

void TelvaWindow::ReconnectLive() {
    if (fields_.address.empty()) return;
    status_->clear();
    ConnectTo(fields_);
}

void TelvaWindow::OpenSetup() {
    ui::LanguagePack fallback(strings_);
    ui::LanguagePack& pack = options_.languagePack ? *options_.languagePack : fallback;
    client::SetupDialog dialog(
        clientSettings_, strings_, pack,
        {options_.programDir, options_.languagePack != nullptr && options_.languageId != 255},
        this);
    connect(&dialog, &client::SetupDialog::languageChanged, this, &TelvaWindow::Relabel);
    connect(&dialog, &client::SetupDialog::displayTypeChanged, this,
            &TelvaWindow::ApplyDisplayType);
    connect(&dialog, &client::SetupDialog::deInterlacedChanged, this,
            &TelvaWindow::ApplyDeInterlace);
    connect(&dialog, &client::SetupDialog::eventSoundChanged, this, &TelvaWindow::ApplyEventSound);
    dialog.exec();
    Relabel();
}

void TelvaWindow::Relabel() {
    skin_->RefreshTooltips(skin_->ButtonCount());
    infoArea_->setToolTip(Text(kTextProgramInformation));
    if (!info_->text().isEmpty()) info_->setText(InformationLine());
    emit relabelled();
}

QString TelvaWindow::InformationLine() const {
    return Q(InformationText(admin_, strings_.Text(kTextDvrName), fields_.dvrName,
                             strings_.Text(kTextDvrAddress), fields_.address));
}

void TelvaWindow::ApplyDisplayType(int type) {
    // Without a GPU surface (the offscreen platform) the panes stay RGB; the stored choice
    // takes effect where the next start can show it.
    const bool gpuPossible = QGuiApplication::platformName() != QLatin1String("offscreen");
    displayType_ = type == 0 && gpuPossible ? 0 : 1;
    {
        std::lock_guard lock(bridge_->decodeLock());
        bridge_->SetDisplayType(displayType_);
        display_.OpenDecoders(displayType_);
    }
    ReopenViews();
}

void TelvaWindow::ApplyDeInterlace(bool on) {
    {
        std::lock_guard lock(bridge_->decodeLock());
        display_.SetDeinterlace(on);
        display_.OpenDecoders(displayType_);
    }
    ReopenViews();
}

void TelvaWindow::ApplyEventSound(bool on) {
    if (!on) ApplyAlarmAction(eventSound_.Stop());
    eventSound_.SetEnabled(on);
}

void TelvaWindow::OpenRecordingSettings() {
    client::RecordingSettingsDialog dialog(clientSettings_, client::ClientStrings(), channelCount_,
                                           this);
    if (dialog.exec() != QDialog::Accepted) return;
    StartLocalRecording(dialog.Choice());
}

void TelvaWindow::OpenUpgrade() {
    clientapp::UpgradeDialog dialog(this);
    // The connected recorder is offered; its HTTP port only when it is not the default.
    if (!fields_.address.empty()) dialog.SetAddress(Q(fields_.address), Q(fields_.port));
    connect(&dialog, &clientapp::UpgradeDialog::messageShown, this,
            [this](int, const QString& text) { lastMessage_ = text; });
    dialog.exec();
}

// ---- layouts ------------------------------------------------------------------------------

void TelvaWindow::SetViewMode(int mode) {
    if (!IsValidMode(mode)) return;
    // The view is frozen while one recorder file plays.
    if (streamKind_ == static_cast<int>(client::StreamKind::FilePlayback) && mode != viewMode_)
        return;
    const int before = LayoutButtonOf(viewMode_);
    viewMode_ = mode;
    if (!IsSingleMode(mode)) rememberedMulti_ = mode;
    const int after = LayoutButtonOf(mode);
    for (int index : {before, after}) {
        if (index < 0) continue;
        int n, p, h;
        LayoutButtonBitmaps(index, index == after, &n, &p, &h);
        skin_->SetButtonBitmaps(index, n, p, h);
    }
    ApplyViewMode();
    ShowCameraControls(IsSingleMode(mode) && admin_ && Live());
}

void TelvaWindow::ApplyViewMode() {
    for (auto* cell : cells_)
        cell->hide();
    logo_->hide();
    const QRect area = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
    for (const PanePlace& p : PanesOf(viewMode_, fullScreen_, area.width(), area.height())) {
        QWidget* w = p.channel == kLogoPane ? static_cast<QWidget*>(logo_) : cells_[p.channel];
        w->setGeometry(p.rect.x, p.rect.y, p.rect.width, p.rect.height);
        w->show();
        w->raise();
    }
    if (logo_->isVisible()) {
        // "Logo.bmp" beside the program, tested at each drawing; else the built-in panel.
        const QString file = Q(options_.programDir) + QStringLiteral("Logo.bmp");
        QPixmap picture = QFileInfo::exists(file) ? QPixmap(file) : QPixmap();
        if (picture.isNull()) picture = ui::SkinBitmap(kLogoPanel, devicePixelRatioF());
        logo_->setPixmap(picture.scaled(logo_->size() * devicePixelRatioF()));
        logo_->setScaledContents(true);
    }
    for (int c = 0; c < 16; ++c)
        display_.Redraw(c);
    RefreshIdlePanes();
    update();
}

void TelvaWindow::RefreshIdlePanes() {
    // "MainDefault.bmp" beside the program, tested each time; else the built-in idle picture.
    const QString file = Q(options_.programDir) + QStringLiteral("MainDefault.bmp");
    QPixmap picture = QFileInfo::exists(file) ? QPixmap(file) : QPixmap();
    if (picture.isNull()) picture = ui::SkinBitmap(kIdlePane, devicePixelRatioF());
    for (int c = 0; c < 16; ++c) {
        const bool idle = bridge_->picturesShown(c) == 0 && !cells_[c]->isHidden();
        if (idle) {
            idle_[c]->setGeometry(cells_[c]->rect());
            idle_[c]->setPixmap(picture);
            idle_[c]->raise();
        }
        idle_[c]->setVisible(idle);
    }
}

void TelvaWindow::DoubleClickPane(int channel) {
    if (channel < 0 || channel >= 16) return;
    if (IsSingleMode(viewMode_))
        SetViewMode(rememberedMulti_);
    else
        SetViewMode(channel);
}

void TelvaWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!controlsEnabled_) return;
    const QPoint at = event->position().toPoint();
    for (int c = 0; c < 16; ++c)
        if (cells_[c]->isVisible() && cells_[c]->geometry().contains(at)) {
            DoubleClickPane(c);
            return;
        }
    QWidget::mouseDoubleClickEvent(event);
}

void TelvaWindow::ReopenViews() {
    {
        std::lock_guard lock(bridge_->decodeLock());
        for (auto* cell : cells_)
            cell->Open(displayType_);
    }
    ApplyViewMode();
}

// ---- buttons a login shows ----------------------------------------------------------------

void TelvaWindow::ShowCameraControls(bool show) {
    if (fullScreen_) show = false;
    if (show)
        skin_->ShowButtons(kButtonPresetSet, 10);
    else
        skin_->HideButtons(kButtonPresetSet, 10);
    presets_->setVisible(show || (!fullScreen_ && streamKind_ != 0));
    speeds_->setVisible(presets_->isVisible());
    presets_->setEnabled(show);
    speeds_->setEnabled(show);
    if (!show && camera_ && camera_->held()) ReleaseCamera();
}

void TelvaWindow::ApplyButtonSet() {
    if (fullScreen_) return;
    const std::array<bool, 30> shown = ButtonsForLogin(admin_, channelCount_);
    for (int i = 0; i < 30; ++i) {
        if (shown[i])
            skin_->ShowButtons(i, 1);
        else
            skin_->HideButtons(i, 1);
    }
    // The recorder functions need a login as administrator; the camera a single channel too.
    if (!admin_ || !loggedIn_) skin_->HideButtons(kButtonRecorderFirst, 4);
    if (panelShown_) {
        // The playback panel stands where the camera and recorder buttons are.
        skin_->HideButtons(kButtonPresetSet, 18);
        presets_->setEnabled(false);
        speeds_->setEnabled(false);
        return;
    }
    ShowCameraControls(IsSingleMode(viewMode_) && admin_ && Live());
}

// ---- full screen --------------------------------------------------------------------------

void TelvaWindow::ToggleFullScreen() {
    if (!fullScreen_) {
        if (!options_.quietMessages)
            QMessageBox::information(this, QStringLiteral("Telva_M4"), Text(kTextFullScreenHint));
        windowedRect_ = geometry();
        fullScreen_ = true;
        skin_->HideButtons(0, 30);
        for (QWidget* w :
             std::initializer_list<QWidget*>{presets_, speeds_, clock_, used_, free_, mode_, info_,
                                             volume_, infoArea_, status_})
            w->hide();
        clearMask();
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        showFullScreen();
        ApplyViewMode();
        return;
    }
    fullScreen_ = false;
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    showNormal();
    setGeometry(windowedRect_);
    for (QWidget* w : std::initializer_list<QWidget*>{clock_, used_, free_, mode_, info_, volume_,
                                                      infoArea_, status_})
        w->show();
    skin_->SetBackground(ui::art::kTelvaMainBackground);  // the rounded outline again
    ApplyButtonSet();
    ApplyViewMode();
}

// ---- keys ---------------------------------------------------------------------------------

void TelvaWindow::keyPressEvent(QKeyEvent* event) {
    if (!controlsEnabled_) return;  // a calendar, wait or progress box is open
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            OnConnectButton();
            return;
        case Qt::Key_Escape:
            if (fullScreen_) ToggleFullScreen();
            return;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

bool TelvaWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
        type == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return QWidget::eventFilter(watched, event);
        for (int i = 0; i < 8; ++i) {
            if (watched != skin_->Button(kButtonCameraFirst + i)) continue;
            if (type == QEvent::MouseButtonRelease)
                ReleaseCamera();
            else
                PressCamera(ui::art::kTelvaMainButtons[kButtonCameraFirst + i].command -
                            kCmdCameraFirst);
            return false;  // the button still shows its pressed bitmap
        }
        if (type == QEvent::MouseButtonRelease && (watched == used_ || watched == free_)) {
            OnCommand(kCmdDiskSpace);
            return true;
        }
        if (type == QEvent::MouseButtonRelease && watched == infoArea_) {
            OnCommand(kCmdInformation);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- camera -------------------------------------------------------------------------------

void TelvaWindow::PressCamera(int index) {
    if (camera_->held() || !IsSingleMode(viewMode_) || !admin_) return;
    camera_->Press(index, SteadyNow());
    timer6_->start();
}

void TelvaWindow::ReleaseCamera() {
    timer6_->stop();
    camera_->Release();
}

void TelvaWindow::SendPreset(bool set) {
    if (!IsSingleMode(viewMode_) || !admin_) return;
    const int preset = presets_->currentIndex() + 1;
    connection_->commands().Camera(
        viewMode_, set ? client::PresetSetReq(preset) : client::PresetGotoReq(preset), {});
}

// ---- connecting ---------------------------------------------------------------------------

void TelvaWindow::OnConnectButton() {
    AddressBookDialog dialog(book_, strings_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const AddressFields f = dialog.fields();
    ConnectTo({f.entry.name, f.entry.address, f.entry.port, dialog.userId(), f.password});
}

void TelvaWindow::ConnectTo(const ConnectionFields& fields) {
    GiveUpStream();
    connection_->stream().Stop(true);
    OnStreamChanged(0);
    fields_ = fields;
    admin_ = fields.user == "admin";
    loggedIn_ = true;
    ApplyButtonSet();
    connection_->ConnectLive(ParamsOf(fields));
}

void TelvaWindow::OnNotification(int message, int parameter) {
    // The search windows take their part of every notification first (playback, backup,
    // search); the window still shows the stream's mode and state itself.
    search_->OnNotification(static_cast<client::Notification>(message), parameter);
    switch (message) {
        case 0x407:
            OnStreamChanged(parameter);
            break;
        case 0x408:
            audioAvailable_ = true;
            volume_->setValue(parameter);
            volume_->setEnabled(true);
            if (!audioOn_) {
                audioOn_ = true;
                if (!fullScreen_) skin_->SetButtonBitmaps(kButtonSound, 396, 394, 396);
            }
            break;
        case 0x40C:
        case 0x40D:
            OnAlarm(message, parameter);
            break;
        case 0x40F:
            OnConnectionLost();
            break;
        case 0x411:
            StopLocalRecording();
            break;
        case 0x413:
            if (client::EnoughFreeSpace(client::FreeSpaceOf(options_.programDir).value_or(0)))
                StartLocalRecording(recording_.choice());
            else
                ShowMessage(kTextHddFull);
            break;
        case 0x414:
            if (streamKind_ != static_cast<int>(client::StreamKind::BackupDownload))
                mode_->setText(Q(PlaybackModeText(parameter)));
            break;
        case 0x416:
            audioAvailable_ = false;
            audioOn_ = false;
            skin_->SetButtonBitmaps(kButtonSound, 198, 200, 197);
            volume_->setEnabled(false);
            break;
        case 0x417:
            ToggleFullScreen();
            break;
        default:
            break;  // search, playback and backup notifications belong to their dialogs
    }
}

void TelvaWindow::OnStreamChanged(int kind) {
    // A stream that came up ends a pending reconnection; a stopped one does not.
    if (kind != 0) {
        timer2_->stop();
        reconnectPending_ = false;
    }
    streamKind_ = kind;
    const QString information = InformationLine();
    switch (kind) {
        case 0:
            mode_->clear();
            info_->clear();
            break;
        case 1:
            info_->setText(information);
            mode_->setText(QStringLiteral("LIVE"));
            break;
        case 2:
        case 3:
            info_->setText(information);
            mode_->setText(QStringLiteral("PlayBack"));
            break;
        case 4:
            mode_->setText(QStringLiteral("Backup"));
            break;
        default:
            break;
    }
    ApplyButtonSet();
    update(QRect(kModeBitmapAt, QSize(162, 23)));
    emit streamChanged(kind);
}

void TelvaWindow::OnConnectionLost() {
    StopLocalRecording();
    if (audioOn_) ToggleSound();
    connection_->stream().Stop(true);
    streamKind_ = 0;
    reconnectPending_ = true;
    loggedIn_ = false;
    timer2_->start();
    status_->clear();
    ReleaseCamera();
    skin_->HideButtons(kButtonRecorderFirst, 4);
    ShowCameraControls(false);
}

// ---- alarm sound --------------------------------------------------------------------------

void TelvaWindow::OnAlarm(int message, int parameter) {
    const bool anySensor = bridge_->sensorBits() != 0;
    const bool anyMotion = bridge_->motionBits() != 0;
    if (message == 0x40D) {
        ApplyAlarmAction(eventSound_.OnSensor(anySensor, parameter, Live()));
        return;
    }
    ApplyAlarmAction(eventSound_.OnMotion(anyMotion, anySensor, parameter, Live(), SteadyNow()));
    if (eventSound_.holdDue()) timer5_->start();
}

void TelvaWindow::ApplyAlarmAction(EventSoundRule::Action action) {
    if (action == EventSoundRule::Action::Start) alarm_->Play();
    if (action == EventSoundRule::Action::Stop) alarm_->Stop();
}

// ---- timers -------------------------------------------------------------------------------

void TelvaWindow::RunTimer(int id) {
    switch (id) {
        case 1:
            RefreshClock();
            RefreshIdlePanes();
            if (++clockTicks_ % 300 == 0) RefreshDiskTexts();
            break;
        case 2:
            timer2_->stop();
            reconnectPending_ = false;
            if (!fields_.address.empty()) ConnectTo(fields_);
            break;
        case 4:
            stopWatch_->TickNow();  // the local recording's minute
            break;
        case 5:
            timer5_->stop();
            ApplyAlarmAction(eventSound_.OnHoldTimer(bridge_->sensorBits() != 0, SteadyNow()));
            break;
        case 6:
            if (camera_->held()) camera_->Poll(SteadyNow());
            break;
        default:
            break;
    }
}

void TelvaWindow::RefreshClock() {
    const std::time_t now = WallNow();
    std::tm local{};
    localtime_r(&now, &local);
    clock_->setText(Q(ClockText(local)));
    if (!fullScreen_) update(QRect(kClockBitmapAt, QSize(180, 50)));
}

void TelvaWindow::RefreshDiskTexts() {
    std::error_code ec;
    const auto space = std::filesystem::space(
        options_.programDir.empty() ? std::string(".") : options_.programDir, ec);
    if (ec) return;
    used_->setText(QStringLiteral("Used %1").arg(Q(SpaceText(space.capacity - space.free))));
    free_->setText(QStringLiteral("Free %1").arg(Q(SpaceText(space.available))));
}

// ---- sound --------------------------------------------------------------------------------

void TelvaWindow::ToggleSound() {
    if (audioOn_) {
        audioOn_ = false;
        skin_->SetButtonBitmaps(kButtonSound, 198, 200, 197);
        connection_->stream().SetAudioMuted(true);
        audioOut_->Pause();
        volume_->setEnabled(false);
        return;
    }
    if (!audioAvailable_ || audioOut_->openFailed()) {
        ShowMessage(kTextAudioFailed);
        return;
    }
    audioOn_ = true;
    skin_->SetButtonBitmaps(kButtonSound, 396, 394, 396);
    connection_->stream().SetAudioMuted(false);
    if (audioOut_->isOpen() && !audioOut_->isPlaying()) audioOut_->Toggle();
    volume_->setEnabled(true);
}

void TelvaWindow::OnVolume(int, int position) {
    audioOut_->SetVolume(position);
}

// ---- capture ------------------------------------------------------------------------------

void TelvaWindow::Capture() {
    if (!connected()) {
        ShowMessage(kTextCheckConnection);
        return;
    }
    if (bridge_->picturesShown() == 0) return;  // no channel has video
    media::RgbPicture picture;
    {
        std::lock_guard lock(bridge_->decodeLock());
        if (!ui::CaptureLayout(display_, viewMode_, &picture)) return;
    }
    const std::string folder = clientSettings_.CapturePath();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    media::CivilTime at{};
    if (!media::ParseCivil(status_->text().toStdString(), &at)) {
        const std::time_t now = WallNow();
        std::tm local{};
        localtime_r(&now, &local);
        at = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
              local.tm_hour,        local.tm_min,     local.tm_sec};
    }
    ui::CaptureSaveSetup setup;
    setup.picture = std::move(picture);
    setup.defaultPath =
        Q(media::StillName(folder, fields_.dvrName, at, ui::StillChannelOfLayout(viewMode_), ""));
    setup.timeText = status_->text();
    setup.markPath = Q(clientSettings_.WaterMark());
    setup.recorderPage = true;
    setup.recorderName = Q(fields_.dvrName);
    setup.recorderAddress = Q(fields_.address);
    ui::CaptureSaveDialog dialog(std::move(setup), ui::CaptureSaveTexts::FromTable(strings_), this);
    dialog.exec();
}

// ---- local recording ----------------------------------------------------------------------

void TelvaWindow::RecordButton() {
    if (!connected()) {
        ShowMessage(kTextCheckConnection);
        return;
    }
    if (recording_.recording()) {
        StopLocalRecording();
        return;
    }
    if (!client::EnoughFreeSpace(client::FreeSpaceOf(options_.programDir).value_or(0))) {
        ShowMessage(kTextHddFull);
        return;
    }
    if (bridge_->picturesShown() == 0) return;  // every channel is without video
    OpenRecordingSettings();
}

void TelvaWindow::StartLocalRecording(const client::RecordingChoice& choice) {
    const uint16_t mask = ChannelMaskOf(choice);
    if (mask == 0 || !connected()) return;
    client::RecorderSettings rs;
    rs.recordRoot = clientSettings_.RecordPath();
    rs.backupRoot = clientSettings_.BackupPath();
    connection_->recorder().Configure(rs);
    recording_.Start(choice);
    skin_->SetButtonBitmaps(kButtonRecord, 380, 379, 380);
    connection_->StartRecording(mask);
    stopWatch_->Start(choice);
}

void TelvaWindow::StopLocalRecording() {
    if (!recording_.recording()) return;
    stopWatch_->Stop();
    recording_.Stop();
    if (!closing_) skin_->SetButtonBitmaps(kButtonRecord, 257, 256, 250);
    connection_->recorder().Stop();
    // The recorder sends the channels that are visible again.
    std::array<bool, 16> visible{};
    for (int c = 0; c < 16; ++c)
        visible[c] = ModeShows(viewMode_, c);
    if (!closing_) connection_->commands().ChannelMask(client::ChannelMask(visible), false);
}

// ---- programs beside the client -----------------------------------------------------------

void TelvaWindow::StartProgram(const char* file, const QStringList& arguments, int missingText) {
    const QString path = Q(options_.programDir) + QLatin1String(file);
    bool started = false;
    if (options_.startProgram)
        started = options_.startProgram(path, arguments);
    else
        started = QFileInfo(path).isExecutable() &&
                  QProcess::startDetached(path, arguments, Q(options_.programDir));
    if (!started) ShowMessage(missingText);
}

void TelvaWindow::StartInstaller() {
    if (!connected()) {
        ShowMessage(kTextCheckConnection);
        return;
    }
    const std::string args =
        InstallerArguments(bridge_->channelCount(), display_.height(), fields_.address,
                           fields_.port, fields_.password, options_.languageId);
    StartProgram("Drovlet_M4", Q(args).split(QLatin1Char(' ')), kTextInstallerMissing);
}

void TelvaWindow::ShowDiskSpace() {
    DiskSpaceDialog dialog(Q(options_.programDir.empty() ? "/" : options_.programDir), this);
    dialog.exec();
}

void TelvaWindow::ShowInformationBox() {
    // The firmware upgrade of a recorder starts from here.
    QMessageBox box(QMessageBox::Information,
                    QStringLiteral("Telvanet%1").arg(QStringLiteral(" Telva_M4")),
                    QStringLiteral("Telva_M4"), QMessageBox::Ok, this);
    box.setInformativeText(QStringLiteral("(Ver1.8)"));
    QPushButton* upgrade = box.addButton(QStringLiteral("S/W Upgrade"), QMessageBox::ActionRole);
    box.exec();
    if (box.clickedButton() == upgrade) OpenUpgrade();
}

// ---- painting and closing -----------------------------------------------------------------

void TelvaWindow::paintEvent(QPaintEvent*) {
    if (closing_) return;
    QPainter painter(this);
    if (fullScreen_) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    skin_->PaintBackground(painter);
    // The panes' area: no grid of the artwork shows around the panes of any layout.
    painter.fillRect(QRect(10, 59, 662, 484), QColor(0x0B, 0x0D, 0x10));
    skin_->DrawBitmap(painter, kFileLogo, kFileLogoAt, true,
                      Q(options_.programDir) + QStringLiteral("LogoFile.bmp"));
    skin_->DrawBitmap(painter, kClockBitmap, kClockBitmapAt, false);
    skin_->DrawBitmap(painter, kModeBitmap, kModeBitmapAt, false);
}

QImage TelvaWindow::Grab() {
    QImage image =
        grab(QRect(QPoint(0, 0), fullScreen_ ? size() : skin_->BackgroundSize())).toImage();
    image.setDevicePixelRatio(1.0);
    return image;
}

void TelvaWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    timer1_->stop();
    StopLocalRecording();
    ApplyAlarmAction(eventSound_.Stop());
    connection_->stream().Stop(true);
    event->accept();
}

}  // namespace client_app
