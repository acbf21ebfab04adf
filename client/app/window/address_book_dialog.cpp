#include "client/app/window/address_book_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/string_table.h"

namespace client_app {
namespace {

enum Command : int { kAdd = 737, kModify = 738, kDelete = 739, kConnect = 740, kClose = 741 };
constexpr int kTextVerifyFields = 2010;
constexpr int kTextDeleteQuestion = 2004;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

AddressBookDialog::AddressBookDialog(AddressBook& book, const platform::StringTable& strings,
                                     QWidget* parent)
    : QDialog(parent), book_(book), strings_(strings) {
    setWindowTitle(Text(716));
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setHeaderLabels({Text(2001), Text(2002), Text(2003)});
    list_->setColumnWidth(0, 120);
    list_->setColumnWidth(1, 120);
    list_->setColumnWidth(2, 50);
    list_->setMinimumSize(310, 160);
    list_->installEventFilter(this);
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { SelectRow(list_->indexOfTopLevelItem(item)); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &AddressBookDialog::OnConnect);

    // Commas would break the file: the fields never take one, typed or pasted.
    auto* noComma =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^,]*")), this);
    auto makeEdit = [this, noComma] {
        auto* edit = new QLineEdit(this);
        edit->setValidator(noComma);
        edit->installEventFilter(this);
        return edit;
    };
    name_ = makeEdit();
    address_ = makeEdit();
    port_ = makeEdit();
    password_ = makeEdit();
    password_->setEchoMode(QLineEdit::Password);
    adminButton_ = new QRadioButton(QStringLiteral("Admin"), this);
    userButton_ = new QRadioButton(QStringLiteral("User"), this);
    adminButton_->setChecked(true);

    auto* form = new QFormLayout;
    form->addRow(Text(2001), name_);
    form->addRow(Text(2002), address_);
    form->addRow(Text(2003), port_);
    form->addRow(QStringLiteral("Password"), password_);
    auto* account = new QHBoxLayout;
    account->addWidget(adminButton_);
    account->addWidget(userButton_);
    form->addRow(QString(), account);

    auto* row = new QHBoxLayout;
    for (int command : {kAdd, kModify, kDelete, kConnect, kClose}) {
        auto* b = new QPushButton(Text(command), this);
        b->setAutoDefault(false);
        b->setProperty("command", command);
        buttons_.push_back(b);
        row->addWidget(b);
    }
    connect(button(kAdd), &QPushButton::clicked, this, &AddressBookDialog::OnAdd);
    connect(button(kModify), &QPushButton::clicked, this, &AddressBookDialog::OnModify);
    connect(button(kDelete), &QPushButton::clicked, this, &AddressBookDialog::OnDelete);
    connect(button(kConnect), &QPushButton::clicked, this, &AddressBookDialog::OnConnect);
    connect(button(kClose), &QPushButton::clicked, this, &AddressBookDialog::OnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(form);
    layout->addLayout(row);

    confirm_ = [this] {
        return QMessageBox::question(this, QStringLiteral("Telva_M4"), Text(kTextDeleteQuestion),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    book_.Load();
    Refill(0);
    if (book_.factoryMode()) SelectRow(0);
}

QString AddressBookDialog::Text(int id) const {
    return Q(strings_.Text(id));
}

QPushButton* AddressBookDialog::button(int command) const {
    for (QPushButton* b : buttons_)
        if (b->property("command").toInt() == command) return b;
    return nullptr;
}

void AddressBookDialog::Refill(int selection) {
    list_->clear();
    for (const AddressEntry& e : book_.entries())
        new QTreeWidgetItem(list_, {Q(e.name), Q(e.address), Q(e.port)});
    if (selection >= 0 && selection < list_->topLevelItemCount())
        list_->setCurrentItem(list_->topLevelItem(selection));
}

void AddressBookDialog::SelectRow(int row) {
    if (row < 0 || row >= list_->topLevelItemCount()) return;
    list_->setCurrentItem(list_->topLevelItem(row));
    const AddressFields f = book_.FieldsOf(row, password_->text().toStdString());
    name_->setText(Q(f.entry.name));
    address_->setText(Q(f.entry.address));
    port_->setText(Q(f.entry.port));
    password_->setText(Q(f.password));
}

AddressEntry AddressBookDialog::EntryInFields() const {
    return {name_->text().toStdString(), address_->text().toStdString(),
            port_->text().toStdString()};
}

AddressFields AddressBookDialog::fields() const {
    AddressFields f{EntryInFields(), password_->text().toStdString()};
    if (f.entry.port.empty()) f.entry.port = "80";
    return f;
}

bool AddressBookDialog::admin() const {
    return adminButton_->isChecked();
}

void AddressBookDialog::OnAdd() {
    if (book_.Add(EntryInFields())) Refill(list_->indexOfTopLevelItem(list_->currentItem()));
}

void AddressBookDialog::OnModify() {
    const int selection =
        book_.Modify(list_->indexOfTopLevelItem(list_->currentItem()), EntryInFields());
    Refill(selection);
}

void AddressBookDialog::OnDelete() {
    if (!AddressBook::CanDelete(EntryInFields()) || !confirm_()) return;
    book_.Delete(list_->indexOfTopLevelItem(list_->currentItem()));
    for (QLineEdit* e : {name_, address_, port_, password_})
        e->clear();
    Refill(0);
}

void AddressBookDialog::OnConnect() {
    if (!book_.Connect({EntryInFields(), password_->text().toStdString()})) {
        if (message_)
            message_(Text(kTextVerifyFields));
        else
            QMessageBox::information(this, QStringLiteral("Telva_M4"), Text(kTextVerifyFields));
        return;
    }
    accept();
}

void AddressBookDialog::OnClose() {
    reject();
}

void AddressBookDialog::reject() {
    // Close and the window's close button (Esc never gets here: it is swallowed).
    book_.SaveIfChanged();
    QDialog::reject();
}

void AddressBookDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            OnConnect();
            return;
        case Qt::Key_Escape:
        case Qt::Key_Comma:
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

bool AddressBookDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Comma) return true;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        OnConnect();
        return true;
    }
    if (watched == list_ && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
        const int step = key->key() == Qt::Key_Up ? -1 : 1;
        SelectRow(list_->indexOfTopLevelItem(list_->currentItem()) + step);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace client_app
