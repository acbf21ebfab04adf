// libcurl behind the stream channel and the posts.
#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>

#include "client/net/http_post.h"
#include "client/net/requests.h"
#include "client/net/stream_channel.h"

namespace client {
namespace {

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string UrlFor(const Endpoint& endpoint, const std::string& query) {
    std::string host = endpoint.host;
    if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
    return "http://" + host + ":" + std::to_string(endpoint.port) + kCgiPath + "?" + query;
}

// Options every request shares: HTTP/1.0, always reload, no signals.
// The status a finished transfer comes to.
NetResult ResultOf(CURLcode code, long httpStatus) {
    NetResult r;
    r.httpStatus = httpStatus;
    r.transportCode = static_cast<int>(code);
    switch (code) {
        case CURLE_OK:
            r.status = httpStatus == 200 ? NetStatus::Ok : NetStatus::HttpError;
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
            r.status = NetStatus::Unreachable;
            break;
        case CURLE_OPERATION_TIMEDOUT:
            r.status = NetStatus::TimedOut;
            break;
        case CURLE_ABORTED_BY_CALLBACK:
            r.status = NetStatus::Cancelled;
            break;
        default:
            r.status = NetStatus::TransportError;
            break;
    }
    return r;
}

void CommonOptions(CURL* easy, const char* agent) {
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
}

class CurlStreamChannel final : public StreamChannel {
  public:
    CurlStreamChannel(const Endpoint& endpoint, int connectTimeoutMs)
        : endpoint_(endpoint), connectTimeoutMs_(connectTimeoutMs) {
        InitCurlOnce();
        multi_ = curl_multi_init();
        buffer_.resize(kBufferSize);
    }
    ~CurlStreamChannel() override {
        Close();
        curl_multi_cleanup(multi_);
    }

    bool Open(const std::string& query) override {
        Close();
        openResult_ = NetResult{NetStatus::Cancelled};
        if (cancelled_.load()) return false;
        openResult_ = NetResult{NetStatus::TransportError};
        easy_ = curl_easy_init();
        if (!easy_) return false;
        headers_ = curl_slist_append(nullptr, "Pragma: no-cache");
        CommonOptions(easy_, kStreamAgent);
        const std::string url = UrlFor(endpoint_, query);
        curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
        curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs_));
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlStreamChannel::OnWrite);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlStreamChannel::OnHeader);
        curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
        if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
            Close();
            return false;
        }
        // Run the transfer until the response head has arrived.
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(connectTimeoutMs_);
        while (!headersDone_ && !done_) {
            if (cancelled_.load() || std::chrono::steady_clock::now() >= deadline) {
                openResult_ =
                    NetResult{cancelled_.load() ? NetStatus::Cancelled : NetStatus::TimedOut};
                Close();
                return false;
            }
            Pump(100);
        }
        long status = 0;
        curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
        openResult_ = ResultOf(done_ ? result_ : CURLE_OK, status);
        if (status != 200 || (done_ && result_ != CURLE_OK && head_ == tail_)) {
            if (openResult_.ok()) openResult_.status = NetStatus::TransportError;
            Close();
            return false;
        }
        openResult_ = NetResult{};
        return true;
    }

    NetResult openResult() const override { return openResult_; }

    WaitResult WaitForData(int timeoutMs) override {
        if (!easy_) return WaitResult::Failed;
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            if (cancelled_.load()) return WaitResult::Cancelled;
            if (tail_ > head_) return WaitResult::Data;
            if (done_) return result_ == CURLE_OK ? WaitResult::Ended : WaitResult::Failed;
            int slice = 1000;
            if (timeoutMs >= 0) {
                const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - start)
                                       .count();
                if (spent >= timeoutMs) return WaitResult::TimedOut;
                slice = static_cast<int>(std::min<long long>(slice, timeoutMs - spent));
            }
            Pump(slice);
        }
    }

    size_t Read(uint8_t* out, size_t max) override {
        const size_t n = std::min(max, tail_ - head_);
        std::memcpy(out, buffer_.data() + head_, n);
        head_ += n;
        if (head_ == tail_) head_ = tail_ = 0;
        if (paused_ && easy_) {
            paused_ = false;
            curl_easy_pause(easy_, CURLPAUSE_CONT);
        }
        return n;
    }

    void Close() override {
        if (easy_) {
            curl_multi_remove_handle(multi_, easy_);
            curl_easy_cleanup(easy_);
            easy_ = nullptr;
        }
        if (headers_) {
            curl_slist_free_all(headers_);
            headers_ = nullptr;
        }
        head_ = tail_ = 0;
        headersDone_ = done_ = paused_ = false;
        result_ = CURLE_OK;
    }

    void Cancel() override {
        cancelled_.store(true);
        curl_multi_wakeup(multi_);
    }

  private:
    static constexpr size_t kBufferSize = 64 * 1024;

    // Drives the transfer once: perform, then wait up to `ms` for socket activity or a wake-up.
    void Pump(int ms) {
        int running = 0;
        curl_multi_perform(multi_, &running);
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi_, &queued)) {
            if (msg->msg == CURLMSG_DONE) {
                done_ = true;
                result_ = msg->data.result;
            }
        }
        if (tail_ > head_ || done_ || cancelled_.load()) return;
        curl_multi_poll(multi_, nullptr, 0, ms, nullptr);
        curl_multi_perform(multi_, &running);
        while (CURLMsg* msg = curl_multi_info_read(multi_, &queued)) {
            if (msg->msg == CURLMSG_DONE) {
                done_ = true;
                result_ = msg->data.result;
            }
        }
    }

    static size_t OnWrite(char* data, size_t size, size_t count, void* self) {
        auto* c = static_cast<CurlStreamChannel*>(self);
        const size_t n = size * count;
        if (c->buffer_.size() - c->tail_ < n && c->head_ > 0) {
            std::memmove(c->buffer_.data(), c->buffer_.data() + c->head_, c->tail_ - c->head_);
            c->tail_ -= c->head_;
            c->head_ = 0;
        }
        if (c->buffer_.size() - c->tail_ < n) {
            c->paused_ = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        std::memcpy(c->buffer_.data() + c->tail_, data, n);
        c->tail_ += n;
        return n;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* c = static_cast<CurlStreamChannel*>(self);
        const size_t n = size * count;
        if (n <= 2 && (n == 0 || data[0] == '\r' || data[0] == '\n')) c->headersDone_ = true;
        return n;
    }

    Endpoint endpoint_;
    int connectTimeoutMs_;
    CURLM* multi_ = nullptr;
    CURL* easy_ = nullptr;
    curl_slist* headers_ = nullptr;
    std::vector<uint8_t> buffer_;
    size_t head_ = 0;
    size_t tail_ = 0;
    bool headersDone_ = false;
    bool done_ = false;
    bool paused_ = false;
    CURLcode result_ = CURLE_OK;
    NetResult openResult_;
    std::atomic<bool> cancelled_{false};
};

struct PostState {
    PostKind kind;
    std::vector<uint8_t>* body;
    const PostProgress* progress;
    size_t maxBody;
    const std::atomic<bool>* cancel;
    int chunks = 0;
    bool tooLarge = false;
};

int OnPostProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* s = static_cast<PostState*>(self);
    return s->cancel && s->cancel->load() ? 1 : 0;
}

size_t OnPostWrite(char* data, size_t size, size_t count, void* self) {
    auto* s = static_cast<PostState*>(self);
    const size_t n = size * count;
    // A control's answer is not read: the transfer ends with its first byte.
    if (s->kind == PostKind::Control) return 0;
    if (n > s->maxBody - s->body->size()) {
        // A broken recorder must not fill the memory: the answer is cut off here.
        s->tooLarge = true;
        return 0;
    }
    s->body->insert(s->body->end(), data, data + n);
    ++s->chunks;
    if (*s->progress) (*s->progress)(s->chunks);
    return n;
}

}  // namespace

std::unique_ptr<StreamChannel> MakeCurlStreamChannel(const Endpoint& endpoint,
                                                     int connectTimeoutMs) {
    return std::make_unique<CurlStreamChannel>(endpoint, connectTimeoutMs);
}

PostResult PostRequest(const Endpoint& endpoint, PostKind kind, const std::string& body,
                       int timeoutMs, const PostProgress& progress, size_t maxBody,
                       const std::atomic<bool>* cancel) {
    InitCurlOnce();
    PostResult result;
    CURL* easy = curl_easy_init();
    result.result.status = NetStatus::TransportError;
    if (!easy) return result;
    if (cancel && cancel->load()) {
        curl_easy_cleanup(easy);
        result.result.status = NetStatus::Cancelled;
        return result;
    }
    curl_slist* headers = curl_slist_append(nullptr, kFormContentType);
    headers = curl_slist_append(headers, "Pragma: no-cache");
    headers = curl_slist_append(headers, "Expect:");
    CommonOptions(easy, kind == PostKind::Control ? kControlAgent : kQueryAgent);
    const std::string url = UrlFor(endpoint, "");
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs));
    PostState state{kind, &result.body, &progress, maxBody, cancel};
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnPostWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &state);
    // libcurl calls this about once a second and on every change, which is soon enough for a
    // window that gave up; a cancelled post ends with CURLE_ABORTED_BY_CALLBACK.
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &OnPostProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &state);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    const CURLcode code = curl_easy_perform(easy);
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &result.status);
    result.timedOut = code == CURLE_OPERATION_TIMEDOUT;
    result.tooLarge = state.tooLarge;
    result.sent = result.status != 0 && !state.tooLarge &&
                  (code == CURLE_OK || (kind == PostKind::Control && code == CURLE_WRITE_ERROR));
    const bool controlAnswered = kind == PostKind::Control && code == CURLE_WRITE_ERROR;
    result.result = ResultOf(controlAnswered ? CURLE_OK : code, result.status);
    if (state.tooLarge) result.result.status = NetStatus::TooLarge;
    if (state.tooLarge) {
        result.body.clear();
        result.body.shrink_to_fit();
    }
    curl_easy_cleanup(easy);
    curl_slist_free_all(headers);
    return result;
}

}  // namespace client
