// "Search for Video": recorder and stretch lists from the record root, the stretch's calendar,
// the hour bar and the minute bar; "Play" hands the chosen folder and moment to the main window.
#pragma once
#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "media/calendar_file.h"
#include "platform/registry_store.h"
#include "platform/string_table.h"
#include "player/search/video_search.h"

class QComboBox;
class QLabel;
class QVBoxLayout;

namespace ui {
class CalendarControl;
class TimeRangeBar;
}  // namespace ui

namespace player {

class TimeCodeBar;

// What "Play" hands over: the main window opens PairCovering(ListPairs(folder), moment) and
// seeks to `moment`.
struct VideoSearchChoice {
    std::string folder;
    std::string recorder;
    std::array<std::string, media::kCalendarChannels> titles;
    int64_t moment = 0;  // wall time
};

class VideoSearchDialog : public QDialog {
    Q_OBJECT
  public:
    VideoSearchDialog(platform::RegistryStore& store, const std::string& dataDir,
                      const platform::StringTable& strings, QWidget* parent = nullptr);

    void SetMessageSink(std::function<void(const QString&)> sink) { message_ = std::move(sink); }
    const VideoSearchChoice& choice() const { return choice_; }
    const media::Calendar& calendar() const { return calendar_; }
    QComboBox* recorderBox() const { return recorders_; }
    QComboBox* startTimeBox() const { return startTimes_; }
    ui::CalendarControl* calendarControl() const { return calendarControl_; }
    TimeCodeBar* hourBar() const { return hourBar_; }
    TimeCodeBar* minuteBar() const { return minuteBar_; }
    ui::TimeRangeBar* rangeBar() const { return range_; }
    QLabel* momentLabel() const { return moment_; }

  signals:
    // "Play" was pressed; choice() holds what to open.
    void playRequested();

  public slots:
    // Reads the tree under `root` again (the folder button stores the choice).
    void SetRoot(const QString& root);
    void ChooseRoot();
    void SelectHour(int hour);
    void SelectMinute(int minute);
    void Play();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private slots:
    void RecorderChanged();
    void StartTimeChanged();
    void DayChanged();
    void MarksForShownMonth();
    void RangeChanged();

  private:
    void Tell(const QString& text);
    void RedrawBars();
    void ShowRoot();
    void FitBarsToMarkerSlots(QVBoxLayout* column);

    platform::RegistryStore& store_;
    const platform::StringTable& strings_;
    std::string root_;
    RecordingTree tree_;
    std::string folder_;
    media::Calendar calendar_;
    int hour_ = 0;
    int minute_ = 0;
    int rangeEnd_ = 59;
    VideoSearchChoice choice_;
    std::function<void(const QString&)> message_;

    QLabel* rootLabel_ = nullptr;
    QLabel* moment_ = nullptr;
    QComboBox* recorders_ = nullptr;
    QComboBox* startTimes_ = nullptr;
    ui::CalendarControl* calendarControl_ = nullptr;
    TimeCodeBar* hourBar_ = nullptr;
    TimeCodeBar* minuteBar_ = nullptr;
    ui::TimeRangeBar* range_ = nullptr;
};

}  // namespace player
