#include "player/playback_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

#include "player/player_strings.h"
#include "tests/player/engine_test_support.h"

using namespace playertest;
using player::EngineState;
using player::PlaybackEngine;
using testsupport::RecordSpec;

namespace {

// The engine with no play thread: each Run(ms) advances the clock by 1 ms per tick and runs one
// pass of the play loop, exactly as the play thread would after each tick.
class SimulatedEngine : public ::testing::Test {
  protected:
    SimulatedEngine() : out(clock), engine(out, clock, nullptr) {}

    void Run(int ms) {
        for (int i = 0; i < ms && engine.state() != EngineState::kStopped; ++i) {
            clock.now += 1;
            engine.RunTick();
        }
    }
    void RunToEnd(int limitMs = 600000) { Run(limitMs); }

    testsupport::TempDir dir;
    ManualClock clock;
    RecordingOutput out;
    PlaybackEngine engine;
};

TEST_F(SimulatedEngine, KindsDecodedFollowTheSpeed) {
    const std::string gop = "IPBBPBBPBB";
    std::string kinds;
    for (int i = 0; i < 10; ++i)
        kinds += gop;
    const std::string path = WritePair(dir.path(), "a", Pictures(kinds, 40));

    struct Case {
        int fastSteps;
        bool reverse;
        std::vector<int> allowed;
    };
    const Case cases[] = {
        {0, false, {0, 1, 2}}, {1, false, {0, 1}}, {2, false, {0, 1}},
        {3, false, {0}},       {0, true, {0}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(engine.Open(path), 0);
        Run(1);
        for (int i = 0; i < c.fastSteps; ++i)
            engine.Fast();
        if (c.reverse) {
            engine.Seek(engine.frameCount() - 1);
            engine.Reverse();
        }
        out.shown.clear();
        RunToEnd();
        std::vector<int> kinds = out.KindsShown();
        ASSERT_FALSE(kinds.empty());
        for (int k : kinds)
            EXPECT_TRUE(std::count(c.allowed.begin(), c.allowed.end(), k))
                << "kind " << k << " at fast steps " << c.fastSteps;
        if (c.fastSteps == 0 && !c.reverse) {
            // x1: every picture of the recording but the last is shown once, none dropped.
            // x1: every picture after the first up to the last but one is shown, none dropped
            // (the end of the list is reached on the last).
            EXPECT_EQ(static_cast<int64_t>(out.shown.size()), engine.frameCount() - 2);
        }
    }
}

TEST_F(SimulatedEngine, GapsLongerThanNineSecondsAreNotWaitedFor) {
    std::vector<RecordSpec> r = Pictures("II", 40);
    RecordSpec twelve = r.back();
    twelve.stamp = r.back().stamp + 12 * 45000;
    RecordSpec eight = twelve;
    eight.stamp = twelve.stamp + 8 * 45000;
    RecordSpec tail = eight;
    tail.stamp = eight.stamp + 40 * 45;
    r.insert(r.end(), {twelve, eight, tail, tail});
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "gap", r)), 0);

    Run(100);
    ASSERT_EQ(out.shown.size(), 3u) << "the picture after 12 s comes at once";
    const int64_t twelveAt = out.shown[2].at;
    EXPECT_LE(twelveAt - out.shown[1].at, 2);
    Run(static_cast<int>(twelveAt + 7990 - clock.now));
    EXPECT_EQ(out.shown.size(), 3u) << "the picture after 8 s waits";
    Run(20);
    ASSERT_EQ(out.shown.size(), 4u);
    EXPECT_NEAR(static_cast<double>(out.shown[3].at - twelveAt), 8000.0, 1.0);
}

TEST_F(SimulatedEngine, GapRuleScalesWithTheSpeed) {
    // At x2 a 12 s gap is 6 s of playing: less than 9 s x 2 of stamps, so it is waited for.
    std::vector<RecordSpec> r = Pictures("IIII", 40);
    for (size_t i = 2; i < r.size(); ++i)
        r[i].stamp += 12 * 45000;
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "gap2", r)), 0);
    Run(1);
    engine.Fast();
    Run(100);
    ASSERT_EQ(out.shown.size(), 2u);
    Run(6000);
    EXPECT_EQ(out.shown.size(), 3u);
}

TEST_F(SimulatedEngine, LatePredictedPicturesAreSkippedToTheNextAnchor) {
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "late", Pictures("IBBPBBPBBI", 40))), 0);
    Run(1);
    ASSERT_EQ(out.shown.size(), 1u);
    clock.now += 100;  // the machine stalls for 100 ms: both B pictures are late
    Run(1);
    EXPECT_EQ(out.shown.size(), 1u) << "a late Predicted picture is not shown";
    EXPECT_EQ(engine.position(), 3) << "the position jumps to the next Anchor";
    Run(100);
    ASSERT_GE(out.shown.size(), 2u);
    EXPECT_EQ(out.shown[1].kind, 1);
    EXPECT_EQ(out.shown[1].stamp, 3u * 40 * 45);
}

// Ten minutes at 30 pictures a second (stamps 1,500 ticks apart, not whole milliseconds) on a
// loaded machine: each tick reaches the play thread 0-3 ms late (seeded), and ticks that come
// while the thread is still late collapse into one. The play keeps the recording's schedule
// (no drift), and no picture is dropped as late, since none came later than the tick's jitter.
TEST_F(SimulatedEngine, LoadedTicksKeepTheScheduleWithoutDroppingPictures) {
    const std::string gop = "IPBBPBBPBBPBBPB";
    std::vector<RecordSpec> r;
    const int pictures = 10 * 60 * 30;
    for (int i = 0; i < pictures; ++i) {
        RecordSpec s;
        s.kind = gop[static_cast<size_t>(i) % gop.size()] == 'I'   ? 0
                 : gop[static_cast<size_t>(i) % gop.size()] == 'P' ? 1
                                                                   : 2;
        s.stamp = static_cast<uint32_t>(i) * 1500u;
        s.minute = i / 1800;
        s.second = (i / 30) % 60;
        r.push_back(s);
    }
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "loaded", r)), 0);
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> lateness(0, 3);
    const int64_t start = clock.now;
    for (int64_t tick = 1; engine.state() != EngineState::kStopped; ++tick) {
        const int64_t wake = start + tick + lateness(random);
        if (wake <= clock.now) continue;  // the thread was still late: this tick collapses
        clock.now = wake;
        engine.RunTick();
    }
    ASSERT_EQ(static_cast<int>(out.shown.size()), pictures - 1) << "pictures dropped as late";
    const Shown first = out.shown.front();
    double worst = 0;
    for (const Shown& s : out.shown) {
        const double due = static_cast<double>(first.at) + (s.stamp - first.stamp) / 45.0;
        ASSERT_GE(static_cast<double>(s.at), due - 1.0) << "picture shown early";
        worst = std::max(worst, static_cast<double>(s.at) - due);
    }
    EXPECT_LE(worst, 5.0) << "the schedule drifted";
    const Shown last = out.shown.back();
    EXPECT_NEAR(static_cast<double>(last.at - first.at), (last.stamp - first.stamp) / 45.0, 5.0);
}

// Four channels' pictures of the same moment go out together, not one a tick apart.
TEST_F(SimulatedEngine, PicturesOfTheSameMomentGoOutInOneTick) {
    std::vector<RecordSpec> r;
    for (const RecordSpec& moment : Pictures("IIIIII", 40))
        for (int c = 0; c < 4; ++c) {
            RecordSpec s = moment;
            s.channel = c;
            r.push_back(s);
        }
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "four", r)), 0);
    Run(200);
    ASSERT_GE(out.shown.size(), 12u);
    for (size_t i = 4; i < 12; ++i)
        EXPECT_EQ(out.shown[i].at, out.shown[i - i % 4].at) << "picture " << i;
}

// Sixteen channels' pictures of one moment take 3 ms each to decode: the last of them goes out
// 45 ms after the moment was due, still before the next moment (67 ms on). None is dropped.
TEST_F(SimulatedEngine, DecodingABusyMomentDropsNoneOfItsPictures) {
    std::vector<RecordSpec> r;
    for (const RecordSpec& moment : Pictures("IBBPBBPBBPBBPBB", 67))
        for (int c = 0; c < 16; ++c) {
            RecordSpec s = moment;
            s.channel = c;
            r.push_back(s);
        }
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "busy", r)), 0);
    out.decoding = [&] { clock.now += 3; };
    RunToEnd();
    EXPECT_GE(out.shown.size(), r.size() - 16) << "only the last moment may be cut by the end";
}

// A real stall still drops the late Predicted pictures, and the pictures after it keep their
// spacing from where the play caught up instead of racing to make up the lost time.
TEST_F(SimulatedEngine, AfterAStallThePlayGoesOnFromWhereItCaughtUp) {
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "stall", Pictures("IPBBPBBPBBPBBPBBPBB", 40))), 0);
    Run(45);
    ASSERT_EQ(out.shown.size(), 2u);
    clock.now += 200;  // five pictures' worth of stall
    Run(400);
    const std::vector<int> kinds = out.KindsShown();
    EXPECT_LT(kinds.size(), 17u) << "late B pictures are dropped";
    for (size_t i = 3; i < out.shown.size(); ++i) {
        const Shown& a = out.shown[i - 1];
        const Shown& b = out.shown[i];
        EXPECT_NEAR(static_cast<double>(b.at - a.at), (b.stamp - a.stamp) / 45.0, 1.0)
            << "picture " << i;
    }
}

// The sound device as the engine sees it: the test says which block plays.
class ScriptedAudio final : public player::EngineAudio {
  public:
    bool Open(media::RecordingFile&) override {
        ++opens;
        playing = openSucceeds;
        return openSucceeds;
    }
    void Pause() override { playing = false; }
    void Restart() override { playing = true; }
    void Close() override { playing = false; }
    void FollowPicture(uint64_t) override {}
    int64_t PlayingStamp() override { return playing ? stamp : -1; }

    bool openSucceeds = true;
    bool playing = false;
    int opens = 0;
    int64_t stamp = -1;
};

// One channel's pictures every 40 ms with an audio record every 256 ms beside them.
std::vector<RecordSpec> PicturesWithSound(const std::string& kinds) {
    std::vector<RecordSpec> r = Pictures(kinds, 40);
    std::vector<RecordSpec> out;
    uint32_t nextAudio = 0;
    for (const RecordSpec& picture : r) {
        while (nextAudio <= picture.stamp) {
            RecordSpec audio = picture;
            audio.kind = 3;
            audio.stamp = nextAudio;
            out.push_back(audio);
            nextAudio += 256 * 45;
        }
        out.push_back(picture);
    }
    return out;
}

class SimulatedSound : public SimulatedEngine {
  protected:
    SimulatedSound() : soundEngine(out, clock, nullptr, &audio) {}
    void RunSound(int ms) {
        for (int i = 0; i < ms && soundEngine.state() != EngineState::kStopped; ++i) {
            clock.now += 1;
            soundEngine.RunTick();
        }
    }
    ScriptedAudio audio;
    PlaybackEngine soundEngine;
};

TEST_F(SimulatedSound, TheSoundLeadsThePicturesOfItsChannelAtNormalSpeed) {
    soundEngine.SetSound(true);
    ASSERT_EQ(
        soundEngine.Open(WritePair(dir.path(), "s", PicturesWithSound(std::string(150, 'I')))), 0);
    RunSound(1);
    ASSERT_EQ(audio.opens, 1);
    ASSERT_EQ(out.shown.size(), 1u);
    audio.stamp = 0;
    RunSound(200);
    EXPECT_EQ(out.shown.size(), 1u) << "the next picture waits for the sound";
    audio.stamp = 5 * 40 * 45;  // the sound reaches the fifth picture's stamp
    RunSound(1);
    ASSERT_EQ(out.shown.size(), 2u);
    EXPECT_EQ(out.shown[1].stamp, 40u * 45) << "the picture the sound let go comes at once";
    RunSound(170);
    EXPECT_EQ(out.shown.back().stamp, 5u * 40 * 45) << "the pictures held back come in step";
    audio.stamp = 2 * 45000 + 60 * 40 * 45;  // more than 2 s ahead of the picture on show
    const size_t early = out.shown.size();
    RunSound(1);
    EXPECT_EQ(out.shown.size(), early + 1) << "a picture 2 s behind the sound is shown at once";
    audio.playing = false;  // the sound paused: the pictures keep their own time
    const size_t before = out.shown.size();
    RunSound(400);
    EXPECT_GE(out.shown.size(), before + 9);
}

TEST_F(SimulatedSound, TheSoundOnlyLeadsItsOwnChannelAtNormalSpeed) {
    std::vector<RecordSpec> r = PicturesWithSound(std::string(60, 'I'));
    for (RecordSpec& s : r)
        if (s.kind != 3 && (s.stamp / 1800) % 2) s.channel = 1;  // two channels: layout 1..4
    soundEngine.SetSound(true);
    ASSERT_EQ(soundEngine.Open(WritePair(dir.path(), "two", r)), 0);
    RunSound(1);
    audio.stamp = 0;
    RunSound(400);
    EXPECT_GE(out.shown.size(), 9u) << "the four-channel layout plays by its own time";
}

TEST_F(SimulatedSound, AudioPlaybackFailedWhenThereIsNoSoundToPlay) {
    ASSERT_EQ(soundEngine.Open(WritePair(dir.path(), "mute", Pictures("IIIIIIII", 40))), 0);
    RunSound(2);
    soundEngine.SetSound(true);
    ASSERT_EQ(out.messages, std::vector<int>{2022}) << "a recording without sound";
    EXPECT_EQ(audio.opens, 0);

    audio.openSucceeds = false;
    out.messages.clear();
    soundEngine.SetSound(false);
    ASSERT_EQ(soundEngine.Open(WritePair(dir.path(), "dev", PicturesWithSound("IIIIIIIIII"))), 0);
    soundEngine.SetSound(true);
    RunSound(2);
    EXPECT_TRUE(out.messages.empty()) << "a device failing at open leaves the sound off quietly";
    soundEngine.SetSound(false);
    soundEngine.SetSound(true);
    EXPECT_EQ(out.messages, std::vector<int>{2022}) << "asking for the sound then says so";
}

TEST_F(SimulatedSound, TheSoundGoesOnIntoTheNextRecordingsOfTheFolder) {
    std::string first;
    for (int i = 0; i < 3; ++i) {
        const std::string path = WritePair(dir.path(), "2026031409595" + std::to_string(i),
                                           PicturesWithSound("IPBBPBBPBB"));
        if (i == 0) first = path;
    }
    soundEngine.SetSound(true);
    ASSERT_EQ(soundEngine.Open(first), 0);
    RunSound(5000);
    EXPECT_EQ(out.recordings.size(), 2u);
    EXPECT_EQ(audio.opens, 3) << "each recording's sound opens as it starts";
    EXPECT_EQ(soundEngine.state(), EngineState::kStopped);
}

TEST_F(SimulatedEngine, SkippingStopsAtTheEndOfTheList) {
    // A late B with no Intra or Anchor after it: the skip must not run past the last frame.
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "tail", Pictures("IBBBB", 40))), 0);
    Run(1);
    clock.now += 500;
    Run(1);
    EXPECT_LT(engine.position(), engine.frameCount());
    Run(10);
    EXPECT_EQ(engine.state(), EngineState::kStopped);
    EXPECT_EQ(out.statuses.back(), "Stop");
    EXPECT_EQ(engine.position(), 0);
}

TEST_F(SimulatedEngine, SlowAndFastStopAtTheirLimits) {
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "s", Pictures("IPPPPPPPPP", 40))), 0);
    Run(1);
    const float slowWalk[] = {0.5f, 0.25f, 0.125f, 0.125f};
    for (float expected : slowWalk) {
        engine.Slow();
        EXPECT_EQ(engine.speed(), expected);
    }
    EXPECT_EQ(out.statuses.back(), "X 1/8");
    const float fastWalk[] = {0.25f, 0.5f, 1, 2, 4, 8, 8};
    for (float expected : fastWalk) {
        engine.Fast();
        EXPECT_EQ(engine.speed(), expected);
    }
    EXPECT_EQ(out.statuses.back(), "X 8");
    engine.Reverse();
    EXPECT_EQ(out.statuses.back(), "Reverse Play");
    engine.Fast();
    engine.Slow();
    EXPECT_EQ(engine.speed(), -1.0f);
    engine.Play();
    EXPECT_EQ(engine.speed(), 1.0f);
    EXPECT_EQ(out.statuses.back(), "Play");
}

TEST_F(SimulatedEngine, SlowPlayingTakesLongerByTheFactor) {
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "slow", Pictures("IIIIIIIIIIII", 100))), 0);
    Run(1);
    engine.Slow();
    engine.Slow();  // x1/4: 100 ms of stamps take 400 ms
    out.shown.clear();
    Run(2000);
    ASSERT_GE(out.shown.size(), 3u);
    EXPECT_NEAR(static_cast<double>(out.shown[2].at - out.shown[1].at), 400.0, 1.0);
}

TEST_F(SimulatedEngine, SteppingBackwardsLandsOnAnIntra) {
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "step", Pictures("IPBBPBBIPBBPBB", 40))), 0);
    Run(1);
    engine.Pause();
    engine.Seek(12);
    out.shown.clear();
    engine.PreviousFrame();
    EXPECT_EQ(engine.position(), 7);
    ASSERT_EQ(out.shown.size(), 1u);
    EXPECT_EQ(out.shown[0].kind, 0);
    engine.PreviousFrame();
    EXPECT_EQ(engine.position(), 0);
    engine.NextFrame();
    engine.NextFrame();
    EXPECT_EQ(engine.position(), 2);
    EXPECT_EQ(out.shown.back().kind, 2) << "stepping forwards shows every kind";
    EXPECT_EQ(engine.state(), EngineState::kPaused);
}

TEST_F(SimulatedEngine, SteppingIsOnlyForAPausedEngine) {
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "np", Pictures("IPPPPP", 40))), 0);
    Run(1);
    const int64_t before = engine.position();
    engine.NextFrame();
    engine.PreviousFrame();
    EXPECT_EQ(engine.position(), before);
}

TEST_F(SimulatedEngine, LayoutsOnOpenAndNoMoreVideo) {
    // One channel alone opens in its own large cell.
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "one", Pictures("IPPP", 40, 5))), 0);
    EXPECT_EQ(engine.layout(), 5);

    // Two channels from an eight-channel recorder open in the eight-channel layout.
    std::vector<RecordSpec> two = Pictures("IPPP", 40, 0);
    for (RecordSpec s : Pictures("IPPP", 40, 6)) {
        s.stamp += 1;
        two.push_back(s);
    }
    for (RecordSpec& s : two)
        s.model = 4;
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "two", two)), 0);
    EXPECT_EQ(engine.layout(), player::kLayoutFirstEight);

    for (RecordSpec& s : two)
        s.model = 3;
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "two3", two)), 0);
    EXPECT_EQ(engine.layout(), player::kLayoutFirstFour);

    engine.SelectLayout(player::kLayoutSecondEight);  // channels 9..16: none has video
    EXPECT_EQ(out.messages, std::vector<int>{2030});
    EXPECT_EQ(engine.layout(), player::kLayoutFirstFour);
    engine.SelectLayout(9);
    EXPECT_EQ(out.messages.size(), 2u);
    engine.SelectLayout(6);
    EXPECT_EQ(engine.layout(), 6);

    // Only the visible channel's pictures are handed out.
    out.shown.clear();
    Run(300);
    ASSERT_FALSE(out.shown.empty());
    for (const Shown& s : out.shown)
        EXPECT_EQ(s.cell, 6);
}

TEST_F(SimulatedEngine, FolderPlayListContinuesBothWays) {
    const std::string names[] = {"20260101_100000", "20260101_100100", "20260101_100200"};
    for (int i = 0; i < 3; ++i)
        WritePair(dir.path(), names[i], Pictures("IPPPIPPP", 40, 0, 1000000u * i));

    ASSERT_EQ(engine.Open(dir / (names[0] + ".idx")), 0);
    RunToEnd();
    ASSERT_EQ(out.recordings.size(), 2u);
    EXPECT_EQ(out.recordings[0], dir / (names[1] + ".idx"));
    EXPECT_EQ(out.recordings[1], dir / (names[2] + ".idx"));
    std::vector<uint32_t> stamps;
    for (const Shown& s : out.shown)
        stamps.push_back(s.stamp);
    EXPECT_TRUE(std::is_sorted(stamps.begin(), stamps.end()));
    EXPECT_GE(stamps.back(), 2000000u);

    out.recordings.clear();
    out.shown.clear();
    ASSERT_EQ(engine.Open(dir / (names[2] + ".idx")), 0);
    Run(1);
    engine.Reverse();
    RunToEnd();
    ASSERT_EQ(out.recordings.size(), 2u);
    EXPECT_EQ(out.recordings[1], dir / (names[0] + ".idx"));
    EXPECT_LT(out.shown.back().stamp, 1000000u);
    EXPECT_EQ(engine.state(), EngineState::kStopped);
}

TEST_F(SimulatedEngine, GoToTime) {
    // Wall times 10:00:00, 10:00:01 ... one a second.
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "go", Pictures("IIIIIIIIII", 1000))), 0);
    const int64_t ten = media::WallTimeOf(108, 5, 1, 10, 0, 0);
    EXPECT_TRUE(engine.GoToTime(ten + 4));
    EXPECT_EQ(engine.position(), 4);
    EXPECT_TRUE(engine.GoToTime(ten - 3600)) << "before every frame: the first one";
    EXPECT_EQ(engine.position(), 0);
}

TEST_F(SimulatedEngine, BackwardTimeSearchStopsAtTheFirstFrame) {
    // The recorder's clock was set back before the last picture: the search runs backwards
    // from the last frame and finds every frame at or after the target.
    std::vector<RecordSpec> r = Pictures("IIII", 1000);
    r[0].hour = 11;
    r[1].hour = 12;
    r[2].hour = 13;
    r[3].hour = 10;
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "back", r)), 0);
    engine.Seek(1);
    EXPECT_TRUE(engine.GoToTime(media::WallTimeOf(108, 5, 1, 9, 0, 0)));
    EXPECT_EQ(engine.position(), 0);
}

TEST_F(SimulatedEngine, PanoramaPagesThroughIntraPictures) {
    std::string kinds;
    for (int i = 0; i < 40; ++i)
        kinds += "IPP";
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "pan", Pictures(kinds, 40))), 0);
    Run(1);
    out.shown.clear();
    engine.TogglePanorama();
    EXPECT_EQ(engine.state(), EngineState::kPanorama);
    EXPECT_EQ(out.statuses.back(), "Panorama");
    ASSERT_EQ(out.shown.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(out.shown[i].cell, i);
        EXPECT_EQ(out.shown[i].kind, 0);
    }
    const uint32_t firstPage = out.shown[0].stamp;
    out.shown.clear();
    engine.Play();  // next page
    ASSERT_EQ(out.shown.size(), 16u);
    EXPECT_EQ(out.shown[0].stamp, firstPage + 16u * 3 * 40 * 45);
    out.shown.clear();
    engine.Reverse();  // back to the first page
    ASSERT_EQ(out.shown.size(), 16u);
    EXPECT_EQ(out.shown[0].stamp, firstPage);
    Run(100);
    EXPECT_EQ(out.shown.size(), 16u) << "the play loop is held in panorama";
    engine.TogglePanorama();
    EXPECT_EQ(engine.state(), EngineState::kPlaying);
    EXPECT_EQ(engine.layout(), 0);
    Run(100);
    EXPECT_GT(out.shown.size(), 16u);
}

TEST_F(SimulatedEngine, OpenFailures) {
    EXPECT_EQ(engine.Open(dir / "missing.idx"), 2021);
    testsupport::WriteFile(dir / "junk.idx", std::vector<uint8_t>(44, 0x5A));
    testsupport::WriteFile(dir / "junk.umv", std::vector<uint8_t>(100, 0x11));
    EXPECT_NE(engine.Open(dir / "junk.idx"), 0);
    EXPECT_EQ(engine.state(), EngineState::kStopped);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const std::string kSampleUms = DVR_SOURCE_DIR "/samples/stills/Lobby_20260314_095952_ch1.ums";
const std::string kSampleStill = DVR_SOURCE_DIR "/samples/stills/Lobby,260314_095955,1,.jpg";

TEST_F(SimulatedEngine, SingleFrameFileShowsItsPictureInCellZero) {
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "r", Pictures("IIIIIIII", 40))), 0);
    Run(50);
    out.shown.clear();
    ASSERT_EQ(engine.Open(kSampleUms), 0);
    EXPECT_EQ(engine.mode(), player::OpenMode::kSingleFrame);
    EXPECT_FALSE(engine.playThreadRunning());
    EXPECT_EQ(engine.state(), EngineState::kStopped);
    EXPECT_EQ(engine.layout(), 0) << "cell 0 alone";
    ASSERT_EQ(out.shown.size(), 2u) << "the picture is decoded twice so that it shows at once";
    EXPECT_EQ(out.shown[0].cell, 0);
    EXPECT_EQ(out.shown[0].kind, 0);
    EXPECT_EQ(out.statuses.back(), "Ums File");
    EXPECT_EQ(out.time, "2026-03-14 09:59:52");
    engine.Play();  // a single frame does not play
    Run(10);
    EXPECT_EQ(out.shown.size(), 2u);
    EXPECT_EQ(engine.state(), EngineState::kStopped);
}

TEST_F(SimulatedEngine, SingleFrameSizeLimit) {
    // The payload must be smaller than the frame buffer: 262,144 bytes is one too many.
    const std::vector<uint8_t> sample = ReadBytes(kSampleUms);
    ASSERT_GT(sample.size(), 24u);
    std::vector<uint8_t> big(sample.begin(), sample.begin() + 24);
    big.resize(24 + 262144, 0);
    testsupport::WriteFile(dir / "big.ums", big);
    EXPECT_EQ(engine.Open(dir / "big.ums"), player::kTextFileSizeTooBig);
    EXPECT_EQ(player::PlayerStrings().Text(player::kTextFileSizeTooBig),
              "The file size is too big!");
    EXPECT_TRUE(out.shown.empty());
    big.pop_back();
    testsupport::WriteFile(dir / "fits.ums", big);
    EXPECT_EQ(engine.Open(dir / "fits.ums"), 0);
    EXPECT_EQ(engine.Open(dir / "missing.ums"), player::kTextFileCantOpened);
}

TEST_F(SimulatedEngine, StillImageShowsWithItsTrailerTime) {
    ASSERT_EQ(engine.Open(kSampleStill), 0);
    EXPECT_EQ(engine.mode(), player::OpenMode::kStill);
    EXPECT_EQ(engine.layout(), 0);
    EXPECT_FALSE(engine.playThreadRunning());
    ASSERT_EQ(out.stills.size(), 1u);
    EXPECT_GT(out.stills[0].width, 0);
    EXPECT_EQ(out.stills[0].rgb.size(),
              static_cast<size_t>(out.stills[0].width) * out.stills[0].height * 3);
    EXPECT_EQ(out.time, "2026-03-14 09:59:55");

    // Junk in front of the picture: the picture shows, the trailer time does not.
    std::vector<uint8_t> junk = {1, 2, 3, 4};
    const std::vector<uint8_t> still = ReadBytes(kSampleStill);
    junk.insert(junk.end(), still.begin(), still.end());
    testsupport::WriteFile(dir / "junk.jpg", junk);
    out.time.clear();
    ASSERT_EQ(engine.Open(dir / "junk.jpg"), 0);
    ASSERT_EQ(out.stills.size(), 2u);
    EXPECT_EQ(out.stills[1].width, out.stills[0].width);
    EXPECT_EQ(out.time, "");

    testsupport::WriteFile(dir / "text.jpg", std::vector<uint8_t>{'n', 'o', 't'});
    EXPECT_EQ(engine.Open(dir / "text.jpg"), player::kTextImproperFileType);
    EXPECT_EQ(engine.Open(dir / "none.jpg"), player::kTextFileCantOpened);
    EXPECT_EQ(engine.mode(), player::OpenMode::kStill) << "a failed open keeps the still on show";
}

TEST_F(SimulatedEngine, DataFileAlonePlaysToTheEnd) {
    testsupport::Recording r;
    for (const RecordSpec& s : Pictures("IPPPIPPP", 40))
        r.Add(s);
    testsupport::WriteFile(dir / "alone.umv", r.data);
    ASSERT_EQ(engine.Open(dir / "alone.umv"), 0);
    EXPECT_EQ(engine.mode(), player::OpenMode::kDataFile);
    RunToEnd();
    EXPECT_EQ(out.shown.size(), 7u);
    EXPECT_EQ(out.time, "2008-06-01 10:00:00");
}

// ---- the play thread --------------------------------------------------------------------

// Ticks that come only when the test fires them.
class ManualTicks final : public player::TickSource {
  public:
    void Start() override {}
    void Stop() override {}
    bool Wait(int) override {
        std::unique_lock lock(mutex_);
        ++waits_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return pending_ > 0 || woken_; });
        woken_ = false;
        if (pending_ == 0) return false;
        --pending_;
        return true;
    }
    void Wake() override {
        std::lock_guard lock(mutex_);
        woken_ = true;
        changed_.notify_all();
    }
    void Fire() {
        std::lock_guard lock(mutex_);
        ++pending_;
        changed_.notify_all();
    }
    // Blocks until the play thread waits for a tick for the n-th time.
    void AwaitWaits(int n) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return waits_ >= n; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int pending_ = 0;
    int waits_ = 0;
    bool woken_ = false;
};

class ThreadedEngine : public ::testing::Test {
  protected:
    ThreadedEngine() : out(clock), engine(out, clock, &ticks) {}
    testsupport::TempDir dir;
    ManualClock clock;
    ManualTicks ticks;
    RecordingOutput out;
    PlaybackEngine engine;
};

TEST_F(ThreadedEngine, StopEndsTheThreadWithoutAnotherTick) {
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "t", Pictures("IPPPPPPP", 40))), 0);
    ticks.Fire();
    ticks.AwaitWaits(2);  // one tick handled, the thread waits for the next
    EXPECT_TRUE(engine.playThreadRunning());
    engine.Stop();  // returns once the thread has ended; no further tick fired
    EXPECT_FALSE(engine.playThreadRunning());
    EXPECT_EQ(engine.state(), EngineState::kStopped);
    EXPECT_EQ(out.statuses.back(), "Stop");
}

TEST_F(ThreadedEngine, StopWhilePaused) {
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "p", Pictures("IPPPPPPP", 40))), 0);
    ticks.Fire();
    ticks.AwaitWaits(2);
    engine.Pause();
    ticks.Fire();  // the thread leaves its wait and stops at the pause gate
    engine.Stop();
    EXPECT_FALSE(engine.playThreadRunning());
    EXPECT_EQ(engine.position(), 0);
}

TEST_F(ThreadedEngine, PausedThreadShowsNothingUntilPlay) {
    ASSERT_EQ(engine.Open(WritePair(dir.path(), "g", Pictures("IIIIIIII", 40))), 0);
    ticks.Fire();
    ticks.AwaitWaits(2);
    engine.Pause();
    const size_t shown = out.shown.size();
    for (int i = 0; i < 5; ++i) {
        clock.now += 40;
        ticks.Fire();
    }
    EXPECT_EQ(out.shown.size(), shown);
    engine.Play();
    {
        std::unique_lock lock(out.mutex);
        out.changed.wait(lock, [&] { return out.shown.size() > shown; });
    }
    engine.Stop();
}

}  // namespace
