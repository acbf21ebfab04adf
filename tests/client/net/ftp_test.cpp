// FTP against a real FTP server on loopback: transfers, their chunks and progress, a refused
// login, a server that freezes mid-transfer, and what is left on disk when a transfer fails.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <mutex>
#include <vector>

#include "client/net/ftp_session.h"
#include "client/net/ftp_transfer.h"
#include "tests/client/net/ftp_server.h"
#include "tests/client/net/recorded_progress.h"
#include "tests/support/temp_dir.h"

namespace {

using client::FtpStatus;
namespace fs = std::filesystem;

std::vector<uint8_t> Pattern(size_t n, uint8_t seed = 1) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>((i * 131 + seed) ^ (i >> 9));
    return bytes;
}

using Progress = nettest::RecordedProgress;

class FtpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(root());
        ASSERT_TRUE(server_.Start(root(), "admin", "1234"));
    }
    std::string root() const { return dir_ / "root"; }
    client::FtpLogin Login(const std::string& password = "1234") const {
        return {"127.0.0.1", server_.port(), "admin", password};
    }
    // Leaves nothing but `expected` in the local folder.
    void ExpectOnlyFiles(const std::vector<std::string>& expected) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_ / "local"))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, expected);
    }

    testsupport::TempDir dir_;
    testsupport::FtpServer server_;
};

TEST_F(FtpTest, ADownloadComesInWholeChunksWithItsProgress) {
    const auto bytes = Pattern(10000);
    fs::create_directories(root() + "/hdda/recs");
    testsupport::WriteFile(root() + "/hdda/recs/a.umv", bytes);
    fs::create_directories(dir_ / "local");

    client::FtpSession session;
    ASSERT_TRUE(session.Connect(Login()).ok());
    const auto size = session.RemoteSize("/hdda/recs/a.umv");
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(*size, 10000);

    Progress progress;
    const auto r =
        session.Download("/hdda/recs/a.umv", dir_ / "local/a.umv", *size, &progress, nullptr);
    ASSERT_TRUE(r.ok()) << r.Describe();
    EXPECT_EQ(r.bytes, 10000);
    EXPECT_EQ(progress.positions(), (std::vector<int>{81, 100}));  // 8,192 then 1,808 bytes
    EXPECT_EQ(testsupport::ReadFile(dir_ / "local/a.umv"), bytes);
    ExpectOnlyFiles({"a.umv"});

    // Without a known size the progress cannot be divided: it shows 100 once the file is in.
    Progress unknown;
    ASSERT_TRUE(
        session.Download("/hdda/recs/a.umv", dir_ / "local/b.umv", 0, &unknown, nullptr).ok());
    ASSERT_FALSE(unknown.positions().empty());
    EXPECT_EQ(unknown.positions().back(), 100);
}

TEST_F(FtpTest, TheSizeComesFromTheFolderListingOfRecordings) {
    fs::create_directories(root() + "/hdda/recs/20260314/ch02");
    testsupport::WriteFile(root() + "/hdda/recs/20260314/ch02/260314_095955_02_M.umv",
                           Pattern(777));
    testsupport::WriteFile(root() + "/hdda/recs/20260314/ch02/260314_100000_02_F.umv", Pattern(5));
    testsupport::WriteFile(root() + "/hdda/recs/20260314/ch02/260314_095955_02_M.idx", Pattern(9));

    client::FtpSession session;
    ASSERT_TRUE(session.Connect(Login()).ok());
    EXPECT_EQ(session.RemoteSize("/hdda/recs/20260314/ch02/260314_095955_02_M.umv"), 777);
    EXPECT_EQ(session.RemoteSize("/hdda/recs/20260314/ch02/260314_100000_02_F.umv"), 5);
    EXPECT_FALSE(session.RemoteSize("/hdda/recs/20260314/ch02/260314_000000_02_M.umv"));
    EXPECT_FALSE(session.RemoteSize("/hdda/recs/nowhere/260314_095955_02_M.umv"));
}

TEST_F(FtpTest, ARefusedLoginAndAnAbsentServerAreToldApart) {
    client::FtpSession session;
    EXPECT_EQ(session.Connect(Login("wrong")).status, FtpStatus::LoginRejected);
    EXPECT_TRUE(session.Connect(Login()).ok());

    const uint16_t port = server_.port();
    server_.Stop();
    EXPECT_EQ(session.Connect({"127.0.0.1", port, "admin", "1234"}).status, FtpStatus::Unreachable);
    EXPECT_EQ(session.Connect({"127.0.0.1/evil", port, "admin", "1234"}).status,
              FtpStatus::Unreachable);
}

TEST(FtpConnect, AServerThatNeverGreetsFailsTheConnectWithinItsLimit) {
    // A listening socket nobody accepts on: the connection is made, no greeting ever comes.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);

    client::FtpTimings timings;
    timings.connectTimeoutMs = 500;
    timings.stallTimeoutMs = 500;
    client::FtpSession session(timings);
    EXPECT_EQ(session.Connect({"127.0.0.1", ntohs(address.sin_port), "admin", "1234"}).status,
              FtpStatus::Unreachable);
    close(listener);
}

TEST_F(FtpTest, AFailedDownloadLeavesNoFileAndKeepsAnOlderOne) {
    fs::create_directories(dir_ / "local");
    testsupport::WriteFile(dir_ / "local/a.umv", Pattern(10, 7));
    client::FtpSession session;
    ASSERT_TRUE(session.Connect(Login()).ok());
    const auto r = session.Download("/hdda/missing.umv", dir_ / "local/a.umv", 0, nullptr, nullptr);
    EXPECT_EQ(r.status, FtpStatus::RemoteOpenFailed) << r.Describe();
    EXPECT_EQ(testsupport::ReadFile(dir_ / "local/a.umv"), Pattern(10, 7));
    ExpectOnlyFiles({"a.umv"});

    // A local folder that does not exist is a local failure, told before anything is fetched.
    const auto local =
        session.Download("/hdda/missing.umv", dir_ / "nowhere/a.umv", 0, nullptr, nullptr);
    EXPECT_EQ(local.status, FtpStatus::LocalFileFailed);
    EXPECT_EQ(local.error, ENOENT);
}

TEST_F(FtpTest, ACancelEndsTheDownloadAtTheNextChunk) {
    testsupport::WriteFile(root() + "/big.umv", Pattern(4 << 20));
    fs::create_directories(dir_ / "local");
    std::atomic<bool> cancel{false};
    Progress progress;
    progress.onFirst = [&](int) { cancel = true; };

    client::FtpSession session;
    ASSERT_TRUE(session.Connect(Login()).ok());
    const auto r =
        session.Download("/big.umv", dir_ / "local/big.umv", 4 << 20, &progress, &cancel);
    EXPECT_EQ(r.status, FtpStatus::Cancelled);
    EXPECT_EQ(r.bytes, 8192);     // the chunk after which the flag was seen
    EXPECT_FALSE(cancel.load());  // taken
    ExpectOnlyFiles({});
}

TEST_F(FtpTest, AServerThatStopsAnsweringEndsTheTransferWithAnError) {
    // More than the loopback socket buffers hold, so the rest can only come from the server.
    testsupport::WriteFile(root() + "/big.umv", Pattern(48 << 20));
    fs::create_directories(dir_ / "local");
    Progress progress;
    progress.onFirst = [&](int) { server_.Pause(); };

    client::FtpTimings timings;
    timings.stallTimeoutMs = 1000;
    client::FtpSession session(timings);
    ASSERT_TRUE(session.Connect(Login()).ok());
    const auto r =
        session.Download("/big.umv", dir_ / "local/big.umv", 48 << 20, &progress, nullptr);
    EXPECT_EQ(r.status, FtpStatus::Stalled) << r.Describe();
    EXPECT_LT(r.bytes, 48 << 20);
    ExpectOnlyFiles({});
}

TEST_F(FtpTest, AnUploadToAServerThatStopsAnsweringEndsWithAnError) {
    testsupport::WriteFile(dir_ / "image", Pattern(48 << 20));
    Progress progress;
    progress.onFirst = [&](int) { server_.Pause(); };
    client::FtpTimings timings;
    timings.stallTimeoutMs = 1000;
    client::FtpSession session(timings);
    ASSERT_TRUE(session.Connect(Login()).ok());
    const auto r = session.Upload("/image", dir_ / "image", &progress, nullptr);
    EXPECT_EQ(r.status, FtpStatus::Stalled) << r.Describe();
}

TEST(FtpTransferTest, OneJobAtATimeAndItsReportMayStartTheNext) {
    client::FtpTransfer transfer;
    std::promise<void> release, second;
    std::future<void> released = release.get_future();
    bool refusedWhileRunning = false, startedFromReport = false;
    ASSERT_TRUE(transfer.Start([&](client::FtpSession&, std::atomic<bool>&) {
        released.wait();
        return client::FtpTransfer::Report([&] {
            startedFromReport = transfer.Start([&](client::FtpSession&, std::atomic<bool>& cancel) {
                const bool cancelled = cancel.load();
                return client::FtpTransfer::Report([&second, cancelled] {
                    if (!cancelled) second.set_value();
                });
            });
        });
    }));
    refusedWhileRunning = !transfer.Start(
        [](client::FtpSession&, std::atomic<bool>&) { return client::FtpTransfer::Report(); });
    release.set_value();
    second.get_future().wait();  // the job the first report started ran, with a fresh flag
    transfer.Wait();
    EXPECT_TRUE(refusedWhileRunning);
    EXPECT_TRUE(startedFromReport);
}

}  // namespace
