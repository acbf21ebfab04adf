#include "client/app/window/disk_space_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QStorageInfo>

#include "client/app/window/core/window_texts.h"

namespace client_app {

DiskSpaceDialog::DiskSpaceDialog(const QString& path, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Disk Space"));
    drives_ = new QComboBox(this);
    const QString current = QStorageInfo(path).rootPath();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || volume.bytesTotal() <= 0) continue;
        drives_->addItem(volume.rootPath(), volume.rootPath());
        if (volume.rootPath() == current) drives_->setCurrentIndex(drives_->count() - 1);
    }
    used_ = new QLabel(this);
    free_ = new QLabel(this);
    total_ = new QLabel(this);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Drive"), drives_);
    form->addRow(QStringLiteral("Used"), used_);
    form->addRow(QStringLiteral("Free"), free_);
    form->addRow(QStringLiteral("Total"), total_);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    form->addRow(close);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(drives_, &QComboBox::currentIndexChanged, this, &DiskSpaceDialog::ShowSpace);
    ShowSpace(drives_->currentIndex());
}

void DiskSpaceDialog::ShowSpace(int index) {
    if (index < 0) return;
    const QStorageInfo volume(drives_->itemData(index).toString());
    const auto total = static_cast<unsigned long long>(volume.bytesTotal());
    const auto free = static_cast<unsigned long long>(volume.bytesAvailable());
    const auto used = total - static_cast<unsigned long long>(volume.bytesFree());
    used_->setText(QString::fromStdString(SpaceText(used)));
    free_->setText(QString::fromStdString(SpaceText(free)));
    total_->setText(QString::fromStdString(SpaceText(total)));
}

}  // namespace client_app
