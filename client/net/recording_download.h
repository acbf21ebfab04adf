// Recorder files chosen in the backup file list, fetched by FTP one after another into the local
// backup folder under names made of the recorder's name, the file's start time and channel. Every
// part of a local name that comes from the recorder or the user is checked, so no name can lead
// out of the backup folder.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/net/ftp_transfer.h"
#include "client/net/local_recorder.h"

namespace client {

// The local file name (no folder) of the recorder file `recorderPath`: "%s,%s,%s,%s%s" of the
// DVR name, the start time (characters 25..37, "YYMMDD_hhmmss"), the channel counted from 1
// (characters 39..40 + 1), an empty keyword and ".umv". The DVR name is made one path
// component ("/", NUL and control characters become "_"); nothing when the path does not hold a
// start time and a channel in their places.
std::optional<std::string> BackupFileName(std::string_view dvrName, std::string_view recorderPath);

struct RecordingDownloadRequest {
    FtpLogin login;  // the main connection's address, user and password; FTP port
    std::string dvrName;
    std::string folder;                      // the backup folder ("BackupPath"), ending with '/'
    std::vector<std::string> recorderPaths;  // the checked files, in list order
    FreeSpaceProbe probe;                    // empty: FreeSpaceOf
};

enum class DownloadEnd {
    Completed,   // every file arrived
    SomeFailed,  // the list went through, but some files did not arrive
    Cancelled,
    DiskFull,     // "Backup Failed!! HDD Full!!" before a file
    NoFolder,     // the backup folder cannot be created
    LoginFailed,  // the FTP connect step failed (see `connect`)
};

struct DownloadOutcome {
    DownloadEnd end = DownloadEnd::Completed;
    FtpResult connect;                 // the connect step
    int done = 0;                      // files that arrived
    int failed = 0;                    // files that did not (their entries' results)
    std::vector<std::string> written;  // local paths of the files that arrived
};

// What a download list reports, on the transfer's worker thread (a window posts it on).
class DownloadListener {
  public:
    virtual ~DownloadListener() = default;
    // File `index` (0-based) of `count` starts: the list shows "%d / %d" of index + 1 and count.
    virtual void FileStarted(int index, int count) = 0;
    // File `index` ended: its local path, or the reason it failed.
    virtual void FileEnded(int index, const std::string& localPath, const FtpResult& result) = 0;
    // The list ended.
    virtual void Finished(const DownloadOutcome& outcome) = 0;
};

// "%d / %d".
std::string DownloadCounterText(int current, int total);

class RecordingDownload {
  public:
    explicit RecordingDownload(const FtpTimings& timings = {});

    // Starts the list; progress of each file on `progress` (may be null). False while a list
    // runs or when it is empty.
    bool Start(RecordingDownloadRequest request, ProgressView* progress,
               DownloadListener& listener);
    // Stops the file in transfer within one chunk; the files after it are not fetched.
    void Cancel() { transfer_.Cancel(); }
    bool Running() const { return transfer_.Running(); }
    void Wait() { transfer_.Wait(); }

  private:
    FtpTransfer transfer_;
};

}  // namespace client
