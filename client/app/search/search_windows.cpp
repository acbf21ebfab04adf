#include "client/app/search/search_windows.h"

#include <QWidget>
#include <functional>
#include <mutex>

#include "client/app/search/calendar_search_dialog.h"
#include "client/app/search/event_search_dialog.h"
#include "client/app/search/playback_panel.h"
#include "client/app/search/progress_box.h"
#include "client/app/search/search_result_dialog.h"
#include "client/app/search/search_texts.h"
#include "client/app/search/simple_player_copy.h"

namespace client::search {
namespace {

// Where the playback panel stands in the main window.
constexpr QPoint kPanelAt(672, 313);

QByteArray Bytes(const std::vector<uint8_t>& body) {
    return QByteArray(reinterpret_cast<const char*>(body.data()),
                      static_cast<qsizetype>(body.size()));
}

// "YYYY-MM-DD hh:mm:ss" of a selection "YYYYMMDDhhmmss".
QString SelectionDisplay(const QString& s) {
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(s.mid(0, 4), s.mid(4, 2), s.mid(6, 2), s.mid(8, 2), s.mid(10, 2), s.mid(12, 2));
}

template <typename T>
void Dispose(QPointer<T>& widget) {
    if (!widget) return;
    widget->hide();
    widget->deleteLater();
    widget = nullptr;
}

}  // namespace

// Answers of the connection's worker thread reach the window's thread through the inbox; once the
// SearchWindows has gone, they are dropped.
struct SearchWindows::Inbox {
    std::mutex mutex;
    SearchWindows* target = nullptr;

    void Post(std::function<void(SearchWindows&)> work) {
        std::lock_guard lock(mutex);
        if (!target) return;
        SearchWindows* t = target;
        QMetaObject::invokeMethod(
            t, [t, work = std::move(work)] { work(*t); }, Qt::QueuedConnection);
    }
};

SearchWindows::SearchWindows(DvrConnection& connection, ProgressRelay& relay, QWidget* window)
    : connection_(connection),
      relay_(relay),
      window_(window),
      inbox_(std::make_shared<Inbox>()),
      backup_(connection) {
    inbox_->target = this;
    connection_.SetProgressView(&relay_);
}

SearchWindows::~SearchWindows() {
    {
        std::lock_guard lock(inbox_->mutex);
        inbox_->target = nullptr;
    }
    connection_.SetProgressView(nullptr);
    delete calendar_.data();
    delete results_.data();
    delete eventForm_.data();
    delete panel_.data();
    delete wait_.data();
    delete progress_.data();
}

void SearchWindows::OpenSearch() {
    session_.BeginSearch();
    QueryCalendar();
}

void SearchWindows::OpenBackup() {
    session_.BeginBackup();
    QueryCalendar();
}

void SearchWindows::QueryCalendar() {
    OpenWait();
    connection_.commands().QueryCalendar([inbox = inbox_](const CommandResult& r) {
        // A query that failed hands the dialog an empty calendar.
        inbox->Post([answer = Bytes(r.body)](SearchWindows& w) { w.CalendarArrived(answer); });
    });
}

void SearchWindows::CalendarArrived(const QByteArray& answer) {
    CloseWait();
    CloseCalendar();
    calendar_ = new CalendarSearchDialog(session_.purpose(), window_);
    calendar_->SetCalendarData(answer);
    calendar_->SetPreSelectedTime(QString::fromStdString(session_.preselectedTime()));
    calendar_->SetDVRChannel(static_cast<unsigned>(channels_));
    connect(calendar_, &CalendarSearchDialog::playRequested, this, &SearchWindows::Play);
    connect(calendar_, &CalendarSearchDialog::searchAgainRequested, this,
            &SearchWindows::SearchAgain);
    connect(calendar_, &CalendarSearchDialog::closeRequested, this, &SearchWindows::CalendarClosed);
    connect(calendar_, &CalendarSearchDialog::eventSearchRequested, this, [this] {
        CloseCalendar();
        OpenEventSearch();
    });
    connect(calendar_, &CalendarSearchDialog::backupRequested, this, &SearchWindows::BackupChosen);
    calendar_->show();
    UpdateWindowEnabled();
}

void SearchWindows::Play(const QString& selection) {
    const std::string start = session_.Play(selection.toStdString());
    if (start.empty()) return;
    CloseCalendar();
    emit streamTaken();
    OpenWait();
    connection_.playback().PlayFromTime(start);
    OpenPanel(SelectionDisplay(selection));
}

void SearchWindows::SearchAgain() {
    CloseCalendar();
    QueryCalendar();
}

void SearchWindows::CalendarClosed(int reconnectLive) {
    CloseCalendar();
    if (reconnectLive == 0) {
        if (panel_) {
            ClosePanel();
            emit this->reconnectLive();
        }
        return;
    }
    if (!connection_.stream().connected()) emit this->reconnectLive();
}

void SearchWindows::BackupChosen(const QString& start, const QString& end, int mode,
                                 quint32 channels) {
    session_.ChooseBackup(mode);
    CloseCalendar();
    emit streamTaken();
    if (!backup_.Start({start.toStdString(), end.toStdString(), channels, mode}))
        emit reconnectLive();
}

void SearchWindows::BackupFinished() {
    if (progress_) progress_->Finish();
    Dispose(progress_);
    UpdateWindowEnabled();
    const SimplePlayerCopy copy =
        CopySimplePlayer(simplePlayer_.copy, simplePlayer_.programDir, simplePlayer_.backupFolder);
    for (int id : BackupEndMessages(copy, BackupKind::TimeRange))
        Tell(id);
    // Back to the backup calendar for the next range.
    QueryCalendar();
}

bool SearchWindows::OnNotification(Notification message, int parameter) {
    if (backup_.running()) {
        switch (backup_.OnNotification(message, parameter)) {
            case TimeRangeBackup::Event::DataStarted:
                if (!progress_) {
                    progress_ = new ProgressBox(ProgressBox::Kind::Backup, window_);
                    progress_->Follow(relay_);
                    connect(progress_, &ProgressBox::stopRequested, this, [this] {
                        backup_.Cancel();
                        BackupFinished();
                    });
                    progress_->show();
                    UpdateWindowEnabled();
                }
                return true;
            case TimeRangeBackup::Event::Finished:
                BackupFinished();
                return true;
            case TimeRangeBackup::Event::None:
                break;
        }
    }
    switch (message) {
        case Notification::Stream:
            if (parameter != static_cast<int>(StreamKind::FilePlayback) &&
                parameter != static_cast<int>(StreamKind::TimePlayback))
                return false;
            CloseWait();
            return true;
        case Notification::PlaybackState:
            if (!panel_) return false;
            panel_->SetPlaybackState(parameter);
            return true;
        case Notification::CalendarSearch:
            // A time playback ended, or its Stop was pressed: the calendar opens again.
            ClosePanel();
            CloseWait();
            QueryCalendar();
            return true;
        case Notification::PlaybackEnded:
            // A file playback ended: the last results are shown again.
            ClosePanel();
            CloseWait();
            if (!lastResults_.isEmpty()) ShowResults();
            return true;
        default:
            return false;
    }
}

void SearchWindows::OpenEventSearch() {
    if (!eventForm_) {
        eventForm_ = new EventSearchDialog(channels_, window_);
        connect(eventForm_, &EventSearchDialog::searchRequested, this,
                &SearchWindows::RunEventSearch);
    }
    eventForm_->show();
    eventForm_->raise();
}

void SearchWindows::RunEventSearch(const QString& query) {
    Dispose(eventForm_);
    lastResults_.clear();
    connection_.commands().Query(query.toStdString(), true,
                                 [inbox = inbox_](const CommandResult& r) {
                                     const bool sent = r.net.status != NetStatus::NotConnected;
                                     inbox->Post([sent, answer = Bytes(r.body)](SearchWindows& w) {
                                         w.ResultsArrived(sent, answer);
                                     });
                                 });
}

void SearchWindows::ResultsArrived(bool sent, const QByteArray& answer) {
    // Nothing was sent without a stream ("Check Connection!!" says so); a query that failed
    // otherwise shows an empty list.
    if (!sent) return;
    lastResults_ = answer;
    // In backup mode the found recordings are offered for a file backup (the window's list).
    if (session_.purpose() == SearchPurpose::Backup)
        emit fileListArrived(lastResults_);
    else
        ShowResults();
}

void SearchWindows::ShowResults() {
    Dispose(results_);
    results_ = new SearchResultDialog(lastResults_, window_);
    results_->SetMessageSink([this](int id, const QString& text) { emit message(id, text); });
    connect(results_, &QDialog::finished, this, &SearchWindows::ResultChosen);
    results_->open();
}

void SearchWindows::ResultChosen(int result) {
    const QString file = results_ ? results_->chosenFile() : QString();
    Dispose(results_);
    if (result != QDialog::Accepted || file.isEmpty()) return;
    emit streamTaken();
    OpenWait();
    connection_.playback().PlayFile(file.toStdString());
    OpenPanel(file);
}

void SearchWindows::OpenPanel(const QString& source) {
    if (!panel_) {
        panel_ = new PlaybackPanel(window_);
        if (window_) panel_->move(kPanelAt);
        connect(panel_, &PlaybackPanel::command, this,
                [this](int command) { RunPanelCommand(connection_.playback(), command); });
        connect(panel_, &PlaybackPanel::closeRequested, this, [this] {
            ClosePanel();
            emit reconnectLive();
        });
    }
    panel_->SetSource(source);
    panel_->SetPlaybackState(0);
    panel_->show();
    panel_->raise();
    emit playbackPanelShown(true);
}

void SearchWindows::ClosePanel() {
    if (!panel_) return;
    Dispose(panel_);
    emit playbackPanelShown(false);
}

void SearchWindows::OpenWait() {
    if (!wait_) {
        wait_ = new ProgressBox(ProgressBox::Kind::Wait, window_);
        wait_->Follow(relay_);
    }
    wait_->SetText(QStringLiteral("completed 0%"));
    wait_->SetPosition(0);
    wait_->show();
    UpdateWindowEnabled();
}

void SearchWindows::CloseWait() {
    Dispose(wait_);
    UpdateWindowEnabled();
}

void SearchWindows::CloseCalendar() {
    Dispose(calendar_);
    UpdateWindowEnabled();
}

void SearchWindows::UpdateWindowEnabled() {
    emit windowEnabled(!calendar_ && !wait_ && !progress_);
}

void SearchWindows::Tell(int id) {
    emit message(id, SearchText(id));
}

}  // namespace client::search
