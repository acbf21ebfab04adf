// The calendar search dialog: the recorder's recording days in a month calendar, one day's
// recordings on a time bar where the user sets the start (double-click or drag with the left
// button) and the end (right button, or drag), and then plays from the start or, opened for a
// backup, backs the range of the chosen channels up.
//
// Use: construct, call the setters (the calendar answer, the preselected time, the channel count,
// optionally the texts), show(). The dialog reports by signal and leaves deleting itself to the
// window:
//   playRequested(selection)          play from the selected start ("YYYYMMDDhhmmss")
//   searchAgainRequested()            query the calendar anew and open a fresh dialog
//   closeRequested(reconnectLive)     the dialog was closed (1: go back to live view)
//   backupRequested(start, end, mode, channels)   back up start..end ("YYYYMMDDhhmmss") of the
//                                     channels (bit n: channel n) in mode 0 or 1 (double speed)
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <array>
#include <vector>

#include "client/app/search/calendar_search.h"
#include "client/app/search/search_session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace ui {
class CalendarControl;
class TimeRangeBar;
}  // namespace ui

namespace client::search {

class CalendarSearchDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CalendarSearchDialog(SearchPurpose purpose, QWidget* parent = nullptr);

    // The recorder's calendar answer (MODE 7), as it came.
    void SetCalendarData(const QByteArray& answer);
    // The time the dialog opens on ("YYYYMMDDhhmmss"), empty for a new search.
    void SetPreSelectedTime(const QString& text);
    // The recorder's channel count: the channels a backup can take.
    void SetDVRChannel(unsigned count);
    // Texts 513..515 (backup start, backup end, backup mode) and 508..512 (the help lines); the
    // dialog starts with the client's texts in the current language.
    void SetCalendarResourceString(const std::array<QString, 3>& texts);
    void SetBackupHelpResourceString(const std::array<QString, 5>& texts);
    // The day the dialog opens on when the recorder has no recordings (tests).
    void SetToday(const ui::CalendarDate& today) { today_ = today; }

    // What is selected now.
    QString selectedStartText() const;
    QString selectedEndText() const;
    int backupMode() const;
    quint32 channelMask() const;
    const CalendarSearch& search() const { return search_; }
    ui::CalendarControl& calendarControl() const { return *calendar_; }
    ui::TimeRangeBar& timeBar() const { return *bar_; }

  signals:
    void playRequested(const QString& selection);
    void searchAgainRequested();
    // The event search form instead of the calendar.
    void eventSearchRequested();
    void closeRequested(int reconnectLive);
    void backupRequested(const QString& start, const QString& end, int mode, quint32 channels);

  protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

  private:
    void ApplyInitialState();
    void ShowDay(const ui::CalendarDate& date);
    void MarkShownMonth();
    void SelectionChanged();
    void Play();
    void Backup();
    QWidget* BuildBackupBox();
    QWidget* BuildLegend();

    SearchPurpose purpose_;
    CalendarSearch search_;
    ui::CalendarDate today_;
    bool applied_ = false;
    ui::CalendarControl* calendar_;
    ui::TimeRangeBar* bar_;
    QLabel* dayTitle_;
    QLabel* startText_;
    QLabel* endText_;
    std::array<QLabel*, 3> captions_{};  // 513, 514, 515
    std::array<QLabel*, 5> help_{};      // 508..512
    QComboBox* mode_ = nullptr;
    std::vector<QCheckBox*> channels_;
    QPushButton* play_;
    QPushButton* backup_;
};

}  // namespace client::search
