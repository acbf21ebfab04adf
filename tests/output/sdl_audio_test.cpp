// The SDL2 backend against SDL's disk driver, which writes what a sound card would play into a
// file: every sample of every block must arrive once, in order, at the volume it was queued
// with, across a volume change and a pause.
#include "output/sdl_audio_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "output/audio_out.h"
#include "tests/output/audio_test_blocks.h"
#include "tests/output/system_leaks.h"
#include "tests/support/temp_dir.h"

namespace output {
namespace {

using testsupport::AudioBlock;

// Polls a condition that the device's own thread makes true; the deadline only guards against
// a hang.
template <class Condition>
bool WaitFor(Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class SdlDiskAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);  // play much faster than real time
    }
    std::vector<int16_t> Played() const {
        std::ifstream in(file_, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        // The driver writes silence while the queue is empty or paused; A-law never expands
        // to 0, so zeros are never recorded samples.
        std::erase(samples, int16_t{0});
        return samples;
    }
    testsupport::TempDir dir_;
    std::string file_ = dir_ / "device.raw";
};

void AppendBlock(int n, uint16_t volume, std::vector<int16_t>* expected) {
    const auto block = AudioBlock(n);
    for (uint8_t b : block)
        expected->push_back(static_cast<int16_t>(int32_t{alaw_to_pcm(b)} * volume / 0xFFFF));
}

TEST_F(SdlDiskAudio, EveryBlockReachesTheDeviceOnceInOrder) {
    SdlAudioDevice device;
    AudioOut out(device);
    std::vector<int16_t> expected;
    auto push = [&](int n) {
        const auto block = AudioBlock(n);
        ASSERT_TRUE(WaitFor([&] { return out.PlayLive(block); })) << "block " << n;
    };
    for (int n = 0; n < 6; ++n) {
        push(n);
        AppendBlock(n, 0xFFFF, &expected);
    }
    ASSERT_TRUE(device.isOpen()) << "SDL's disk audio driver did not open";
    out.SetVolume(9);
    for (int n = 6; n < 12; ++n) {
        push(n);
        AppendBlock(n, 9 * 0x0F0F, &expected);
    }
    out.Pause();
    EXPECT_FALSE(out.isPlaying());
    for (int n = 12; n < 20; ++n) {
        push(n);  // the first block after the pause plays again
        AppendBlock(n, 9 * 0x0F0F, &expected);
    }
    ASSERT_TRUE(WaitFor([&] { return out.buffersInFlight() == 0; }));
    out.Close();

    const std::vector<int16_t> played = Played();
    ASSERT_EQ(played.size(), expected.size());
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], expected[i]) << "sample " << i << " of block " << i / 2048;
}

TEST_F(SdlDiskAudio, PlayerRingPlaysTheRecordingToItsEnd) {
    SdlAudioDevice device;
    AudioOut out(device);
    testsupport::NumberedSource source(21);
    ASSERT_TRUE(out.OpenPlayer(source));
    ASSERT_TRUE(WaitFor([&] { return source.next() == 21 && out.buffersInFlight() == 0; }));
    out.Close();
    std::vector<int16_t> expected;
    for (int n = 0; n < 21; ++n)
        AppendBlock(n, 0xFFFF, &expected);
    EXPECT_EQ(Played(), expected);
}

}  // namespace
}  // namespace output
