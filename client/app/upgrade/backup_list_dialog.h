// The backup file list: the recorder files an event search found, each with a check box, and one
// button that downloads the checked ones by FTP into the backup folder (or stops the download),
// with a progress bar for the file in transfer and a "current / total" counter. The downloads run
// on a worker (client::RecordingDownload); the dialog shows what it reports.
//
// Use: BackupListDialog dialog(responseText, setup, parent);
//      connect(&dialog, &BackupListDialog::backupCompleted, ...);  // e.g. the simple player copy
//      dialog.exec();
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client/net/connection_context.h"
#include "client/net/recording_download.h"
#include "ui/skin_dialog.h"

class QLabel;
class QProgressBar;
class QTableWidget;

namespace clientapp {

class QueuedProgress;

struct BackupListSetup {
    client::ConnectionParams connection;  // DVR name, address, user and password of the recorder
    std::string backupFolder;             // "BackupPath", ending with '/'
    uint16_t ftpPort = client::FtpPort();
    client::FreeSpaceProbe probe;  // empty: the free space of the backup folder's disk
};

class BackupListDialog : public ui::SkinDialog, private client::DownloadListener {
    Q_OBJECT

  public:
    // Skin buttons: start/stop and close.
    static constexpr int kCommandStart = 7731;
    static constexpr int kCommandClose = 7732;

    // `response`: the recorder's event search answer; one row per complete entry.
    BackupListDialog(std::string_view response, BackupListSetup setup, QWidget* parent = nullptr);
    ~BackupListDialog() override;

    QTableWidget* list() const { return list_; }
    QProgressBar* progressBar() const { return progress_; }
    QString counterText() const;
    // The recorder path of row `row`.
    const std::string& PathOf(int row) const { return paths_[static_cast<size_t>(row)]; }
    bool Running() const { return download_.Running(); }

  public slots:
    // The start button: downloads the checked rows, or stops a download that runs.
    void StartOrStop();

  signals:
    // A message the dialog shows (string id and text); also shown in a message box.
    void messageShown(int stringId, const QString& text);
    // Every checked file arrived; "Backup completed." follows once the receivers returned.
    void backupCompleted();
    // The download list ended, however it ended.
    void downloadEnded();

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void OnCommand(int command);
    void ShowMessage(int stringId);
    void SetRunning(bool running);
    void Finish(const client::DownloadOutcome& outcome);
    bool EnoughRoom() const;
    // DownloadListener, on the worker: posted on to the GUI thread.
    void FileStarted(int index, int count) override;
    void FileEnded(int index, const std::string& localPath, const client::FtpResult& r) override;
    void Finished(const client::DownloadOutcome& outcome) override;

    BackupListSetup setup_;
    std::vector<std::string> paths_;  // recorder path of each row
    std::vector<int> chosenRows_;     // the rows of the running download, in order
    QTableWidget* list_;
    QProgressBar* progress_;
    QLabel* counter_;
    std::unique_ptr<QueuedProgress> progressView_;
    client::RecordingDownload download_;  // last: its worker ends before the widgets go
};

}  // namespace clientapp
