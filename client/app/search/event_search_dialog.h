// The event search form: which events (none, motion, sensor), which channel, and the start and end
// date and time. Search hands the recorder's query (MODE 4) to the window, which sends it and
// shows the answer in the search result list.
//
// Use: new EventSearchDialog(channelCount, parent); show(); connect
// searchRequested(query) to sending the query (CommandSender::Query with the stream required)
// and deleting the form.
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QString>

#include "client/app/search/event_search_form.h"

class QButtonGroup;
class QComboBox;
class QDateEdit;
class QPushButton;
class QTimeEdit;

namespace client::search {

class EventSearchDialog : public QDialog {
    Q_OBJECT
  public:
    // `channels`: the recorder's channel count (4, 8 or 16); `now` the day the form starts on.
    explicit EventSearchDialog(int channels, QWidget* parent = nullptr,
                               const QDateTime& now = QDateTime::currentDateTime());

    EventSearchForm form() const;
    void SetForm(const EventSearchForm& form);

  signals:
    void searchRequested(const QString& query);

  private:
    void Search();
    // Search is offered only for a range whose end is not before its start.
    void RangeChanged();

    QButtonGroup* events_;
    QComboBox* channel_;
    QDateEdit* startDate_;
    QTimeEdit* startTime_;
    QDateEdit* endDate_;
    QTimeEdit* endTime_;
    QPushButton* search_;
};

}  // namespace client::search
