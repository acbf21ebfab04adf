// One FTP login to the recorder's FTP server and the transfers made through it, on libcurl. Every
// call blocks the calling thread (a worker: FtpTransfer runs it), moves its data in fixed chunks,
// checks its cancel flag once per chunk and gives up when the server stops answering.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "client/net/sinks.h"

namespace client {

// The recorder's FTP server listens on port 21. The environment variable names another port
// (for a test server that cannot bind 21).
inline constexpr uint16_t kFtpPort = 21;
inline constexpr const char* kFtpPortVariable = "HALVEX_FTP_PORT";
// kFtpPort, or the port HALVEX_FTP_PORT holds (1..65535; anything else is ignored).
uint16_t FtpPort();

inline constexpr size_t kUploadChunk = 3000;
inline constexpr size_t kDownloadChunk = 8192;

struct FtpLogin {
    std::string host;
    uint16_t port = kFtpPort;
    std::string user;
    std::string password;
};

struct FtpTimings {
    int connectTimeoutMs = 7000;  // reaching the server and logging in
    int stallTimeoutMs = 7000;    // no answer and no byte moved for this long ends a transfer
};

enum class FtpStatus {
    Ok,
    Cancelled,         // the cancel flag was seen between two chunks
    Unreachable,       // no connection to the server within the connect time-out
    LoginRejected,     // the server refused the user name or password
    RemoteOpenFailed,  // the remote file could not be opened (missing, no permission)
    LocalFileFailed,   // the local file could not be opened, read or written
    Stalled,           // the server stopped answering in the middle
    TransferFailed,    // the connection broke or the server reported an error
};

// A short English text for each status, for tools and logs.
const char* FtpStatusText(FtpStatus status);

struct FtpResult {
    FtpStatus status = FtpStatus::Ok;
    int transportCode = 0;  // libcurl's CURLcode, 0 when none
    int error = 0;          // errno of a local file failure
    int64_t bytes = 0;      // bytes moved

    bool ok() const { return status == FtpStatus::Ok; }
    // The status text with its details.
    std::string Describe() const;
};

// The folder a recorder path lies in ("/a/b/c.umv" -> "/a/b"), "" for a bare name.
std::string RemoteFolderOf(const std::string& remotePath);

class FtpSession {
  public:
    explicit FtpSession(const FtpTimings& timings = {});
    ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // Logs in. A rejected login is reported as such, not left for the first transfer to find.
    FtpResult Connect(const FtpLogin& login);
    // Creates the folders in order; failures (an existing folder) are ignored.
    void CreateFolders(const std::vector<std::string>& folders);
    // Sends `localPath` to `remotePath` in kUploadChunk pieces. After each piece `progress` (when
    // given) gets sent * 100 / size; a set `*cancel` is cleared and ends the upload as Cancelled.
    FtpResult Upload(const std::string& remotePath, const std::string& localPath,
                     ProgressView* progress, std::atomic<bool>* cancel);
    // Fetches `remotePath` into `localPath` in kDownloadChunk pieces, with the progress against
    // `size` (when 0: the size the server announces, else 100 only at the end). The file appears
    // under its name only when it arrived whole; a failed or cancelled download leaves nothing
    // and keeps an older file of that name.
    FtpResult Download(const std::string& remotePath, const std::string& localPath, int64_t size,
                       ProgressView* progress, std::atomic<bool>* cancel);
    // The size of `remotePath` as the listing of "*.umv" in its folder gives it; nothing when the
    // file is not listed.
    std::optional<int64_t> RemoteSize(const std::string& remotePath);
    // Logs out and closes the connection.
    void Close();

  private:
    struct Impl;
    Impl* impl_;
};

}  // namespace client
