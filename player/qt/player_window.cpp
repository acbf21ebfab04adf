#include "player/qt/player_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressDialog>
#include <QShortcut>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include "media/wall_time.h"
#include "output/qt/channel_cell.h"
#include "platform/string_table.h"
#include "player/player_strings.h"
#include "player/qt/dialog_skin.h"
#include "player/qt/export_dialog.h"
#include "player/qt/player_menu.h"
#include "player/qt/position_slider_link.h"
#include "player/search/fitted_columns.h"
#include "player/search/still_commands.h"
#include "player/search/still_search_dialog.h"
#include "player/search/video_search.h"
#include "player/search/video_search_dialog.h"
#include "ui/elided_path.h"
#include "ui/language_pack.h"
#include "ui/skin_button.h"
#include "ui/skin_frame.h"
#include "ui/skin_slider.h"

namespace player::qt {
namespace {

constexpr int kBackground = 500;
constexpr int kFileLogo = 503;
constexpr QPoint kFileLogoAt{710, 25};

// Transport buttons along the bottom panel, layouts and panorama/sound under them, and the
// file buttons under the path field.
constexpr ui::SkinButtonSpec kButtons[] = {
    {24, 606, 64, 640, kCmdReverse, 1020, 1021, 1022},
    {70, 606, 110, 640, kCmdPlay, 1030, 1031, 1032},
    {116, 606, 156, 640, kCmdPause, 1040, 1041, 1042},
    {162, 606, 202, 640, kCmdStop, 1050, 1051, 1052},
    {208, 606, 248, 640, kCmdPreviousFrame, 1060, 1061, 1062},
    {254, 606, 294, 640, kCmdNextFrame, 1070, 1071, 1072},
    {300, 606, 340, 640, kCmdSlow, 1080, 1081, 1082},
    {346, 606, 386, 640, kCmdFast, 1090, 1091, 1092},
    {24, 656, 67, 692, 113, 1130, 1131, 1132},
    {73, 656, 116, 692, 114, 1140, 1141, 1142},
    {122, 656, 165, 692, 115, 1150, 1151, 1152},
    {171, 656, 214, 692, 116, 1160, 1161, 1162},
    {220, 656, 263, 692, 117, 1170, 1171, 1172},
    {269, 656, 312, 692, 118, 1180, 1181, 1182},
    {318, 656, 361, 692, 119, 1190, 1191, 1192},
    {367, 656, 410, 692, kCmdPanorama, 1200, 1201, 1202},
    {416, 656, 459, 692, kCmdSound, 1210, 1211, 1212},
    {712, 488, 792, 515, kCmdFileOpen, 1420, 1421, 1422},
    {818, 488, 898, 515, kCmdMinimize, 1270, 1271, 1272},
    {918, 488, 998, 515, kCmdExit, 1310, 1311, 1312},
    {712, 528, 755, 564, kCmdVideoSearch, 1230, 1231, 1232},
    {770, 528, 813, 564, kCmdStillSearch, 1220, 1221, 1222},
    {830, 529, 870, 563, kCmdCapture, 1120, 1121, 1122},
    {888, 529, 928, 563, kCmdPrint, 1110, 1111, 1112},
    {946, 529, 986, 563, kCmdWatermark, 1100, 1101, 1102},
};
constexpr int kWatermarkButton = 24;
constexpr char kSearchingText[] = "Recorded File Searching...";
constexpr char kSearchStopText[] = "Search Stop";
constexpr QRect kCompactListRect{710, 594, 292, 106};
// The file lists' usual column widths; a column grows when its header or a row needs more.
constexpr int kFileColumnWidths[] = {80, 100, 20, 50, 500};
constexpr int kSoundButton = 16;
constexpr int kGroupLayouts[] = {16, 17, 18, 19, 20, 21, 22};

QLabel* MakeField(QWidget* parent, const QRect& rect, int pointSize, Qt::Alignment align) {
    auto* label = new QLabel(parent);
    label->setGeometry(rect);
    label->setAlignment(align);
    QFont font = label->font();
    font.setPointSize(pointSize);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: #d8dee9; background: transparent;"));
    return label;
}

QTreeWidget* MakeFileList(QWidget* parent, const QRect& rect, int columns) {
    auto* list = new QTreeWidget(parent);
    list->setGeometry(rect);
    list->setRootIsDecorated(false);
    list->setFocusPolicy(Qt::NoFocus);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setColumnCount(columns);
    QFont font = list->font();
    font.setPointSize(8);
    list->setFont(font);
    list->setStyleSheet(
        QStringLiteral("QTreeWidget { background: #101317; color: #d8dee9; border: none; }"
                       "QHeaderView::section { background: #1e232b; color: #9aa3b0; border: none; "
                       "padding: 2px; }"
                       "QTreeWidget::item:selected { background: #2f6fb3; }"));
    return list;
}

QString StateName(EngineState state) {
    switch (state) {
        case EngineState::kPlaying:
            return QStringLiteral("playing");
        case EngineState::kPaused:
            return QStringLiteral("paused");
        case EngineState::kPanorama:
            return QStringLiteral("panorama");
        case EngineState::kStopped:
            break;
    }
    return QStringLiteral("stopped");
}

bool HasSuffix(const QString& path, const char* suffix) {
    return path.right(3).compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

}  // namespace

PlayerWindow::PlayerWindow(platform::RegistryStore& settings, platform::StringTable& strings,
                           const std::string& programDir, int displayType)
    : settings_(settings),
      strings_(strings),
      programDir_(programDir),
      displayType_(displayType),
      display_(settings, nullptr),
      bridge_(display_),
      engine_(bridge_, clock_, &ticks_, &audio_),
      pictures_(this, display_, engine_.lock(), settings, strings, programDir) {
    setWindowTitle(QStringLiteral("Orvane_M4"));
    setAcceptDrops(true);
    skin_ = new ui::SkinFrame(this, kButtons, strings_);
    skin_->Create(kBackground, static_cast<int>(std::size(kButtons)));
    connect(skin_, &ui::SkinFrame::commandTriggered, this, &PlayerWindow::OnCommand);
    // The keyboard belongs to the transport shortcuts, not to whichever button had the focus.
    for (int i = 0; i < skin_->ButtonCount(); ++i)
        skin_->Button(i)->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);

    logoCell_ = new QLabel(this);
    logoCell_->hide();
    for (int c = 0; c < kChannelCount; ++c) {
        cells_[c] = new output::qt::ChannelCell(display_, c, this);
        cells_[c]->hide();
    }

    slider_ = new ui::SkinSlider(this);
    slider_->setGeometry(20, 574, 660, 22);
    slider_->SetBitmaps(510, 511, 512, 513, 513, 6);
    slider_->setRange(0, 17);
    slider_->setFocusPolicy(Qt::NoFocus);
    new PositionSliderLink(slider_, bridge_, engine_, this);

    // The full list and the compact one hold the same rows; the compact one shows the first
    // four columns.
    files_ = MakeFileList(this, QRect(710, 112, 292, 306), 5);
    compact_ = MakeFileList(this, kCompactListRect, 4);
    for (QTreeWidget* list : {files_, compact_}) {
        connect(list, &QTreeWidget::itemDoubleClicked, this, &PlayerWindow::OnFileActivated);
        connect(list, &QTreeWidget::itemSelectionChanged, this,
                [this, list] { SyncSelection(list); });
    }
    RetranslateTexts();
    walker_ = new FolderWalker(this, QString::fromLatin1(kSearchingText),
                               QString::fromLatin1(kSearchStopText));
    connect(walker_, &FolderWalker::finished, this, &PlayerWindow::ShowWalkedRows);
    ApplyPlayerSkin(walker_->progress(), strings_);

    // The watermark check picture, stretched over cell 0 while the toggle is pressed.
    checkView_ = new QLabel(this);
    checkView_->setScaledContents(true);
    checkView_->hide();

    exporter_ = new ExportRunner(this);
    exportProgress_ = new QProgressDialog(Text(kTextExporting), Text(kTextCancel), 0, 1000, this);
    exportProgress_->setWindowModality(Qt::WindowModal);
    exportProgress_->setAutoClose(false);
    exportProgress_->setAutoReset(false);
    exportProgress_->setMinimumDuration(0);
    exportProgress_->reset();
    exportProgress_->hide();
    ApplyPlayerSkin(exportProgress_, strings_);
    connect(exportProgress_, &QProgressDialog::canceled, exporter_, &ExportRunner::Cancel);
    connect(exporter_, &ExportRunner::progressed, exportProgress_, &QProgressDialog::setValue,
            Qt::QueuedConnection);
    connect(exporter_, &ExportRunner::finished, this, &PlayerWindow::ExportDone);

    path_ = MakeField(this, QRect(714, 448, 286, 22), 9, Qt::AlignVCenter | Qt::AlignLeft);
    status_ = MakeField(this, QRect(480, 606, 196, 34), 13, Qt::AlignCenter);
    time_ = MakeField(this, QRect(470, 656, 206, 36), 11, Qt::AlignCenter);
    status_->setText(QStringLiteral("Stop"));

    connect(&bridge_, &EngineBridge::viewsToReopen, this, &PlayerWindow::ReopenViews,
            Qt::QueuedConnection);
    connect(&bridge_, &EngineBridge::layoutChanged, this, &PlayerWindow::OnLayoutChanged,
            Qt::QueuedConnection);
    connect(&bridge_, &EngineBridge::statusChanged, status_, &QLabel::setText,
            Qt::QueuedConnection);
    connect(&bridge_, &EngineBridge::timeChanged, time_, &QLabel::setText, Qt::QueuedConnection);
    connect(&bridge_, &EngineBridge::messageRaised, this, &PlayerWindow::OnMessage,
            Qt::QueuedConnection);
    connect(&bridge_, &EngineBridge::recordingChanged, this, &PlayerWindow::OnRecordingChanged,
            Qt::QueuedConnection);

    InstallShortcuts();
    OnLayoutChanged(kLayoutAll);
}

PlayerWindow::~PlayerWindow() {
    engine_.Stop();
    // The cells detach from the display, which goes before the widgets' children do.
    for (auto*& cell : cells_) {
        delete cell;
        cell = nullptr;
    }
    display_.Close();
}

QString PlayerWindow::Text(int id) const {
    return QString::fromStdString(strings_.Str(id));
}
QString PlayerWindow::statusText() const {
    return status_->text();
}
QString PlayerWindow::timeText() const {
    return time_->text();
}

void PlayerWindow::InstallShortcuts() {
    struct Key {
        QKeySequence key;
        int command;
    };
    const Key keys[] = {
        {QKeySequence(Qt::Key_R), kCmdReverse},
        {QKeySequence(Qt::Key_S), kCmdStop},
        {QKeySequence(Qt::Key_Left), kCmdPreviousFrame},
        {QKeySequence(Qt::Key_Right), kCmdNextFrame},
        {QKeySequence(Qt::Key_Minus), kCmdSlow},
        {QKeySequence(Qt::Key_Plus), kCmdFast},
        {QKeySequence(Qt::Key_Equal), kCmdFast},
        {QKeySequence(Qt::Key_P), kCmdPanorama},
        {QKeySequence(Qt::Key_M), kCmdSound},
        {QKeySequence(QKeySequence::Open), kCmdFileOpen},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), kCmdExit},
        {QKeySequence(Qt::CTRL | Qt::Key_F), kCmdVideoSearch},
        {QKeySequence(Qt::CTRL | Qt::Key_G), kCmdStillSearch},
        {QKeySequence(Qt::CTRL | Qt::Key_S), kCmdCapture},
        {QKeySequence(Qt::CTRL | Qt::Key_P), kCmdPrint},
        {QKeySequence(Qt::Key_W), kCmdWatermark},
        {QKeySequence(Qt::Key_I), kCmdMarkIn},
        {QKeySequence(Qt::Key_O), kCmdMarkOut},
        {QKeySequence(Qt::CTRL | Qt::Key_E), kCmdExportClip},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), kCmdExportEvidence},
    };
    for (const Key& k : keys) {
        auto* shortcut = new QShortcut(k.key, this);
        const int command = k.command;
        connect(shortcut, &QShortcut::activated, this, [this, command] { OnCommand(command); });
    }
    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(space, &QShortcut::activated, this,
            [this] { OnCommand(engine_.state() == EngineState::kPlaying ? kCmdPause : kCmdPlay); });
    // 1..9 choose channels 1..9 alone, 0 all sixteen.
    for (int digit = 0; digit <= 9; ++digit) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::Key_0 + digit), this);
        const int layout = digit == 0 ? kLayoutAll : digit - 1;
        connect(shortcut, &QShortcut::activated, this, [this, layout] { ChooseLayout(layout); });
    }
    auto* full = new QShortcut(QKeySequence(Qt::Key_F), this);
    connect(full, &QShortcut::activated, this,
            [this] { isFullScreen() ? showNormal() : showFullScreen(); });
    // Up and down seek a second of pictures (about one per channel and frame).
    auto* up = new QShortcut(QKeySequence(Qt::Key_Up), this);
    connect(up, &QShortcut::activated, this, [this] { engine_.Seek(engine_.position() + 100); });
    auto* down = new QShortcut(QKeySequence(Qt::Key_Down), this);
    connect(down, &QShortcut::activated, this, [this] { engine_.Seek(engine_.position() - 100); });
}

// ---- commands ---------------------------------------------------------------------------

void PlayerWindow::OnCommand(int command) {
    switch (command) {
        case kCmdReverse:
            engine_.Reverse();
            break;
        case kCmdPlay:
            if (engine_.state() == EngineState::kStopped && engine_.fileName().empty()) {
                if (QTreeWidgetItem* item = files_->currentItem()) OnFileActivated(item);
            } else {
                engine_.Play();
            }
            break;
        case kCmdPause:
            engine_.Pause();
            break;
        case kCmdStop:
            engine_.Stop();
            break;
        case kCmdPreviousFrame:
            engine_.PreviousFrame();
            break;
        case kCmdNextFrame:
            engine_.NextFrame();
            break;
        case kCmdSlow:
            engine_.Slow();
            break;
        case kCmdFast:
            engine_.Fast();
            break;
        case kCmdPanorama:
            engine_.TogglePanorama();
            break;
        case kCmdSound:
            ToggleSound();
            break;
        case kCmdFileOpen:
            ShowFileDialog();
            break;
        case kCmdMinimize:
            showMinimized();
            break;
        case kCmdVideoSearch:
            videoSearch()->show();
            videoSearch()->raise();
            break;
        case kCmdStillSearch:
            stillSearch()->show();
            stillSearch()->raise();
            break;
        case kCmdCapture:
        case kCmdCaptureMenu:
            ShowHeldPictures();  // paused: the picture on show is the one the decoder holds
            pictures_.Capture(CurrentPicture());
            break;
        case kCmdPrint:
        case kCmdPrintMenu:
            ShowHeldPictures();
            pictures_.Print(CurrentPicture());
            break;
        case kCmdWatermark:
            ToggleWatermark();
            break;
        case kCmdMarkIn:
        case kCmdMarkOut:
            SetMark(command == kCmdMarkIn);
            break;
        case kCmdExportClip:
        case kCmdExportEvidence:
            AskExport(command == kCmdExportEvidence);
            break;
        case kCmdAbout:
            ShowAboutBox(this, strings_);
            break;
        case kCmdExit:
            close();
            break;
        default:
            if (command >= kCmdLayoutFirst && command < kCmdLayoutFirst + 7)
                ChooseLayout(kGroupLayouts[command - kCmdLayoutFirst]);
            break;
    }
    Trace(QStringLiteral("command %1 done: %2 at %3")
              .arg(command)
              .arg(StateName(engine_.state()))
              .arg(engine_.position()));
}

void PlayerWindow::ToggleSound() {
    sound_ = !sound_;
    engine_.SetSound(sound_);
    skin_->SetButtonBitmaps(kSoundButton, sound_ ? 1213 : 1210, 1211, sound_ ? 1214 : 1212);
}

void PlayerWindow::ChooseLayout(int id) {
    engine_.SelectLayout(id);
}

void PlayerWindow::OnLayoutChanged(int layoutId) {
    for (auto* cell : cells_)
        cell->hide();
    logoCell_->hide();
    const PlayerLayout layout = CellsOf(layoutId);
    for (int i = 0; i < layout.count; ++i) {
        const CellPlace& place = layout.cells[i];
        const QRect rect(place.x, place.y, place.width, place.height);
        QWidget* widget = place.channel < 0 ? logoCell_ : cells_[place.channel];
        widget->setGeometry(rect);
        widget->show();
    }
    if (layout.count == 9) {
        const QString logo = QString::fromStdString(programDir_) + QStringLiteral("Logo.bmp");
        QPixmap picture(logo);
        if (picture.isNull()) picture = QPixmap(QStringLiteral(":/bitmaps/303.png"));
        static_cast<QLabel*>(logoCell_)->setPixmap(picture.scaled(logoCell_->size()));
    }
    update();
}

void PlayerWindow::ReopenViews() {
    int layout = kLayoutAll;
    {
        std::lock_guard lock(engine_.lock());  // nothing decodes while the views open
        for (auto* cell : cells_)
            cell->Open(displayType_);
        layout = engine_.layoutLocked();
    }
    OnLayoutChanged(layout);
    Trace(QStringLiteral("views opened 0x%1").arg(winId(), 0, 16));
}

void PlayerWindow::OnMessage(int textId) {
    if (!screenshotPath_.isEmpty()) return;
    Tell(Text(textId));
}

void PlayerWindow::Tell(const QString& text) {
    if (message_)
        message_(text);
    else
        QMessageBox::information(this, QStringLiteral("Orvane_M4"), text);
}

void PlayerWindow::Trace(const QString& line) {
    if (trace_) trace_(line);
}

void PlayerWindow::SetTrace(std::function<void(const QString&)> trace) {
    trace_ = std::move(trace);
    connect(&bridge_, &EngineBridge::statusChanged, this,
            [this](const QString& text) { Trace(QStringLiteral("status ") + text); });
    connect(&bridge_, &EngineBridge::timeChanged, this,
            [this](const QString& text) { Trace(QStringLiteral("time ") + text); });
    if (stillSearch_ != nullptr) TraceStillSearch();
}

void PlayerWindow::SetMessageSink(std::function<void(const QString&)> sink) {
    message_ = sink;
    pictures_.SetMessageSink(std::move(sink));
}

void PlayerWindow::OnRecordingChanged(const QString& path) {
    ShowPath(path);
}

// A path longer than its field loses the middle of its folder so that both the folder's start
// and the file's whole name show; the whole path is the field's tooltip.
void PlayerWindow::ShowPath(const QString& path) {
    path_->setToolTip(path);
    path_->setText(ui::ElidedPath(path_->fontMetrics(), path, path_->width()));
}

// ---- files ------------------------------------------------------------------------------

QString PlayerWindow::OpenFile(const QString& path, bool quiet, int64_t atWallTime) {
    QString failure;
    // A time to go to or a screenshot to take: open paused once every cell has a picture.
    // Single frames (".ums") and still images (anything else) show in cell 0 and stay stopped.
    const bool paused = atWallTime >= 0 || !screenshotPath_.isEmpty();
    const std::string file = path.toStdString();
    const int text = paused ? engine_.OpenAt(file, atWallTime) : engine_.Open(file);
    if (text != 0) failure = Text(text);
    // The still picture lies over cell 0 while a still image is open.
    auto* still = cells_[0]->findChild<QLabel*>(QStringLiteral("still"));
    if (!still) {
        still = new QLabel(cells_[0]);
        still->setObjectName(QStringLiteral("still"));
        still->setScaledContents(true);
    }
    still->setVisible(engine_.mode() == OpenMode::kStill);
    if (still->isVisible()) {
        still->setPixmap(QPixmap::fromImage(bridge_.still()));
        // Cell 0 takes the single-channel place once the layout change arrives.
        const CellPlace place = CellsOf(0).cells[0];
        still->setGeometry(0, 0, place.width, place.height);
        still->raise();
    }
    if (!failure.isEmpty()) {
        status_->setText(QStringLiteral("Stop"));
        Trace(QStringLiteral("open failed %1: %2").arg(path, failure));
        if (!quiet) Tell(failure);
        return failure;
    }
    pictures_.ResetWatermark();
    checkView_->hide();
    skin_->SetButtonBitmaps(kWatermarkButton, 1100, 1101, 1102);
    const QFileInfo info(path);
    ShowPath(QDir::toNativeSeparators(info.absoluteFilePath()));
    if (files_->topLevelItemCount() == 0 && !walker_->walking()) FillFileList(info.absolutePath());
    Trace(QStringLiteral("opened ") + info.absoluteFilePath());
    return QString();
}

void PlayerWindow::ShowFileDialog() {
    const QString filter = QStringLiteral(
        "DVR's Files (*.umv *.ums *.jpg *.idx);;UMV Files (*.umv);;UMS Files (*.ums);;"
        "JPG Files (*.jpg);;All Files (*)");
    const QString path = QFileDialog::getOpenFileName(this, Text(142), QDir::currentPath(), filter);
    if (path.isEmpty()) return;
    selectAfterWalk_ = QFileInfo(path).absoluteFilePath();
    FillFileList(QFileInfo(path).absolutePath());
    OpenFile(path);
}

void PlayerWindow::ShowFolder(const QString& folder) {
    FillFileList(folder);
}

// The folder is walked on a worker; the rows arrive in ShowWalkedRows.
void PlayerWindow::FillFileList(const QString& folder) {
    walker_->Start(folder);
}

void PlayerWindow::ShowWalkedRows() {
    for (QTreeWidget* list : {files_, compact_}) {
        list->clear();
        QList<QTreeWidgetItem*> items;
        for (const FileRow& row : walker_->rows()) {
            auto* item = new QTreeWidgetItem;
            item->setText(0, QString::fromStdString(row.recorder));
            item->setText(1, QString::fromStdString(row.time));
            item->setText(2, QString::fromStdString(row.channel));
            item->setText(3, QString::fromStdString(row.keyword));
            if (list == files_) item->setText(4, QString::fromStdString(row.fileName));
            item->setData(0, Qt::UserRole, QString::fromStdString(row.path));
            items.push_back(item);
        }
        list->addTopLevelItems(items);
        FitColumnsToTexts(list, kFileColumnWidths);
    }
    Trace(QStringLiteral("rows %1").arg(files_->topLevelItemCount()));
    if (selectAfterWalk_.isEmpty()) return;
    for (int i = 0; i < files_->topLevelItemCount(); ++i)
        if (QFileInfo(files_->topLevelItem(i)->data(0, Qt::UserRole).toString()) ==
            QFileInfo(selectAfterWalk_))
            files_->setCurrentItem(files_->topLevelItem(i));
    selectAfterWalk_.clear();
}

void PlayerWindow::SyncSelection(QTreeWidget* from) {
    QTreeWidget* other = from == files_ ? compact_ : files_;
    QTreeWidgetItem* item = from->currentItem();
    if (item == nullptr) return;
    QTreeWidgetItem* twin = other->topLevelItem(from->indexOfTopLevelItem(item));
    if (twin != nullptr && other->currentItem() != twin) other->setCurrentItem(twin);
}

void PlayerWindow::RemoveRow(const QString& path) {
    for (QTreeWidget* list : {files_, compact_})
        for (int i = list->topLevelItemCount(); i-- > 0;)
            if (list->topLevelItem(i)->data(0, Qt::UserRole).toString() == path)
                delete list->takeTopLevelItem(i);
}

void PlayerWindow::OnFileActivated(QTreeWidgetItem* item) {
    const QString path = item->data(0, Qt::UserRole).toString();
    if (!QFileInfo::exists(path)) {
        Tell(Text(2010));
        RemoveRow(path);
        return;
    }
    OpenFile(path);
}

void PlayerWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void PlayerWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) return;
    // Only the first dropped file counts.
    const QString path = urls.front().toLocalFile();
    if (HasSuffix(path, "umv") || HasSuffix(path, "idx") || HasSuffix(path, "ums") ||
        HasSuffix(path, "jpg"))
        OpenFile(path);
    event->acceptProposedAction();
}

// ---- painting and closing ---------------------------------------------------------------

void PlayerWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    skin_->PaintBackground(painter);
    skin_->DrawBitmap(painter, kFileLogo, kFileLogoAt, false,
                      QString::fromStdString(programDir_) + QStringLiteral("LogoFile.bmp"));
}

void PlayerWindow::closeEvent(QCloseEvent* event) {
    engine_.Stop();
    walker_->Stop();
    exporter_->Cancel();
    event->accept();
    Trace(QStringLiteral("closed"));
}

void PlayerWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    MenuHandlers handlers;
    handlers.command = [this](int command) { OnCommand(command); };
    handlers.language = [this](ui::Language language) { ChooseLanguage(language); };
    FillPlayerMenu(menu, strings_, InstalledLanguages(programDir_), language_, handlers);
    menu.exec(event->globalPos());
}

// ---- screenshot -------------------------------------------------------------------------

void PlayerWindow::ScreenshotWhenReady(const QString& path) {
    screenshotPath_ = path;
    screenshotTimer_ = new QTimer(this);
    connect(screenshotTimer_, &QTimer::timeout, this, &PlayerWindow::CheckScreenshot);
    screenshotTimer_->start(20);
}

void PlayerWindow::ShowHeldPictures() {
    std::lock_guard lock(engine_.lock());
    if (engine_.stateLocked() != EngineState::kPaused && engine_.playThreadRunningLocked()) return;
    for (int c = 0; c < kChannelCount; ++c)
        if (LayoutShows(engine_.layoutLocked(), c)) display_.ShowHeldPicture(c);
}

void PlayerWindow::CheckScreenshot() {
    {
        std::lock_guard lock(engine_.lock());
        const bool ended = !engine_.playThreadRunningLocked();
        if (engine_.cellsWaiting() > 0 && !ended) return;
        // The play thread is parked: show each visible cell's newest picture.
        for (int c = 0; c < kChannelCount; ++c)
            if (LayoutShows(engine_.layoutLocked(), c)) display_.ShowHeldPicture(c);
    }
    screenshotTimer_->stop();
    QTimer::singleShot(0, this, [this] {
        const QPixmap picture = grab(QRect(QPoint(0, 0), skin_->BackgroundSize()));
        QImage image = picture.toImage();
        image.setDevicePixelRatio(1.0);
        emit screenshotTaken(image.save(screenshotPath_));
    });
}

// ---- searches, capture, print, watermark --------------------------------------------------

VideoSearchDialog* PlayerWindow::videoSearch() {
    if (videoSearch_ == nullptr) {
        videoSearch_ = new VideoSearchDialog(settings_, programDir_, strings_, this);
        ApplyPlayerSkin(videoSearch_, strings_);
        if (message_) videoSearch_->SetMessageSink(message_);
        connect(videoSearch_, &VideoSearchDialog::playRequested, this,
                &PlayerWindow::OpenVideoChoice);
    }
    return videoSearch_;
}

StillSearchDialog* PlayerWindow::stillSearch() {
    if (stillSearch_ == nullptr) {
        stillSearch_ = new StillSearchDialog(settings_, programDir_, strings_, this);
        ApplyPlayerSkin(stillSearch_, strings_);
        if (message_) stillSearch_->SetMessageSink(message_);
        connect(stillSearch_, &StillSearchDialog::stillChosen, this,
                [this](const QString& path) { OpenFile(path); });
        if (trace_) TraceStillSearch();
    }
    return stillSearch_;
}

void PlayerWindow::TraceStillSearch() {
    connect(stillSearch_, &StillSearchDialog::searchFinished, this, [this] {
        Trace(QStringLiteral("still search %1 rows")
                  .arg(stillSearch_->results()->topLevelItemCount()));
    });
}

// "Play" of the video search: the pair that covers the chosen moment, played from that moment.
void PlayerWindow::OpenVideoChoice() {
    const VideoSearchChoice& choice = videoSearch_->choice();
    const std::vector<PairStart> pairs = ListPairs(choice.folder);
    const int covering = PairCovering(pairs, choice.moment);
    if (covering < 0) {
        Tell(Text(2013));
        return;
    }
    const QString path = QString::fromStdString(pairs[covering].indexPath);
    if (!OpenFile(path, false, choice.moment).isEmpty()) return;
    videoSearch_->hide();
    selectAfterWalk_ = QFileInfo(path).absoluteFilePath();
    FillFileList(QFileInfo(path).absolutePath());
    engine_.Play();
}

PictureContext PlayerWindow::CurrentPicture() const {
    PictureContext context;
    context.openedPath = engine_.fileName();
    context.playing = engine_.state() == EngineState::kPlaying;
    context.layout = engine_.layout();
    context.timeText = time_->text();
    if (const QTreeWidgetItem* row = files_->currentItem()) {
        context.recorder = row->text(0);
        context.sourceName = row->text(4);
    } else if (!context.openedPath.empty()) {
        const QFileInfo info(QString::fromStdString(context.openedPath));
        const FileRow row =
            MakeFileRow(info.absolutePath().toStdString() + "/", info.fileName().toStdString());
        context.recorder = QString::fromStdString(row.recorder);
        context.sourceName = info.fileName();
    }
    return context;
}

void PlayerWindow::ToggleWatermark() {
    QImage check;
    switch (pictures_.ToggleWatermark(engine_.fileName(), &check)) {
        case PictureCommands::WatermarkView::kShowCheck:
            checkView_->setPixmap(QPixmap::fromImage(check));
            checkView_->setGeometry(cells_[0]->geometry());
            checkView_->show();
            checkView_->raise();
            skin_->SetButtonBitmaps(kWatermarkButton, 1101, 1101, 1101);
            break;
        case PictureCommands::WatermarkView::kShowStill:
            checkView_->hide();
            skin_->SetButtonBitmaps(kWatermarkButton, 1100, 1101, 1102);
            break;
        case PictureCommands::WatermarkView::kUnchanged:
            break;
    }
}

// ---- export -------------------------------------------------------------------------------

// I and O mark the picture on show (its time field) as the start or the end of an export.
void PlayerWindow::SetMark(bool in) {
    media::CivilTime t;
    if (engine_.fileName().empty() || !media::ParseCivil(time_->text().toStdString(), &t)) return;
    const int64_t wall =
        media::WallTimeOf(t.year - 1900, t.month - 1, t.day, t.hour, t.minute, t.second);
    (in ? markIn_ : markOut_) = wall;
    // Marks the wrong way round swap, so the range stays a range.
    if (markIn_ && markOut_ && *markIn_ > *markOut_) std::swap(markIn_, markOut_);
    status_->setText(Text(in ? kTextMarkStart : kTextMarkEnd) + QLatin1Char(' ') + WallText(wall));
}

void PlayerWindow::AskExport(bool evidence) {
    const std::string recording = engine_.fileName();
    if (recording.empty() || IsStillPath(recording)) {
        Tell(Text(2011));
        return;
    }
    ExportDefaults defaults;
    defaults.evidence = evidence;
    defaults.recording = recording;
    const int layout = engine_.layout();
    defaults.channel = LayoutChannelCount(layout) == 1 ? layout : LayoutFirstChannel(layout);
    defaults.markIn = markIn_;
    defaults.markOut = markOut_;
    media::CivilTime t;
    if (media::ParseCivil(time_->text().toStdString(), &t))
        defaults.firstWall =
            media::WallTimeOf(t.year - 1900, t.month - 1, t.day, t.hour, t.minute, t.second);
    const QFileInfo info(QString::fromStdString(recording));
    defaults.out = QDir::home().filePath(
        info.completeBaseName() + QStringLiteral("_ch%1").arg(defaults.channel + 1) +
        (evidence ? QStringLiteral("_evidence") : QStringLiteral(".mp4")));
    ExportDialog dialog(defaults, strings_, this);
    ApplyPlayerSkin(&dialog, strings_);
    if (dialog.exec() != QDialog::Accepted) return;
    StartExport(dialog.Order());
}

bool PlayerWindow::StartExport(const ExportOrder& order) {
    ExportOrder named = order;
    if (named.program.empty()) named.program = AboutText().toStdString();
    if (!exporter_->Start(named)) return false;
    exportProgress_->setLabelText(QString::fromStdString(named.out));
    exportProgress_->setValue(0);
    exportProgress_->show();
    return true;
}

void PlayerWindow::ExportDone() {
    exportProgress_->reset();
    exportProgress_->hide();
    const exporter::ExportResult& result = exporter_->result();
    QString text;
    if (result.ok)
        text = Text(kTextExported)
                   .arg(result.pictures)
                   .arg(QString::fromStdString(result.written.empty() ? std::string()
                                                                      : result.written.front()));
    else if (!result.cancelled)
        text = QString::fromStdString(result.error);
    Trace(QStringLiteral("export %1")
              .arg(result.ok ? QStringLiteral("done") : QStringLiteral("failed")));
    emit exportFinished(result.ok, text);
    if (!text.isEmpty()) Tell(text);
}

// ---- language -------------------------------------------------------------------------------

void PlayerWindow::SetLanguagePack(ui::LanguagePack* pack, ui::Language current) {
    languagePack_ = pack;
    language_ = current;
}

void PlayerWindow::ChooseLanguage(ui::Language language) {
    if (languagePack_ == nullptr) return;
    const ui::LanguagePack::Result result = languagePack_->Load(programDir_, "Orvane_M4", language);
    if (!result.ok) {
        Tell(QString::fromStdString(result.error));
        return;
    }
    language_ = language;
    settings_.WriteString(platform::Hive::kLocalMachine, platform::kEnvironmentsKey, "Language",
                          ui::InfoOf(language).settingsWord);
    RetranslateTexts();
    update();
}

void PlayerWindow::RetranslateTexts() {
    const QStringList headers{Text(2004), Text(2001), Text(2006), Text(2005), Text(2002)};
    files_->setHeaderLabels(headers);
    compact_->setHeaderLabels(headers.mid(0, 4));
    for (QTreeWidget* list : {files_, compact_})
        FitColumnsToTexts(list, kFileColumnWidths);
    skin_->RefreshTooltips(skin_->ButtonCount());
    if (exportProgress_ != nullptr) exportProgress_->setCancelButtonText(Text(kTextCancel));
}

}  // namespace player::qt
