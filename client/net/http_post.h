// Control and query posts: one short POST of a MODE body to "/cgi-bin/webapp.cgi?".
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "client/net/net_result.h"
#include "client/net/stream_channel.h"

namespace client {

enum class PostKind {
    Control,  // user agent "MPEGCGITEST"; the response is not read
    Query,    // user agent "MPEGSEARCH"; the whole response is read
};

struct PostResult {
    bool sent = false;      // the recorder answered (any status) within the limits
    bool timedOut = false;  // no answer within the time-out
    bool tooLarge = false;  // the answer went beyond the limit: cut off, not sent
    long status = 0;
    NetResult result;           // Ok only for an answer with status 200
    std::vector<uint8_t> body;  // Query only
};

// Called for every chunk of a query response with the number of chunks so far.
using PostProgress = std::function<void(int chunks)>;

// A query answer is read into memory up to this size; a recorder that sends more is cut off.
inline constexpr size_t kMaxQueryResponse = size_t{64} << 20;

// Sends one post and waits for its answer. While it runs, setting `*cancel` (when given) ends it
// within a fraction of a second with NetStatus::Cancelled.
PostResult PostRequest(const Endpoint& endpoint, PostKind kind, const std::string& body,
                       int timeoutMs, const PostProgress& progress = {},
                       size_t maxBody = kMaxQueryResponse,
                       const std::atomic<bool>* cancel = nullptr);

// The user agents and headers of the three transports.
inline constexpr const char* kStreamAgent = "HTTPCONNECT";
inline constexpr const char* kControlAgent = "MPEGCGITEST";
inline constexpr const char* kQueryAgent = "MPEGSEARCH";
inline constexpr const char* kFormContentType = "Content-Type: application/x-www-form-urlencoded";

}  // namespace client
