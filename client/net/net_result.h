// What a request to a recorder came to, in a form a window can act on: a status with a text of
// its own, and the details behind it (HTTP status, the transport's code, the recorder's result
// code). A wrong password, an unreachable host and a recorder that never answers each have their
// own status.
#pragma once

#include <string>

namespace client {

enum class NetStatus {
    Ok,
    NotConnected,    // the request needs a stream and none is up
    Unreachable,     // the host could not be resolved or did not accept the connection
    TimedOut,        // no answer within the time-out
    Cancelled,       // the caller gave up (a stop, a new connection, closing)
    HttpError,       // the recorder answered with a status other than 200
    Refused,         // the recorder refused the stream with a result code (user, password, ...)
    TooLarge,        // the answer went beyond the limit and was cut off
    TransportError,  // the connection broke or the answer was malformed
};

// A short English text for each status, for logs and tools (the windows show their own texts).
const char* NetStatusText(NetStatus status);

struct NetResult {
    NetStatus status = NetStatus::Ok;
    long httpStatus = 0;    // the HTTP status the recorder answered with, 0 when none
    int transportCode = 0;  // libcurl's CURLcode, 0 when none
    int recorderCode = 0;   // the recorder's result code (Refused)

    bool ok() const { return status == NetStatus::Ok; }
    // The status text with its details, e.g. "the recorder answered with an HTTP error (401)".
    std::string Describe() const;
};

}  // namespace client
