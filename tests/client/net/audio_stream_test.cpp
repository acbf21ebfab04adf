#include "client/net/audio_stream.h"

#include <gtest/gtest.h>

#include "tests/client/net/fake_channel.h"
#include "tests/client/net/packets.h"
#include "tests/client/net/test_sinks.h"

namespace {

using namespace client;
using namespace std::chrono_literals;

std::vector<uint8_t> AudioPacket(int channel, uint32_t stamp) {
    return nettest::MediaPacket(
        testsupport::MakeRecord({.channel = channel, .kind = 3, .stamp = stamp}));
}

TEST(AudioRingTest, KeepsTheNewestThirtyBlocks) {
    AudioRing ring;
    std::vector<uint8_t> samples(media::kAudioPayloadSize, 1);
    for (uint32_t i = 0; i < 35; ++i)
        ring.Push(0, i, samples);
    EXPECT_EQ(ring.size(), AudioRing::kSlots);
    EXPECT_EQ(ring.dropped(), 5u);
    EXPECT_EQ(ring.Front()->stamp, 5u);
    ring.Pop();
    EXPECT_EQ(ring.Front()->stamp, 6u);
}

// A sink whose device can be made to refuse blocks.
class Device : public nettest::RecordingSinks {
  public:
    bool PlayBlock(int channel, uint32_t stamp, std::span<const uint8_t> alaw) override {
        if (!accept.load()) {
            Add({"refused", channel, 0, {}});
            return false;
        }
        stamps.push_back(stamp);
        return RecordingSinks::PlayBlock(channel, stamp, alaw);
    }
    void Pause() override { Add({"pause", 0, 0, {}}); }
    std::atomic<bool> accept{true};
    std::vector<uint32_t> stamps;  // written by the reader thread only
};

struct AudioTest : ::testing::Test {
    nettest::Script script;
    Device device;
    NetTimings timings = [] {
        NetTimings t;
        t.audioRetryPauseMs = 50;
        return t;
    }();
    StreamTarget target = [] {
        StreamTarget t;
        t.user = "admin";
        t.password = "pw";
        return t;
    }();
    std::unique_ptr<AudioStream> audio;

    void Start() {
        audio = std::make_unique<AudioStream>(
            Endpoint{"127.0.0.1", 80}, target, 4, device, timings,
            [this](const Endpoint&) { return std::make_unique<nettest::FakeChannel>(script); });
        ASSERT_TRUE(audio->Start());
    }
};

TEST_F(AudioTest, TinyChunksStillMakeBlocks) {
    const auto p = AudioPacket(2, 777);
    for (size_t at = 0; at < p.size(); at += 3)  // every chunk of 4 bytes or fewer
        script.Push(nettest::Script::Kind::Data,
                    std::vector<uint8_t>(p.begin() + at, p.begin() + std::min(at + 3, p.size())));
    Start();
    ASSERT_TRUE(device.WaitFor([&] { return device.Count("block", 2) == 1; }, 3s));
    audio->Stop();
    EXPECT_EQ(device.stamps, std::vector<uint32_t>{777});
    EXPECT_EQ(audio->channel(), 2);
    EXPECT_EQ(audio->clock(), 777u);
    EXPECT_EQ(script.queries.at(0), "MODE=1&ID=admin&PW=pw&VER=2000&CH=FFFF&CID=104");
    EXPECT_EQ(device.Count("audio-stopped"), 1);
}

TEST_F(AudioTest, BlocksWaitInTheRingWhileTheDeviceIsBusy) {
    device.accept = false;
    for (uint32_t i = 0; i < 3; ++i)
        script.Push(nettest::Script::Kind::Data, AudioPacket(0, i));
    Start();
    ASSERT_TRUE(device.WaitFor([&] { return device.Count("refused") == 3; }));
    device.accept = true;
    script.Push(nettest::Script::Kind::Data, AudioPacket(0, 3));
    ASSERT_TRUE(device.WaitFor([&] { return device.Count("block") == 4; }, 3s));
    audio->Stop();
    EXPECT_EQ(device.stamps, (std::vector<uint32_t>{0, 1, 2, 3}));
}

TEST_F(AudioTest, ShortAndForeignRecordsAreNotPlayed) {
    std::vector<uint8_t> shortAudio = testsupport::MakeRecord({.kind = 3, .stamp = 1});
    shortAudio.resize(1000);
    script.Push(nettest::Script::Kind::Data, nettest::MediaPacket(shortAudio));
    script.Push(nettest::Script::Kind::Data, nettest::MediaPacket(nettest::Video(0, 0, 2)));
    script.Push(nettest::Script::Kind::Data, AudioPacket(1, 3));
    Start();
    ASSERT_TRUE(device.WaitFor([&] { return device.Count("block") == 1; }, 3s));
    audio->Stop();
    EXPECT_EQ(device.stamps, std::vector<uint32_t>{3});
}

TEST_F(AudioTest, ResultPacketClosesAndRetriesAfterThePause) {
    script.Push(nettest::Script::Kind::Data, nettest::ResultPacket(4));
    script.Push(nettest::Script::Kind::Data, AudioPacket(0, 9));
    Start();
    ASSERT_TRUE(device.WaitFor([&] { return device.Count("block") == 1; }, 3s));
    EXPECT_EQ(script.openCount(), 2);
    audio->Stop();
}

TEST_F(AudioTest, MutedChannelPausesTheDevice) {
    Start();
    audio->SetMuted(true);
    script.Push(nettest::Script::Kind::Data, AudioPacket(0, 1));
    ASSERT_TRUE(device.WaitFor([&] { return device.Count("pause") >= 1; }));
    audio->Stop();
    EXPECT_EQ(device.Count("block"), 0);
    EXPECT_EQ(audio->blocks(), 1u);
}

TEST_F(AudioTest, StopIsPromptWhileTheReaderWaits) {
    timings.audioRetryPauseMs = 60000;
    script.opens = {false, false, false};  // the reader sleeps out its long pause
    Start();
    script.WaitUntil([](const nettest::Script& s) { return s.queries.size() == 3; });
    // Only a wake-up ends the pause early: a Stop that waited for it would take a minute.
    const auto t0 = std::chrono::steady_clock::now();
    audio->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 30s);
}

}  // namespace
