// The search result list: the recordings an event search found, with their start and end times,
// channel and event. Play (or a double-click on a row) ends the dialog with the chosen file;
// Close ends it without one. Enter and Esc do nothing.
//
// Use: SearchResultDialog dialog(answer, parent); if (dialog.exec() == QDialog::Accepted)
// play dialog.chosenFile() (the recorder's path of the file).
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

#include "client/net/event_search.h"
#include "ui/skin_dialog.h"

class QTableWidget;

namespace client::search {

class SearchResultDialog : public ui::SkinDialog {
    Q_OBJECT
  public:
    SearchResultDialog(const QByteArray& answer, QWidget* parent = nullptr);

    // The recorder's path of the chosen file (after Accepted).
    QString chosenFile() const { return chosen_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    QTableWidget& list() const { return *list_; }

    // Where messages go (default: a message box): the string id and its text.
    void SetMessageSink(std::function<void(int id, const QString& text)> sink) {
        message_ = std::move(sink);
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Fill();
    void Choose(int row);
    void Command(int command);
    void Play();
    void Tell(int id);

    std::vector<SearchEntry> rows_;
    QTableWidget* list_;
    QString chosen_;
    std::function<void(int, const QString&)> message_;
};

}  // namespace client::search
