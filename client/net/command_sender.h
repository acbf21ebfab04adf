// Controls and queries of a connection (MODE 5, 4 and 7 posts), sent one after another on a worker
// thread of their own. Every call returns at once; the outcome comes back through the callback
// given with it (on the worker thread: a window posts it on to its own thread). Cancel ends the
// post in flight within about a second and drops the queued ones, each reported as cancelled.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "client/net/connection_context.h"
#include "client/net/http_post.h"
#include "client/net/net_result.h"
#include "client/net/requests.h"
#include "media/wall_time.h"

namespace client {

struct CommandResult {
    NetResult net;
    std::vector<uint8_t> body;  // a query's answer
    bool ok() const { return net.ok(); }
};

using CommandDone = std::function<void(const CommandResult&)>;

// Issues one command and waits for its outcome: for tools and tests, never for a window.
CommandResult Await(const std::function<void(CommandDone)>& issue);

// A control's arguments, owned (ControlArgs only views them).
struct ControlRequest {
    int selector = 0;
    std::string req;
    uint32_t channel = 0;
    std::string path;
    int64_t number = 0;
};

class CommandSender {
  public:
    explicit CommandSender(ConnectionContext& context);
    ~CommandSender();
    CommandSender(const CommandSender&) = delete;
    CommandSender& operator=(const CommandSender&) = delete;

    // A control post. Controls that need a stream show "Check Connection!!" and fail at once
    // (NotConnected) while none is up.
    void Control(const ControlRequest& control, CommandDone done = {});
    // The channel mask: selector 17 (audio client) then 18 (video client); only while the stream
    // is up and no local recording runs (`recording`). Reported once, after both.
    void ChannelMask(uint32_t mask, bool recording, CommandDone done = {});
    // A query post. `needsStream`: "Check Connection!!" and NotConnected while no stream is up.
    void Query(const std::string& body, bool needsStream, CommandDone done,
               PostProgress progress = {});
    // Event search (MODE 4; needs the stream).
    void EventSearch(const media::CivilTime& start, const media::CivilTime& end, int channel,
                     int event, CommandDone done);
    // The recording calendar (MODE 7), with its progress on the context's progress view.
    void QueryCalendar(CommandDone done);
    // Query answers beyond this many bytes are cut off and fail (64 MiB unless changed).
    void SetQueryLimit(size_t bytes);

    // Ends the post in flight and every queued one (each reported as Cancelled).
    void Cancel();
    // Waits until every command queued so far has been reported (tools and tests).
    void Drain();

    // The leave operations of a stream that stopped (video client OP 5, then audio client OP 14)
    // for the recorder at `endpoint` that gave it `clientId`, each within the leave time-out. In
    // order with the controls queued before them; a closing sender still sends them.
    void Leave(const Endpoint& endpoint, ClientId clientId);

    // A camera REQ for `channel` (selector 7), reporting whether it went through: what a
    // CameraHold sends with.
    void Camera(int channel, const std::string& req, std::function<void(bool ok)> done);

  private:
    // The body of one post, made when it is sent (the stream's client id may come late).
    using BodyFn = std::function<std::string(ClientId)>;
    struct Job {
        PostKind kind = PostKind::Control;
        std::vector<BodyFn> bodies;  // posted in order; the first failure ends the job
        PostProgress progress;
        CommandDone done;
        std::function<void()> before;  // on the worker before the first post
        std::function<void()> after;   // on the worker after the last post
        uint64_t generation = 0;
        // A leave: its own address and client id, a short time-out, every post sent whatever
        // the one before did, and sent even while the sender closes.
        bool leave = false;
        Endpoint endpoint;
        ClientId clientId = 0;
    };

    bool CheckStream(bool needsStream, const CommandDone& done);
    void Push(Job job);
    void Loop();

    ConnectionContext& context_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Job> queue_;
    std::atomic<bool> cancel_{false};
    uint64_t generation_ = 0;  // Cancel bumps it: older jobs are dropped
    uint64_t queued_ = 0, reported_ = 0;
    bool quit_ = false;
    bool closing_ = false;  // the destructor runs: only leaves are still sent
    bool leaveInFlight_ = false;
    size_t queryLimit_ = kMaxQueryResponse;
    std::thread worker_;
};

}  // namespace client
