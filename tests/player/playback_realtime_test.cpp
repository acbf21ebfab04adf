// The engine on the real 1 ms timer: two seconds of the sample recording at x1.
#include <gtest/gtest.h>

#include "media/recording_file.h"
#include "player/playback_engine.h"
#include "tests/player/engine_test_support.h"

namespace {

constexpr char kSample[] =
    DVR_SOURCE_DIR "/samples/d1_4ch/Lobby_20260314_095952/20260314_095952.idx";
constexpr uint32_t kTwoSeconds = 2 * 45000;

TEST(RealTimer, TwoSecondsAtNormalSpeedShowEveryPictureOnTime) {
    player::SteadyClock clock;
    player::PeriodicTicker ticks;
    playertest::RecordingOutput out(clock);
    player::PlaybackEngine engine(out, clock, &ticks);
    ASSERT_EQ(engine.Open(kSample), 0);

    // Waits (without a time bound of its own) until a picture two seconds after the first
    // is handed out.
    {
        std::unique_lock lock(out.mutex);
        out.changed.wait(lock, [&] {
            return !out.shown.empty() && out.shown.back().stamp >= out.shown[0].stamp + kTwoSeconds;
        });
    }
    engine.Stop();

    const playertest::Shown first = out.shown[0];
    const playertest::Shown* end = nullptr;
    size_t shown = 0;
    for (const playertest::Shown& s : out.shown) {
        if (s.stamp >= first.stamp + kTwoSeconds) {
            end = &s;
            break;
        }
        ++shown;
    }
    ASSERT_NE(end, nullptr);
    // Pictures are never early: two seconds of stamps took at least two seconds.
    EXPECT_GE(end->at - first.at, 2000 - 1);

    // What the recording holds in those two seconds, from each channel's first Intra on.
    media::RecordingFile recording;
    ASSERT_EQ(recording.Open(kSample), media::OpenError::kNone);
    bool intra[16] = {};
    size_t expected = 0;
    for (const media::FrameEntry& e : recording.index().frames()) {
        if (e.stamp < first.stamp || e.stamp >= first.stamp + kTwoSeconds) continue;
        intra[e.channel & 15] = intra[e.channel & 15] || e.kind == 0;
        expected += intra[e.channel & 15] ? 1 : 0;
    }
    ASSERT_GT(expected, 0u);
    EXPECT_LE(shown, expected);
    // A tick that comes more than a millisecond late makes the picture due then late, and a late
    // Predicted picture is dropped with everything up to the next Anchor: on a loaded machine
    // some are, but most pictures must be shown.
    EXPECT_GE(shown * 3, expected * 2) << shown << " of " << expected;
}

}  // namespace
