// The FTP session on libcurl: one easy handle whose control connection is kept between the
// transfers, so the login happens once.
#include "client/net/ftp_session.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace client {
namespace {

using Clock = std::chrono::steady_clock;

// What one receive may take from the socket; the data is still written, counted and checked for
// a cancel in kDownloadChunk pieces. Small receives would only cost system calls.
constexpr long kReceiveBuffer = 100 * 1024;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A host name as it may stand in a URL: nothing that would end or redirect the authority.
bool UsableHost(const std::string& host) {
    if (host.empty()) return false;
    for (unsigned char c : host)
        if (c <= 0x20 || c == 0x7F || c == '/' || c == '@' || c == '?' || c == '#' || c == '\\')
            return false;
    return true;
}

// "ftp://host:port/" followed by the path, each component percent-encoded; an absolute path
// starts with "%2F" so the server is asked for it from its root, not from the login folder.
std::string UrlFor(CURL* easy, const FtpLogin& login, const std::string& path) {
    std::string host = login.host;
    if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
    std::string url = "ftp://" + host + ":" + std::to_string(login.port) + "/";
    size_t at = 0;
    if (!path.empty() && path.front() == '/') {
        url += "%2F";
        at = 1;
    }
    while (at <= path.size()) {
        size_t slash = path.find('/', at);
        if (slash == std::string::npos) slash = path.size();
        const std::string part = path.substr(at, slash - at);
        if (!part.empty()) {
            char* escaped = curl_easy_escape(easy, part.data(), static_cast<int>(part.size()));
            url += escaped ? escaped : "";
            curl_free(escaped);
        }
        if (slash < path.size()) url += "/";
        at = slash + 1;
    }
    return url;
}

FtpStatus StatusOf(CURLcode code) {
    switch (code) {
        case CURLE_OK:
            return FtpStatus::Ok;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_URL_MALFORMAT:
            return FtpStatus::Unreachable;
        case CURLE_LOGIN_DENIED:
            return FtpStatus::LoginRejected;
        case CURLE_REMOTE_ACCESS_DENIED:
        case CURLE_REMOTE_FILE_NOT_FOUND:
        case CURLE_FTP_COULDNT_RETR_FILE:
        case CURLE_UPLOAD_FAILED:
            return FtpStatus::RemoteOpenFailed;
        case CURLE_OPERATION_TIMEDOUT:
            return FtpStatus::Stalled;
        default:
            return FtpStatus::TransferFailed;
    }
}

int Percent(int64_t done, int64_t total) {
    if (total <= 0) return 0;
    const int64_t p = done * 100 / total;
    return static_cast<int>(p > 100 ? 100 : p);
}

// What the callbacks of one transfer share.
struct TransferState {
    CURL* easy = nullptr;
    int fd = -1;
    int64_t total = 0;
    int64_t size = 0;  // progress divisor; 0: unknown
    ProgressView* progress = nullptr;
    std::atomic<bool>* cancel = nullptr;
    int stallTimeoutMs = 0;
    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastNow = 0;
    bool cancelled = false;
    bool stalled = false;
    int localError = 0;
    // Download: the chunk being filled.
    std::vector<uint8_t> chunk;
    size_t chunkFill = 0;

    bool TakeCancel() {
        if (cancel && cancel->exchange(false)) cancelled = true;
        return cancelled;
    }
    void Report() {
        if (progress) progress->SetProgressPosition(Percent(total, size));
    }
};

// Called while libcurl waits: a cancel ends the wait too, and so does a server that has moved
// no byte for the stall time-out.
int OnXferInfo(void* p, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
    auto& s = *static_cast<TransferState*>(p);
    const curl_off_t now = dlnow + ulnow;
    const auto t = Clock::now();
    if (now != s.lastNow) {
        s.lastNow = now;
        s.lastActivity = t;
    }
    if (s.TakeCancel()) return 1;
    if (t - s.lastActivity > std::chrono::milliseconds(s.stallTimeoutMs)) {
        s.stalled = true;
        return 1;
    }
    return 0;
}

size_t OnUploadRead(char* buffer, size_t size, size_t count, void* p) {
    auto& s = *static_cast<TransferState*>(p);
    if (s.TakeCancel()) return CURL_READFUNC_ABORT;
    const size_t want = std::min(size * count, kUploadChunk);
    ssize_t got;
    do {
        got = ::read(s.fd, buffer, want);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        s.localError = errno;
        return CURL_READFUNC_ABORT;
    }
    if (got == 0) return 0;  // the whole file is sent
    s.total += got;
    s.lastActivity = Clock::now();
    s.Report();
    return static_cast<size_t>(got);
}

bool WriteAll(int fd, const uint8_t* data, size_t n, int* error) {
    while (n > 0) {
        const ssize_t w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            *error = errno;
            return false;
        }
        data += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// Writes the chunk that is filled so far, counts it and reports the progress.
bool FlushChunk(TransferState& s) {
    if (s.chunkFill == 0) return true;
    if (!WriteAll(s.fd, s.chunk.data(), s.chunkFill, &s.localError)) return false;
    s.total += static_cast<int64_t>(s.chunkFill);
    s.chunkFill = 0;
    if (s.size <= 0) {
        curl_off_t announced = -1;
        curl_easy_getinfo(s.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        if (announced > 0) s.size = announced;
    }
    if (s.size > 0) s.Report();
    return true;
}

size_t OnDownloadWrite(char* data, size_t size, size_t count, void* p) {
    auto& s = *static_cast<TransferState*>(p);
    const size_t n = size * count;
    s.lastActivity = Clock::now();
    size_t used = 0;
    while (used < n) {
        const size_t take = std::min(n - used, kDownloadChunk - s.chunkFill);
        std::memcpy(s.chunk.data() + s.chunkFill, data + used, take);
        s.chunkFill += take;
        used += take;
        if (s.chunkFill == kDownloadChunk) {
            if (!FlushChunk(s)) return 0;
            if (s.TakeCancel()) return 0;
        }
    }
    return n;
}

size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

struct SizeSearch {
    std::string folder;
    std::string wanted;
    std::optional<int64_t> size;
};

long OnListedFile(const void* info, void* p, int) {
    const auto* f = static_cast<const curl_fileinfo*>(info);
    auto& search = *static_cast<SizeSearch*>(p);
    if (f->filename && f->filetype == CURLFILETYPE_FILE && (f->flags & CURLFINFOFLAG_KNOWN_SIZE) &&
        search.folder + "/" + f->filename == search.wanted)
        search.size = static_cast<int64_t>(f->size);
    return CURL_CHUNK_BGN_FUNC_SKIP;
}

}  // namespace

uint16_t FtpPort() {
    const char* text = std::getenv(kFtpPortVariable);
    if (!text || !*text) return kFtpPort;
    char* end = nullptr;
    errno = 0;
    const long port = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || port < 1 || port > 65535) return kFtpPort;
    return static_cast<uint16_t>(port);
}

const char* FtpStatusText(FtpStatus status) {
    switch (status) {
        case FtpStatus::Ok:
            return "the transfer is complete";
        case FtpStatus::Cancelled:
            return "the transfer was cancelled";
        case FtpStatus::Unreachable:
            return "the FTP server cannot be reached";
        case FtpStatus::LoginRejected:
            return "the FTP server refused the user name or password";
        case FtpStatus::RemoteOpenFailed:
            return "the file cannot be opened on the recorder";
        case FtpStatus::LocalFileFailed:
            return "the local file cannot be read or written";
        case FtpStatus::Stalled:
            return "the FTP server stopped answering";
        case FtpStatus::TransferFailed:
            return "the transfer broke off";
    }
    return "unknown";
}

std::string FtpResult::Describe() const {
    std::string text = FtpStatusText(status);
    if (error != 0) text += std::string(" (") + std::strerror(error) + ")";
    if (transportCode != 0) text += " [transport " + std::to_string(transportCode) + "]";
    return text;
}

std::string RemoteFolderOf(const std::string& remotePath) {
    const size_t slash = remotePath.rfind('/');
    return slash == std::string::npos ? std::string() : remotePath.substr(0, slash);
}

struct FtpSession::Impl {
    FtpTimings timings;
    FtpLogin login;
    CURL* easy = nullptr;

    // A fresh set of options on the kept handle (its connection stays).
    // `pattern` follows the encoded path as it is (a listing's wildcard).
    void Prepare(TransferState& state, const std::string& path, const char* pattern = "") {
        if (!easy) easy = curl_easy_init();
        curl_easy_reset(easy);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(timings.connectTimeoutMs));
        const long responseSeconds = std::max(1, (timings.stallTimeoutMs + 999) / 1000);
        curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, responseSeconds);
        curl_easy_setopt(easy, CURLOPT_USERNAME, login.user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, login.password.c_str());
        curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(easy, CURLOPT_URL, (UrlFor(easy, login, path) + pattern).c_str());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Discard);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &OnXferInfo);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &state);
        state.easy = easy;
        state.stallTimeoutMs = timings.stallTimeoutMs;
        state.lastActivity = Clock::now();
    }

    FtpResult Finish(CURLcode code, const TransferState& state) const {
        FtpResult r;
        r.bytes = state.total;
        r.transportCode = static_cast<int>(code);
        if (state.cancelled) {
            r.status = FtpStatus::Cancelled;
        } else if (state.localError != 0) {
            r.status = FtpStatus::LocalFileFailed;
            r.error = state.localError;
        } else if (state.stalled) {
            r.status = FtpStatus::Stalled;
        } else {
            r.status = StatusOf(code);
        }
        if (r.ok()) r.transportCode = 0;
        return r;
    }
};

FtpSession::FtpSession(const FtpTimings& timings) : impl_(new Impl) {
    InitCurlOnce();
    impl_->timings = timings;
}

FtpSession::~FtpSession() {
    Close();
    delete impl_;
}

FtpResult FtpSession::Connect(const FtpLogin& login) {
    Close();
    impl_->login = login;
    if (!UsableHost(login.host)) {
        FtpResult r;
        r.status = FtpStatus::Unreachable;
        return r;
    }
    TransferState state;
    impl_->Prepare(state, "");
    curl_easy_setopt(impl_->easy, CURLOPT_NOBODY, 1L);
    FtpResult r = impl_->Finish(curl_easy_perform(impl_->easy), state);
    // A server that takes the connection but never greets is as good as none.
    if (r.status == FtpStatus::Stalled) r.status = FtpStatus::Unreachable;
    return r;
}

void FtpSession::CreateFolders(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        TransferState state;
        impl_->Prepare(state, "");
        curl_easy_setopt(impl_->easy, CURLOPT_NOBODY, 1L);
        const std::string command = "*MKD " + folder;  // "*": a refusal is no error
        curl_slist* quote = curl_slist_append(nullptr, command.c_str());
        curl_easy_setopt(impl_->easy, CURLOPT_QUOTE, quote);
        curl_easy_perform(impl_->easy);
        curl_easy_setopt(impl_->easy, CURLOPT_QUOTE, nullptr);
        curl_slist_free_all(quote);
    }
}

FtpResult FtpSession::Upload(const std::string& remotePath, const std::string& localPath,
                             ProgressView* progress, std::atomic<bool>* cancel) {
    TransferState state;
    state.progress = progress;
    state.cancel = cancel;
    state.fd = ::open(localPath.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (state.fd < 0 || ::fstat(state.fd, &st) != 0) {
        FtpResult r;
        r.status = FtpStatus::LocalFileFailed;
        r.error = errno;
        if (state.fd >= 0) ::close(state.fd);
        return r;
    }
    state.size = st.st_size;
    impl_->Prepare(state, remotePath);
    curl_easy_setopt(impl_->easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(impl_->easy, CURLOPT_READFUNCTION, &OnUploadRead);
    curl_easy_setopt(impl_->easy, CURLOPT_READDATA, &state);
    curl_easy_setopt(impl_->easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(st.st_size));
    const CURLcode code = curl_easy_perform(impl_->easy);
    ::close(state.fd);
    return impl_->Finish(code, state);
}

FtpResult FtpSession::Download(const std::string& remotePath, const std::string& localPath,
                               int64_t size, ProgressView* progress, std::atomic<bool>* cancel) {
    TransferState state;
    state.progress = progress;
    state.cancel = cancel;
    state.size = size;
    state.chunk.resize(kDownloadChunk);
    const std::string partial = localPath + ".part";
    state.fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (state.fd < 0) {
        FtpResult r;
        r.status = FtpStatus::LocalFileFailed;
        r.error = errno;
        return r;
    }
    impl_->Prepare(state, remotePath);
    curl_easy_setopt(impl_->easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
    curl_easy_setopt(impl_->easy, CURLOPT_WRITEFUNCTION, &OnDownloadWrite);
    curl_easy_setopt(impl_->easy, CURLOPT_WRITEDATA, &state);
    const CURLcode code = curl_easy_perform(impl_->easy);
    bool whole = code == CURLE_OK && !state.cancelled && FlushChunk(state);
    if (whole && ::fdatasync(state.fd) != 0) state.localError = errno;
    if (::close(state.fd) != 0 && state.localError == 0) state.localError = errno;
    whole = whole && state.localError == 0;
    if (whole && ::rename(partial.c_str(), localPath.c_str()) != 0) {
        state.localError = errno;
        whole = false;
    }
    if (!whole) ::unlink(partial.c_str());
    if (whole && state.size <= 0 && progress) progress->SetProgressPosition(100);
    return impl_->Finish(code, state);
}

std::optional<int64_t> FtpSession::RemoteSize(const std::string& remotePath) {
    SizeSearch search;
    search.folder = RemoteFolderOf(remotePath);
    search.wanted = remotePath;
    // The listing goes over a handle (and connection) of its own: libcurl loses track of the
    // entries of a wildcard listing when the handle that listed them is used again.
    CURL* const transfers = impl_->easy;
    impl_->easy = nullptr;
    TransferState state;
    impl_->Prepare(state, search.folder + "/", "*.umv");
    curl_easy_setopt(impl_->easy, CURLOPT_WILDCARDMATCH, 1L);
    curl_easy_setopt(impl_->easy, CURLOPT_CHUNK_BGN_FUNCTION, &OnListedFile);
    curl_easy_setopt(impl_->easy, CURLOPT_CHUNK_DATA, &search);
    const CURLcode code = curl_easy_perform(impl_->easy);
    curl_easy_cleanup(impl_->easy);
    impl_->easy = transfers;
    if (code != CURLE_OK && code != CURLE_REMOTE_FILE_NOT_FOUND) return std::nullopt;
    return search.size;
}

void FtpSession::Close() {
    if (impl_->easy) {
        curl_easy_cleanup(impl_->easy);
        impl_->easy = nullptr;
    }
}

}  // namespace client
