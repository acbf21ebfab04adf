// The remote client's live audio from a simulated recorder to SDL's disk driver: every sample
// that reaches the "sound card" belongs to a block the recorder sent, in the order sent, none
// twice, and playing starts with the second block.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

#include "client/net/audio_output_sink.h"
#include "output/alaw.h"
#include "output/sdl_audio_device.h"
#include "tests/client/net/sim_fixture.h"
#include "tests/output/system_leaks.h"

namespace {

using namespace std::chrono_literals;

// The connection's sinks, with audio going to the speaker; remembers each block the speaker
// took.
class SpeakerSinks final : public nettest::RecordingSinks {
  public:
    explicit SpeakerSinks(client::AudioSink& speaker) : speaker_(speaker) {}
    bool PlayBlock(int channel, uint32_t stamp, std::span<const uint8_t> alaw) override {
        if (!speaker_.PlayBlock(channel, stamp, alaw)) return false;
        {
            std::lock_guard lock(mutex_);
            taken_.insert(taken_.end(), alaw.begin(), alaw.end());
        }
        return RecordingSinks::PlayBlock(channel, stamp, alaw);
    }
    void Pause() override { speaker_.Pause(); }
    void AudioStopped() override {
        speaker_.AudioStopped();
        RecordingSinks::AudioStopped();
    }
    std::vector<uint8_t> taken() const {
        std::lock_guard lock(mutex_);
        return taken_;
    }

  private:
    client::AudioSink& speaker_;
    mutable std::mutex mutex_;
    std::vector<uint8_t> taken_;
};

class LiveAudio : public nettest::SimTest {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "4", 1);
    }
    std::string file_ = dir_ / "speaker.raw";
};

TEST_F(LiveAudio, RecorderBlocksReachTheSpeakerInOrder) {
    dvrsim::Options o = SimOptions("d1_4ch");
    o.speed = 8;
    StartSim(o);
    output::SdlAudioDevice device;
    output::AudioOut out(device);
    client::AudioOutputSink speaker(out);
    SpeakerSinks sinks(speaker);
    auto c = Connect(sinks, Params());
    ASSERT_TRUE(sinks.WaitFor([&] { return sinks.Count("block", 0) >= 8; }, 30s));
    EXPECT_TRUE(device.isOpen());
    c->stream().Stop(true);
    c->stream().WaitStopped();
    EXPECT_FALSE(device.isOpen());  // the stream's end closed the device

    std::ifstream in(file_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<int16_t> played(bytes.size() / 2);
    std::memcpy(played.data(), bytes.data(), played.size() * 2);
    std::erase(played, int16_t{0});  // the driver's silence; A-law never expands to 0

    const std::vector<uint8_t> taken = sinks.taken();
    ASSERT_GE(taken.size(), 8 * output::kAlawBlockSize);
    // Closing drops what was still queued, so the speaker holds a prefix of what it took.
    ASSERT_LE(played.size(), taken.size());
    EXPECT_GE(played.size(), output::kAlawBlockSize) << "nothing was played";
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], output::alaw_to_pcm(taken[i])) << "sample " << i;
}

}  // namespace
