// The recorder address book: the user's list of recorders in "IPList.db" (name, address, port per
// line), or the installer's fixed list in "Factory_Connection.ini" (name, address, port, password)
// that takes its place when it is well formed. Plain C++: the dialog only shows it.
#pragma once

#include <string>
#include <vector>

namespace client_app {

struct AddressEntry {
    std::string name;
    std::string address;
    std::string port;
    bool operator==(const AddressEntry&) const = default;
};

// What the dialog's fields hold.
struct AddressFields {
    AddressEntry entry;
    std::string password;
};

class AddressBook {
  public:
    // `factoryPath`: "Factory_Connection.ini" in the program directory; `listPath`: "IPList.db"
    // in the user data folder.
    AddressBook(std::string factoryPath, std::string listPath);

    // Reads the factory list, then (unless factory mode is on) the user's list.
    void Load();
    // Writes the user's list when it changed and factory mode is off (Close and Connect).
    void SaveIfChanged();
    // Writes every row to the user's list, then makes the file read-only. False when the file
    // cannot be made writable or written (the old file stays as it was).
    bool Save();

    bool factoryMode() const { return factoryMode_; }
    bool changed() const { return changed_; }
    const std::vector<AddressEntry>& entries() const { return entries_; }
    // The factory password of a row, or empty.
    std::string PasswordOf(int row) const;
    bool hasPasswords() const { return !passwords_.empty(); }
    // What selecting a row puts into the fields (the password only from the factory list).
    AddressFields FieldsOf(int row, const std::string& currentPassword) const;

    // Appends the entry unless a row with the same address and port exists. True when added.
    bool AddRow(const AddressEntry& entry);
    // Add: name and address must be filled in; an empty port becomes "80". True when the fields
    // were accepted (the row may already have existed).
    bool Add(AddressEntry entry);
    // Modify: the selected row goes; a filled-in entry takes its place at the top. Returns the
    // new selection (0) or -1 when nothing was inserted.
    int Modify(int selected, AddressEntry entry);
    // Delete (after the user confirmed): removes the row. False when the row does not exist.
    bool Delete(int selected);
    // Delete is offered only when name, address and port are filled in.
    static bool CanDelete(const AddressEntry& fields);
    // Connect: every field and the password must be filled in; the entry is then remembered
    // (as Add does) and the list saved when changed. False when a field is missing.
    bool Connect(const AddressFields& fields);

  private:
    bool ReadList(const std::string& path, size_t fields, bool factory);

    std::string factoryPath_;
    std::string listPath_;
    std::vector<AddressEntry> entries_;
    std::vector<std::string> passwords_;  // parallel to the factory rows
    bool factoryMode_ = false;
    bool changed_ = false;
};

}  // namespace client_app
