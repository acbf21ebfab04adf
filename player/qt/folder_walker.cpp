#include "player/qt/folder_walker.h"

#include <QProgressDialog>
#include <QWidget>

namespace player::qt {

FolderWalker::FolderWalker(QWidget* dialogParent, const QString& label, const QString& stopText)
    : QObject(dialogParent) {
    progress_ = new QProgressDialog(label, stopText, 0, 1, dialogParent);
    progress_->setWindowModality(Qt::NonModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    // Small folders are listed before the dialog would show; big ones show it at once.
    progress_->setMinimumDuration(300);
    progress_->reset();
    connect(progress_, &QProgressDialog::canceled, this, &FolderWalker::Stop);
}

FolderWalker::~FolderWalker() {
    Stop();
    Join();
}

void FolderWalker::Join() {
    if (worker_.joinable()) worker_.join();
}

void FolderWalker::Start(const QString& folder) {
    Stop();
    Join();
    stop_ = false;
    folder_ = folder;
    const int generation = ++generation_;
    progress_->setRange(0, 1);
    progress_->setValue(0);
    result_ = {};
    worker_ = std::thread([this, generation, path = folder.toStdString()] {
        size_t shownStep = 0;
        result_ = WalkFolder(path, stop_, [&](size_t done, size_t total) {
            // About a hundred progress steps, whatever the folder's size.
            const size_t step = done * 100 / std::max<size_t>(total, 1);
            if (step == shownStep && done != total) return;
            shownStep = step;
            QMetaObject::invokeMethod(
                this, [this, generation, done, total] { ShowProgress(generation, done, total); },
                Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this, [this, generation] { Done(generation); }, Qt::QueuedConnection);
    });
}

void FolderWalker::Stop() {
    stop_ = true;
}

void FolderWalker::ShowProgress(int generation, qulonglong done, qulonglong total) {
    if (generation != generation_ || !worker_.joinable()) return;
    progress_->setMaximum(static_cast<int>(std::min<qulonglong>(total, INT_MAX)));
    progress_->setValue(static_cast<int>(std::min<qulonglong>(done, INT_MAX)));
}

void FolderWalker::Done(int generation) {
    if (generation != generation_) return;
    Join();
    rows_ = std::move(result_.rows);
    progress_->reset();
    progress_->hide();
    emit finished();
}

}  // namespace player::qt
