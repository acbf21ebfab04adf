// The wait box (while the recorder's calendar or a playback is on its way) and the backup
// progress box: a progress text ("completed N%") over a bar.
//
// The connection reports progress from its own threads through a ProgressRelay, which the window
// keeps for as long as the connection and hands to DvrConnection::SetProgressView; the box on
// show follows the relay through queued signals, so a box can go at any time.
#pragma once

#include <QDialog>
#include <QObject>
#include <QString>

#include "client/net/sinks.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace client::search {

class ProgressRelay : public QObject, public ProgressView {
    Q_OBJECT
  public:
    using QObject::QObject;
    // Any thread.
    void SetProgressText(std::string_view text) override;
    void SetProgressPosition(int percent) override;

  signals:
    void textChanged(const QString& text);
    void positionChanged(int percent);
};

class ProgressBox : public QDialog {
    Q_OBJECT
  public:
    enum class Kind {
        Wait,    // a calendar query or a playback on its way
        Backup,  // a time-range backup, with a button that stops it
    };
    ProgressBox(Kind kind, QWidget* parent = nullptr);

    // Shows what `relay` reports from now on.
    void Follow(const ProgressRelay& relay);

    QString text() const;
    int position() const;

  public slots:
    void SetText(const QString& text);
    void SetPosition(int percent);
    // The backup ended: "completed 100%" and the bar full.
    void Finish();

  signals:
    // The user asked to stop the backup.
    void stopRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* text_;
    QProgressBar* bar_;
    QPushButton* stop_ = nullptr;
};

}  // namespace client::search
