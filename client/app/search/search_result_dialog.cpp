#include "client/app/search/search_result_dialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTableWidget>

#include "client/app/search/search_results.h"
#include "client/app/search/search_texts.h"
#include "client/net/client_strings.h"

namespace client::search {
namespace {

// Background 404 (600 x 380); Play and Close under the list.
constexpr ui::SkinButtonSpec kButtons[] = {
    {410, 340, 490, 367, kTextPlay, 7640, 7641, 7642},
    {500, 340, 580, 367, kTextClose, 7650, 7651, 7652},
};

constexpr int kColumnTexts[] = {kTextStartTime, kTextEndTime, kTextChannel, kTextEvent};
constexpr int kColumnWidths[] = {170, 170, 50, 120};

QTableWidgetItem* Cell(const std::string& text) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

SearchResultDialog::SearchResultDialog(const QByteArray& answer, QWidget* parent)
    : ui::SkinDialog(kButtons, ClientStrings(), parent),
      rows_(ResultRows(std::string_view(answer.constData(), static_cast<size_t>(answer.size())))),
      list_(new QTableWidget(this)) {
    setWindowTitle(QStringLiteral("Search"));
    Frame().Create(404, 2);
    list_->setGeometry(20, 35, 560, 290);
    Fill();
    connect(&Frame(), &ui::SkinFrame::commandTriggered, this, &SearchResultDialog::Command);
    connect(list_, &QTableWidget::currentCellChanged, this, &SearchResultDialog::Choose);
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        Choose(row);
        Play();
    });
}

void SearchResultDialog::Fill() {
    list_->setColumnCount(4);
    QStringList headers;
    for (int id : kColumnTexts)
        headers << SearchText(id);
    list_->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < 4; ++c)
        list_->setColumnWidth(c, kColumnWidths[c]);
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->verticalHeader()->hide();
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setShowGrid(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setRowCount(rowCount());
    for (int r = 0; r < rowCount(); ++r) {
        const SearchEntry& e = rows_[static_cast<size_t>(r)];
        list_->setItem(r, 0, Cell(e.start));
        list_->setItem(r, 1, Cell(e.end));
        list_->setItem(r, 2, Cell(e.channel));
        list_->setItem(r, 3, Cell(e.event));
    }
    list_->setCurrentCell(-1, -1);
}

void SearchResultDialog::Choose(int row) {
    chosen_ = row >= 0 && row < rowCount()
                  ? QString::fromStdString(rows_[static_cast<size_t>(row)].path)
                  : QString();
}

void SearchResultDialog::Command(int command) {
    if (command == kTextPlay) Play();
    if (command == kTextClose) done(QDialog::Rejected);
}

void SearchResultDialog::Play() {
    if (chosen_.isEmpty()) {
        Tell(kTextSelectFile);
        return;
    }
    done(QDialog::Accepted);
}

void SearchResultDialog::Tell(int id) {
    if (message_) {
        message_(id, SearchText(id));
        return;
    }
    QMessageBox::information(this, windowTitle(), SearchText(id));
}

void SearchResultDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return;
        default:
            ui::SkinDialog::keyPressEvent(event);
    }
}

}  // namespace client::search
