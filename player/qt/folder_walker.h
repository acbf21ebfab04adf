// Fills the file lists from a folder without holding up the window: the folder is walked on a
// worker thread behind the still search's modeless progress dialog ("Recorded File
// Searching..." with "Search Stop"); the rows come back through a queued call.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <thread>
#include <vector>

#include "player/qt/file_rows.h"

class QProgressDialog;
class QWidget;

namespace player::qt {

class FolderWalker : public QObject {
    Q_OBJECT
  public:
    FolderWalker(QWidget* dialogParent, const QString& label, const QString& stopText);
    ~FolderWalker() override;

    // Starts walking `folder`; a walk still running is stopped first and its rows dropped.
    void Start(const QString& folder);
    void Stop();
    bool walking() const { return worker_.joinable(); }
    QProgressDialog* progress() const { return progress_; }
    // The rows of the last walk that ended (all of them, or those found before a stop).
    const std::vector<FileRow>& rows() const { return rows_; }
    const QString& folder() const { return folder_; }

  signals:
    void finished();

  private:
    void ShowProgress(int generation, qulonglong done, qulonglong total);
    void Done(int generation);
    void Join();

    QProgressDialog* progress_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread worker_;
    int generation_ = 0;
    FolderWalkResult result_;  // written by the worker, read after it signalled the end
    std::vector<FileRow> rows_;
    QString folder_;
};

}  // namespace player::qt
