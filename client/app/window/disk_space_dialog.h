// The disk space dialog: a drive (mounted file system) to choose and its used, free and total
// space.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;

namespace client_app {

class DiskSpaceDialog final : public QDialog {
    Q_OBJECT
  public:
    // Opens on the file system that holds `path`.
    explicit DiskSpaceDialog(const QString& path, QWidget* parent = nullptr);

  private:
    void ShowSpace(int index);

    QComboBox* drives_ = nullptr;
    QLabel* used_ = nullptr;
    QLabel* free_ = nullptr;
    QLabel* total_ = nullptr;
};

}  // namespace client_app
