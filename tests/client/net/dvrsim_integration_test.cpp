// The client against a simulated recorder over loopback.
#include <gtest/gtest.h>

#include "client/net/camera_control.h"
#include "client/net/client_strings.h"
#include "tests/client/net/packets.h"
#include "tests/client/net/sim_fixture.h"

namespace {

using namespace client;
using namespace std::chrono_literals;
using nettest::RecordingSinks;
using nettest::SimTest;

TEST_F(SimTest, LiveRecordsArriveInOrderAndByteIdentical) {
    dvrsim::Options o = SimOptions();
    o.titles = {"Front door", "ExactlyThirtn", "Yard"};
    StartSim(o);
    RecordingSinks sinks;
    auto c = Connect(sinks, Params());
    ASSERT_TRUE(WaitPictures(sinks, 3000));  // more than two laps of the recording
    StopAndWait(*c, false);
    EXPECT_EQ(sinks.Count("post", Notification::Stream, 1), 1);
    EXPECT_EQ(sinks.Count("post", Notification::Stream, 0), 1);
    EXPECT_EQ(sinks.Count("info", 16), 1);
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 0);
    EXPECT_EQ(c->stream().clientId(), 1);
    ExpectRecordsAsLogged(sinks);
    std::set<std::string> titles;
    for (const auto& e : sinks.events())
        if (e.what == "title") titles.insert(std::to_string(e.a) + ":" + e.text);
    EXPECT_TRUE(titles.count("0:Front door"));
    EXPECT_TRUE(titles.count("1:ExactlyThirtn"));  // 13 bytes, no terminating zero
    EXPECT_TRUE(titles.count("3:CAMERA 4"));
    // The client left the recorder.
    EXPECT_EQ(ControlLog(),
              (std::vector<std::string>{"MODE=5&CID=1&OP=5", "MODE=5&CID=101&OP=14"}));
}

TEST_F(SimTest, AConnectionClosedRightAfterItsStopStillLeavesTheRecorder) {
    StartSim(SimOptions());
    {
        RecordingSinks sinks;
        auto c = Connect(sinks, Params());
        ASSERT_TRUE(WaitPictures(sinks, 5));
        c->stream().Stop(true);  // and the window closes at once
    }
    EXPECT_EQ(ControlLog(),
              (std::vector<std::string>{"MODE=5&CID=1&OP=5", "MODE=5&CID=101&OP=14"}));
}

TEST_F(SimTest, LoginErrorsShowTheirMessages) {
    dvrsim::Options o = SimOptions();
    o.maxClients = 1;
    StartSim(o);
    struct Case {
        const char* user;
        const char* password;
        const char* message;
    };
    for (const Case& k : {Case{"root", "4321", "User Unknown Error!!"},
                          Case{"admin", "wrong", "Password Miss Error!!"},
                          Case{"user", "4321", "Password Miss Error!!"}}) {
        RecordingSinks sinks;
        auto c = Connect(sinks, Params(k.user, k.password));
        ASSERT_TRUE(sinks.WaitFor([&] { return !c->stream().running(); }));
        EXPECT_TRUE(c->stream().failed());
        EXPECT_EQ(sinks.Messages(), std::vector<std::string>{k.message}) << k.user;
        // A window tells a wrong password from an unreachable host by the outcome.
        EXPECT_EQ(c->stream().outcome().failure.status, NetStatus::Refused) << k.user;
        EXPECT_EQ(sinks.Count("post", Notification::Lost), 1);
        EXPECT_EQ(sinks.Count("still", kAllChannels, static_cast<int>(CellPicture::Disconnected)),
                  1);
    }
    RecordingSinks first, second;
    auto a = Connect(first, Params());
    ASSERT_TRUE(WaitPictures(first, 10));
    auto b = Connect(second, Params());
    ASSERT_TRUE(second.WaitFor([&] { return !b->stream().running(); }));
    EXPECT_EQ(second.Messages(), std::vector<std::string>{"Client Limit Error!!"});
    EXPECT_TRUE(a->stream().running());
}

TEST_F(SimTest, RecorderRefusesOtherProtocolVersions) {
    StartSim(SimOptions());
    auto channel = MakeCurlStreamChannel({"127.0.0.1", sim_.port()}, 5000);
    ASSERT_TRUE(channel->Open("MODE=0&ID=admin&PW=4321&VER=1999&CH=FFFF"));
    std::vector<uint8_t> body;
    uint8_t buf[64];
    while (channel->WaitForData(5000) == WaitResult::Data) {
        const size_t n = channel->Read(buf, sizeof buf);
        body.insert(body.end(), buf, buf + n);
    }
    EXPECT_EQ(body, nettest::ResultPacket(3, 0));
}

TEST_F(SimTest, DroppedConnectionReconnects) {
    dvrsim::Options o = SimOptions();
    o.faults.closeAfterBytes = 150000;
    StartSim(o);
    RecordingSinks sinks;
    auto c = Connect(sinks, Params());
    ASSERT_TRUE(WaitPictures(sinks, 1500));
    StopAndWait(*c);
    EXPECT_EQ(sim_.streamsServed(), 2);
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 0);
    EXPECT_FALSE(c->stream().failed());
    ExpectRecordsAsLogged(sinks);
}

TEST_F(SimTest, StallLongerThanTheWatchdogPostsLostAndRecovers) {
    dvrsim::Options o = SimOptions();
    o.faults.stallAfterBytes = 100000;
    o.faults.stallSeconds = 1.5;
    StartSim(o);
    RecordingSinks sinks;
    auto c = Connect(sinks, Params());
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("post", Notification::Lost) == 1; }, 5s));
    EXPECT_EQ(sinks.Count("still", kAllChannels, static_cast<int>(CellPicture::Disconnected)), 1);
    const int before = sinks.Count("picture");
    ASSERT_TRUE(WaitPictures(sinks, before + 500));
    EXPECT_TRUE(c->stream().running());
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 1);
    EXPECT_EQ(sinks.Count("post", Notification::Stream, 1), 1);  // a stall is no new stream
    StopAndWait(*c);
    ExpectRecordsAsLogged(sinks);
}

TEST_F(SimTest, AStopWhileTheRecorderStallsEndsTheReaderWellBeforeTheStall) {
    dvrsim::Options o = SimOptions();
    o.faults.stallAfterBytes = 60000;
    o.faults.stallSeconds = 600;  // far beyond the CTest time-out: only a cancel ends the read
    StartSim(o);
    RecordingSinks sinks;
    auto c = Connect(sinks, Params());
    ASSERT_TRUE(WaitPictures(sinks, 1));
    c->stream().Stop(false);
    EXPECT_FALSE(c->stream().running());
    c->stream().WaitStopped();  // the blocked read was cancelled
    EXPECT_EQ(sinks.Count("post", Notification::Stream, 0), 1);
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 0);
}

TEST_F(SimTest, AudioOpensASecondStream) {
    dvrsim::Options o = SimOptions("d1_4ch");
    o.speed = 8;
    StartSim(o);
    RecordingSinks sinks;
    auto c = Connect(sinks, Params());
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("block", 0) >= 4; }, 15s));
    EXPECT_EQ(sinks.Count("audio", 0), 1);
    EXPECT_EQ(c->stream().audioChannel(), 0);
    EXPECT_EQ(sim_.streamsServed(), 2);
    StopAndWait(*c);
    EXPECT_EQ(sinks.Count("audio-stopped"), 1);
    const auto controls = ControlLog();
    EXPECT_EQ(controls, (std::vector<std::string>{"MODE=5&CID=1&OP=5", "MODE=5&CID=101&OP=14"}));
    // Every audio block the client played came whole from the recorder.
    EXPECT_GE(nettest::LoggedRecords(dir_ / "records.log", 1).size(), 4u);
}

TEST_F(SimTest, DamagedPacketsCostOnlyThemselves) {
    dvrsim::Options o = SimOptions();
    o.faults.garbageBytes = 37;
    // Past the first Intra picture of every channel: a channel shows nothing before its first.
    o.faults.badEndAt = 20;
    o.faults.oversizedAt = 30;
    o.faults.badSyncAt = 40;
    StartSim(o);
    RecordingSinks sinks;
    auto c = Connect(sinks, Params());
    ASSERT_TRUE(WaitPictures(sinks, 800));
    StopAndWait(*c);
    EXPECT_EQ(sinks.Count("post", Notification::Lost), 0);
    ExpectRecordsAsLogged(sinks);  // the log leaves out the three damaged records
    EXPECT_EQ(c->stream().outcome().scan.damagedPackets, 1u);
    EXPECT_EQ(c->stream().outcome().scan.oversizedPackets, 1u);
    EXPECT_EQ(c->stream().outcome().handler.ignored, 1u);
}

TEST_F(SimTest, RecorderFaultsEndTheStreamWithTheirMessage) {
    struct Case {
        const char* name;
        std::function<void(dvrsim::Faults&)> set;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {"model 2",
         [](dvrsim::Faults& f) { f.model2At = 20; },
         {"This model can not be supported."}},
        {"result 6",
         [](dvrsim::Faults& f) { f.resultAt = 30, f.resultCode = 6; },
         {"No Video Data Error!!"}},
        {"result 10 live",
         [](dvrsim::Faults& f) { f.resultAt = 3, f.resultCode = 10; },
         {"No More Video!!"}},
        {"status 503", [](dvrsim::Faults& f) { f.httpStatus = 503; }, {}},
    };
    for (const Case& k : cases) {
        dvrsim::Server sim;
        dvrsim::Options o = SimOptions();
        o.recordLog.clear();
        o.controlLog.clear();
        k.set(o.faults);
        std::string error;
        ASSERT_TRUE(sim.Start(o, &error)) << error;
        RecordingSinks sinks;
        client::ConnectionParams p = Params();
        p.port = sim.port();
        auto c = Connect(sinks, p);
        ASSERT_TRUE(sinks.WaitFor([&] { return !c->stream().running(); })) << k.name;
        EXPECT_TRUE(c->stream().failed()) << k.name;
        EXPECT_EQ(sinks.Messages(), k.messages) << k.name;
        EXPECT_EQ(sinks.Count("post", Notification::Lost), 1) << k.name;
    }
}

TEST_F(SimTest, ControlsReachTheRecorderAsSent) {
    StartSim(SimOptions());
    RecordingSinks sinks;
    auto c = Connect(sinks, Params());
    ASSERT_TRUE(WaitPictures(sinks, 5));
    EXPECT_TRUE(
        Control(*c, {.selector = kSelectCamera, .req = CameraMoveReq(6, 3), .channel = 2}).ok());
    EXPECT_TRUE(Control(*c, {.selector = kSelectDvrRecord}).ok());
    EXPECT_TRUE(Await([&](CommandDone done) {
                    c->commands().ChannelMask(0xf, false, std::move(done));
                }).ok());
    const CommandResult q = Await(
        [&](CommandDone done) { c->commands().Query(CalendarBody(), false, std::move(done)); });
    EXPECT_TRUE(q.ok());
    StopAndWait(*c);
    EXPECT_EQ(ControlLog(), (std::vector<std::string>{
                                "MODE=5&CID=1&OP=7&CH=2&LEN=1&REQ=6S3",
                                "MODE=5&CID=1&OP=11",
                                "MODE=5&CID=101&OP=3&CH=f&LEN=1&REQ=",
                                "MODE=5&CID=1&OP=3&CH=f&LEN=1&REQ=",
                                "MODE=5&CID=1&OP=5",
                                "MODE=5&CID=101&OP=14",
                            }));
}

TEST_F(SimTest, AHeldCameraButtonEndsWithTheStopOnTheRecorder) {
    StartSim(SimOptions());
    RecordingSinks sinks;
    auto c = Connect(sinks, Params());
    ASSERT_TRUE(WaitPictures(sinks, 5));
    CommandSender& commands = c->commands();
    CameraHold hold([&](int channel, const std::string& req,
                        CameraHold::SendDone done) { commands.Camera(channel, req, done); },
                    [] { return 1; }, [] { return 3; });
    const auto t0 = CameraHold::Clock::now();
    hold.Press(0, t0);
    hold.Poll(t0 + CameraHold::kPeriod);
    hold.Release();
    commands.Drain();
    StopAndWait(*c);
    const auto log = ControlLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front(), "MODE=5&CID=1&OP=7&CH=3&LEN=1&REQ=0S1");
    EXPECT_NE(std::find(log.begin(), log.end(), "MODE=5&CID=1&OP=7&CH=3&LEN=1&REQ=8"), log.end());
}

TEST_F(SimTest, UnreachableRecorderFailsControlsAndStreams) {
    StartSim(SimOptions());
    const uint16_t port = sim_.port();
    sim_.Stop();
    RecordingSinks sinks;
    client::ConnectionParams p = Params();
    p.port = port;
    auto c = Connect(sinks, p);
    ASSERT_TRUE(sinks.WaitFor([&] { return !c->stream().running(); }));
    EXPECT_TRUE(c->stream().failed());
    EXPECT_EQ(c->stream().outcome().failure.status, NetStatus::Unreachable);
    // The upgrade controls go out without a stream; a refused connection says so.
    const CommandResult r = Control(
        *c, {.selector = kSelectUpgradeKernel, .path = "/hdda/upgrade/kernel/x", .number = 1});
    EXPECT_EQ(r.net.status, NetStatus::Unreachable);
}

}  // namespace
