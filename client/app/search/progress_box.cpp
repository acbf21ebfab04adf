#include "client/app/search/progress_box.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace client::search {

void ProgressRelay::SetProgressText(std::string_view text) {
    emit textChanged(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void ProgressRelay::SetProgressPosition(int percent) {
    emit positionChanged(percent);
}

ProgressBox::ProgressBox(Kind kind, QWidget* parent)
    : QDialog(parent), text_(new QLabel(this)), bar_(new QProgressBar(this)) {
    setWindowTitle(kind == Kind::Backup ? QStringLiteral("Backup") : QStringLiteral("Please wait"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    text_->setAlignment(Qt::AlignCenter);
    bar_->setRange(0, 100);
    bar_->setTextVisible(false);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 16, 20, 16);
    column->setSpacing(10);
    column->addWidget(text_);
    column->addWidget(bar_);
    if (kind == Kind::Backup) {
        stop_ = new QPushButton(QStringLiteral("Stop Backup"), this);
        stop_->setAutoDefault(false);
        column->addWidget(stop_, 0, Qt::AlignRight);
        connect(stop_, &QPushButton::clicked, this, &ProgressBox::stopRequested);
    }
    setFixedWidth(320);
    SetPosition(0);
    SetText(QStringLiteral("completed 0%"));
}

void ProgressBox::Follow(const ProgressRelay& relay) {
    connect(&relay, &ProgressRelay::textChanged, this, &ProgressBox::SetText, Qt::QueuedConnection);
    connect(&relay, &ProgressRelay::positionChanged, this, &ProgressBox::SetPosition,
            Qt::QueuedConnection);
}

QString ProgressBox::text() const {
    return text_->text();
}

int ProgressBox::position() const {
    return bar_->value();
}

void ProgressBox::SetText(const QString& text) {
    text_->setText(text);
}

void ProgressBox::SetPosition(int percent) {
    bar_->setValue(std::clamp(percent, 0, 100));
}

void ProgressBox::Finish() {
    SetText(QStringLiteral("completed 100%"));
    SetPosition(100);
    if (stop_) stop_->setEnabled(false);
}

void ProgressBox::keyPressEvent(QKeyEvent* event) {
    // The box goes when its work ends, never by Esc.
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

void ProgressBox::closeEvent(QCloseEvent* event) {
    // Closing the window of a backup stops it; a wait box stays until its answer comes.
    if (stop_ && stop_->isEnabled()) emit stopRequested();
    event->ignore();
}

}  // namespace client::search
