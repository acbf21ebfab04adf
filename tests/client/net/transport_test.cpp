// What the three transports put on the wire, seen by a bare socket that plays the recorder.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <string>

#include "client/net/http_post.h"
#include "client/net/stream_channel.h"

namespace {

using namespace client;

// Accepts one connection, reads the request (head and a body of Content-Length bytes), answers
// with `reply` and closes.
class OneShotServer {
  public:
    explicit OneShotServer(std::string reply) : reply_(std::move(reply)) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        listen(fd_, 1);
        socklen_t len = sizeof addr;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        request_ = std::async(std::launch::async, [this] { return Serve(); });
    }
    // A server nobody called ends too: shutting the listening socket down wakes its accept.
    ~OneShotServer() {
        shutdown(fd_, SHUT_RDWR);
        if (request_.valid()) request_.wait();
        close(fd_);
    }
    uint16_t port() const { return port_; }
    std::string request() { return request_.get(); }

  private:
    std::string Serve() {
        const int c = accept(fd_, nullptr, nullptr);
        if (c < 0) return {};
        std::string got;
        char buf[4096];
        size_t need = std::string::npos;
        while (need == std::string::npos || got.size() < need) {
            const ssize_t n = read(c, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<size_t>(n));
            const size_t end = got.find("\r\n\r\n");
            if (end != std::string::npos && need == std::string::npos) {
                size_t length = 0;
                const size_t cl = got.find("Content-Length: ");
                if (cl != std::string::npos && cl < end) length = std::stoul(got.substr(cl + 16));
                need = end + 4 + length;
            }
        }
        (void)!write(c, reply_.data(), reply_.size());
        close(c);
        return got;
    }

    std::string reply_;
    int fd_ = -1;
    uint16_t port_ = 0;
    std::future<std::string> request_;
};

// A listening socket that takes connections and never answers, and one that refuses them.
struct SilentPort {
    SilentPort(bool listening) {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        if (listening) listen(fd, 1);
        socklen_t len = sizeof addr;
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        port = ntohs(addr.sin_port);
    }
    ~SilentPort() { close(fd); }
    int fd = -1;
    uint16_t port = 0;
};

TEST(Transports, AServerNobodyCallsEnds) {
    // Without the shutdown the destructor would wait for its accept until the CTest time-out.
    const auto server = std::make_unique<OneShotServer>("HTTP/1.0 200 OK\r\n\r\n");
    EXPECT_NE(server->port(), 0);
}

TEST(Transports, StreamRequestIsAnHttp10GetWithItsAgent) {
    OneShotServer server("HTTP/1.0 200 OK\r\n\r\nabc");
    auto channel = MakeCurlStreamChannel({"127.0.0.1", server.port()}, 5000);
    ASSERT_TRUE(channel->Open("MODE=0&ID=admin&PW=a&b&VER=2000&CH=FFFF"));
    ASSERT_EQ(channel->WaitForData(5000), WaitResult::Data);
    uint8_t buf[16];
    EXPECT_EQ(channel->Read(buf, sizeof buf), 3u);
    EXPECT_EQ(channel->WaitForData(5000), WaitResult::Ended);
    const std::string r = server.request();
    EXPECT_EQ(r.substr(0, r.find("\r\n")),
              "GET /cgi-bin/webapp.cgi?MODE=0&ID=admin&PW=a&b&VER=2000&CH=FFFF HTTP/1.0");
    EXPECT_NE(r.find("\r\nUser-Agent: HTTPCONNECT\r\n"), std::string::npos);
    EXPECT_NE(r.find("\r\nPragma: no-cache\r\n"), std::string::npos);
}

TEST(Transports, OnlyStatus200OpensAStream) {
    OneShotServer server("HTTP/1.0 404 Not Found\r\n\r\nnope");
    auto channel = MakeCurlStreamChannel({"127.0.0.1", server.port()}, 5000);
    EXPECT_FALSE(channel->Open("MODE=0"));
    EXPECT_EQ(channel->openResult().status, NetStatus::HttpError);
    EXPECT_EQ(channel->openResult().httpStatus, 404);
    server.request();
}

// A window tells these apart: the recorder said no, nobody is there, nobody answers, the user
// gave up.
TEST(Transports, PostsSayWhatHappened) {
    {
        OneShotServer server("HTTP/1.0 401 Unauthorized\r\n\r\n");
        const PostResult r =
            PostRequest({"127.0.0.1", server.port()}, PostKind::Query, "MODE=7", 5000);
        EXPECT_EQ(r.result.status, NetStatus::HttpError);
        EXPECT_EQ(r.result.httpStatus, 401);
        server.request();
    }
    {
        SilentPort closed(false);
        const PostResult r =
            PostRequest({"127.0.0.1", closed.port}, PostKind::Control, "MODE=5", 5000);
        EXPECT_EQ(r.result.status, NetStatus::Unreachable);
        EXPECT_NE(r.result.transportCode, 0);
    }
    {
        SilentPort silent(true);
        std::atomic<bool> cancel{false};
        auto post = std::async(std::launch::async, [&] {
            return PostRequest({"127.0.0.1", silent.port}, PostKind::Query, "MODE=7", 60000, {},
                               kMaxQueryResponse, &cancel);
        });
        // Once the post has connected, the user gives up: it ends long before its time-out.
        const int c = accept(silent.fd, nullptr, nullptr);
        cancel.store(true);
        EXPECT_EQ(post.get().result.status, NetStatus::Cancelled);
        close(c);
    }
}

TEST(Transports, ControlPostCarriesItsBodyExactly) {
    OneShotServer server("HTTP/1.0 200 OK\r\n\r\nignored");
    const PostResult r = PostRequest({"127.0.0.1", server.port()}, PostKind::Control,
                                     "MODE=5&CID=3&OP=7&CH=2&LEN=1&REQ=6S3", 5000);
    EXPECT_TRUE(r.sent);
    const std::string req = server.request();
    EXPECT_EQ(req.substr(0, req.find("\r\n")), "POST /cgi-bin/webapp.cgi? HTTP/1.0");
    EXPECT_NE(req.find("\r\nUser-Agent: MPEGCGITEST\r\n"), std::string::npos);
    EXPECT_NE(req.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
              std::string::npos);
    EXPECT_EQ(req.substr(req.find("\r\n\r\n") + 4), "MODE=5&CID=3&OP=7&CH=2&LEN=1&REQ=6S3");
}

TEST(Transports, QueryPostReadsTheWholeAnswer) {
    OneShotServer server("HTTP/1.0 200 OK\r\n\r\nline one\nline two\n");
    int chunks = 0;
    const PostResult r = PostRequest({"127.0.0.1", server.port()}, PostKind::Query, "MODE=7", 5000,
                                     [&](int n) { chunks = n; });
    EXPECT_TRUE(r.sent);
    EXPECT_EQ(std::string(r.body.begin(), r.body.end()), "line one\nline two\n");
    EXPECT_GE(chunks, 1);
    const std::string req = server.request();
    EXPECT_NE(req.find("\r\nUser-Agent: MPEGSEARCH\r\n"), std::string::npos);
    EXPECT_EQ(req.substr(req.find("\r\n\r\n") + 4), "MODE=7");
}

TEST(Transports, PostTimesOutWhenTheRecorderIsSilent) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(fd, 1);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    const PostResult r =
        PostRequest({"127.0.0.1", ntohs(addr.sin_port)}, PostKind::Control, "MODE=5", 200);
    EXPECT_FALSE(r.sent);
    EXPECT_TRUE(r.timedOut);
    EXPECT_EQ(r.result.status, NetStatus::TimedOut);
    close(fd);
}

}  // namespace
