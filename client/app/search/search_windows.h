// The search side of the main window in one place: DVR Search, DVR Backup and Event Search open
// their dialogs through it, and it carries out what they ask for with the window's connection:
// the recorder's calendar, remote playback with its panel, the time-range backup with its
// progress box and the simple player copy, the event search and its result list.
//
// Use: one SearchWindows per main window, made with the window's connection and a ProgressRelay
// (handed to the connection as its progress view). The window keeps the three as members in the
// order relay, connection, search windows, so the search windows go first and the relay outlives
// the connection's threads; the dialogs are the window's children. The buttons call OpenSearch,
// OpenBackup and OpenEventSearch; every notification of the connection is handed to
// OnNotification on the window's thread; the window acts on the signals (enable itself, show a
// message, reconnect live, show or hide what the playback panel covers, give up its local
// recording and sound).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>

#include "client/app/search/search_session.h"
#include "client/app/search/time_range_backup.h"

class QWidget;

namespace client::search {

class CalendarSearchDialog;
class EventSearchDialog;
class PlaybackPanel;
class ProgressBox;
class ProgressRelay;
class SearchResultDialog;

struct SimplePlayerSettings {
    bool copy = false;         // the "CopyQuenby" setting
    std::string programDir;    // where the simple player is (ProgramDirectory())
    std::string backupFolder;  // "BackupPath"
};

class SearchWindows : public QObject {
    Q_OBJECT
  public:
    SearchWindows(DvrConnection& connection, ProgressRelay& relay, QWidget* window);
    ~SearchWindows() override;

    void SetChannelCount(int channels) { channels_ = channels; }
    void SetSimplePlayer(const SimplePlayerSettings& settings) { simplePlayer_ = settings; }

    // The buttons.
    void OpenSearch();
    void OpenBackup();
    void OpenEventSearch();

    // A notification of the connection, on the window's thread. True when it was about a
    // search, a remote playback or a backup started here.
    bool OnNotification(Notification message, int parameter);

    const SearchSession& session() const { return session_; }
    // The answer of the last event search (offered again by 0x404).
    const QByteArray& lastResults() const { return lastResults_; }
    CalendarSearchDialog* calendarDialog() const { return calendar_; }
    SearchResultDialog* resultDialog() const { return results_; }
    EventSearchDialog* eventSearchDialog() const { return eventForm_; }
    PlaybackPanel* playbackPanel() const { return panel_; }
    ProgressBox* waitBox() const { return wait_; }
    ProgressBox* progressBox() const { return progress_; }

  signals:
    // Disable the main window while a calendar dialog, wait box or progress box shows.
    void windowEnabled(bool enabled);
    // A message box: the string id and its text.
    void message(int id, const QString& text);
    // Back to live view with the stored fields (when not connected).
    void reconnectLive();
    // The playback panel appeared (hide the buttons it stands for, disable the lists) or went.
    void playbackPanelShown(bool shown);
    // Stop local recording, the alarm sound and audio: a backup or playback takes the stream.
    void streamTaken();
    // An event search in backup mode found these recordings: offer them for a file backup.
    void fileListArrived(const QByteArray& answer);

  private:
    struct Inbox;

    void QueryCalendar();
    void CalendarArrived(const QByteArray& answer);
    void Play(const QString& selection);
    void SearchAgain();
    void CalendarClosed(int reconnectLive);
    void BackupChosen(const QString& start, const QString& end, int mode, quint32 channels);
    void BackupFinished();
    void RunEventSearch(const QString& query);
    void ResultsArrived(bool ok, const QByteArray& answer);
    void ShowResults();
    void ResultChosen(int result);
    void OpenPanel(const QString& source);
    void ClosePanel();
    void OpenWait();
    void CloseWait();
    void CloseCalendar();
    void UpdateWindowEnabled();
    void Tell(int id);

    DvrConnection& connection_;
    ProgressRelay& relay_;
    QWidget* window_;
    std::shared_ptr<Inbox> inbox_;
    SearchSession session_;
    TimeRangeBackup backup_;
    SimplePlayerSettings simplePlayer_;
    int channels_ = 16;
    QByteArray lastResults_;
    QPointer<CalendarSearchDialog> calendar_;
    QPointer<SearchResultDialog> results_;
    QPointer<EventSearchDialog> eventForm_;
    QPointer<PlaybackPanel> panel_;
    QPointer<ProgressBox> wait_;
    QPointer<ProgressBox> progress_;
};

}  // namespace client::search
