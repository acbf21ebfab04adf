// The remote client's numbered texts (English built in).
#pragma once

#include <string>

#include "platform/string_table.h"

namespace client {

enum ClientText : int {
    kTextCheckConnection = 2000,
    kTextBackupCompleted = 2024,
    kTextUserUnknown = 2036,
    kTextPasswordMiss = 2037,
    kTextProtocolVersion = 2038,
    kTextClientLimit = 2039,
    kTextSuperExist = 2040,
    kTextNoVideoData = 2041,
    kTextNoVideoChannel = 2042,
    kTextEtcError = 2043,
    kTextBeginThreadFailed = 2045,
    kTextRecordDiskFull = 2051,
    kTextBackupDiskFull = 2052,
    kTextModelNotSupported = 2061,
    kTextNoMoreVideo = 2063,
    // The client's own texts for a recording file that cannot be created or written.
    kTextRecordWriteFailed = 2080,
    kTextBackupWriteFailed = 2081,
    // ... and for a disk that cannot keep up with what the recorder sends.
    kTextRecordTooSlow = 2082,
    kTextBackupTooSlow = 2083,
};

// The process-wide table of the client's texts.
platform::StringTable& ClientStrings();

// The text of `id` from the client's table.
inline std::string ClientText(int id) {
    return ClientStrings().Text(id);
}

}  // namespace client
