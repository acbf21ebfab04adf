#include "output/channel_display.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "output/view_picture.h"
#include "platform/registry_store.h"
#include "tests/output/sample_frames.h"
#include "tests/support/temp_dir.h"

namespace output {
namespace {

using platform::Hive;
using platform::kEnvironmentsKey;

class CollectedMessages final : public DisplayMessages {
  public:
    void ShowInformation(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

class CountingView final : public ChannelView {
  public:
    bool Open(int w, int h, int type, bool deinterlace) override {
        width = w;
        height = h;
        displayType = type;
        this->deinterlace = deinterlace;
        return type == kDisplayRgb || gpuWorks;
    }
    void PictureReady() override { ++ready; }
    void Release() override { ++released; }
    bool gpuWorks = true;
    int width = 0, height = 0, displayType = -1, ready = 0, released = 0;
    bool deinterlace = false;
};

class ChannelDisplayTest : public ::testing::Test {
  protected:
    std::string Setting(std::string_view name) {
        std::string v;
        settings_.ReadString(Hive::kLocalMachine, kEnvironmentsKey, name, &v);
        return v;
    }
    testsupport::TempDir dir_;
    platform::RegistryStore settings_{dir_ / "Environments.ini"};
    CollectedMessages messages_;
};

TEST_F(ChannelDisplayTest, MissingSettingsAreWrittenBackWithTheirDefaults) {
    ChannelDisplay display(settings_, &messages_);
    EXPECT_TRUE(display.deinterlace());
    EXPECT_EQ(Setting("DeInterlaced"), "1");
    display.SetResolution(1);
    ASSERT_TRUE(display.OpenDecoders());
    EXPECT_EQ(Setting("DisplayType"), "0");
    EXPECT_EQ(display.displayType(), kDisplayGpu);
    EXPECT_EQ(display.pictureLayout(), PixelLayout::kYuy2);

    settings_.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "DisplayType", "1");
    settings_.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "DeInterlaced", "0");
    ChannelDisplay rgb(settings_, &messages_);
    EXPECT_FALSE(rgb.deinterlace());
    rgb.SetResolution(2);
    ASSERT_TRUE(rgb.OpenDecoders());
    EXPECT_EQ(rgb.pictureLayout(), PixelLayout::kBgrBottomUp);
}

TEST_F(ChannelDisplayTest, ResolutionCodesAndTheUnknownOne) {
    ChannelDisplay display(settings_, &messages_);
    const int sizes[][3] = {{0, 704, 240}, {1, 352, 240}, {2, 704, 480},
                            {4, 704, 288}, {5, 352, 288}, {6, 704, 576}};
    for (const auto& s : sizes) {
        display.SetResolution(s[0]);
        EXPECT_EQ(display.width(), s[1]) << s[0];
        EXPECT_EQ(display.height(), s[2]) << s[0];
    }
    EXPECT_TRUE(messages_.texts.empty());
    display.SetResolution(1);
    display.SetResolution(3);
    EXPECT_EQ(display.width(), 704);
    EXPECT_EQ(display.height(), 576);
    ASSERT_EQ(messages_.texts.size(), 1u);
    EXPECT_EQ(messages_.texts[0], "Unknown image size. We will assume the maximum size.");
}

TEST_F(ChannelDisplayTest, ViewsOpenWithTheSettingOrTheSessionsDisplayType) {
    ChannelDisplay display(settings_, &messages_);
    display.SetResolution(2);
    CountingView view;
    view.gpuWorks = false;
    display.AttachView(3, &view);
    EXPECT_FALSE(display.OpenView(3));  // the GPU path is not available: caller falls back
    EXPECT_EQ(view.displayType, kDisplayGpu);
    EXPECT_EQ(view.released, 1);
    EXPECT_TRUE(display.OpenView(3, kDisplayRgb));
    EXPECT_EQ(view.width, 704);
    EXPECT_EQ(view.height, 480);
    EXPECT_TRUE(view.deinterlace);
    EXPECT_FALSE(display.OpenView(4));  // no view attached
    display.Close();
    EXPECT_EQ(view.released, 3);
}

// A stream shows each I/P picture one frame late: right after opening, the first frame shows
// the blank picture, unless panorama decodes it twice; panorama also hides marks and caption.
TEST_F(ChannelDisplayTest, FirstPictureIsBlankUnlessPanorama) {
    const auto sample = testsupport::LoadSample(testsupport::kCifSample);
    ASSERT_FALSE(sample.frames.empty());
    const auto& first = sample.frames[0];
    ChannelDisplay display(settings_, &messages_);
    display.SetResolution(sample.sizeCode);
    CountingView view;
    display.AttachView(first.channel, &view);
    ASSERT_TRUE(display.OpenDecoders());
    EXPECT_TRUE(display.Frame(first.channel)->blank);
    EXPECT_FALSE(display.frameShown());
    display.Redraw(first.channel);
    EXPECT_EQ(view.ready, 0);  // nothing to draw again before the first decode

    display.SetCaption(first.channel, "CAM 1");
    display.SetMarks(first.channel, true, true);
    ASSERT_TRUE(display.DecodeAndShow(first.channel, first.bytes.data(), first.bytes.size()));
    EXPECT_TRUE(display.frameShown());
    EXPECT_EQ(view.ready, 1);
    {
        auto frame = display.Frame(first.channel);
        EXPECT_TRUE(frame->blank);
        EXPECT_TRUE(frame->motion);
        EXPECT_EQ(*frame->caption, "CAM 1");
    }

    ASSERT_TRUE(display.OpenDecoders());
    display.SetPanorama(true);
    ASSERT_TRUE(display.DecodeAndShow(first.channel, first.bytes.data(), first.bytes.size()));
    auto frame = display.Frame(first.channel);
    EXPECT_FALSE(frame->blank);
    EXPECT_FALSE(frame->motion);
    EXPECT_FALSE(frame->sensor);
    EXPECT_TRUE(frame->caption->empty());
}

TEST_F(ChannelDisplayTest, ComposeOfNeverDecodedChannelsIsBlackWithGridLines) {
    ChannelDisplay display(settings_, &messages_);
    display.SetResolution(6);
    BgrImage picture;
    EXPECT_FALSE(display.Compose(22, &picture));  // decoders not open
    ASSERT_TRUE(display.OpenDecoders());          // D1 in YUY2: zero bytes would read as green
    EXPECT_FALSE(display.Compose(-1, &picture));
    Layout layout;
    ASSERT_TRUE(display.Compose(22, &picture, &layout));
    ASSERT_EQ(picture.width, 720);
    ASSERT_EQ(picture.height, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 720; ++x) {
            const uint8_t* p = picture.pixels + y * picture.stride + 3 * x;
            const bool line = (x % 180 == 0 && x > 0) || (y % 120 == 0 && y > 0);
            const uint8_t want = line ? kGridLineColour[0] : 0;
            ASSERT_EQ(p[0], want) << x << "," << y;
        }
    ASSERT_TRUE(display.Compose(3, &picture));
    EXPECT_EQ(picture.width, 704);
    EXPECT_EQ(picture.height, 576);
}

// The RGB view de-interlaces 704-wide full-height pictures only: a CIF picture with strong
// combing passes unchanged, a D1 one does not.
TEST(ViewPicture, OnlyFullHeightD1PicturesAreDeinterlaced) {
    ViewPicture view;
    auto combed = [](int w, int h) {
        std::vector<uint8_t> p(static_cast<size_t>(w) * h * 2);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 2 * w; ++x)
                p[static_cast<size_t>(y) * 2 * w + x] = (x & 1) ? 128 : (y & 1 ? 16 : 235);
        return p;
    };
    for (const auto& [w, h, changes] :
         {std::tuple{352, 240, false}, std::tuple{704, 240, false}, std::tuple{352, 288, false},
          std::tuple{704, 480, true}, std::tuple{704, 576, true}}) {
        const auto picture = combed(w, h);
        CellFrame f;
        f.pixels = picture.data();
        f.width = w;
        f.height = h;
        f.deinterlace = true;
        const uint8_t* out = view.ToYuy2(f);
        const bool same = std::memcmp(out, picture.data(), picture.size()) == 0;
        EXPECT_EQ(!same, changes) << w << "x" << h;
        f.deinterlace = false;
        EXPECT_EQ(std::memcmp(view.ToYuy2(f), picture.data(), picture.size()), 0);
    }
}

TEST(ViewPicture, RgbPicturesAreCroppedAndTurnedTopDown) {
    const int w = 352, h = 240;
    std::vector<uint8_t> bgr(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &bgr[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y);
            p[2] = 7;
        }
    CellFrame f;
    f.pixels = bgr.data();
    f.width = w;
    f.height = h;
    f.layout = PixelLayout::kBgrBottomUp;
    ViewPicture view;
    const uint8_t* rgb32 = view.Scaled(f, w - 16, h - 4);
    // The top-left pixel shown is column 8 of row 2 from the top, that is bitmap row h - 3.
    EXPECT_EQ(rgb32[0], 8);
    EXPECT_EQ(rgb32[1], h - 3);
    EXPECT_EQ(rgb32[2], 7);
    EXPECT_EQ(rgb32[3], 255);
    EXPECT_EQ(view.ToYuy2(f), nullptr);
}

// A small cell converts only the pixels it samples; it must show exactly what sampling the
// fully converted (and de-interlaced) picture shows.
TEST(ViewPicture, SmallCellsSampleTheSamePixelsAsTheWholePicture) {
    const int w = 704, h = 480;
    std::vector<uint8_t> yuy2(static_cast<size_t>(w) * h * 2);
    uint32_t seed = 12345;
    for (auto& b : yuy2) {
        seed = seed * 1103515245 + 12345;
        b = static_cast<uint8_t>(seed >> 16);
    }
    CellFrame f;
    f.pixels = yuy2.data();
    f.width = w;
    f.height = h;
    f.deinterlace = true;
    ViewPicture whole;
    ViewPicture small;
    const int bw = w - 16, bh = h - 4;
    const std::vector<uint8_t> full(whole.Scaled(f, bw, bh), whole.Scaled(f, bw, bh) + bw * bh * 4);
    for (const auto& [cw, ch] : {std::pair{175, 119}, std::pair{233, 157}, std::pair{90, 60}}) {
        const uint8_t* cell = small.Scaled(f, cw, ch);
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x) {
                const int sx = x * bw / cw;
                const int sy = y * bh / ch;
                ASSERT_EQ(0, std::memcmp(cell + (y * cw + x) * 4, &full[(sy * bw + sx) * 4], 4))
                    << cw << "x" << ch << " at " << x << "," << y;
            }
    }
}

}  // namespace
}  // namespace output
