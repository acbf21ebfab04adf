#include "client/net/ftp_transfer.h"

namespace client {

FtpTransfer::FtpTransfer(const FtpTimings& timings) : timings_(timings) {}

FtpTransfer::~FtpTransfer() {
    Cancel();
    Wait();
}

bool FtpTransfer::Start(Job job) {
    std::lock_guard lock(mutex_);
    if (running_.load()) return false;
    if (worker_.joinable()) worker_.join();  // the previous job has ended: reap its thread
    cancel_.store(false);
    running_.store(true);
    worker_ = std::thread([this, job = std::move(job)] {
        Report report;
        {
            FtpSession session(timings_);
            report = job(session, cancel_);
        }
        running_.store(false);
        if (report) report();
    });
    return true;
}

void FtpTransfer::Cancel() {
    if (running_.load()) cancel_.store(true);
}

void FtpTransfer::Wait() {
    std::lock_guard lock(mutex_);
    if (worker_.joinable()) worker_.join();
}

}  // namespace client
