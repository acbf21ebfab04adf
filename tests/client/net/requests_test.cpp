#include "client/net/requests.h"

#include <gtest/gtest.h>

#include "client/net/camera_control.h"
#include "client/net/channel_info.h"
#include "client/net/client_strings.h"
#include "client/net/message_table.h"

namespace {

using namespace client;

StreamTarget Target(StreamKind kind) {
    StreamTarget t;
    t.kind = kind;
    t.user = "admin";
    t.password = "1234";
    return t;
}

TEST(StreamQueries, EveryKindWithItsExactParameters) {
    EXPECT_EQ(StreamQuery(Target(StreamKind::Live)), "MODE=0&ID=admin&PW=1234&VER=2000&CH=FFFF");
    StreamTarget file = Target(StreamKind::FilePlayback);
    file.fileName = "/hdda/rec/080115_093000_01.umv";
    EXPECT_EQ(StreamQuery(file),
              "MODE=2&FILENAME=/hdda/rec/080115_093000_01.umv&ID=admin&PW=1234&VER=2000&CH=FFFF");
    StreamTarget time = Target(StreamKind::TimePlayback);
    time.startText = "2008/01/15-09:30:00";
    EXPECT_EQ(StreamQuery(time),
              "MODE=2&STARTTIME=2008/01/15-09:30:00&ID=admin&PW=1234&VER=2000&CH=FFFF");
    StreamTarget backup = Target(StreamKind::BackupDownload);
    backup.startText = BackupTimeText({2008, 1, 15, 8, 0, 0});
    backup.endText = BackupTimeText({2008, 1, 15, 9, 30, 0});
    backup.backupMask = (1u << 0) | (1u << 4);  // channels 1 and 5
    EXPECT_EQ(StreamQuery(backup),
              "MODE=2&STARTTIME=080115080000&ENDTIME=080115093000&ID=admin"
              "&PW=1234&VER=2000&CH=11");
    backup.backupMask = 0xABCD;
    EXPECT_NE(StreamQuery(backup).find("&CH=abcd"), std::string::npos);
}

TEST(StreamQueries, AudioFollowsTheVideoKind) {
    EXPECT_EQ(AudioQuery(Target(StreamKind::Live), 7),
              "MODE=1&ID=admin&PW=1234&VER=2000&CH=FFFF&CID=107");
    EXPECT_EQ(AudioQuery(Target(StreamKind::TimePlayback), 0),
              "MODE=3&ID=admin&PW=1234&VER=2000&CH=FFFF&CID=100");
}

TEST(StreamQueries, TextsTravelUnescapedExceptWhatBreaksARequestLine) {
    StreamTarget t = Target(StreamKind::Live);
    t.password = "a&b=c/%?x";
    EXPECT_EQ(StreamQuery(t), "MODE=0&ID=admin&PW=a&b=c/%?x&VER=2000&CH=FFFF");
    t.password = "my pw\r\n#\x7f\xc3\xa9";
    EXPECT_EQ(StreamQuery(t), "MODE=0&ID=admin&PW=my%20pw%0D%0A%23%7F%C3%A9&VER=2000&CH=FFFF");
}

TEST(ControlBodies, EverySelector) {
    const ClientId id = 3;
    EXPECT_EQ(ControlBody(kSelectPlaybackLeave, id, {}), "MODE=5&CID=3&OP=5");
    EXPECT_EQ(ControlBody(kSelectAudioLeave, id, {}), "MODE=5&CID=103&OP=14");
    EXPECT_EQ(ControlBody(kSelectDvrRecord, id, {}), "MODE=5&CID=3&OP=11");
    EXPECT_EQ(ControlBody(kSelectCamera, id, {.req = "0S3", .channel = 2}),
              "MODE=5&CID=3&OP=7&CH=2&LEN=1&REQ=0S3");
    EXPECT_EQ(ControlBody(kSelectPlayback, id, {.req = "4"}), "MODE=5&CID=3&OP=8&LEN=1&REQ=4");
    EXPECT_EQ(ControlBody(kSelectAudioMask, id, {.channel = 0xf}),
              "MODE=5&CID=103&OP=3&CH=f&LEN=1&REQ=");
    EXPECT_EQ(ControlBody(kSelectVideoMask, id, {.channel = 0xffff}),
              "MODE=5&CID=3&OP=3&CH=ffff&LEN=1&REQ=");
    EXPECT_EQ(ControlBody(kSelectUpgradeKernel, id,
                          {.path = "/hdda/upgrade/kernel/img", .number = 3000000}),
              "MODE=5&OP=13&LEN=32&REQ=/hdda/upgrade/kernel/img|3000000");
    EXPECT_EQ(ControlBody(kSelectUpgradeRamdisk, id, {.path = "/r", .number = 5}),
              "MODE=5&OP=12&LEN=4&REQ=/r|5");
    EXPECT_EQ(ControlBody(99, id, {}), "");
    EXPECT_FALSE(ControlNeedsStream(kSelectUpgradeKernel));
    EXPECT_TRUE(ControlNeedsStream(kSelectCamera));
}

TEST(QueryBodies, EventSearchAndCalendar) {
    EXPECT_EQ(EventSearchBody({2008, 1, 15, 8, 0, 0}, {2008, 1, 15, 9, 30, 0}, 3, 1),
              "MODE=4&STARTTIME=080115080000&ENDTIME=080115093000&CH=3&EVENT=1");
    EXPECT_EQ(CalendarBody(), "MODE=7");
}

TEST(MessageTableTest, ResultCodesAndOwnMessages) {
    MessageTable t;
    EXPECT_EQ(ClientText(t.IdForResult(1)), "User Unknown Error!!");
    EXPECT_EQ(ClientText(t.IdForResult(4)), "Client Limit Error!!");
    EXPECT_EQ(ClientText(t.IdForResult(10)), "No More Video!!");
    EXPECT_EQ(ClientText(t.IdForResult(13)), "This model can not be supported.");
    EXPECT_EQ(ClientText(t.IdForResult(0)), "ETC Error!!");
    EXPECT_EQ(ClientText(t.IdForResult(14)), "ETC Error!!");
    EXPECT_EQ(ClientText(t.IdForResult(255)), "ETC Error!!");
    EXPECT_EQ(t.Text(MessageTable::kCheckConnection), "Check Connection!!");
    EXPECT_EQ(t.Text(MessageTable::kBeginThreadFailed), "Begin Thread failed..!!");
}

TEST(ChannelInfoTest, NamesStayWithinTheirThirteenBytes) {
    ChannelInfo info;
    EXPECT_EQ(info.channelCount(), 16);
    std::vector<uint8_t> p(210, 0);
    p[0] = 16;
    for (int c = 0; c < 16; ++c)
        std::snprintf(reinterpret_cast<char*>(&p[2 + 13 * c]), 13, "Cam%d", c + 1);
    ASSERT_TRUE(info.Set(p));
    // Eight names of exactly 13 bytes with no terminating zero.
    std::vector<uint8_t> eight(106, 'N');
    eight[0] = 8;
    ASSERT_TRUE(info.Set(eight));
    EXPECT_EQ(info.channelCount(), 8);
    EXPECT_EQ(info.Name(0), "NNNNNNNNNNNNN");
    EXPECT_EQ(info.Name(7), "NNNNNNNNNNNNN");
    EXPECT_EQ(info.Name(8), "Cam9");  // left as it was
    EXPECT_EQ(info.Name(15), "Cam16");
    EXPECT_EQ(info.Name(16), "");
    EXPECT_FALSE(info.Set(std::vector<uint8_t>(80, 0)));
}

TEST(CameraReqs, Texts) {
    EXPECT_EQ(CameraMoveReq(6, 3), "6S3");
    EXPECT_EQ(CameraStopReq(), "8");
    EXPECT_EQ(PresetSetReq(12), "9S12");
    EXPECT_EQ(PresetGotoReq(12), "9G12");
    bool first4[16] = {true, true, true, true};
    EXPECT_EQ(ChannelMask(first4), 0xfu);
    bool all[16];
    std::fill(std::begin(all), std::end(all), true);
    EXPECT_EQ(ChannelMask(all), 0xffffu);
}

// The sends complete when the test says so (as the command sender's would, later, on its thread),
// with the outcome the test scripts.
struct HoldTest : ::testing::Test {
    using Clock = CameraHold::Clock;
    std::vector<std::pair<int, std::string>> sent;
    std::vector<CameraHold::SendDone> pending;
    bool autoComplete = true;
    bool ok = true;
    int speed = 3;
    int channel = 2;
    std::vector<int> stopFailures;
    CameraHold hold{[this](int ch, const std::string& req, CameraHold::SendDone done) {
                        sent.emplace_back(ch, req);
                        if (autoComplete)
                            done(ok);
                        else
                            pending.push_back(std::move(done));
                    },
                    [this] { return speed; }, [this] { return channel; },
                    [this](int ch) { stopFailures.push_back(ch); }};
    Clock::time_point t0 = Clock::now();
};

TEST_F(HoldTest, RepeatsEvery250MsWithTheSpeedReadAnewAndStopsOnRelease) {
    hold.Press(6, t0);  // "Top" at "Very Fast" on channel 3
    hold.Poll(t0 + std::chrono::milliseconds(249));
    hold.Poll(t0 + std::chrono::milliseconds(250));
    speed = 0;
    hold.Poll(t0 + std::chrono::milliseconds(400));
    hold.Poll(t0 + std::chrono::milliseconds(500));
    hold.Release();
    hold.Poll(t0 + std::chrono::milliseconds(1000));
    const std::vector<std::pair<int, std::string>> want = {
        {2, "6S3"}, {2, "6S3"}, {2, "6S0"}, {2, "8"}};
    EXPECT_EQ(sent, want);
    EXPECT_FALSE(hold.held());
    EXPECT_TRUE(stopFailures.empty());
}

// The camera must never be left moving: failed moves do not cancel the stop.
TEST_F(HoldTest, ReleaseStopsTheCameraWhateverThePressAndRepeatsDid) {
    ok = false;
    hold.Press(5, t0);
    EXPECT_TRUE(hold.held());
    hold.Poll(t0 + std::chrono::milliseconds(250));
    ok = true;
    hold.Release();
    EXPECT_EQ(sent.back(), (std::pair<int, std::string>{2, "8"}));
    EXPECT_EQ(sent.size(), 3u);
    hold.Release();  // nothing held any more: nothing more goes out
    EXPECT_EQ(sent.size(), 3u);
}

TEST_F(HoldTest, AFailedStopIsTriedOnceMoreThenReported) {
    hold.Press(1, t0);
    ok = false;
    channel = 4;
    hold.Release();
    const std::vector<std::pair<int, std::string>> want = {{2, "1S3"}, {4, "8"}, {4, "8"}};
    EXPECT_EQ(sent, want);
    EXPECT_EQ(stopFailures, std::vector<int>{4});
}

TEST_F(HoldTest, ASlowRecorderGetsNoBacklogOfMoves) {
    autoComplete = false;
    hold.Press(2, t0);
    hold.Poll(t0 + std::chrono::milliseconds(250));  // the press is still under way: skipped
    hold.Poll(t0 + std::chrono::milliseconds(500));
    EXPECT_EQ(sent.size(), 1u);
    pending.front()(true);
    hold.Poll(t0 + std::chrono::milliseconds(750));
    EXPECT_EQ(sent.size(), 2u);
    hold.Release();  // the stop goes out even while a move is under way
    EXPECT_EQ(sent.back().second, "8");
    auto done = std::move(pending);
    for (auto& d : done)
        d(true);
}

TEST_F(HoldTest, SecondPressWhileHeldIsIgnored) {
    hold.Press(4, t0);
    hold.Press(5, t0);
    EXPECT_EQ(hold.heldButton(), 4);
    EXPECT_EQ(sent.size(), 1u);
}

}  // namespace
