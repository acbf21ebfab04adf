// Runs FTP work on a worker thread of its own, so a window never waits for the recorder's FTP
// server: one job at a time, each with a fresh session, reporting through its own callbacks. A
// cancel reaches the job between two chunks.
#pragma once

#include <atomic>
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
    // Cancels the job that runs and waits for it.
    ~FtpTransfer();
    FtpTransfer(const FtpTransfer&) = delete;
    FtpTransfer& operator=(const FtpTransfer&) = delete;

    // Starts `job` on the worker; false (and nothing started) while another job runs.
    bool Start(Job job);
    // Asks the running job to stop; it ends within one chunk. Any thread.
    void Cancel();
    bool Running() const { return running_.load(); }
    // Waits until the running job has ended (tools and tests; never a window).
    void Wait();

  private:
    const FtpTimings timings_;
    std::mutex mutex_;  // start, wait and join
    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<bool> cancel_{false};
};

}  // namespace client
