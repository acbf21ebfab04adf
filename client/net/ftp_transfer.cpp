#include "client/net/ftp_transfer.h"

namespace client {

FtpTransfer::FtpTransfer(const FtpTimings& timings)
    : timings_(timings), worker_([this] { Loop(); }) {}

FtpTransfer::~FtpTransfer() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        pending_ = nullptr;
    }
    cancel_.store(true);
    cv_.notify_all();
    worker_.join();
}

bool FtpTransfer::Start(Job job) {
    std::lock_guard lock(mutex_);
    if (quit_ || running_.load() || pending_) return false;
    cancel_.store(false);
    running_.store(true);
    pending_ = std::move(job);
    cv_.notify_all();
    return true;
}

void FtpTransfer::Cancel() {
    if (running_.load()) cancel_.store(true);
}

void FtpTransfer::Wait() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return !busy_ && !pending_; });
}

void FtpTransfer::Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        cv_.wait(lock, [this] { return quit_ || pending_; });
        if (quit_) return;
        Job job = std::move(pending_);
        pending_ = nullptr;
        busy_ = true;
        lock.unlock();
        Report report;
        {
            FtpSession session(timings_);
            report = job(session, cancel_);
        }
        running_.store(false);
        if (report) report();
        lock.lock();
        busy_ = false;
        cv_.notify_all();
    }
}

}  // namespace client
