#include "output/recording_audio_source.h"

#include <gtest/gtest.h>

#include <array>

#include "media/recording_file.h"
#include "output/null_audio_device.h"

namespace output {
namespace {

class RecordingAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(file_.Open(std::string(DVR_SOURCE_DIR) +
                             "/samples/d1_4ch/Lobby_20260314_095952/20260314_095952.idx"),
                  media::OpenError::kNone);
        ASSERT_GE(file_.index().audioCount(), 20u);
    }
    // The offset of the picture that lies just past audio record j.
    uint64_t PictureAfterAudio(size_t j) {
        const uint64_t audio = file_.index().audio()[j].offset;
        for (const media::FrameEntry& f : file_.index().frames())
            if (f.offset > audio) return f.offset;
        return UINT64_MAX;
    }
    media::RecordingFile file_;
};

TEST_F(RecordingAudio, ResyncFollowsThePictureBothWays) {
    RecordingAudioSource source(file_);
    std::array<uint8_t, kAlawBlockSize> block{};
    std::array<uint8_t, kAlawBlockSize> expected{};

    source.SetVideoOffset(PictureAfterAudio(15));
    source.Resync();
    EXPECT_EQ(source.position(), 16u);
    ASSERT_TRUE(source.Next(block.data()));
    ASSERT_GE(file_.ReadAudio(16, expected.data()), 0);
    EXPECT_EQ(block, expected);

    // A jump back: the sound goes back with the picture.
    source.SetVideoOffset(PictureAfterAudio(3));
    source.Resync();
    EXPECT_EQ(source.position(), 4u);
}

TEST_F(RecordingAudio, PlayerRingStopsAtTheLastRecord) {
    RecordingAudioSource source(file_);
    const size_t count = file_.index().audioCount();
    source.SetVideoOffset(PictureAfterAudio(count - 4));
    NullAudioDevice device;
    AudioOut out(device);
    ASSERT_TRUE(out.OpenPlayer(source));
    // Three records were left: three buffers, then nothing more.
    EXPECT_EQ(device.written(), 3u);
    EXPECT_EQ(device.Pump(), 3u);
    EXPECT_EQ(device.written(), 3u);
    EXPECT_EQ(out.buffersInFlight(), 0);
}

}  // namespace
}  // namespace output
