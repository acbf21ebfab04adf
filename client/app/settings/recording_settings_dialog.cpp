#include "client/app/settings/recording_settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>
#include <ctime>

#include "client/app/settings/keyword_validator.h"
#include "client/app/settings/settings_texts.h"

namespace client {
namespace {

constexpr int kBackground = 282;
constexpr ui::SkinButtonSpec kButtons[] = {
    {230, 299, 310, 326, RecordingSettingsDialog::kOk, 281, 280, 276},
    {320, 299, 400, 326, RecordingSettingsDialog::kCancel, 278, 277, 279},
};

}  // namespace

RecordingSettingsDialog::RecordingSettingsDialog(ClientSettings& settings,
                                                 const platform::StringTable& strings,
                                                 int channelCount, QWidget* parent,
                                                 RecordingStopRule::Clock clock)
    : SettingsDialogBase(kButtons, kBackground, strings, parent),
      settings_(settings),
      strings_(strings),
      clock_(clock ? std::move(clock) : [] { return std::time(nullptr); }) {
    connect(&Frame(), &ui::SkinFrame::commandTriggered, this, &RecordingSettingsDialog::OnCommand);
    BuildControls(channelCount);
    LoadStored();
    UpdateEnabledFields();
}

void RecordingSettingsDialog::BuildControls(int channelCount) {
    auto* channelsBox = new QGroupBox(SettingsText(strings_, 1131), this);
    channelsBox->setGeometry(15, 32, 390, 70);
    const int selectable = SelectableChannelBoxes(channelCount);
    for (int i = 0; i < kRecordingChannels; ++i) {
        auto* box = new QCheckBox(QStringLiteral("CH%1").arg(i + 1), this);
        box->setGeometry(24 + 47 * (i % 8), 52 + 24 * (i / 8), 47, 20);
        box->setStyleSheet(QStringLiteral("QCheckBox { spacing: 3px; font-size: 11px; }"));
        box->setChecked(i < selectable);
        box->setEnabled(i < selectable);
        channels_[i] = box;
    }

    auto* endBox = new QGroupBox(SettingsText(strings_, 1047), this);
    endBox->setGeometry(15, 108, 390, 116);
    auto* group = new QButtonGroup(this);
    for (int type = 0; type < 3; ++type) {
        endTypes_[type] = new QRadioButton(SettingsText(strings_, 1048 + type), this);
        endTypes_[type]->setGeometry(28, 128 + 30 * type, 175, 22);
        group->addButton(endTypes_[type], type);
    }
    connect(group, &QButtonGroup::idToggled, this, [this] { UpdateEnabledFields(); });

    duration_ = new QComboBox(this);
    for (int minutes : kRecordingDurations)
        duration_->addItem(QString::number(minutes), minutes);
    duration_->setGeometry(205, 157, 70, 24);
    auto* minuteLabel = new QLabel(SettingsText(strings_, 1081), this);
    minuteLabel->setGeometry(282, 157, 80, 24);

    const EndChoice end = DefaultEndChoice(clock_());
    endDate_ = new QDateEdit(QDate(end.date.year, end.date.month, end.date.day), this);
    endDate_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    endDate_->setCalendarPopup(true);
    endDate_->setGeometry(205, 187, 110, 24);
    endTime_ = new QTimeEdit(QTime(end.hour, end.minute), this);
    endTime_->setDisplayFormat(QStringLiteral("HH:mm"));
    endTime_->setGeometry(321, 187, 70, 24);

    auto* keywordLabel = new QLabel(SettingsText(strings_, 1051), this);
    keywordLabel->setGeometry(28, 240, 170, 24);
    keyword_ = new QLineEdit(this);
    keyword_->setMaxLength(kRecordKeywordMaxLength);
    keyword_->setValidator(new KeywordValidator(keyword_));
    keyword_->setGeometry(205, 240, 120, 24);
    keywordLabel->setBuddy(keyword_);
}

void RecordingSettingsDialog::LoadStored() {
    const RecordingEndType type = settings_.RecordingEnd(RecordingEndType::kContinuous);
    endTypes_[static_cast<int>(type)]->setChecked(true);
    const int minutes =
        type == RecordingEndType::kDuration ? settings_.RecordingTime() : kRecordingDurations[0];
    duration_->setCurrentIndex(std::max(0, duration_->findData(minutes)));
    keyword_->setText(QString::fromStdString(CleanKeyword(settings_.RecordKeyword())));
}

RecordingEndType RecordingSettingsDialog::SelectedEndType() const {
    for (int type = 0; type < 3; ++type)
        if (endTypes_[type]->isChecked()) return static_cast<RecordingEndType>(type);
    return RecordingEndType::kContinuous;
}

void RecordingSettingsDialog::UpdateEnabledFields() {
    const RecordingEndType type = SelectedEndType();
    duration_->setEnabled(type == RecordingEndType::kDuration);
    endDate_->setEnabled(type == RecordingEndType::kEndTime);
    endTime_->setEnabled(type == RecordingEndType::kEndTime);
}

void RecordingSettingsDialog::Confirm() {
    RecordingChoice choice;
    for (int i = 0; i < kRecordingChannels; ++i)
        choice.channels[i] = channels_[i]->isEnabled() && channels_[i]->isChecked();
    choice.endType = SelectedEndType();
    choice.keyword = CleanKeyword(keyword_->text().toStdString());
    if (choice.endType == RecordingEndType::kEndTime) {
        const QDate date = endDate_->date();
        const QTime time = endTime_->time();
        const EndChoice end{{date.year(), date.month(), date.day()}, time.hour(), time.minute()};
        if (!IsEndInFuture(end, LocalTimeOf(clock_()))) {
            Tell(SettingsText(strings_, 2021));
            return;
        }
        choice.endMoment = EndMomentOf(end);
    }
    if (choice.endType == RecordingEndType::kDuration)
        choice.durationMinutes = duration_->currentData().toInt();
    settings_.StoreRecordingChoice(choice.endType, choice.durationMinutes, choice.keyword);
    choice_ = std::move(choice);
    SetClosing(true);
    accept();
}

void RecordingSettingsDialog::OnCommand(int command) {
    if (command == kOk) Confirm();
    if (command == kCancel) {
        SetClosing(true);
        reject();
    }
}

}  // namespace client
