#include "player/search/still_search_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/registry_store.h"
#include "player/player_settings.h"
#include "player/search/fitted_columns.h"

namespace player {

namespace {

QString Str(const platform::StringTable& t, int id) {
    return QString::fromStdString(t.Str(id));
}
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

constexpr int kTextFileDoesNotExist = 2013;
// The result columns' usual widths; a column grows when its header or a row needs more.
constexpr int kResultWidths[] = {80, 130, 40, 70};

}  // namespace

StillSearchDialog::StillSearchDialog(platform::RegistryStore& store, const std::string& dataDir,
                                     const platform::StringTable& strings, QWidget* parent)
    : QDialog(parent), store_(store), strings_(strings) {
    setWindowTitle(Str(strings, 122).trimmed());
    folderLabel_ = new QLabel(this);
    auto* pathButton = new QPushButton(Str(strings, 141), this);
    recorders_ = new QComboBox(this);
    useDate_ = new QCheckBox(Str(strings, 2001), this);
    date_ = new QDateEdit(QDate::currentDate(), this);
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date_->setDateRange(QDate(1970, 1, 1), QDate(2038, 12, 31));
    date_->setCalendarPopup(true);
    channels_ = new QComboBox(this);
    channels_->addItem(QString(), 0);
    for (int c = 1; c <= 16; ++c)
        channels_->addItem(QString::number(c), c);
    channels_->addItem(QStringLiteral("M"), kStillChannelMulti);
    keyword_ = new QLineEdit(this);
    auto* search = new QPushButton(Str(strings, 132), this);
    auto* close = new QPushButton(Str(strings, 134), this);
    results_ = new QTreeWidget(this);
    results_->setHeaderLabels({Str(strings, 2004), Str(strings, 2001), Str(strings, 2006),
                               Str(strings, 2005), Str(strings, 2002)});
    results_->setRootIsDecorated(false);
    FitColumnsToTexts(results_, kResultWidths);
    results_->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto* form = new QFormLayout;
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(folderLabel_, 1);
    pathRow->addWidget(pathButton);
    form->addRow(Str(strings, 141), pathRow);
    form->addRow(Str(strings, 2004), recorders_);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(useDate_);
    dateRow->addWidget(date_, 1);
    form->addRow(dateRow);
    form->addRow(Str(strings, 2006), channels_);
    form->addRow(Str(strings, 2005), keyword_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(search);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addLayout(buttons);
    column->addWidget(results_, 1);

    progress_ = new QProgressDialog(this);
    progress_->setWindowTitle(QStringLiteral("Recorded File Searching..."));
    progress_->setCancelButtonText(QStringLiteral("Search Stop"));
    progress_->setWindowModality(Qt::NonModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->reset();
    progress_->hide();

    connect(pathButton, &QPushButton::clicked, this, &StillSearchDialog::ChooseFolder);
    connect(search, &QPushButton::clicked, this, &StillSearchDialog::Search);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(progress_, &QProgressDialog::canceled, this, &StillSearchDialog::StopSearch);
    connect(results_, &QTreeWidget::itemDoubleClicked, this, &StillSearchDialog::RowActivated);

    SetFolder(Q(StillSearchPath(store, dataDir)));
}

StillSearchDialog::~StillSearchDialog() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void StillSearchDialog::Tell(const QString& text) {
    if (message_)
        message_(text);
    else
        QMessageBox::information(this, windowTitle(), text);
}

void StillSearchDialog::SetFolder(const QString& folder) {
    folder_ = folder.toStdString();
    if (folder_.empty() || folder_.back() != '/') folder_ += '/';
    folderLabel_->setText(Q(folder_));
    recorders_->clear();
    recorders_->addItem(QString());
    const std::vector<std::string> names = StillRecorderNames(ListStillFiles(folder_));
    for (const std::string& name : names)
        recorders_->addItem(Q(name));
    if (names.empty()) Tell(Str(strings_, kTextFileDoesNotExist));
}

void StillSearchDialog::ChooseFolder() {
    const QString picked = QFileDialog::getExistingDirectory(this, Str(strings_, 2027), Q(folder_));
    if (picked.isEmpty()) return;
    store_.WriteString(platform::Hive::kLocalMachine, platform::kEnvironmentsKey, "OrvCapturePath",
                       picked.toStdString() + "/");
    SetFolder(picked);
}

StillCriteria StillSearchDialog::Criteria() const {
    StillCriteria c;
    c.recorder = recorders_->currentText().toStdString();
    if (useDate_->isChecked()) {
        const QDate d = date_->date();
        c.date = StillDate{d.year(), d.month(), d.day()};
    }
    c.channel = channels_->currentData().toInt();
    c.keyword = keyword_->text().toStdString();
    return c;
}

void StillSearchDialog::Search() {
    if (worker_.joinable()) return;
    results_->clear();
    stop_ = false;
    progress_->setLabelText(QStringLiteral("0 / "));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->show();
    const StillCriteria criteria = Criteria();
    const std::string folder = folder_;
    worker_ = std::thread([this, criteria, folder] {
        result_ = StillSearch::Run(folder, criteria, stop_, [this](size_t done, size_t total) {
            if (done == 1 || done % 30 == 0 || done == total)
                QMetaObject::invokeMethod(this, "ShowProgress", Qt::QueuedConnection,
                                          Q_ARG(qulonglong, done), Q_ARG(qulonglong, total));
        });
        QMetaObject::invokeMethod(this, "ShowResult", Qt::QueuedConnection);
    });
}

void StillSearchDialog::StopSearch() {
    stop_ = true;
}

void StillSearchDialog::ShowProgress(qulonglong done, qulonglong total) {
    const int steps = static_cast<int>(StillSearch::ProgressSteps(total));
    progress_->setRange(0, std::max(steps, 1));
    progress_->setValue(static_cast<int>((done + 29) / 30));
    progress_->setLabelText(Q(StillSearch::CounterText(done, total)));
}

void StillSearchDialog::ShowResult() {
    if (worker_.joinable()) worker_.join();
    progress_->reset();
    progress_->hide();
    if (result_.status == StillSearchStatus::kNoFiles) {
        Tell(Str(strings_, kTextFileDoesNotExist));
    } else {
        // A stopped search keeps the rows found until then.
        for (const StillRow& row : result_.rows) {
            results_->addTopLevelItem(new QTreeWidgetItem(
                {Q(row.recorder), Q(row.time), Q(row.channel), Q(row.keyword), Q(row.path)}));
        }
        FitColumnsToTexts(results_, kResultWidths);
    }
    emit searchFinished();
}

void StillSearchDialog::RowActivated(QTreeWidgetItem* item) {
    if (item) emit stillChosen(item->text(4));
}

}  // namespace player
