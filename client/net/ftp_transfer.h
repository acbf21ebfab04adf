// Runs FTP work on a worker thread of its own, so a window never waits for the recorder's FTP
// server: one job at a time, each with a fresh session, reporting through its own callbacks. A
// cancel reaches the job between two chunks.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "client/net/ftp_session.h"

namespace client {

class FtpTransfer {
  public:
    // The work of one job: it runs on the worker with a session of its own and the job's cancel
    // flag, which the session's transfers check once per chunk. What it returns (its report) is
    // called on the worker once the transfer counts as idle, so the report may start the next job.
    using Report = std::function<void()>;
    using Job = std::function<Report(FtpSession& session, std::atomic<bool>& cancel)>;

    explicit FtpTransfer(const FtpTimings& timings = {});
    // Cancels the job that runs, starts no other and waits for the worker.
    ~FtpTransfer();
    FtpTransfer(const FtpTransfer&) = delete;
    FtpTransfer& operator=(const FtpTransfer&) = delete;

    // Starts `job` on the worker; false (and nothing started) while another job runs. Any thread,
    // a report included.
    bool Start(Job job);
    // Asks the running job to stop; it ends within one chunk. Any thread.
    void Cancel();
    bool Running() const { return running_.load(); }
    // Waits until no job runs or waits to run and every report has returned (tools, tests and
    // windows that have been told the job ended; never from a report).
    void Wait();

  private:
    void Loop();

    const FtpTimings timings_;
    std::mutex mutex_;
    std::condition_variable cv_;
    Job pending_;        // the job the worker takes next
    bool busy_ = false;  // a job or its report is on the worker
    bool quit_ = false;
    std::atomic<bool> running_{false};  // a job was started and has not reached its report
    std::atomic<bool> cancel_{false};
    std::thread worker_;  // last: started once the rest is ready
};

}  // namespace client
