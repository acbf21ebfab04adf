// The player's sound path end to end: the engine plays the sample recording with the sound on
// through the SDL device, whose disk driver writes what a sound card would play into a file.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "media/recording_file.h"
#include "output/alaw.h"
#include "output/audio_out.h"
#include "player/player_strings.h"
#include "player/qt/player_audio.h"
#include "tests/output/system_leaks.h"
#include "tests/player/engine_test_support.h"

namespace {

constexpr char kSample[] =
    DVR_SOURCE_DIR "/samples/d1_4ch/Lobby_20260314_095952/20260314_095952.idx";

class PlayerSound : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);  // the device plays much faster than real time
    }
    void TearDown() override { unsetenv("SDL_AUDIODRIVER"); }

    // What the device played. The driver writes silence while nothing is queued; A-law never
    // expands to 0, so zeros are never recorded samples.
    std::vector<int16_t> Played() const {
        std::ifstream in(file_, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        std::vector<int16_t> samples(bytes.size() / 2);
        if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        std::erase(samples, int16_t{0});
        return samples;
    }

    testsupport::TempDir dir_;
    std::string file_ = dir_ / "device.raw";
};

// Every audio record of the sample, expanded.
std::vector<int16_t> ExpandedRecording(size_t* blocks) {
    media::RecordingFile recording;
    EXPECT_EQ(recording.Open(kSample), media::OpenError::kNone);
    *blocks = recording.index().audioCount();
    std::vector<int16_t> pcm(*blocks * output::kAlawBlockSize);
    std::vector<uint8_t> alaw(output::kAlawBlockSize);
    for (size_t j = 0; j < *blocks; ++j) {
        EXPECT_GE(recording.ReadAudio(j, alaw.data()), 0);
        output::ExpandAlaw(alaw.data(), pcm.data() + j * output::kAlawBlockSize,
                           output::kAlawBlockSize);
    }
    return pcm;
}

TEST_F(PlayerSound, TheRecordedBlocksReachTheDeviceExpandedAndInOrder) {
    size_t blocks = 0;
    const std::vector<int16_t> expected = ExpandedRecording(&blocks);
    ASSERT_GT(blocks, 8u);

    player::SteadyClock clock;
    player::PeriodicTicker ticks;
    playertest::RecordingOutput out(clock);
    player::qt::PlayerAudio audio;
    player::PlaybackEngine engine(out, clock, &ticks, &audio);
    engine.SetSound(true);
    ASSERT_EQ(engine.Open(kSample), 0);
    // The device plays far faster than the pictures: wait until it has played every block
    // (the deadline only guards against a hang).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::vector<int16_t> played;
    while ((played = Played()).size() < expected.size() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    engine.Stop();
    played = Played();
    ASSERT_EQ(played.size(), expected.size()) << "every block once, from the first";
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], expected[i]) << "sample " << i << " of block " << i / 2048;
    EXPECT_TRUE(out.messages.empty());
}

TEST_F(PlayerSound, ADeviceThatCannotPlaySaysSoWhenTheSoundIsAskedFor) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    player::SteadyClock clock;
    player::PeriodicTicker ticks;
    playertest::RecordingOutput out(clock);
    player::qt::PlayerAudio audio;
    player::PlaybackEngine engine(out, clock, &ticks, &audio);
    engine.SetSound(true);
    ASSERT_EQ(engine.Open(kSample), 0);
    {
        // The sound opens with the play loop's first pass, which shows the first picture.
        std::unique_lock lock(out.mutex);
        out.changed.wait(lock, [&] { return out.shown.size() >= 2; });
    }
    EXPECT_TRUE(out.messages.empty()) << "no message while opening";
    engine.SetSound(false);
    engine.SetSound(true);
    engine.Stop();
    EXPECT_EQ(out.messages, std::vector<int>{player::kTextAudioFailed});
}

}  // namespace
