#include "output/decode_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "platform/hex_digest.h"
#include "platform/registry_store.h"
#include "tests/output/sample_frames.h"
#include "tests/support/temp_dir.h"

namespace output {
namespace {

// Records a digest of the cell's picture every time it is announced: the sequence of pictures
// a channel shows must not depend on how many threads decode.
class DigestView final : public ChannelView {
  public:
    DigestView(ChannelDisplay& display, int channel) : display_(display), channel_(channel) {}
    bool Open(int, int, int, bool) override { return true; }
    void PictureReady() override {
        auto frame = display_.Frame(channel_);
        const size_t bytes = static_cast<size_t>(frame->width) * frame->height * 2;
        digests.push_back(platform::Md5Hex(frame->pixels, bytes));
    }
    void Release() override {}
    std::vector<std::string> digests;

  private:
    ChannelDisplay& display_;
    int channel_;
};

std::vector<std::vector<std::string>> PlayWithThreads(const testsupport::SampleRecording& sample,
                                                      int threads) {
    testsupport::TempDir dir;
    platform::RegistryStore settings(dir / "Environments.ini");
    ChannelDisplay display(settings, nullptr);
    display.SetResolution(sample.sizeCode);
    std::vector<std::unique_ptr<DigestView>> views;
    for (int c = 0; c < kChannels; ++c) {
        views.push_back(std::make_unique<DigestView>(display, c));
        display.AttachView(c, views.back().get());
    }
    EXPECT_TRUE(display.OpenDecoders());
    {
        DecodePool pool(display, threads);
        EXPECT_EQ(pool.threads(), threads);
        for (const auto& f : sample.frames)
            pool.Submit(f.channel, f.bytes.data(), f.bytes.size());
        pool.WaitIdle();
        EXPECT_EQ(pool.decoded() + pool.failed(), sample.frames.size());
    }
    std::vector<std::vector<std::string>> result;
    for (const auto& v : views)
        result.push_back(v->digests);
    display.Close();
    return result;
}

TEST(DecodePool, ThreadsShowTheSamePicturesInTheSameOrder) {
    const auto sample = testsupport::LoadSample(testsupport::kCifSample);
    ASSERT_GT(sample.frames.size(), 100u);
    const auto alone = PlayWithThreads(sample, 0);
    size_t pictures = 0;
    for (const auto& channel : alone)
        pictures += channel.size();
    EXPECT_EQ(pictures, sample.frames.size());
    EXPECT_EQ(PlayWithThreads(sample, 2), alone);
    EXPECT_EQ(PlayWithThreads(sample, 3), alone);
}

}  // namespace
}  // namespace output
