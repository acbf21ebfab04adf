// The recording settings dialog: which channels a local recording takes, how it ends (continuous,
// after a duration, at a date and time) and its keyword. The main window opens it before a local
// recording starts:
//
//   client::RecordingSettingsDialog dialog(settings, client::ClientStrings(), channelCount, this);
//   if (dialog.exec() == QDialog::Accepted) {
//       const client::RecordingChoice& choice = dialog.Choice();  // channels, end, keyword
//       client::RecordingStopRule rule(choice, clock);             // asked every minute
//   }
//
// OK checks the end, stores the end type, the duration (duration-bound only) and the keyword, and
// closes; Cancel and the close button store nothing. Enter and Esc never close it.
#pragma once

#include <QString>
#include <array>
#include <functional>

#include "client/app/settings/client_settings.h"
#include "client/app/settings/recording_choice.h"
#include "client/app/settings/recording_stop_rule.h"
#include "client/app/settings/settings_dialog_base.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QRadioButton;
class QTimeEdit;

namespace client {

class RecordingSettingsDialog : public SettingsDialogBase {
    Q_OBJECT

  public:
    enum Command : int { kOk = 742, kCancel = 743 };

    // `strings` is the client's text table; `channelCount` the recorder's (4, 8 or 16): only that
    // many channel boxes can be chosen, and all of them start checked. `clock` gives the current
    // time (the system clock when empty).
    RecordingSettingsDialog(ClientSettings& settings, const platform::StringTable& strings,
                            int channelCount, QWidget* parent = nullptr,
                            RecordingStopRule::Clock clock = {});

    // The choice made with OK.
    const RecordingChoice& Choice() const { return choice_; }

    QCheckBox* ChannelBox(int channel) const { return channels_[channel]; }
    QRadioButton* EndTypeButton(RecordingEndType type) const {
        return endTypes_[static_cast<int>(type)];
    }
    QComboBox* DurationList() const { return duration_; }
    QDateEdit* EndDate() const { return endDate_; }
    QTimeEdit* EndTime() const { return endTime_; }
    QLineEdit* KeywordEdit() const { return keyword_; }

  public slots:
    // OK: checks the end, stores the choice and closes with Accepted.
    void Confirm();

  private:
    void BuildControls(int channelCount);
    void LoadStored();
    RecordingEndType SelectedEndType() const;
    void UpdateEnabledFields();
    void OnCommand(int command);

    ClientSettings& settings_;
    const platform::StringTable& strings_;
    RecordingStopRule::Clock clock_;
    RecordingChoice choice_;

    std::array<QCheckBox*, kRecordingChannels> channels_{};
    std::array<QRadioButton*, 3> endTypes_{};
    QComboBox* duration_ = nullptr;
    QDateEdit* endDate_ = nullptr;
    QTimeEdit* endTime_ = nullptr;
    QLineEdit* keyword_ = nullptr;
};

}  // namespace client
