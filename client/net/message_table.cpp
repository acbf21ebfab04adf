#include "client/net/message_table.h"

#include "client/net/client_strings.h"

namespace client {

MessageTable::MessageTable()
    : ids_{kTextUserUnknown,       kTextPasswordMiss, kTextProtocolVersion, kTextClientLimit,
           kTextSuperExist,        kTextNoVideoData,  kTextNoVideoChannel,  kTextEtcError,
           kTextBeginThreadFailed, kTextNoMoreVideo,  kTextCheckConnection, kTextBackupCompleted,
           kTextModelNotSupported} {}

int MessageTable::IdForResult(int code) const {
    if (code < 1 || code > kSize) return kTextEtcError;
    return ids_[static_cast<size_t>(code - 1)];
}

std::string MessageTable::Text(int index) const {
    if (index < 0 || index >= kSize) return {};
    return ClientStrings().Text(ids_[static_cast<size_t>(index)]);
}

}  // namespace client
