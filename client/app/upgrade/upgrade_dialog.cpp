#include "client/app/upgrade/upgrade_dialog.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "client/app/upgrade/queued_progress.h"
#include "client/net/ftp_texts.h"

namespace clientapp {
namespace {

QString Text(int id) {
    return QString::fromStdString(client::FtpDialogText(id));
}

QLineEdit* Edit(int limit, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(limit);
    return edit;
}

}  // namespace

UpgradeDialog::UpgradeDialog(QWidget* parent, uint16_t ftpPort)
    : QDialog(parent),
      address_(Edit(20, this)),
      user_(Edit(5, this)),
      password_(Edit(6, this)),
      port_(Edit(5, this)),
      kernel_(new QRadioButton(QStringLiteral("Kernel Upgrade"), this)),
      ramdisk_(new QRadioButton(QStringLiteral("RamDisk Upgrade"), this)),
      file_(new QLabel(this)),
      start_(new QPushButton(Text(client::kTextUpdateStart), this)),
      progress_(new QProgressBar(this)),
      ftpPort_(ftpPort),
      progressView_(std::make_unique<QueuedProgress>(progress_)) {
    setWindowTitle(QStringLiteral("S/W Upgrade"));
    user_->setText(QStringLiteral("admin"));
    password_->setEchoMode(QLineEdit::Password);
    port_->setText(QStringLiteral("80"));
    ramdisk_->setChecked(true);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    file_->setMinimumWidth(260);
    file_->setFrameShape(QFrame::StyledPanel);

    auto* select = new QPushButton(QStringLiteral("Select   File"), this);
    select->setAutoDefault(false);
    start_->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow(Text(2002).isEmpty() ? QStringLiteral("DVR Address") : Text(2002), address_);
    form->addRow(QStringLiteral("User"), user_);
    form->addRow(QStringLiteral("Password"), password_);
    form->addRow(QStringLiteral("Port"), port_);
    auto* targets = new QHBoxLayout;
    targets->addWidget(kernel_);
    targets->addWidget(ramdisk_);
    form->addRow(QString(), targets);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(select);
    form->addRow(QString(), fileRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progress_);
    layout->addLayout(buttons);

    connect(select, &QPushButton::clicked, this, &UpgradeDialog::ChooseImage);
    connect(start_, &QPushButton::clicked, this, &UpgradeDialog::StartOrCancel);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

UpgradeDialog::~UpgradeDialog() {
    upgrade_.Cancel();
    upgrade_.Wait();
}

void UpgradeDialog::SetAddress(const QString& host, const QString& port) {
    address_->setText(host);
    port_->setText(port);
}

void UpgradeDialog::SetImage(const QString& path) {
    file_->setText(path);
}

void UpgradeDialog::ChooseImage() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Select File"));
    if (!path.isEmpty()) SetImage(path);
}

void UpgradeDialog::keyPressEvent(QKeyEvent* e) {
    // Enter starts (or cancels) like the button; Esc does not close the dialog.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        StartOrCancel();
        return;
    }
    if (e->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(e);
}

void UpgradeDialog::StartOrCancel() {
    if (upgrade_.Running()) {
        upgrade_.Cancel();  // the end arrives as a cancelled outcome
        return;
    }
    client::UpgradeRequest request;
    request.host = address_->text().toStdString();
    request.httpPort = port_->text().toStdString();
    request.user = user_->text().toStdString();
    request.password = password_->text().toStdString();
    request.localPath = file_->text().toStdString();
    request.target =
        kernel_->isChecked() ? client::UpgradeTarget::Kernel : client::UpgradeTarget::Ramdisk;
    request.ftpPort = ftpPort_;
    const client::UpgradeFields fields = client::CheckUpgradeFields(&request);
    port_->setText(QString::fromStdString(request.httpPort));  // an empty port shows "80"
    if (fields != client::UpgradeFields::Ok) {
        ShowMessage(client::kTextVerifyFields);
        return;
    }
    const bool started = upgrade_.Start(request, progressView_.get(), [this](const auto& out) {
        QMetaObject::invokeMethod(
            this, [this, out] { Finish(out); }, Qt::QueuedConnection);
    });
    if (started) start_->setText(Text(client::kTextUpdateCancel));
}

void UpgradeDialog::SetIdle() {
    progress_->setValue(0);
    start_->setText(Text(client::kTextUpdateStart));
}

void UpgradeDialog::Finish(const client::UpgradeOutcome& out) {
    upgrade_.Wait();  // the worker has reported: reap it
    SetIdle();
    if (out.cancelled()) {
        emit upgradeEnded(false);
        return;
    }
    if (out.ok())
        ShowMessage(client::kTextTransferCompleted);
    else if (!out.upload.ok())
        ShowMessage(client::FtpFailureText(out.upload.status),
                    QString::fromStdString(out.upload.Describe()));
    else
        ShowMessage(client::kTextUpgradeControlFailed,
                    QString::fromStdString(out.control.Describe()));
    emit upgradeEnded(out.ok());
}

void UpgradeDialog::ShowMessage(int stringId, const QString& detail) {
    const QString text = Text(stringId);
    emit messageShown(stringId, text);
    auto* box =
        new QMessageBox(QMessageBox::Information, windowTitle(), text, QMessageBox::Ok, this);
    if (!detail.isEmpty()) box->setInformativeText(detail);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace clientapp
