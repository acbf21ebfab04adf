// The thirteen messages a connection shows: the recorder's result codes 1..10 index it as
// code - 1; the client's own messages use the last three entries.
#pragma once

#include <array>
#include <string>

namespace client {

class MessageTable {
  public:
    static constexpr int kSize = 13;
    static constexpr int kCheckConnection = 10;
    static constexpr int kBackupCompleted = 11;
    static constexpr int kModelNotSupported = 12;
    static constexpr int kBeginThreadFailed = 8;

    // The built-in table of string ids.
    MessageTable();
    explicit MessageTable(const std::array<int, kSize>& ids) : ids_(ids) {}

    int id(int index) const { return ids_[static_cast<size_t>(index)]; }
    // The string id shown for a recorder result code (code - 1 indexes the table). Codes 0 and
    // above 13 fall outside it and show "ETC Error!!".
    int IdForResult(int code) const;
    std::string Text(int index) const;

  private:
    std::array<int, kSize> ids_;
};

}  // namespace client
