#include "output/audio_out.h"

#include <gtest/gtest.h>

#include "output/null_audio_device.h"
#include "tests/output/audio_test_blocks.h"

namespace output {
namespace {

using testsupport::AudioBlock;
using testsupport::NumberedSource;

TEST(AudioOutPlayer, RefillsOneBufferPerPlayedBlockUntilTheRecordingEnds) {
    NullAudioDevice device;
    AudioOut out(device);
    NumberedSource source(11);
    ASSERT_TRUE(out.OpenPlayer(source));
    EXPECT_EQ(source.resyncs, 1);  // aligned with the picture on screen first
    EXPECT_EQ(device.written(), 8u);
    EXPECT_EQ(out.buffersInFlight(), 8);
    EXPECT_EQ(out.nextBuffer(), 0);

    // Three played blocks: records 8, 9, 10 go into buffers 0, 1, 2.
    ASSERT_EQ(device.Pump(), 11u);  // the refills are played too, until nothing is left
    EXPECT_EQ(device.written(), 11u);
    EXPECT_EQ(source.next(), 11);
    EXPECT_EQ(out.nextBuffer(), 3);
    // At the end of the recording nothing more is written and the ring runs dry.
    EXPECT_EQ(out.buffersInFlight(), 0);
    EXPECT_EQ(device.Pump(), 0u);
}

TEST(AudioOutPlayer, ResyncStartsTheRingAgainFromTheCurrentPosition) {
    NullAudioDevice device;
    AudioOut out(device);
    NumberedSource source(100);
    ASSERT_TRUE(out.OpenPlayer(source));
    source.resyncTo = 40;
    out.Resync();
    // The next played block drops what the device still holds and fills all eight again.
    ASSERT_EQ(device.Pump(1), 1u);
    EXPECT_EQ(source.resyncs, 2);
    EXPECT_EQ(source.next(), 48);
    EXPECT_EQ(out.buffersInFlight(), 8);
    EXPECT_EQ(device.pending(), 8u);
    EXPECT_EQ(out.nextBuffer(), 0);
    // Then one record per played block again.
    ASSERT_EQ(device.Pump(1), 1u);
    EXPECT_EQ(source.next(), 49);
    EXPECT_EQ(out.nextBuffer(), 1);
}

TEST(AudioOutPlayer, AudioButtonPausesAndResumesFromThePicture) {
    NullAudioDevice device;
    AudioOut out(device);
    NumberedSource source(100);
    EXPECT_EQ(out.Toggle(), AudioToggle::kNotOpen);
    ASSERT_TRUE(out.OpenPlayer(source));
    EXPECT_EQ(out.Toggle(), AudioToggle::kPaused);
    EXPECT_FALSE(out.isPlaying());
    EXPECT_EQ(device.Pump(), 0u);  // a paused device plays nothing
    source.resyncTo = 30;
    EXPECT_EQ(out.Toggle(), AudioToggle::kResumed);
    EXPECT_TRUE(out.isPlaying());
    // What was queued before the pause is dropped; the ring holds records 30..37 now.
    EXPECT_EQ(source.resyncs, 2);
    EXPECT_EQ(source.next(), 38);
    EXPECT_EQ(out.buffersInFlight(), 8);
    EXPECT_EQ(device.pending(), 8u);
}

TEST(AudioOutPlayer, DeviceThatCannotOpenLeavesAudioOff) {
    NullAudioDevice device(false);
    AudioOut out(device);
    NumberedSource source(10);
    EXPECT_FALSE(out.OpenPlayer(source));
    EXPECT_TRUE(out.openFailed());
    EXPECT_FALSE(out.isOpen());
    EXPECT_EQ(out.Toggle(), AudioToggle::kNotOpen);
}

TEST(AudioOutVolume, EighteenStepsAcrossTheDeviceRange) {
    NullAudioDevice device;
    AudioOut out(device);
    out.SetVolume(17);
    EXPECT_EQ(out.deviceVolume(), 0xFFFFFFFFu);
    out.SetVolume(0);
    EXPECT_EQ(out.deviceVolume(), 0u);
    out.SetVolume(40);
    EXPECT_EQ(out.volumeLevel(), 17);
    out.SetVolume(-3);
    EXPECT_EQ(out.volumeLevel(), 0);
    out.SetVolume(9);
    NumberedSource source(1);
    ASSERT_TRUE(out.OpenPlayer(source));
    EXPECT_EQ(device.volume(), 9 * 0x0F0F);
    EXPECT_EQ(device.volume() / 3855, 9);
}

TEST(AudioOutLive, OpensWithTheSecondBlockAndNeverOverrunsTheRing) {
    NullAudioDevice device;
    AudioOut out(device);
    const auto block = AudioBlock(1);
    // The first block waits with the caller.
    EXPECT_FALSE(out.PlayLive(block));
    EXPECT_FALSE(device.isOpen());
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(out.PlayLive(block)) << i;
    EXPECT_TRUE(device.isOpen());
    // Eight buffers are playing: a ninth block must wait rather than overwrite one.
    EXPECT_FALSE(out.PlayLive(block));
    EXPECT_EQ(device.written(), 8u);
    ASSERT_EQ(device.Pump(), 8u);
    EXPECT_TRUE(out.PlayLive(block));
    EXPECT_EQ(out.nextBuffer(), 1);

    // A muted channel pauses; the next block plays again.
    out.Pause();
    EXPECT_FALSE(out.isPlaying());
    EXPECT_TRUE(out.PlayLive(block));
    EXPECT_TRUE(out.isPlaying());

    out.Close();
    EXPECT_FALSE(device.isOpen());
    EXPECT_FALSE(out.PlayLive(block));  // a new stream waits for its second block again
}

TEST(AudioOutLive, DeviceThatCannotOpenDropsTheBlocks) {
    NullAudioDevice device(false);
    AudioOut out(device);
    const auto block = AudioBlock(1);
    EXPECT_FALSE(out.PlayLive(block));
    EXPECT_TRUE(out.PlayLive(block));  // taken and dropped: audio is off
    EXPECT_TRUE(out.openFailed());
    EXPECT_TRUE(out.PlayLive(block));
    EXPECT_EQ(out.Toggle(), AudioToggle::kNotOpen);
}

}  // namespace
}  // namespace output
