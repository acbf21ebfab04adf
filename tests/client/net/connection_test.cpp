// The reader thread's state machine over a scripted stream channel: opens, reopens, empty reads,
// the watchdog, and stopping without waiting for the network.
#include "client/net/dvr_connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <mutex>

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

    void Make() {
        connection = std::make_unique<DvrConnection>(
            sinks, sinks, sinks, timings,
            [this](const Endpoint&) { return std::make_unique<FakeChannel>(script); });
    }
    ConnectionParams Params(uint16_t port = 9) const {
        ConnectionParams p;
        p.host = "127.0.0.1";
        p.port = port;  // 9: nothing listens, the leave posts fail fast
        p.user = "admin";
        p.password = "pw";
        return p;
    }
    void Connect() {
        Make();
        ASSERT_TRUE(connection->ConnectLive(Params()));
    }
    StreamReader& stream() { return connection->stream(); }
    bool WaitEnded() {
        return sinks.WaitFor([&] { return !stream().running(); });
    }
};

TEST_F(ConnectionTest, FailedOpenShowsDisconnectedAndPostsLost) {
    script.opens = {false};
    Connect();
    ASSERT_TRUE(WaitEnded());
    EXPECT_TRUE(stream().failed());
    EXPECT_EQ(sinks.Count("still", kAllChannels, static_cast<int>(CellPicture::Connecting)), 1);
    EXPECT_EQ(sinks.Count("still", kAllChannels, static_cast<int>(CellPicture::Disconnected)), 1);
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 1);
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
    EXPECT_TRUE(stream().failed());
    EXPECT_EQ(sinks.Count("post", Notification::Stream, 1), 1);
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 1);
}

// A reader asks for what it was started with: new parameters (or a new target) given while it
// runs are for the next start, never half-read by this one.
TEST_F(ConnectionTest, AReaderKeepsTheTargetAndAddressItStartedWith) {
    script.Push(Script::Kind::Data, Pictures(10, 2));
    script.Push(Script::Kind::End);
    script.Push(Script::Kind::Data, Pictures(20, 2));
    std::vector<std::string> hosts;
    std::mutex hostsMutex;
    connection =
        std::make_unique<DvrConnection>(sinks, sinks, sinks, timings, [&](const Endpoint& e) {
            std::lock_guard lock(hostsMutex);
            hosts.push_back(e.host);
            return std::make_unique<FakeChannel>(script);
        });
    ASSERT_TRUE(connection->ConnectLive(Params()));
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("picture") >= 1; }));
    ConnectionParams other = Params();
    other.host = "localhost";
    other.user = "someone";
    connection->SetParams(other);
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("picture") == 4; }));
    stream().Stop(true);
    stream().WaitStopped();
    // Opened twice (the stream ended once), both times as started.
    ASSERT_EQ(script.openCount(), 2);
    EXPECT_EQ(script.queries[1], script.queries[0]);
    EXPECT_EQ(script.queries[1], "MODE=0&ID=admin&PW=pw&VER=2000&CH=FFFF");
    std::lock_guard lock(hostsMutex);
    EXPECT_EQ(hosts, std::vector<std::string>{"127.0.0.1"});
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
    EXPECT_TRUE(stream().failed());
    EXPECT_EQ(stream().outcome().failure.status, NetStatus::TransportError);
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 1);
    EXPECT_EQ(sinks.Count("still", kAllChannels, static_cast<int>(CellPicture::Disconnected)), 1);
}

TEST_F(ConnectionTest, WatchdogPostsLostOnceAndTheStreamRecoversWithoutANewStart) {
    script.Push(Script::Kind::Data, Pictures(10, 2));
    Connect();
    // Four watchdog periods without data: one notice.
    script.WaitUntil([](const Script& s) { return s.timeouts >= 4; });
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 1);
    script.Push(Script::Kind::Data, Pictures(20, 2));
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("picture") == 4; }));
    EXPECT_TRUE(stream().running());
    EXPECT_FALSE(stream().failed());
    // The stream was announced once; coming back after the watchdog is no new stream.
    connection->stream().Stop(true);
    connection->stream().WaitStopped();
    EXPECT_EQ(sinks.Count("post", Notification::Stream, 1), 1);
}

TEST_F(ConnectionTest, PausedPlaybackKeepsTheWatchdogQuiet) {
    script.Push(Script::Kind::Data, Pictures(10, 2));
    Connect();
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("picture") == 2; }));
    stream().SetPaused(true);
    const int before = [&] {
        std::lock_guard lock(script.mutex);
        return script.timeouts;
    }();
    script.WaitUntil([&](const Script& s) { return s.timeouts >= before + 3; });
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 0);
}

TEST_F(ConnectionTest, StopReturnsWhileTheReaderIsStuckAndANewConnectWaitsForNothing) {
    script.Push(Script::Kind::Data, Pictures(10, 2));
    script.Push(Script::Kind::Hold);
    timings.watchdogMs = -1;
    Connect();
    script.WaitUntil([](const Script& s) { return s.holding; });
    // The reader is stuck in the network and deaf to cancelling: Stop does not wait for it.
    stream().Stop(false);
    EXPECT_FALSE(stream().running());
    EXPECT_EQ(sinks.Count("post", Notification::Stream, 0), 1);
    {
        std::lock_guard lock(script.mutex);
        EXPECT_TRUE(script.holding);
    }
    // A new connection starts while the old reader is still stuck.
    script.Push(Script::Kind::Data, Pictures(30, 2));
    ASSERT_TRUE(connection->ConnectLive(Params()));
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("picture") >= 3; }));
    EXPECT_TRUE(stream().running());
    script.Release();
    stream().Stop(true);
    stream().WaitStopped();
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 0);
}

TEST_F(ConnectionTest, TheFirstChunkThatEndsAPlaybackIsAnnouncedFirst) {
    auto bytes = Pictures(10, 2);
    const auto end = nettest::ResultPacket(kResultNoMoreVideo);
    bytes.insert(bytes.end(), end.begin(), end.end());
    script.Push(Script::Kind::Data, bytes);
    Make();
    connection->SetParams(Params());
    ASSERT_TRUE(connection->playback().PlayFile("/hdda/recs/x.umv"));
    ASSERT_TRUE(WaitEnded());
    stream().WaitStopped();
    const auto events = sinks.events();
    auto at = [&](Notification n, int parameter) {
        for (size_t i = 0; i < events.size(); ++i)
            if (events[i].what == "post" && events[i].a == static_cast<int>(n) &&
                events[i].b == parameter)
                return static_cast<int>(i);
        return -1;
    };
    const int started = at(Notification::Stream, static_cast<int>(StreamKind::FilePlayback));
    ASSERT_GE(started, 0);
    EXPECT_LT(started, at(Notification::PlaybackEnded, 0));
    EXPECT_TRUE(stream().outcome().ended);
}

TEST_F(ConnectionTest, LeavingASilentRecorderHoldsUpNothing) {
    // A recorder whose TCP port takes connections but never answers them.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(listener, 8), 0);
    socklen_t len = sizeof addr;
    getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);

    timings.watchdogMs = 60000;
    timings.leaveTimeoutMs = 150;
    script.Push(Script::Kind::Data, Pictures(10, 2));
    Make();
    ASSERT_TRUE(connection->ConnectLive(Params(ntohs(addr.sin_port))));
    ASSERT_TRUE(sinks.WaitFor([&] { return stream().connected(); }));
    // The leave posts wait for their whole time-out in the background; Stop is already back and
    // the stream is down.
    stream().Stop(true);
    EXPECT_FALSE(stream().running());
    EXPECT_FALSE(stream().connected());
    stream().WaitStopped();
    close(listener);
}

TEST_F(ConnectionTest, ResultPacketShowsItsMessageAndEndsTheStream) {
    script.Push(Script::Kind::Data, nettest::ResultPacket(2));
    Connect();
    ASSERT_TRUE(WaitEnded());
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"Password Miss Error!!"});
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 1);
    EXPECT_EQ(sinks.Count("post", Notification::Stream, 1), 0);  // it never started
    EXPECT_FALSE(stream().connected());
    const StreamOutcome outcome = stream().outcome();
    EXPECT_EQ(outcome.failure.status, NetStatus::Refused);
    EXPECT_EQ(outcome.failure.recorderCode, 2);
}

// A recorder that takes the post and never answers: the window gives up, and the post under way
// and the queued ones end at once, each reported as cancelled, in order.
TEST_F(ConnectionTest, CancelEndsThePostUnderWayAndTheQueuedOnes) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(listener, 8), 0);
    socklen_t len = sizeof addr;
    getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    timings.controlTimeoutMs = 600000;
    Make();
    connection->SetParams(Params(ntohs(addr.sin_port)));
    CommandSender& commands = connection->commands();
    std::mutex mutex;
    std::vector<std::pair<int, NetStatus>> reports;
    for (int i = 0; i < 3; ++i)
        commands.Control({.selector = kSelectUpgradeKernel, .path = "/x", .number = i},
                         [&, i](const CommandResult& r) {
                             std::lock_guard lock(mutex);
                             reports.emplace_back(i, r.net.status);
                         });
    const int first = accept(listener, nullptr, nullptr);  // the first post is under way
    commands.Cancel();
    commands.Drain();
    const std::vector<std::pair<int, NetStatus>> want = {
        {0, NetStatus::Cancelled}, {1, NetStatus::Cancelled}, {2, NetStatus::Cancelled}};
    EXPECT_EQ(reports, want);
    close(first);
    close(listener);
}

TEST_F(ConnectionTest, ControlsNeedAStream) {
    script.opens = {false};
    Connect();
    ASSERT_TRUE(WaitEnded());
    CommandSender& commands = connection->commands();
    const CommandResult control = Await([&](CommandDone done) {
        commands.Control({.selector = kSelectCamera, .req = "0S1"}, std::move(done));
    });
    EXPECT_EQ(control.net.status, NetStatus::NotConnected);
    const CommandResult query = Await([&](CommandDone done) {
        commands.Query(EventSearchBody({2008, 1, 1}, {2008, 1, 2}, 0, 0), true, std::move(done));
    });
    EXPECT_EQ(query.net.status, NetStatus::NotConnected);
    EXPECT_EQ(sinks.Messages(),
              (std::vector<std::string>{"Check Connection!!", "Check Connection!!"}));
    EXPECT_FALSE(
        Await([&](CommandDone done) { commands.ChannelMask(0xf, false, std::move(done)); }).ok());
}

}  // namespace
