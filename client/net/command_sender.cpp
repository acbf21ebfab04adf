#include "client/net/command_sender.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <utility>

namespace client {

CommandResult Await(const std::function<void(CommandDone)>& issue) {
    std::promise<CommandResult> promise;
    auto future = promise.get_future();
    issue([&promise](const CommandResult& r) { promise.set_value(r); });
    return future.get();
}

CommandSender::CommandSender(ConnectionContext& context) : context_(context) {
    worker_ = std::thread([this] { Loop(); });
}

CommandSender::~CommandSender() {
    {
        // Controls and queries are dropped; leaves still go out (each bounded by the leave
        // time-out), so the recorder frees the client's place.
        std::lock_guard lock(mutex_);
        ++generation_;
        closing_ = true;
        if (!leaveInFlight_) cancel_.store(true);
        quit_ = true;
    }
    cv_.notify_all();
    worker_.join();
}

bool CommandSender::CheckStream(bool needsStream, const CommandDone& done) {
    if (!needsStream || context_.connected()) return true;
    context_.ShowMessageIndex(MessageTable::kCheckConnection);
    if (done) done(CommandResult{NetResult{NetStatus::NotConnected}, {}});
    return false;
}

void CommandSender::Push(Job job) {
    {
        std::lock_guard lock(mutex_);
        job.generation = generation_;
        queue_.push_back(std::move(job));
        ++queued_;
    }
    cv_.notify_all();
}

void CommandSender::Control(const ControlRequest& control, CommandDone done) {
    if (!CheckStream(ControlNeedsStream(control.selector), done)) return;
    Job job;
    job.bodies.push_back([control](ClientId id) {
        ControlArgs args;
        args.req = control.req;
        args.channel = control.channel;
        args.path = control.path;
        args.number = control.number;
        return ControlBody(control.selector, id, args);
    });
    job.done = std::move(done);
    Push(std::move(job));
}

void CommandSender::Leave(const Endpoint& endpoint, ClientId clientId) {
    Job job;
    job.leave = true;
    job.endpoint = endpoint;
    job.clientId = clientId;
    job.bodies.push_back([](ClientId id) { return ControlBody(kSelectPlaybackLeave, id, {}); });
    job.bodies.push_back([](ClientId id) { return ControlBody(kSelectAudioLeave, id, {}); });
    Push(std::move(job));
}

void CommandSender::Camera(int channel, const std::string& req, std::function<void(bool)> done) {
    ControlRequest control;
    control.selector = kSelectCamera;
    control.req = req;
    control.channel = static_cast<uint32_t>(channel);
    Control(control, [done = std::move(done)](const CommandResult& r) {
        if (done) done(r.ok());
    });
}

void CommandSender::ChannelMask(uint32_t mask, bool recording, CommandDone done) {
    if (!context_.connected() || recording) {
        if (done) done(CommandResult{NetResult{NetStatus::NotConnected}, {}});
        return;
    }
    Job job;
    for (const int selector : {int{kSelectAudioMask}, int{kSelectVideoMask}}) {
        job.bodies.push_back([selector, mask](ClientId id) {
            ControlArgs args;
            args.channel = mask;
            return ControlBody(selector, id, args);
        });
    }
    job.done = std::move(done);
    Push(std::move(job));
}

void CommandSender::Query(const std::string& body, bool needsStream, CommandDone done,
                          PostProgress progress) {
    if (!CheckStream(needsStream, done)) return;
    Job job;
    job.kind = PostKind::Query;
    job.bodies.push_back([body](ClientId) { return body; });
    job.progress = std::move(progress);
    job.done = std::move(done);
    Push(std::move(job));
}

void CommandSender::EventSearch(const media::CivilTime& start, const media::CivilTime& end,
                                int channel, int event, CommandDone done) {
    Query(EventSearchBody(start, end, channel, event), true, std::move(done));
}

void CommandSender::QueryCalendar(CommandDone done) {
    if (!CheckStream(false, done)) return;
    ProgressView* view = context_.progress.load();
    Job job;
    job.kind = PostKind::Query;
    job.bodies.push_back([](ClientId) { return CalendarBody(); });
    job.before = [view] { ShowProgress(view, 0); };
    // One step of the counter per chunk of the answer, up to 99 until the answer is complete.
    job.progress = [view](int chunks) {
        const int counter = std::min(chunks - 1, 99);
        if (!view) return;
        char text[32];
        std::snprintf(text, sizeof text, "completed %d%%", counter);
        view->SetProgressText(text);
        view->SetProgressPosition(counter + 1);
    };
    job.after = [view] { ShowProgress(view, 100); };
    job.done = std::move(done);
    Push(std::move(job));
}

void CommandSender::SetQueryLimit(size_t bytes) {
    std::lock_guard lock(mutex_);
    queryLimit_ = bytes;
}

void CommandSender::Cancel() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        cancel_.store(true);
    }
    cv_.notify_all();
}

void CommandSender::Drain() {
    std::unique_lock lock(mutex_);
    const uint64_t target = queued_;
    cv_.wait(lock, [&] { return reported_ >= target; });
}

void CommandSender::Loop() {
    for (;;) {
        Job job;
        size_t limit = 0;
        bool current = false;
        {
            std::unique_lock lock(mutex_);
            cv_.wait(lock, [this] { return quit_ || !queue_.empty(); });
            if (queue_.empty()) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            limit = queryLimit_;
            current = job.generation == generation_ || (job.leave && closing_);
            if (current) cancel_.store(false);
            leaveInFlight_ = current && job.leave;
        }
        CommandResult result;
        if (!current) {
            result.net.status = NetStatus::Cancelled;
        } else {
            if (job.before) job.before();
            const Endpoint endpoint = job.leave ? job.endpoint : context_.endpoint();
            // Leaving is a courtesy to the recorder: one that does not answer holds nothing up
            // for a whole control time-out.
            const int timeout = job.leave ? std::min(context_.timings.leaveTimeoutMs,
                                                     context_.timings.controlTimeoutMs)
                                          : context_.timings.controlTimeoutMs;
            for (const BodyFn& body : job.bodies) {
                const ClientId id = job.leave ? job.clientId : context_.stream()->clientId.load();
                PostResult r = PostRequest(endpoint, job.kind, body(id), timeout, job.progress,
                                           limit, &cancel_);
                if (result.ok()) result.net = r.result;
                result.body = std::move(r.body);
                if (!result.ok() && !job.leave) break;
            }
            if (job.after) job.after();
        }
        if (job.done) job.done(result);
        {
            std::lock_guard lock(mutex_);
            ++reported_;
        }
        cv_.notify_all();
    }
}

}  // namespace client
