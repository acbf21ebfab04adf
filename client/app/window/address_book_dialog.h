// The connection dialog: the address book's list, the entry fields, the password and the account
// ("Admin" or "User"). Connect (or Enter, or a double click on a row) accepts the entry.
#pragma once

#include <QDialog>
#include <functional>

#include "client/app/window/core/address_book.h"

class QLineEdit;
class QRadioButton;
class QTreeWidget;
class QPushButton;

namespace platform {
class StringTable;
}

namespace client_app {

class AddressBookDialog final : public QDialog {
    Q_OBJECT
  public:
    // Loads `book` at once and shows its rows.
    AddressBookDialog(AddressBook& book, const platform::StringTable& strings,
                      QWidget* parent = nullptr);

    // The accepted entry and password, and the account chosen.
    AddressFields fields() const;
    bool admin() const;
    // "admin" or "user".
    std::string userId() const { return admin() ? "admin" : "user"; }

    // Controls, for tests and the end-to-end check.
    QTreeWidget* list() const { return list_; }
    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* addressEdit() const { return address_; }
    QLineEdit* portEdit() const { return port_; }
    QLineEdit* passwordEdit() const { return password_; }
    QPushButton* button(int command) const;
    // The delete question and the message box; tests answer and read them.
    void SetConfirm(std::function<bool()> confirm) { confirm_ = std::move(confirm); }
    void SetMessageSink(std::function<void(const QString&)> sink) { message_ = std::move(sink); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

  private:
    void Refill(int selection);
    void SelectRow(int row);
    void OnAdd();
    void OnModify();
    void OnDelete();
    void OnConnect();
    void OnClose();
    AddressEntry EntryInFields() const;
    QString Text(int id) const;

    AddressBook& book_;
    const platform::StringTable& strings_;
    QTreeWidget* list_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* port_ = nullptr;
    QLineEdit* password_ = nullptr;
    QRadioButton* adminButton_ = nullptr;
    QRadioButton* userButton_ = nullptr;
    std::vector<QPushButton*> buttons_;
    std::function<bool()> confirm_;
    std::function<void(const QString&)> message_;
};

}  // namespace client_app
