#include "player/quenby/quenby_window.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "output/qt/channel_cell.h"
#include "player/player_strings.h"
#include "player/qt/position_slider_link.h"
#include "player/quenby/quenby_folder.h"
#include "ui/elided_path.h"
#include "ui/skin_button.h"
#include "ui/skin_slider.h"

namespace quenby {
namespace {

using player::EngineState;

constexpr int kWidth = 1000;
constexpr int kHeight = 640;
constexpr int kLayoutGroupsOfFour[] = {16, 17, 18, 19};

QString Text(int id) {
    return QString::fromStdString(player::PlayerStrings().Text(id));
}

QLabel* MakeField(QWidget* parent, const QRect& rect, int pointSize,
                  Qt::Alignment align = Qt::AlignCenter) {
    auto* label = new QLabel(parent);
    label->setGeometry(rect);
    label->setAlignment(align);
    QFont font = label->font();
    font.setPointSize(pointSize);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: #d8dee9;"));
    return label;
}

// The small grey captions over the panels, as the player's skin writes them.
void MakeCaption(QWidget* parent, const QRect& rect, const QString& text) {
    QLabel* caption = MakeField(parent, rect, 8, Qt::AlignLeft | Qt::AlignVCenter);
    QFont font = caption->font();
    font.setBold(true);
    caption->setFont(font);
    caption->setStyleSheet(QStringLiteral("color: #8a94a3;"));
    caption->setText(text);
}

}  // namespace

QuenbyWindow::QuenbyWindow(platform::RegistryStore& settings, const std::string& folder,
                           int displayType)
    : folder_(folder),
      displayType_(displayType),
      display_(settings, nullptr),
      bridge_(display_),
      engine_(bridge_, clock_, &ticks_, &audio_) {
    setWindowTitle(QStringLiteral("Quenby_M4"));
    setFixedSize(kWidth, kHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0x16, 0x1a, 0x20));
    setPalette(palette);
    setAutoFillBackground(true);
    for (int c = 0; c < player::kChannelCount; ++c) {
        cells_[c] = new output::qt::ChannelCell(display_, c, this);
        cells_[c]->hide();
    }
    BuildControls();
    for (const std::string& name : RecordingsOf(folder_))
        files_->addItem(QString::fromStdString(name));
    if (files_->count() > 0) files_->setCurrentRow(0);

    connect(&bridge_, &player::qt::EngineBridge::viewsToReopen, this, &QuenbyWindow::ReopenViews,
            Qt::QueuedConnection);
    connect(&bridge_, &player::qt::EngineBridge::layoutChanged, this,
            &QuenbyWindow::OnLayoutChanged, Qt::QueuedConnection);
    connect(&bridge_, &player::qt::EngineBridge::statusChanged, status_, &QLabel::setText,
            Qt::QueuedConnection);
    connect(&bridge_, &player::qt::EngineBridge::timeChanged, time_, &QLabel::setText,
            Qt::QueuedConnection);
    connect(&bridge_, &player::qt::EngineBridge::messageRaised, this, &QuenbyWindow::OnMessage,
            Qt::QueuedConnection);
    connect(&bridge_, &player::qt::EngineBridge::recordingChanged, this,
            &QuenbyWindow::ShowRecording, Qt::QueuedConnection);
    OnLayoutChanged(player::kLayoutAll);
}

QuenbyWindow::~QuenbyWindow() {
    engine_.Stop();
    // The cells detach from the display, which goes before the widgets' children do.
    for (auto*& cell : cells_) {
        delete cell;
        cell = nullptr;
    }
    display_.Close();
}

void QuenbyWindow::BuildControls() {
    QLabel* title = MakeField(this, QRect(24, 8, 300, 26), 11, Qt::AlignLeft | Qt::AlignVCenter);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setText(QStringLiteral("Quenby_M4"));
    MakeCaption(this, QRect(700, 20, 276, 18), QStringLiteral("FILES"));
    MakeCaption(this, QRect(700, 536, 276, 18), QStringLiteral("PATH"));
    path_ = MakeField(this, QRect(700, 556, 276, 24), 9, Qt::AlignLeft | Qt::AlignVCenter);
    path_->setStyleSheet(QStringLiteral(
        "color: #d8dee9; background: #101317; border: 1px solid #2c333d; padding: 0 4px;"));

    files_ = new QListWidget(this);
    files_->setGeometry(700, 41, 276, 482);
    files_->setStyleSheet(
        QStringLiteral("QListWidget { background: #101317; color: #d8dee9; border: none; }"
                       "QListWidget::item:selected { background: #2f6fb3; }"));
    connect(files_, &QListWidget::itemDoubleClicked, this, &QuenbyWindow::OnRowActivated);

    slider_ = new ui::SkinSlider(this);
    slider_->setGeometry(20, 536, 660, 22);
    slider_->SetBitmaps(510, 511, 512, 513, 513, 6);
    slider_->setRange(0, 0);
    new player::qt::PositionSliderLink(slider_, bridge_, engine_, this);

    struct Button {
        int left, command, normal;
    };
    // Play, Pause and Stop, then the four- and sixteen-cell layouts, in the player's artwork.
    const Button buttons[] = {{24, 103, 1030},  {70, 104, 1040},  {116, 105, 1050},
                              {232, 113, 1130}, {281, 119, 1190}, {330, 121, 1210}};
    for (const Button& b : buttons) {
        auto* button = new ui::SkinButton(b.command, this);
        const int width = b.command < 110 ? 40 : 43;
        button->SetBitmaps(b.left, 576, b.left + width, 612, b.normal, b.normal + 1, b.normal + 2);
        button->SetTooltipText(Text(b.command));
        connect(button, &QAbstractButton::clicked, this,
                [this, command = b.command] { OnCommand(command); });
        if (b.command == 121) soundButton_ = button;
    }
    auto* single = new QPushButton(QStringLiteral("1"), this);
    single->setGeometry(183, 576, 43, 36);
    single->setToolTip(QStringLiteral("1ch"));
    single->setStyleSheet(
        QStringLiteral("QPushButton { background: #252b34; color: #d8dee9; border: 1px solid "
                       "#39414d; border-radius: 6px; font-weight: bold; }"
                       "QPushButton:hover { background: #2f3742; }"));
    connect(single, &QPushButton::clicked, this, [this] { ChooseCells(1); });

    status_ = MakeField(this, QRect(380, 576, 120, 36), 12);
    time_ = MakeField(this, QRect(500, 576, 190, 36), 11);
    status_->setText(QStringLiteral("Stop"));
}

void QuenbyWindow::OnCommand(int command) {
    switch (command) {
        case 103:
            if (engine_.state() == EngineState::kStopped)
                PlayRow(files_->currentRow());
            else
                engine_.Play();
            break;
        case 104:
            engine_.Pause();
            break;
        case 105:
            engine_.Stop();
            break;
        case 113:
            ChooseCells(4);
            break;
        case 121:
            ToggleSound();
            break;
        default:
            ChooseCells(16);
            break;
    }
}

void QuenbyWindow::ToggleSound() {
    sound_ = !sound_;
    engine_.SetSound(sound_);
    soundButton_->ReplaceBitmaps(sound_ ? 1213 : 1210, 1211, sound_ ? 1214 : 1212);
}

void QuenbyWindow::OnMessage(int textId) {
    if (screenshotPath_.isEmpty())
        QMessageBox::information(this, QStringLiteral("Quenby_M4"), Text(textId));
}

int QuenbyWindow::rowCount() const {
    return files_->count();
}

bool QuenbyWindow::PlayRow(int row) {
    if (row < 0 || row >= files_->count()) return false;
    files_->setCurrentRow(row);
    const std::string path = folder_ + files_->item(row)->text().toStdString();
    const bool paused = !screenshotPath_.isEmpty();
    if ((paused ? engine_.OpenAt(path, -1) : engine_.Open(path)) != 0) return false;
    ShowRecording(QString::fromStdString(path));
    return true;
}

// The recording on show: its path (the middle left out when it is too long, the whole path as
// the tooltip), and its row, also when the play went on into the next recording of the folder.
void QuenbyWindow::ShowRecording(const QString& path) {
    path_->setToolTip(path);
    const int room = path_->contentsRect().width() - 8;
    path_->setText(ui::ElidedPath(path_->fontMetrics(), path, room));
    const QList<QListWidgetItem*> rows =
        files_->findItems(QFileInfo(path).fileName(), Qt::MatchExactly);
    if (!rows.isEmpty()) files_->setCurrentItem(rows.front());
}

void QuenbyWindow::OnRowActivated(QListWidgetItem* item) {
    PlayRow(files_->row(item));
}

void QuenbyWindow::ChooseCells(int count) {
    const int current = engine_.layout();
    int next = player::kLayoutAll;
    if (count == 1) {
        // Each press shows the next channel alone.
        singleChannel_ = current < player::kChannelCount ? (current + 1) % player::kChannelCount
                                                         : singleChannel_;
        next = singleChannel_;
    } else if (count == 4) {
        const auto* at =
            std::find(std::begin(kLayoutGroupsOfFour), std::end(kLayoutGroupsOfFour), current);
        next = at == std::end(kLayoutGroupsOfFour) || at + 1 == std::end(kLayoutGroupsOfFour)
                   ? kLayoutGroupsOfFour[0]
                   : *(at + 1);
    }
    engine_.SelectLayout(next);
}

void QuenbyWindow::OnLayoutChanged(int layoutId) {
    for (auto* cell : cells_)
        cell->hide();
    const player::PlayerLayout layout = player::CellsOf(layoutId);
    for (int i = 0; i < layout.count; ++i) {
        const player::CellPlace& place = layout.cells[static_cast<size_t>(i)];
        if (place.channel < 0) continue;  // the eight-cell layouts are not offered here
        cells_[place.channel]->setGeometry(place.x, place.y, place.width, place.height);
        cells_[place.channel]->show();
    }
}

void QuenbyWindow::ReopenViews() {
    int layout = player::kLayoutAll;
    {
        std::lock_guard lock(engine_.lock());  // nothing decodes while the views open
        for (auto* cell : cells_)
            cell->Open(displayType_);
        layout = engine_.layoutLocked();
    }
    OnLayoutChanged(layout);
}

void QuenbyWindow::ScreenshotFirstRecording(const QString& path) {
    screenshotPath_ = path;
    if (!PlayRow(0)) {
        // Told from the event loop, which the caller may not have entered yet.
        QTimer::singleShot(0, this, [this] { emit screenshotTaken(false); });
        return;
    }
    screenshotTimer_ = new QTimer(this);
    connect(screenshotTimer_, &QTimer::timeout, this, &QuenbyWindow::CheckScreenshot);
    screenshotTimer_->start(20);
}

void QuenbyWindow::CheckScreenshot() {
    {
        std::lock_guard lock(engine_.lock());
        if (engine_.cellsWaiting() > 0 && engine_.playThreadRunningLocked()) return;
        // The play thread is parked: each visible cell shows its newest picture.
        for (int c = 0; c < player::kChannelCount; ++c)
            if (player::LayoutShows(engine_.layoutLocked(), c)) display_.ShowHeldPicture(c);
    }
    screenshotTimer_->stop();
    QTimer::singleShot(0, this, [this] {
        QImage image = grab().toImage();
        image.setDevicePixelRatio(1.0);
        emit screenshotTaken(image.save(screenshotPath_));
    });
}

}  // namespace quenby
