#include "client/app/upgrade/backup_list_dialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTableWidget>

#include "client/app/upgrade/queued_progress.h"
#include "client/net/client_strings.h"
#include "client/net/event_search.h"
#include "client/net/ftp_texts.h"
#include "ui/skin_frame.h"

namespace clientapp {
namespace {

constexpr int kBackground = 401;
constexpr ui::SkinButtonSpec kButtons[] = {
    {400, 342, 480, 369, BackupListDialog::kCommandStart, 363, 370, 372},
    {500, 342, 580, 369, BackupListDialog::kCommandClose, 287, 286, 285},
};
// The start button while a download runs: its stop face.
constexpr int kStopFace[] = {369, 367, 368};
constexpr int kStartFace[] = {363, 370, 372};

QString Text(int id) {
    return QString::fromStdString(client::FtpDialogText(id));
}

QTableWidgetItem* Cell(const std::string& text) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

BackupListDialog::BackupListDialog(std::string_view response, BackupListSetup setup,
                                   QWidget* parent)
    : ui::SkinDialog(kButtons, client::ClientStrings(), parent),
      setup_(std::move(setup)),
      list_(new QTableWidget(this)),
      progress_(new QProgressBar(this)),
      counter_(new QLabel(this)),
      progressView_(std::make_unique<QueuedProgress>(progress_)) {
    Frame().Create(kBackground, static_cast<int>(std::size(kButtons)));
    connect(&Frame(), &ui::SkinFrame::commandTriggered, this, &BackupListDialog::OnCommand);

    list_->setGeometry(20, 35, 560, 270);
    list_->setColumnCount(4);
    list_->setHorizontalHeaderLabels({Text(2011), Text(2012), Text(2013), Text(2014)});
    const int widths[] = {170, 170, 50, 120};
    for (int c = 0; c < 4; ++c)
        list_->setColumnWidth(c, widths[c]);
    list_->verticalHeader()->hide();
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setShowGrid(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (const client::SearchEntry& e : client::ParseEventSearch(response)) {
        if (!e.complete()) continue;
        const int row = list_->rowCount();
        list_->insertRow(row);
        QTableWidgetItem* first = Cell(e.start);
        first->setFlags(first->flags() | Qt::ItemIsUserCheckable);
        first->setCheckState(Qt::Unchecked);
        list_->setItem(row, 0, first);
        list_->setItem(row, 1, Cell(e.end));
        list_->setItem(row, 2, Cell(e.channel));
        list_->setItem(row, 3, Cell(e.event));
        paths_.push_back(e.path);
    }

    progress_->setGeometry(20, 310, 560, 20);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    counter_->setGeometry(20, 345, 200, 20);
    counter_->setStyleSheet(QStringLiteral("color: white;"));
}

BackupListDialog::~BackupListDialog() {
    download_.Cancel();
    download_.Wait();
}

QString BackupListDialog::counterText() const {
    return counter_->text();
}

void BackupListDialog::keyPressEvent(QKeyEvent* e) {
    // Enter and Esc do not close the list.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape)
        return;
    ui::SkinDialog::keyPressEvent(e);
}

void BackupListDialog::OnCommand(int command) {
    if (command == kCommandStart) {
        StartOrStop();
    } else if (command == kCommandClose) {
        download_.Cancel();
        reject();
    }
}

bool BackupListDialog::EnoughRoom() const {
    const auto free =
        setup_.probe ? setup_.probe(setup_.backupFolder) : client::FreeSpaceOf(setup_.backupFolder);
    return free && client::EnoughFreeSpace(*free);
}

void BackupListDialog::StartOrStop() {
    if (download_.Running()) {
        download_.Cancel();  // the end arrives as a cancelled outcome
        return;
    }
    if (paths_.empty()) return ShowMessage(client::kTextSelectFile);
    if (!EnoughRoom()) return ShowMessage(client::kTextBackupDiskFull);
    client::RecordingDownloadRequest request;
    chosenRows_.clear();
    for (int row = 0; row < list_->rowCount(); ++row) {
        if (list_->item(row, 0)->checkState() != Qt::Checked) continue;
        chosenRows_.push_back(row);
        request.recorderPaths.push_back(paths_[static_cast<size_t>(row)]);
    }
    if (chosenRows_.empty()) return ShowMessage(client::kTextSelectFile);

    const client::ConnectionParams& c = setup_.connection;
    request.login = {c.host, setup_.ftpPort, c.user, c.password};
    request.dvrName = c.dvrName;
    request.folder = setup_.backupFolder;
    request.probe = setup_.probe;
    list_->selectRow(chosenRows_.front());
    list_->scrollToItem(list_->item(chosenRows_.front(), 0));
    progress_->setValue(0);
    if (download_.Start(std::move(request), progressView_.get(), *this)) SetRunning(true);
}

void BackupListDialog::SetRunning(bool running) {
    const int* face = running ? kStopFace : kStartFace;
    Frame().SetButtonBitmaps(0, face[0], face[1], face[2]);
}

void BackupListDialog::FileStarted(int index, int count) {
    QMetaObject::invokeMethod(
        this,
        [this, index, count] {
            if (static_cast<size_t>(index) < chosenRows_.size()) {
                const int row = chosenRows_[static_cast<size_t>(index)];
                list_->selectRow(row);
                list_->scrollToItem(list_->item(row, 0));
            }
            progress_->setValue(0);
            counter_->setText(
                QString::fromStdString(client::DownloadCounterText(index + 1, count)));
        },
        Qt::QueuedConnection);
}

void BackupListDialog::FileEnded(int, const std::string&, const client::FtpResult&) {}

void BackupListDialog::Finished(const client::DownloadOutcome& outcome) {
    QMetaObject::invokeMethod(
        this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
}

void BackupListDialog::Finish(const client::DownloadOutcome& out) {
    download_.Wait();  // the worker has reported: reap it
    SetRunning(false);
    switch (out.end) {
        case client::DownloadEnd::Completed:
            emit backupCompleted();
            ShowMessage(client::kTextBackupCompleted);
            break;
        case client::DownloadEnd::SomeFailed:
            ShowMessage(client::kTextBackupFilesFailed);
            break;
        case client::DownloadEnd::DiskFull:
            ShowMessage(client::kTextBackupDiskFull);
            break;
        case client::DownloadEnd::NoFolder:
            ShowMessage(client::kTextBackupWriteFailed);
            break;
        case client::DownloadEnd::LoginFailed:
            progress_->setValue(0);
            ShowMessage(client::FtpFailureText(out.connect.status));
            break;
        case client::DownloadEnd::Cancelled:
            progress_->setValue(0);
            break;
    }
    emit downloadEnded();
}

void BackupListDialog::ShowMessage(int stringId) {
    const QString text = Text(stringId);
    emit messageShown(stringId, text);
    auto* box =
        new QMessageBox(QMessageBox::Information, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace clientapp
