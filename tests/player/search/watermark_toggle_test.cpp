#include "player/search/watermark_toggle.h"

#include <gtest/gtest.h>

#include "media/still_image.h"
#include "media/watermark.h"
#include "tests/support/temp_dir.h"

namespace player {
namespace {

std::vector<uint8_t> Jpeg(int w, int h) {
    media::RgbPicture p;
    p.width = w;
    p.height = h;
    p.rgb.resize(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < p.rgb.size(); ++i)
        p.rgb[i] = static_cast<uint8_t>((i * 37) % 251);
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_TRUE(media::EncodeJpeg(p, &out, &error)) << error;
    return out;
}

TEST(WatermarkToggle, RefusalsAndTheTwoPresses) {
    testsupport::TempDir dir;
    WatermarkToggle toggle;
    media::RgbPicture picture;
    std::string error;
    EXPECT_EQ(toggle.Press("", &picture, &error), WatermarkToggle::Outcome::kNoFile);
    for (const char* video : {"a.umv", "a.idx", "a.ums"})
        EXPECT_EQ(toggle.Press(dir / video, &picture, &error),
                  WatermarkToggle::Outcome::kVideoFile);
    EXPECT_EQ(toggle.Press(dir / "missing.jpg", &picture, &error),
              WatermarkToggle::Outcome::kCantOpen);

    const std::string untimed = dir / "untimed.jpg";
    ASSERT_EQ(media::WriteStill(untimed, Jpeg(64, 32), media::StillTrailer{}),
              media::StillError::kNone);
    EXPECT_EQ(toggle.Press(untimed, &picture, &error), WatermarkToggle::Outcome::kNoTime);
    EXPECT_FALSE(toggle.pressed());

    const std::string timed = dir / "timed.jpg";
    ASSERT_EQ(
        media::WriteStill(timed, Jpeg(64, 32), media::StillTrailer::At({2008, 6, 1, 10, 11, 12})),
        media::StillError::kNone);
    EXPECT_EQ(toggle.Press(timed, &picture, &error), WatermarkToggle::Outcome::kShowCheck);
    EXPECT_EQ(picture.width, 64);
    EXPECT_EQ(picture.height, 32);
    EXPECT_TRUE(toggle.pressed());
    EXPECT_EQ(toggle.Press(timed, &picture, &error), WatermarkToggle::Outcome::kShowStill);
    EXPECT_FALSE(toggle.pressed());
    EXPECT_EQ(toggle.Press(timed, &picture, &error), WatermarkToggle::Outcome::kShowCheck);
    toggle.Reset();
    EXPECT_FALSE(toggle.pressed());
}

}  // namespace
}  // namespace player

#include "player/search/still_commands.h"

namespace player {
namespace {

TEST(StillCommands, CaptureAndPrintRefusals) {
    EXPECT_EQ(CaptureRefusal(""), CommandRefusal::kNoFile);
    EXPECT_EQ(CaptureRefusal("/f/Gate,080601_101112,M,.JPG"), CommandRefusal::kAlreadySaved);
    EXPECT_EQ(CaptureRefusal("/f/20080601_100000.idx"), CommandRefusal::kNone);
    EXPECT_EQ(PrintRefusal("", false), CommandRefusal::kNoFile);
    EXPECT_EQ(PrintRefusal("/f/20080601_100000.umv", true), CommandRefusal::kPlaying);
    EXPECT_EQ(PrintRefusal("/f/20080601_100000.umv", false), CommandRefusal::kNone);
    EXPECT_EQ(PrintRefusal("/f/a.jpg", false), CommandRefusal::kNone);
}

}  // namespace
}  // namespace player
