#include "client/app/window/core/address_book.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

namespace client_app {
namespace {

std::vector<std::string> SplitAtCommas(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return fields;
}

// Makes an existing file writable by its owner again; true when there is no file.
bool MakeWritable(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return errno == ENOENT;
    return chmod(path.c_str(), st.st_mode | S_IWUSR) == 0;
}

void MakeReadOnly(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0)
        chmod(path.c_str(), st.st_mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH));
}

}  // namespace

AddressBook::AddressBook(std::string factoryPath, std::string listPath)
    : factoryPath_(std::move(factoryPath)), listPath_(std::move(listPath)) {}

bool AddressBook::ReadList(const std::string& path, size_t fieldCount, bool factory) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields = SplitAtCommas(line);
        if (fields.size() != fieldCount) return false;  // reading stops; the rows so far stay
        AddressEntry entry{fields[0], fields[1], fields[2]};
        if (AddRow(entry) && factory) passwords_.push_back(fields[3]);
    }
    return true;
}

void AddressBook::Load() {
    entries_.clear();
    passwords_.clear();
    changed_ = false;
    factoryMode_ = ReadList(factoryPath_, 4, true);
    if (!factoryMode_) ReadList(listPath_, 3, false);
}

bool AddressBook::AddRow(const AddressEntry& entry) {
    const bool exists = std::any_of(entries_.begin(), entries_.end(), [&](const AddressEntry& e) {
        return e.address == entry.address && e.port == entry.port;
    });
    if (exists) return false;
    entries_.push_back(entry);
    return true;
}

bool AddressBook::Add(AddressEntry entry) {
    if (entry.name.empty() || entry.address.empty()) return false;
    if (entry.port.empty()) entry.port = "80";
    AddRow(entry);
    changed_ = true;
    return true;
}

int AddressBook::Modify(int selected, AddressEntry entry) {
    if (selected >= 0 && selected < static_cast<int>(entries_.size())) {
        entries_.erase(entries_.begin() + selected);
        if (selected < static_cast<int>(passwords_.size()))
            passwords_.erase(passwords_.begin() + selected);
    }
    changed_ = true;
    if (entry.name.empty() || entry.address.empty()) return -1;
    if (entry.port.empty()) entry.port = "80";
    entries_.insert(entries_.begin(), entry);
    // The factory passwords stay with their rows.
    if (!passwords_.empty()) passwords_.insert(passwords_.begin(), std::string());
    return 0;
}

bool AddressBook::CanDelete(const AddressEntry& f) {
    return !f.name.empty() && !f.address.empty() && !f.port.empty();
}

bool AddressBook::Delete(int selected) {
    if (selected < 0 || selected >= static_cast<int>(entries_.size())) return false;
    entries_.erase(entries_.begin() + selected);
    if (selected < static_cast<int>(passwords_.size()))
        passwords_.erase(passwords_.begin() + selected);
    changed_ = true;
    return true;
}

bool AddressBook::Connect(const AddressFields& fields) {
    const AddressEntry& e = fields.entry;
    if (e.name.empty() || e.address.empty() || e.port.empty() || fields.password.empty())
        return false;
    Add(e);
    SaveIfChanged();
    return true;
}

std::string AddressBook::PasswordOf(int row) const {
    return row >= 0 && row < static_cast<int>(passwords_.size()) ? passwords_[row] : std::string();
}

AddressFields AddressBook::FieldsOf(int row, const std::string& currentPassword) const {
    AddressFields f;
    if (row < 0 || row >= static_cast<int>(entries_.size())) return f;
    f.entry = entries_[row];
    f.password = hasPasswords() ? PasswordOf(row) : currentPassword;
    return f;
}

void AddressBook::SaveIfChanged() {
    if (changed_ && !factoryMode_ && Save()) changed_ = false;
}

bool AddressBook::Save() {
    if (!MakeWritable(listPath_)) return false;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(listPath_).parent_path(), ec);
    // Written beside the list and put in its place once complete: a failed write never leaves
    // a list cut short.
    const std::string temp = listPath_ + ".new";
    FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out) return false;
    bool ok = true;
    for (const AddressEntry& e : entries_)
        ok = ok && std::fprintf(out, "%s,%s,%s\n", e.name.c_str(), e.address.c_str(),
                                e.port.c_str()) >= 0;
    ok = (std::fflush(out) == 0) && ok;
    ok = (fsync(fileno(out)) == 0) && ok;
    ok = (std::fclose(out) == 0) && ok;
    if (!ok || std::rename(temp.c_str(), listPath_.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    MakeReadOnly(listPath_);
    return true;
}

}  // namespace client_app
