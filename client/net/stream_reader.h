// The video stream of a connection: each Start runs one reader on a thread of its own with a
// snapshot of what to ask for and where, cuts the stream into packets and hands them to the
// stream handler (pictures to the frame sink, audio to an audio stream, records to the local
// recorder). Stop returns at once: the reader is cancelled and finishes in the background (its
// leave posts included), so a window never waits and a new Start waits for nothing.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "client/net/connection_context.h"
#include "client/net/local_recorder.h"
#include "client/net/net_result.h"
#include "client/net/packet_scanner.h"
#include "client/net/requests.h"
#include "client/net/stream_handler.h"

namespace client {

class ReaderRun;

// How a stream ended, once it has.
struct StreamOutcome {
    bool finished = false;  // the reader has ended (stopped, failed or the stream ended)
    bool failed = false;    // it failed for good and posted 1039
    bool ended = false;     // a recorded stream ended with "no more video"
    NetResult failure;      // why it failed (Ok when it did not)
    ScanStats scan;
    HandlerStats handler;
};

class StreamReader {
  public:
    // How a stopped stream leaves the recorder (its address and client id); without one the
    // reader sends the leave posts itself before it finishes.
    using LeaveFn = std::function<void(const Endpoint& endpoint, ClientId clientId)>;

    StreamReader(ConnectionContext& context, LocalRecorder& recorder, LeaveFn leave = {});
    ~StreamReader();
    StreamReader(const StreamReader&) = delete;
    StreamReader& operator=(const StreamReader&) = delete;

    // Starts a reader for `target` at the context's address (a running one is stopped silently
    // first); "Begin Thread failed..!!" and false when no thread can be started.
    bool Start(const StreamTarget& target);
    // Stops the stream: unless silent, 1031 with 0 is posted first; the reader is cancelled and
    // ends in the background, sending the leave posts when it was connected.
    void Stop(bool silent);
    // Waits until every stopped reader has finished (tools, tests and shutdown).
    void WaitStopped();

    // Suspends and resumes the reader between chunks.
    void Suspend();
    void Resume();
    // The user paused a remote playback: the watchdog keeps quiet.
    void SetPaused(bool paused) { paused_.store(paused); }
    bool paused() const { return paused_.load(); }
    void SetAudioMuted(bool muted);

    bool connected() const;
    bool running() const;
    bool failed() const;
    StreamKind kind() const;
    ClientId clientId() const;
    // The audio stream's channel, or -1 when none runs.
    int audioChannel() const;
    // How the last stream went; the statistics are complete once it has finished.
    StreamOutcome outcome() const;

  private:
    friend class ReaderRun;
    void Retire();

    ConnectionContext& context_;
    LocalRecorder& recorder_;
    const LeaveFn leave_;
    std::atomic<bool> paused_{false};
    std::atomic<bool> audioMuted_{false};

    mutable std::mutex mutex_;
    std::shared_ptr<ReaderRun> current_;
    std::vector<std::shared_ptr<ReaderRun>> retired_;  // stopped, finishing in the background
};

}  // namespace client
