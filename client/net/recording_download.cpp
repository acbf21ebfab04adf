#include "client/net/recording_download.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "client/net/event_search.h"
#include "platform/path_component.h"

namespace client {
namespace {

bool IsDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return !text.empty();
}

// "YYMMDD_hhmmss" and nothing else.
bool IsStartText(std::string_view t) {
    return t.size() == 13 && IsDigits(t.substr(0, 6)) && t[6] == '_' && IsDigits(t.substr(7, 6));
}

// One file of the list: room on the disk, its size, its download.
FtpResult FetchOne(FtpSession& session, const std::string& path, const std::string& local,
                   ProgressView* progress, std::atomic<bool>& cancel) {
    const int64_t size = session.RemoteSize(path).value_or(0);
    return session.Download(path, local, size, progress, &cancel);
}

bool EnoughRoom(const RecordingDownloadRequest& r) {
    const std::optional<uint64_t> free = r.probe ? r.probe(r.folder) : FreeSpaceOf(r.folder);
    return free && EnoughFreeSpace(*free);
}

}  // namespace

std::optional<std::string> BackupFileName(std::string_view dvrName, std::string_view recorderPath) {
    if (recorderPath.size() < kSearchPathMin) return std::nullopt;
    const std::string_view start = recorderPath.substr(kSearchStartAt, 13);
    const std::string_view channel = recorderPath.substr(kSearchChannelAt, 2);
    if (!IsStartText(start) || !IsDigits(channel)) return std::nullopt;
    // An empty name stays empty; any other becomes one component (never "/" or "..").
    const std::string name = dvrName.empty() ? std::string() : platform::SafePathComponent(dvrName);
    const int number = (channel[0] - '0') * 10 + (channel[1] - '0') + 1;
    return name + "," + std::string(start) + "," + std::to_string(number) + "," + "" + ".umv";
}

std::string DownloadCounterText(int current, int total) {
    char text[32];
    std::snprintf(text, sizeof text, "%d / %d", current, total);
    return text;
}

RecordingDownload::RecordingDownload(const FtpTimings& timings) : transfer_(timings) {}

bool RecordingDownload::Start(RecordingDownloadRequest request, ProgressView* progress,
                              DownloadListener& listener) {
    if (request.recorderPaths.empty()) return false;
    if (!request.folder.empty() && request.folder.back() != '/') request.folder += '/';
    return transfer_.Start(
        [r = std::move(request), progress, &listener](
            FtpSession& session, std::atomic<bool>& cancel) -> FtpTransfer::Report {
            DownloadOutcome out;
            std::error_code error;
            std::filesystem::create_directories(r.folder, error);
            if (error) out.end = DownloadEnd::NoFolder;
            if (out.end == DownloadEnd::Completed) {
                out.connect = session.Connect(r.login);
                if (!out.connect.ok()) out.end = DownloadEnd::LoginFailed;
            }
            const int count = static_cast<int>(r.recorderPaths.size());
            for (int i = 0; i < count && out.end == DownloadEnd::Completed; ++i) {
                if (!EnoughRoom(r)) {
                    out.end = DownloadEnd::DiskFull;
                    break;
                }
                listener.FileStarted(i, count);
                const std::string& path = r.recorderPaths[static_cast<size_t>(i)];
                const std::optional<std::string> name = BackupFileName(r.dvrName, path);
                FtpResult result;
                std::string local;
                if (!name) {
                    result.status = FtpStatus::RemoteOpenFailed;  // not a recorder file name
                } else {
                    local = r.folder + *name;
                    result = FetchOne(session, path, local, progress, cancel);
                }
                listener.FileEnded(i, result.ok() ? local : std::string(), result);
                if (result.ok()) {
                    ++out.done;
                    out.written.push_back(local);
                } else if (result.status == FtpStatus::Cancelled) {
                    out.end = DownloadEnd::Cancelled;
                } else {
                    ++out.failed;
                }
            }
            if (out.end == DownloadEnd::Completed && out.failed > 0)
                out.end = DownloadEnd::SomeFailed;
            session.Close();
            return [&listener, out] { listener.Finished(out); };
        });
}

}  // namespace client
