#include "client/app/search/event_search_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "client/app/search/search_texts.h"

namespace client::search {
namespace {

QDateEdit* DateEdit(QWidget* parent) {
    auto* edit = new QDateEdit(parent);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    // The query carries two-digit years counted from 2000.
    edit->setDateRange(QDate(kFirstSearchYear, 1, 1), QDate(kLastSearchYear, 12, 31));
    return edit;
}

QTimeEdit* TimeEdit(QWidget* parent) {
    auto* edit = new QTimeEdit(parent);
    edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return edit;
}

media::CivilTime Civil(const QDate& d, const QTime& t) {
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

}  // namespace

EventSearchDialog::EventSearchDialog(int channels, QWidget* parent, const QDateTime& now)
    : QDialog(parent),
      events_(new QButtonGroup(this)),
      channel_(new QComboBox(this)),
      startDate_(DateEdit(this)),
      startTime_(TimeEdit(this)),
      endDate_(DateEdit(this)),
      endTime_(TimeEdit(this)),
      search_(new QPushButton(QStringLiteral("Search"), this)) {
    setWindowTitle(QStringLiteral("Event Search"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* kinds = new QGroupBox(SearchText(kTextEvent), this);
    auto* kindRow = new QHBoxLayout(kinds);
    const QString names[] = {QStringLiteral("None"), QStringLiteral("Motion"),
                             QStringLiteral("Sensor")};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(names[i], kinds);
        events_->addButton(radio, i);
        kindRow->addWidget(radio);
    }
    events_->button(0)->setChecked(true);

    const int count = channels == 4 || channels == 8 ? channels : 16;
    for (int c = 0; c < count; ++c)
        channel_->addItem(QStringLiteral("CH%1").arg(c + 1));

    auto* startRow = new QHBoxLayout;
    startRow->addWidget(startDate_);
    startRow->addWidget(startTime_);
    auto* endRow = new QHBoxLayout;
    endRow->addWidget(endDate_);
    endRow->addWidget(endTime_);
    auto* fields = new QFormLayout;
    fields->addRow(SearchText(kTextChannel), channel_);
    fields->addRow(SearchText(kTextStartTime), startRow);
    fields->addRow(SearchText(kTextEndTime), endRow);

    auto* close = new QPushButton(SearchText(kTextClose), this);
    search_->setDefault(true);
    search_->setToolTip(QStringLiteral("The end must not be before the start."));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(search_);
    buttons->addWidget(close);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->addWidget(kinds);
    column->addLayout(fields);
    column->addSpacing(8);
    column->addLayout(buttons);

    // A new form covers the day so far.
    EventSearchForm initial;
    initial.start = Civil(now.date(), QTime(0, 0, 0));
    initial.end = Civil(now.date(), QTime(23, 59, 59));
    SetForm(initial);

    for (QDateTimeEdit* edit :
         {static_cast<QDateTimeEdit*>(startDate_), static_cast<QDateTimeEdit*>(startTime_),
          static_cast<QDateTimeEdit*>(endDate_), static_cast<QDateTimeEdit*>(endTime_)})
        connect(edit, &QDateTimeEdit::dateTimeChanged, this, &EventSearchDialog::RangeChanged);
    RangeChanged();
    connect(search_, &QPushButton::clicked, this, &EventSearchDialog::Search);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

EventSearchForm EventSearchDialog::form() const {
    EventSearchForm f;
    f.channel = channel_->currentIndex();
    f.start = Civil(startDate_->date(), startTime_->time());
    f.end = Civil(endDate_->date(), endTime_->time());
    f.event = static_cast<EventKind>(std::max(0, events_->checkedId()));
    return f;
}

void EventSearchDialog::SetForm(const EventSearchForm& f) {
    channel_->setCurrentIndex(std::clamp(f.channel, 0, channel_->count() - 1));
    startDate_->setDate(QDate(f.start.year, f.start.month, f.start.day));
    startTime_->setTime(QTime(f.start.hour, f.start.minute, f.start.second));
    endDate_->setDate(QDate(f.end.year, f.end.month, f.end.day));
    endTime_->setTime(QTime(f.end.hour, f.end.minute, f.end.second));
    if (QAbstractButton* b = events_->button(static_cast<int>(f.event))) b->setChecked(true);
}

void EventSearchDialog::RangeChanged() {
    const QDateTime start(startDate_->date(), startTime_->time());
    const QDateTime end(endDate_->date(), endTime_->time());
    search_->setEnabled(start <= end);
}

void EventSearchDialog::Search() {
    if (!search_->isEnabled()) return;
    emit searchRequested(QString::fromStdString(EventSearchQuery(form())));
}

}  // namespace client::search
