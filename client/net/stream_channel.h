// One stream request to a recorder: a GET of "/cgi-bin/webapp.cgi?..." whose response body never
// ends. The reader thread waits for bytes, reads them and hands them to its packet scanner. Any
// thread may cancel a channel; a blocked open or wait then returns at once, so a reader stops
// promptly without being killed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "client/net/net_result.h"

namespace client {

struct Endpoint {
    std::string host;
    uint16_t port = 80;
};

enum class WaitResult {
    Data,       // bytes can be read
    Ended,      // the recorder closed the stream (all bytes read)
    Failed,     // the transfer failed
    TimedOut,   // nothing arrived within the time-out; the stream is still open
    Cancelled,  // Cancel was called
};

class StreamChannel {
  public:
    virtual ~StreamChannel() = default;
    // Opens the request with `query` after "/cgi-bin/webapp.cgi?". True only when the recorder
    // answered with status 200; on failure nothing stays open.
    virtual bool Open(const std::string& query) = 0;
    // Waits until bytes are available, the stream ends, or `timeoutMs` passes (< 0: no limit).
    virtual WaitResult WaitForData(int timeoutMs) = 0;
    // Moves up to `max` available bytes into `out`; 0 when none are available.
    virtual size_t Read(uint8_t* out, size_t max) = 0;
    // Closes the request (each handle only if open).
    virtual void Close() = 0;
    // Any thread: makes the current and every later Open or WaitForData return at once.
    virtual void Cancel() = 0;
    // Why the last Open failed (Ok after a successful one).
    virtual NetResult openResult() const { return {}; }
};

using StreamChannelFactory = std::function<std::unique_ptr<StreamChannel>(const Endpoint&)>;

// The real channel over libcurl: HTTP/1.0, user agent "HTTPCONNECT", no caching.
std::unique_ptr<StreamChannel> MakeCurlStreamChannel(const Endpoint& endpoint,
                                                     int connectTimeoutMs);

}  // namespace client
