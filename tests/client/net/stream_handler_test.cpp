#include "client/net/stream_handler.h"

#include <gtest/gtest.h>

#include "client/net/client_strings.h"
#include "tests/client/net/packets.h"
#include "tests/client/net/test_sinks.h"

namespace {

using namespace client;
using nettest::Video;

struct HandlerTest : ::testing::Test {
    nettest::RecordingSinks sinks;
    nettest::CountingHooks hooks;
    MessageTable messages;
    std::atomic<bool> stop{false};
    StreamHandler handler{sinks, sinks, hooks, messages, stop};

    void SetUp() override { handler.Reset(StreamKind::Live); }

    ScanVerdict Send(testsupport::RecordSpec fields, uint16_t videoLoss = 0) {
        std::vector<uint8_t> r = testsupport::MakeRecord(fields);
        r[18] = static_cast<uint8_t>(videoLoss >> 8);
        r[19] = static_cast<uint8_t>(videoLoss);
        return handler.OnMedia(4, r);
    }
    static testsupport::RecordSpec Fields(int channel, int kind, uint8_t flags = 0) {
        testsupport::RecordSpec s;
        s.channel = channel;
        s.kind = kind;
        s.flags = flags;
        return s;
    }
};

TEST_F(HandlerTest, PicturesWaitForTheFirstIntraOfTheirChannel) {
    std::vector<uint8_t> names = nettest::ChannelInfoPayload(4, {"Door", "Gate"});
    handler.OnChannelInfo(4, names);
    Send(Fields(1, 1));
    Send(Fields(1, 2));
    EXPECT_EQ(sinks.Count("picture"), 0);
    Send(Fields(1, 0));
    Send(Fields(1, 2));
    Send(Fields(0, 1));  // channel 1 has not started yet
    EXPECT_EQ(sinks.Count("picture", 1), 2);
    EXPECT_EQ(sinks.Count("picture", 0), 0);
    EXPECT_EQ(sinks.Count("title", 1), 1);
    EXPECT_EQ(sinks.events()[0].what, "info");
    EXPECT_EQ(handler.clientId(), 4);
    for (const auto& e : sinks.events())
        if (e.what == "title") {
            EXPECT_EQ(e.text, "Gate");
        }
}

TEST_F(HandlerTest, BadRecordsAreLeftAlone) {
    testsupport::RecordSpec wrongSync = Fields(0, 0);
    wrongSync.sync = 0x00;
    EXPECT_EQ(Send(wrongSync), ScanVerdict::Continue);
    std::vector<uint8_t> shortRecord(10, 0xFF);
    EXPECT_EQ(handler.OnMedia(1, shortRecord), ScanVerdict::Continue);
    EXPECT_EQ(Send(Fields(16, 0)), ScanVerdict::Continue);  // channel 16: stepped over
    std::vector<uint8_t> torn = Video(2, 0, 1, 10);
    torn.resize(torn.size() - 32);  // the header promises more than the packet holds
    EXPECT_EQ(handler.OnMedia(1, torn), ScanVerdict::Continue);
    EXPECT_EQ(Send(Fields(0, 3)), ScanVerdict::Continue);  // audio on the video stream
    EXPECT_EQ(sinks.Count("picture"), 0);
    EXPECT_EQ(handler.stats().ignored, 4u);
    EXPECT_TRUE(sinks.Messages().empty());
}

TEST_F(HandlerTest, ModelTwoIsNotSupported) {
    testsupport::RecordSpec s = Fields(0, 0);
    s.model = 2;
    EXPECT_EQ(Send(s), ScanVerdict::Stop);
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"This model can not be supported."});
}

TEST_F(HandlerTest, MarksChangeAndArePosted) {
    Send(Fields(2, 0));
    Send(Fields(2, 1, media::kFlagMotion));
    Send(Fields(2, 1, media::kFlagMotion));
    Send(Fields(2, 1, media::kFlagSensor | media::kFlagLiveState));
    EXPECT_EQ(sinks.Count("post", Notification::Motion, 1), 1);
    EXPECT_EQ(sinks.Count("post", Notification::Motion, 0), 1);
    EXPECT_EQ(sinks.Count("post", Notification::Sensor, 1), 1);
    EXPECT_EQ(sinks.Count("mark", 2, static_cast<int>(CellMark::LiveState) * 2 + 1), 1);
}

TEST_F(HandlerTest, AudioStartsWithTheFirstAudioBitAndEndsWhenNoChannelHasIt) {
    Send(Fields(0, 0));
    Send(Fields(3, 0, media::kFlagHasAudio));
    Send(Fields(3, 1, media::kFlagHasAudio));
    EXPECT_EQ(hooks.audioStarts, 1);
    EXPECT_EQ(hooks.audioChannel, 3);
    Send(Fields(3, 1));
    EXPECT_EQ(hooks.audioStops, 1);
    EXPECT_EQ(sinks.Count("post", Notification::AudioEnded), 1);
}

TEST_F(HandlerTest, NoVideoShowsItsPictureOnceAndAllLostStopsRecording) {
    hooks.recording = true;
    Send(Fields(5, 0), 1u << 5);
    Send(Fields(5, 1), 1u << 5);
    EXPECT_EQ(sinks.Count("still", 5, static_cast<int>(CellPicture::NoVideo)), 1);
    EXPECT_EQ(sinks.Count("picture"), 0);
    for (int c = 0; c < 16; ++c)
        Send(Fields(c, 0), 0xFFFF);
    EXPECT_EQ(sinks.Count("post", Notification::StopRecording), 1);  // once, not per record
    Send(Fields(5, 0));
    EXPECT_EQ(sinks.Count("post", Notification::VideoBack), 1);
    EXPECT_EQ(sinks.Count("picture", 5), 1);
    EXPECT_EQ(hooks.recorded, 1);
}

TEST_F(HandlerTest, EveryChannelLostCountsTheRecordersChannels) {
    hooks.recording = true;
    const auto info = nettest::ChannelInfoPayload(4, {"A", "B", "C", "D"});
    ASSERT_EQ(handler.OnChannelInfo(4, info), ScanVerdict::Continue);
    for (int c = 0; c < 4; ++c)
        Send(Fields(c, 0), 0x000F);
    EXPECT_EQ(sinks.Count("post", Notification::StopRecording), 1);
    Send(Fields(2, 0));
    EXPECT_EQ(sinks.Count("post", Notification::VideoBack), 1);
}

// Wrapped hooks that note when the stream was announced as started, against the handler's own
// reports.
struct StartHooks : nettest::CountingHooks {
    explicit StartHooks(nettest::RecordingSinks& s) : sinks(s) {}
    void StreamStarted() override { startedAfter = static_cast<int>(sinks.events().size()); }
    nettest::RecordingSinks& sinks;
    int startedAfter = -1;
};

TEST_F(HandlerTest, TheEndOfARecordedStreamIsAnnouncedBeforeItIsHandled) {
    StartHooks start(sinks);
    StreamHandler h(sinks, sinks, start, messages, stop);
    h.Reset(StreamKind::FilePlayback);
    // A refusal is no start.
    EXPECT_EQ(h.OnResult(1, 2), ScanVerdict::Stop);
    EXPECT_EQ(start.startedAfter, -1);
    sinks.Clear();
    h.Reset(StreamKind::FilePlayback);
    // The end of the stream asks for the announcement before the end is handled.
    EXPECT_EQ(h.OnResult(1, 10), ScanVerdict::Continue);
    EXPECT_EQ(start.startedAfter, 0);
    EXPECT_EQ(sinks.Count("post", Notification::PlaybackEnded), 1);
}

TEST_F(HandlerTest, LiveTimeNeverGoesBack) {
    testsupport::RecordSpec s = Fields(0, 0);
    s.minute = 5;
    Send(s);
    s.minute = 4;
    s.channel = 1;
    Send(s);
    s.minute = 6;
    s.channel = 2;
    Send(s);
    std::vector<std::string> times;
    for (const auto& e : sinks.events())
        if (e.what == "time") times.push_back(e.text);
    EXPECT_EQ(times, (std::vector<std::string>{"2008-06-01 10:05:00", "2008-06-01 10:06:00"}));
}

TEST_F(HandlerTest, PlaybackStateChangesArePostedInTimePlayback) {
    handler.Reset(StreamKind::TimePlayback);
    testsupport::RecordSpec s = Fields(0, 0);
    std::vector<uint8_t> r = testsupport::MakeRecord(s);
    r[15] = 2 << 3;
    handler.OnMedia(1, r);
    handler.OnMedia(1, r);
    r[15] = 17 << 3;
    handler.OnMedia(1, r);
    EXPECT_EQ(sinks.Count("post", Notification::PlaybackState, 2), 1);
    EXPECT_EQ(sinks.Count("post", Notification::PlaybackState, 17), 1);
}

TEST_F(HandlerTest, ResultCodesShowTheirMessages) {
    EXPECT_EQ(handler.OnResult(1, 1), ScanVerdict::Stop);
    EXPECT_EQ(handler.OnResult(1, 0), ScanVerdict::Stop);
    EXPECT_EQ(handler.OnResult(1, 200), ScanVerdict::Stop);
    EXPECT_EQ(handler.OnResult(1, 10), ScanVerdict::Stop);  // live: an error like any other
    EXPECT_EQ(sinks.Messages(), (std::vector<std::string>{"User Unknown Error!!", "ETC Error!!",
                                                          "ETC Error!!", "No More Video!!"}));
    EXPECT_EQ(hooks.leaves, 0);
    EXPECT_FALSE(stop.load());
}

TEST_F(HandlerTest, NoMoreVideoEndsAPlaybackCleanly) {
    handler.Reset(StreamKind::FilePlayback);
    hooks.recording = true;
    EXPECT_EQ(handler.OnResult(1, 10), ScanVerdict::Continue);
    EXPECT_TRUE(stop.load());
    EXPECT_TRUE(handler.ended());
    EXPECT_EQ(hooks.leaves, 1);
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"No More Video!!"});
    EXPECT_EQ(sinks.Count("post", Notification::PlaybackEnded), 1);
    EXPECT_EQ(sinks.Count("post", Notification::StopRecording), 1);

    stop = false;
    sinks.Clear();
    handler.Reset(StreamKind::BackupDownload);
    EXPECT_EQ(handler.OnResult(1, 10), ScanVerdict::Continue);
    EXPECT_TRUE(sinks.Messages().empty());

    sinks.Clear();
    handler.Reset(StreamKind::TimePlayback);
    hooks.recording = false;
    handler.OnResult(1, 10);
    EXPECT_EQ(sinks.Count("post", Notification::CalendarSearch), 1);
    EXPECT_EQ(sinks.Count("post", Notification::StopRecording), 0);
}

}  // namespace
