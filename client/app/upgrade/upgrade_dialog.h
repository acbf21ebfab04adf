// The firmware upgrade dialog ("S/W Upgrade"): the recorder's address, account and HTTP port, the
// image and its kind, a progress bar, and one button that starts the upgrade or cancels it. The
// upload and the install control run on a worker (client::FirmwareUpgrade); the dialog only shows
// what they report.
//
// Use: UpgradeDialog dialog(parent); dialog.exec();  (optionally SetAddress first).
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "client/net/firmware_upgrade.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace clientapp {

class QueuedProgress;

class UpgradeDialog : public QDialog {
    Q_OBJECT

  public:
    // `ftpPort`: the recorder's FTP port (client::FtpPort() unless a test says otherwise).
    explicit UpgradeDialog(QWidget* parent = nullptr, uint16_t ftpPort = client::FtpPort());
    ~UpgradeDialog() override;

    // Presets the address and HTTP port (the connected recorder's).
    void SetAddress(const QString& host, const QString& port);
    void SetImage(const QString& path);
    bool Running() const { return upgrade_.Running(); }

    // The controls, for tests and for the window that wires the dialog.
    QLineEdit* addressEdit() const { return address_; }
    QLineEdit* userEdit() const { return user_; }
    QLineEdit* passwordEdit() const { return password_; }
    QLineEdit* portEdit() const { return port_; }
    QRadioButton* kernelButton() const { return kernel_; }
    QRadioButton* ramdiskButton() const { return ramdisk_; }
    QPushButton* startButton() const { return start_; }
    QProgressBar* progressBar() const { return progress_; }

  public slots:
    // "Update Start" / "Update Cancel".
    void StartOrCancel();

  signals:
    // A message the dialog shows (string id and text); also shown in a message box.
    void messageShown(int stringId, const QString& text);
    // The upgrade ended (after its message).
    void upgradeEnded(bool installed);

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void ChooseImage();
    void Finish(const client::UpgradeOutcome& outcome);
    void ShowMessage(int stringId, const QString& detail = QString());
    void SetIdle();

    QLineEdit* address_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLineEdit* port_;
    QRadioButton* kernel_;
    QRadioButton* ramdisk_;
    QLabel* file_;
    QPushButton* start_;
    QProgressBar* progress_;
    const uint16_t ftpPort_;
    std::unique_ptr<QueuedProgress> progressView_;
    client::FirmwareUpgrade upgrade_;  // last: its worker ends before the widgets go
};

}  // namespace clientapp
