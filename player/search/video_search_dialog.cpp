#include "player/search/video_search_dialog.h"

#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "media/wall_time.h"
#include "player/player_strings.h"
#include "player/search/time_code_bar.h"
#include "ui/calendar_control.h"
#include "ui/skin_resources.h"
#include "ui/time_range_bar.h"

namespace player {

namespace {

QString Str(const platform::StringTable& t, int id) {
    return QString::fromStdString(t.Str(id));
}

}  // namespace

VideoSearchDialog::VideoSearchDialog(platform::RegistryStore& store, const std::string& dataDir,
                                     const platform::StringTable& strings, QWidget* parent)
    : QDialog(parent), store_(store), strings_(strings) {
    setWindowTitle(Str(strings, 123));
    rootLabel_ = new QLabel(this);
    auto* pathButton = new QPushButton(Str(strings, 141), this);
    recorders_ = new QComboBox(this);
    startTimes_ = new QComboBox(this);
    calendarControl_ = new ui::CalendarControl(this);
    hourBar_ = new TimeCodeBar(24, this);
    minuteBar_ = new TimeCodeBar(60, this);
    range_ = new ui::TimeRangeBar(this);
    range_->SetRange(0, 59);
    // The player's artwork: calendar arrows 310..315, time bar markers 316 and 317.
    calendarControl_->SetArrowBitmaps(310, 311, 312, 313, 314, 315);
    range_->SetMarkerBitmaps(316, 317);
    hourBar_->setFixedHeight(24);
    range_->setFixedHeight(18);
    auto* play = new QPushButton(Str(strings, 129), this);
    auto* close = new QPushButton(Str(strings, 130), this);

    auto* form = new QFormLayout;
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(rootLabel_, 1);
    pathRow->addWidget(pathButton);
    form->addRow(Str(strings, 141), pathRow);
    form->addRow(Str(strings, 2004), recorders_);
    form->addRow(Str(strings, kTextStartTime), startTimes_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(play);
    buttons->addWidget(close);
    // Beside the calendar, the moment that Play opens.
    moment_ = new QLabel(this);
    moment_->setAlignment(Qt::AlignCenter);
    QFont big = moment_->font();
    big.setPointSize(big.pointSize() + 5);
    moment_->setFont(big);
    auto* calendarRow = new QHBoxLayout;
    calendarRow->addWidget(calendarControl_);
    calendarRow->addWidget(moment_, 1);
    // A long root is shortened in its middle rather than widening the dialog.
    rootLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addLayout(calendarRow);
    FitBarsToMarkerSlots(column);
    column->addStretch();
    column->addLayout(buttons);

    connect(pathButton, &QPushButton::clicked, this, &VideoSearchDialog::ChooseRoot);
    connect(recorders_, &QComboBox::currentIndexChanged, this, &VideoSearchDialog::RecorderChanged);
    connect(startTimes_, &QComboBox::currentIndexChanged, this,
            &VideoSearchDialog::StartTimeChanged);
    connect(calendarControl_, &ui::CalendarControl::dayReleased, this,
            &VideoSearchDialog::DayChanged);
    connect(calendarControl_, &ui::CalendarControl::monthPaged, this,
            &VideoSearchDialog::MarksForShownMonth);
    connect(hourBar_, &TimeCodeBar::cellClicked, this, &VideoSearchDialog::SelectHour);
    connect(minuteBar_, &TimeCodeBar::cellClicked, this, &VideoSearchDialog::SelectMinute);
    connect(range_, &ui::TimeRangeBar::scrolled, this, &VideoSearchDialog::RangeChanged);
    connect(play, &QPushButton::clicked, this, &VideoSearchDialog::Play);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    SetRoot(QString::fromStdString(RecordRootPath(store, dataDir)));
}

// The range bar puts the marker of minute m at m whole slots of (its width - the marker's width)
// / 60 pixels. The hour and minute bars leave the marker's width free on their right, and the
// dialog is as wide as a whole number of slots needs, so each minute's cell lies under its marker.
void VideoSearchDialog::FitBarsToMarkerSlots(QVBoxLayout* column) {
    const int marker = qRound(ui::SkinBitmap(316, 1.0).deviceIndependentSize().width());
    const auto addBar = [&](QWidget* bar) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        row->addWidget(bar);
        row->addSpacing(marker);
        column->addLayout(row);
    };
    addBar(hourBar_);
    column->addWidget(range_);
    addBar(minuteBar_);
    const QMargins margins = column->contentsMargins();
    const int sides = margins.left() + margins.right() + marker;
    const int natural = std::max(column->sizeHint().width(), 520) - sides;
    setFixedWidth(sides + (natural + 59) / 60 * 60);
}

void VideoSearchDialog::ShowRoot() {
    const QString root = QString::fromStdString(root_);
    rootLabel_->setToolTip(root);
    rootLabel_->setText(rootLabel_->fontMetrics().elidedText(root, Qt::ElideMiddle,
                                                             std::max(rootLabel_->width(), 200)));
}

void VideoSearchDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ShowRoot();
}

void VideoSearchDialog::Tell(const QString& text) {
    if (message_)
        message_(text);
    else
        QMessageBox::information(this, windowTitle(), text);
}

void VideoSearchDialog::SetRoot(const QString& root) {
    root_ = root.toStdString();
    if (root_.empty() || root_.back() != '/') root_ += '/';
    ShowRoot();
    tree_ = RecordingTree::Scan(root_);
    const QSignalBlocker block(recorders_);
    recorders_->clear();
    for (const std::string& name : tree_.recorders)
        recorders_->addItem(QString::fromStdString(name));
    recorders_->setCurrentIndex(tree_.recorders.empty() ? -1 : 0);
    RecorderChanged();
}

void VideoSearchDialog::ChooseRoot() {
    const QString picked =
        QFileDialog::getExistingDirectory(this, Str(strings_, 2027), QString::fromStdString(root_));
    if (picked.isEmpty()) return;
    StoreRecordRootPath(store_, picked.toStdString());
    SetRoot(picked);
}

void VideoSearchDialog::RecorderChanged() {
    const QString previous = startTimes_->currentText();
    const QSignalBlocker block(startTimes_);
    startTimes_->clear();
    if (recorders_->currentIndex() >= 0) {
        for (const std::string& t :
             tree_.StartTimes(root_, recorders_->currentText().toStdString()))
            startTimes_->addItem(QString::fromStdString(t));
    }
    const int again = startTimes_->findText(previous);
    startTimes_->setCurrentIndex(again >= 0 ? again : (startTimes_->count() > 0 ? 0 : -1));
    StartTimeChanged();
}

void VideoSearchDialog::StartTimeChanged() {
    calendar_.Clear();
    folder_.clear();
    if (recorders_->currentIndex() >= 0 && startTimes_->currentIndex() >= 0) {
        folder_ = tree_.Folder(root_, recorders_->currentText().toStdString(),
                               startTimes_->currentText().toStdString());
        if (!calendar_.LoadFolder(folder_)) {
            calendar_.Clear();
            Tell(Str(strings_, kTextImproperFileType));
        }
    }
    if (calendar_.empty()) {
        const QDate today = QDate::currentDate();
        calendarControl_->SetDate({today.year(), today.month(), today.day()});
        hour_ = minute_ = 0;
    } else {
        const media::CivilTime first = media::BreakWallTime(calendar_.earliest());
        calendarControl_->SetDate({first.year, first.month, first.day});
        hour_ = first.hour;
        minute_ = first.minute;
    }
    MarksForShownMonth();
    RedrawBars();
}

void VideoSearchDialog::MarksForShownMonth() {
    const ui::CalendarModel& model = calendarControl_->Model();
    const media::CalendarMonth month = calendar_.Month(model.ShownYear(), model.ShownMonth());
    ui::CalendarModel::Marks marks{};
    for (size_t i = 0; i < marks.size(); ++i)
        marks[i] = month.dayCells[i] != 0;
    calendarControl_->SetMarks(model.ShownYear(), model.ShownMonth(), marks);
    RedrawBars();
}

void VideoSearchDialog::DayChanged() {
    RedrawBars();
}

void VideoSearchDialog::SelectHour(int hour) {
    hour_ = hour;
    RedrawBars();
}

void VideoSearchDialog::SelectMinute(int minute) {
    minute_ = minute;
    range_->SetStart(minute, calendarControl_->GetSelectedDate());
    RedrawBars();
}

void VideoSearchDialog::RangeChanged() {
    minute_ = range_->Model().StartPosition();
    rangeEnd_ = range_->Model().EndPosition();
    RedrawBars();
}

void VideoSearchDialog::RedrawBars() {
    const ui::CalendarDate day = calendarControl_->GetSelectedDate();
    const int rows = calendar_.empty() ? 16 : calendar_.header().timeBarRows();
    const auto hours = HourBar(calendar_, day.year, day.month, day.day, rows);
    hourBar_->SetCells({std::vector<BarColour>(hours.begin(), hours.end())});
    hourBar_->SetCurrent(hour_);
    std::vector<std::vector<BarColour>> minuteRows;
    for (const auto& row :
         MinuteBar(calendar_, day.year, day.month, day.day, hour_, rows, minute_, rangeEnd_))
        minuteRows.emplace_back(row.begin(), row.end());
    minuteBar_->setFixedHeight(static_cast<int>(minuteRows.size()) * 12 + 1);
    minuteBar_->SetCells(std::move(minuteRows));
    minuteBar_->SetCurrent(minute_);
    range_->SetShownDate(day);
    range_->SetEnd(rangeEnd_, day);
    range_->SetStart(minute_, day);
    moment_->setText(folder_.empty() ? QString()
                                     : QStringLiteral("%1-%2-%3\n%4:%5")
                                           .arg(day.year, 4, 10, QLatin1Char('0'))
                                           .arg(day.month, 2, 10, QLatin1Char('0'))
                                           .arg(day.day, 2, 10, QLatin1Char('0'))
                                           .arg(hour_, 2, 10, QLatin1Char('0'))
                                           .arg(minute_, 2, 10, QLatin1Char('0')));
}

void VideoSearchDialog::Play() {
    if (folder_.empty()) return;
    const ui::CalendarDate day = calendarControl_->GetSelectedDate();
    choice_.folder = folder_;
    choice_.recorder = calendar_.header().recorderName.empty()
                           ? recorders_->currentText().toStdString()
                           : calendar_.header().recorderName;
    choice_.titles = calendar_.header().titles;
    choice_.moment = media::WallTimeOf(day.year - 1900, day.month - 1, day.day, hour_, minute_, 0);
    emit playRequested();
    accept();
}

}  // namespace player
