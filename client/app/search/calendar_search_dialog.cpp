#include "client/app/search/calendar_search_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "client/app/search/day_strip.h"
#include "client/app/search/search_texts.h"
#include "ui/calendar_control.h"
#include "ui/time_range_bar.h"

namespace client::search {
namespace {

// The time bar: markers 316 (start) and 317 (end), nine pixels wide and 18 high, two pixels a
// slot; the day's recordings lie under the markers.
constexpr int kMarkerWidth = 9;
constexpr int kBarSlotWidth = 2;
constexpr int kBarWidth = kMarkerWidth + kBarSlotWidth * kSlotsPerDay;
constexpr int kBarHeight = 46;

QString DateText(const ui::CalendarDate& d) {
    return QStringLiteral("%1-%2-%3")
        .arg(d.year, 4, 10, QLatin1Char('0'))
        .arg(d.month, 2, 10, QLatin1Char('0'))
        .arg(d.day, 2, 10, QLatin1Char('0'));
}

// "YYYY-MM-DD hh:mm:ss" of a point.
QString PointText(const TimePoint& p) {
    const int minutes = p.slot * kSlotMinutes;
    return QStringLiteral("%1 %2:%3:00")
        .arg(DateText(p.date))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QLabel* Swatch(SlotCode code, QWidget* parent) {
    auto* swatch = new QLabel(parent);
    swatch->setFixedSize(14, 14);
    swatch->setStyleSheet(
        QStringLiteral("background: %1; border: 1px solid #70767e;").arg(SlotColour(code).name()));
    return swatch;
}

}  // namespace

CalendarSearchDialog::CalendarSearchDialog(SearchPurpose purpose, QWidget* parent)
    : QDialog(parent),
      purpose_(purpose),
      calendar_(new ui::CalendarControl(this)),
      bar_(new ui::TimeRangeBar(this)),
      dayTitle_(new QLabel(this)),
      startText_(new QLabel(this)),
      endText_(new QLabel(this)),
      play_(new QPushButton(SearchText(kTextPlay), this)),
      backup_(new QPushButton(QStringLiteral("Backup"), this)) {
    const QDate today = QDate::currentDate();
    today_ = {today.year(), today.month(), today.day()};
    setWindowTitle(purpose == SearchPurpose::Backup ? QStringLiteral("DVR Backup")
                                                    : QStringLiteral("DVR Search"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    calendar_->SetArrowBitmaps(310, 311, 312, 313, 314, 315);
    calendar_->setFixedSize(calendar_->sizeHint());
    bar_->SetMarkerBitmaps(316, 317);
    bar_->setFixedSize(kBarWidth, kBarHeight);
    bar_->SetRange(0, kLastSlot);
    QFont bold = dayTitle_->font();
    bold.setBold(true);
    dayTitle_->setFont(bold);

    auto* side = new QVBoxLayout;
    side->addWidget(BuildLegend());
    if (purpose == SearchPurpose::Backup) side->addWidget(BuildBackupBox());
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(calendar_, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(side, 1);

    auto* times = new QGridLayout;
    for (int i = 0; i < 2; ++i) {
        captions_[static_cast<size_t>(i)] = new QLabel(this);
        times->addWidget(captions_[static_cast<size_t>(i)], i, 0);
    }
    times->addWidget(startText_, 0, 1);
    times->addWidget(endText_, 1, 1);
    times->setColumnStretch(1, 1);
    for (int i = 3; i < 5; ++i) {
        help_[static_cast<size_t>(i)] = new QLabel(this);
        help_[static_cast<size_t>(i)]->setWordWrap(true);
        help_[static_cast<size_t>(i)]->setStyleSheet(QStringLiteral("color: #50565e;"));
    }

    auto* again = new QPushButton(QStringLiteral("Search Again"), this);
    // The event search lists single recordings: played one by one, or chosen for a file backup.
    auto* events = new QPushButton(QStringLiteral("Event Search"), this);
    auto* close = new QPushButton(SearchText(kTextClose), this);
    for (QPushButton* b : {again, events, play_, backup_, close})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(again);
    buttons->addWidget(events);
    buttons->addStretch();
    buttons->addWidget(purpose == SearchPurpose::Backup ? backup_ : play_);
    (purpose == SearchPurpose::Backup ? play_ : backup_)->hide();
    buttons->addWidget(close);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->addLayout(top);
    column->addSpacing(6);
    column->addWidget(dayTitle_);
    column->addWidget(bar_);
    column->addLayout(times);
    column->addWidget(help_[3]);
    column->addWidget(help_[4]);
    column->addSpacing(6);
    column->addLayout(buttons);
    // The dialog keeps the size its contents ask for, also when channels are hidden.
    column->setSizeConstraint(QLayout::SetFixedSize);

    SetCalendarResourceString(
        {SearchText(kTextBackupStart), SearchText(kTextBackupEnd), SearchText(kTextBackupMode)});
    SetBackupHelpResourceString({SearchText(kTextMotionHelp), SearchText(kTextSensorHelp),
                                 SearchText(kTextManualHelp), SearchText(kTextStartHelp),
                                 SearchText(kTextEndHelp)});

    connect(calendar_, &ui::CalendarControl::dayReleased, this,
            [this] { ShowDay(calendar_->GetSelectedDate()); });
    connect(calendar_, &ui::CalendarControl::monthPaged, this,
            &CalendarSearchDialog::MarkShownMonth);
    connect(bar_, &ui::TimeRangeBar::scrolled, this, &CalendarSearchDialog::SelectionChanged);
    connect(play_, &QPushButton::clicked, this, &CalendarSearchDialog::Play);
    connect(backup_, &QPushButton::clicked, this, &CalendarSearchDialog::Backup);
    connect(again, &QPushButton::clicked, this, &CalendarSearchDialog::searchAgainRequested);
    connect(events, &QPushButton::clicked, this, &CalendarSearchDialog::eventSearchRequested);
    connect(close, &QPushButton::clicked, this, &CalendarSearchDialog::reject);
}

QWidget* CalendarSearchDialog::BuildLegend() {
    auto* legend = new QWidget(this);
    auto* grid = new QGridLayout(legend);
    grid->setContentsMargins(0, 0, 0, 0);
    const SlotCode codes[] = {SlotCode::Motion, SlotCode::Sensor, SlotCode::Manual};
    for (int i = 0; i < 3; ++i) {
        help_[static_cast<size_t>(i)] = new QLabel(legend);
        grid->addWidget(Swatch(codes[i], legend), i, 0);
        grid->addWidget(help_[static_cast<size_t>(i)], i, 1);
    }
    grid->setColumnStretch(1, 1);
    return legend;
}

QWidget* CalendarSearchDialog::BuildBackupBox() {
    auto* box = new QGroupBox(QStringLiteral("Channels"), this);
    auto* grid = new QGridLayout(box);
    for (int c = 0; c < media::kCalendarChannels; ++c) {
        auto* check = new QCheckBox(QStringLiteral("CH%1").arg(c + 1), box);
        check->setChecked(true);
        grid->addWidget(check, c / 4, c % 4);
        connect(check, &QCheckBox::toggled, this, &CalendarSearchDialog::SelectionChanged);
        channels_.push_back(check);
    }
    captions_[2] = new QLabel(box);
    mode_ = new QComboBox(box);
    mode_->addItem(QStringLiteral("Normal speed"), 0);
    mode_->addItem(QStringLiteral("Double speed"), 1);
    grid->addWidget(captions_[2], 4, 0, 1, 2);
    grid->addWidget(mode_, 4, 2, 1, 2);
    return box;
}

void CalendarSearchDialog::SetCalendarData(const QByteArray& answer) {
    search_.SetCalendarData(std::span(reinterpret_cast<const uint8_t*>(answer.constData()),
                                      static_cast<size_t>(answer.size())));
    applied_ = false;
}

void CalendarSearchDialog::SetPreSelectedTime(const QString& text) {
    search_.SetPreSelectedTime(text.toStdString());
    applied_ = false;
}

void CalendarSearchDialog::SetDVRChannel(unsigned count) {
    search_.SetDVRChannel(count);
    for (size_t c = 0; c < channels_.size(); ++c)
        channels_[c]->setVisible(static_cast<int>(c) < search_.channels());
    SelectionChanged();
}

void CalendarSearchDialog::SetCalendarResourceString(const std::array<QString, 3>& texts) {
    const bool backup = purpose_ == SearchPurpose::Backup;
    captions_[0]->setText((backup ? texts[0] : SearchText(kTextStartTime)) + QStringLiteral(" :"));
    captions_[1]->setText((backup ? texts[1] : SearchText(kTextEndTime)) + QStringLiteral(" :"));
    if (captions_[2]) captions_[2]->setText(texts[2]);
}

void CalendarSearchDialog::SetBackupHelpResourceString(const std::array<QString, 5>& texts) {
    for (size_t i = 0; i < texts.size(); ++i)
        help_[i]->setText(texts[i]);
}

QString CalendarSearchDialog::selectedStartText() const {
    const ui::TimeBarModel& m = bar_->Model();
    return QString::fromStdString(SelectionText({m.StartDate(), m.StartPosition()}));
}

QString CalendarSearchDialog::selectedEndText() const {
    const ui::TimeBarModel& m = bar_->Model();
    return QString::fromStdString(SelectionText({m.EndDate(), m.EndPosition()}));
}

int CalendarSearchDialog::backupMode() const {
    return mode_ ? mode_->currentData().toInt() : 0;
}

quint32 CalendarSearchDialog::channelMask() const {
    quint32 mask = 0;
    for (size_t c = 0; c < channels_.size(); ++c)
        if (static_cast<int>(c) < search_.channels() && channels_[c]->isChecked()) mask |= 1u << c;
    return mask;
}

void CalendarSearchDialog::showEvent(QShowEvent* event) {
    if (!applied_) ApplyInitialState();
    QDialog::showEvent(event);
}

void CalendarSearchDialog::reject() {
    emit closeRequested(1);
}

void CalendarSearchDialog::ApplyInitialState() {
    applied_ = true;
    const TimeRange range = search_.InitialRange(today_);
    calendar_->SetDate(range.start.date);
    MarkShownMonth();
    bar_->SetStart(range.start.slot, range.start.date);
    bar_->SetEnd(range.end.slot, range.end.date);
    ShowDay(range.start.date);
    SelectionChanged();
}

void CalendarSearchDialog::ShowDay(const ui::CalendarDate& date) {
    bar_->SetShownDate(date);
    DayStripGeometry g;
    g.width = kBarWidth;
    g.height = kBarHeight;
    g.markerWidth = kMarkerWidth;
    g.slotWidth = bar_->Model().SlotWidth();
    g.trackTop = 20;
    g.trackHeight = 10;
    bar_->SetBackgroundCopy(DayStripPicture(search_.DaySlots(date), g, devicePixelRatioF()));
    dayTitle_->setText(DateText(date));
    bar_->update();
}

void CalendarSearchDialog::MarkShownMonth() {
    const ui::CalendarModel& m = calendar_->Model();
    calendar_->SetMarks(m.ShownYear(), m.ShownMonth(),
                        search_.Marks(m.ShownYear(), m.ShownMonth()));
}

void CalendarSearchDialog::SelectionChanged() {
    const ui::TimeBarModel& m = bar_->Model();
    const TimePoint start{m.StartDate(), m.StartPosition()};
    const TimePoint end{m.EndDate(), m.EndPosition()};
    startText_->setText(PointText(start));
    endText_->setText(PointText(end));
    backup_->setEnabled(start < end && channelMask() != 0);
}

void CalendarSearchDialog::Play() {
    emit playRequested(selectedStartText());
}

void CalendarSearchDialog::Backup() {
    if (!backup_->isEnabled()) return;
    emit backupRequested(selectedStartText(), selectedEndText(), backupMode(), channelMask());
}

}  // namespace client::search
