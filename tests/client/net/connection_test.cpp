// The reader thread's state machine over a scripted stream channel: opens, reopens, empty reads,
// the watchdog and stopping.
#include "client/net/dvr_connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/client/net/fake_channel.h"
#include "tests/client/net/packets.h"
#include "tests/client/net/test_sinks.h"

namespace {

using namespace client;
using namespace std::chrono_literals;
using nettest::FakeChannel;
using nettest::Script;

std::vector<uint8_t> Pictures(uint32_t firstStamp, int count) {
    std::vector<uint8_t> out;
    for (int i = 0; i < count; ++i) {
        const auto p = nettest::MediaPacket(nettest::Video(0, i == 0 ? 0 : 1, firstStamp + i));
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

struct ConnectionTest : ::testing::Test {
    Script script;
    nettest::RecordingSinks sinks;
    NetTimings timings = [] {
        NetTimings t;
        t.watchdogMs = 100;
        t.readRetryPauseMs = 1;
        t.audioRetryPauseMs = 10;
        return t;
    }();
    std::unique_ptr<DvrConnection> connection;

    void Connect() {
        connection = std::make_unique<DvrConnection>(
            sinks, sinks, sinks, timings,
            [this](const Endpoint&) { return std::make_unique<FakeChannel>(script); });
        ConnectionParams p;
        p.host = "127.0.0.1";
        p.port = 9;  // nothing listens: the leave posts fail fast
        p.user = "admin";
        p.password = "pw";
        ASSERT_TRUE(connection->ConnectLive(p));
    }
    bool WaitEnded() {
        return sinks.WaitFor([&] { return !connection->running(); }, 5s);
    }
};

TEST_F(ConnectionTest, FailedOpenShowsDisconnectedAndPostsLost) {
    script.opens = {false};
    Connect();
    ASSERT_TRUE(WaitEnded());
    EXPECT_TRUE(connection->failed());
    EXPECT_EQ(sinks.Count("still", kAllChannels, static_cast<int>(CellPicture::Connecting)), 1);
    EXPECT_EQ(sinks.Count("still", kAllChannels, static_cast<int>(CellPicture::Disconnected)), 1);
    EXPECT_EQ(sinks.Count("post", kNotifyLost), 1);
    EXPECT_EQ(script.queries.at(0), "MODE=0&ID=admin&PW=pw&VER=2000&CH=FFFF");
}

TEST_F(ConnectionTest, EndedStreamIsOpenedAgainAtMostThreeTimes) {
    script.opens = {true, false, false, true, false, false, false};
    script.Push(Script::Kind::Data, Pictures(10, 3));
    script.Push(Script::Kind::End);
    script.Push(Script::Kind::Data, Pictures(20, 3));
    script.Push(Script::Kind::End);
    Connect();
    ASSERT_TRUE(WaitEnded());
    EXPECT_EQ(sinks.Count("picture"), 6);
    EXPECT_EQ(script.openCount(), 7);
    EXPECT_TRUE(connection->failed());
    EXPECT_EQ(sinks.Count("post", kNotifyStream, 1), 1);
    EXPECT_EQ(sinks.Count("post", kNotifyLost), 1);
}

TEST_F(ConnectionTest, ElevenEmptyReadsInARowEndTheReader) {
    script.Push(Script::Kind::Data, Pictures(10, 2));
    for (int i = 0; i < 10; ++i)
        script.Push(Script::Kind::Nothing);
    script.Push(Script::Kind::Data, Pictures(20, 2));  // ten in a row are survived
    for (int i = 0; i < 11; ++i)
        script.Push(Script::Kind::Nothing);
    Connect();
    ASSERT_TRUE(WaitEnded());
    EXPECT_EQ(sinks.Count("picture"), 4);
    EXPECT_TRUE(connection->failed());
    EXPECT_EQ(sinks.Count("post", kNotifyLost), 1);
    EXPECT_EQ(sinks.Count("still", kAllChannels, static_cast<int>(CellPicture::Disconnected)), 1);
}

TEST_F(ConnectionTest, WatchdogPostsLostOnceAndTheStreamRecovers) {
    script.Push(Script::Kind::Data, Pictures(10, 2));
    Connect();
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("post", kNotifyLost) == 1; }, 3s));
    std::this_thread::sleep_for(300ms);  // three more watchdog periods: still one notice
    EXPECT_EQ(sinks.Count("post", kNotifyLost), 1);
    script.Push(Script::Kind::Data, Pictures(20, 2));
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("picture") == 4; }, 3s));
    // The window learns that data flows again.
    EXPECT_TRUE(sinks.WaitFor([&] { return sinks.Count("post", kNotifyStream, 1) == 2; }, 3s));
    EXPECT_TRUE(connection->running());
    EXPECT_FALSE(connection->failed());
}

TEST_F(ConnectionTest, PausedPlaybackKeepsTheWatchdogQuiet) {
    script.Push(Script::Kind::Data, Pictures(10, 2));
    Connect();
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("picture") == 2; }, 3s));
    connection->SetPaused(true);
    std::this_thread::sleep_for(350ms);
    EXPECT_EQ(sinks.Count("post", kNotifyLost), 0);
}

TEST_F(ConnectionTest, StopReturnsPromptlyWhileTheReaderIsBlocked) {
    timings.watchdogMs = 60000;
    script.Push(Script::Kind::Data, Pictures(10, 2));
    Connect();
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("picture") == 2; }, 3s));
    std::this_thread::sleep_for(50ms);
    const auto t0 = std::chrono::steady_clock::now();
    connection->Stop(false);
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_LT(took, 100ms);
    EXPECT_FALSE(connection->running());
    EXPECT_EQ(sinks.Count("post", kNotifyStream, 0), 1);
    EXPECT_EQ(sinks.Count("post", kNotifyLost), 0);
}

TEST_F(ConnectionTest, LeavingASilentRecorderDoesNotHoldUpStop) {
    // A recorder whose TCP port takes connections but never answers them.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(listener, 8), 0);
    socklen_t len = sizeof addr;
    getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);

    timings.leaveTimeoutMs = 150;
    timings.watchdogMs = 60000;
    script.Push(Script::Kind::Data, Pictures(10, 2));
    connection = std::make_unique<DvrConnection>(
        sinks, sinks, sinks, timings,
        [this](const Endpoint&) { return std::make_unique<FakeChannel>(script); });
    ConnectionParams p;
    p.host = "127.0.0.1";
    p.port = ntohs(addr.sin_port);
    ASSERT_TRUE(connection->ConnectLive(p));
    ASSERT_TRUE(sinks.WaitFor([&] { return connection->connected(); }, 3s));
    const auto t0 = std::chrono::steady_clock::now();
    connection->Stop(true);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 1s);
    close(listener);
}

TEST_F(ConnectionTest, ResultPacketShowsItsMessageAndEndsTheStream) {
    script.Push(Script::Kind::Data, nettest::ResultPacket(2));
    Connect();
    ASSERT_TRUE(WaitEnded());
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"Password Miss Error!!"});
    EXPECT_EQ(sinks.Count("post", kNotifyLost), 1);
    EXPECT_EQ(sinks.Count("post", kNotifyStream, 1), 0);  // it never started
    EXPECT_FALSE(connection->connected());
}

TEST_F(ConnectionTest, ControlsNeedAStream) {
    script.opens = {false};
    Connect();
    ASSERT_TRUE(WaitEnded());
    EXPECT_FALSE(connection->SendControl(kSelectCamera, {.req = "0S1"}));
    EXPECT_FALSE(connection->SendQuery(EventSearchBody({2008, 1, 1}, {2008, 1, 2}, 0, 0), true).ok);
    EXPECT_EQ(sinks.Messages(),
              (std::vector<std::string>{"Check Connection!!", "Check Connection!!"}));
    EXPECT_FALSE(connection->SendChannelMask(0xf));
}

}  // namespace
