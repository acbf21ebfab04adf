#include "ui/slider_math.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

// The volume slider: range 0..17, no margin, 85 pixels wide, an 13-pixel thumb.
constexpr SliderGeometry kVolume{0, 17, 85, 0, 13};

TEST(SliderMath, ThumbStepsByWholePixelsOnAnEightyFivePixelTrack) {
    // (85 - 13) / 18 = 4 pixels a step, the division before the multiplication.
    EXPECT_EQ(SliderThumbX(kVolume, 0), 0);
    EXPECT_EQ(SliderThumbX(kVolume, 1), 4);
    EXPECT_EQ(SliderThumbX(kVolume, 9), 36);
    EXPECT_EQ(SliderThumbX(kVolume, 17), 68);
    // A step that does not divide evenly is truncated, not rounded: (85 - 11) / 18 = 4.
    EXPECT_EQ(SliderThumbX({0, 17, 85, 0, 11}, 17), 68);
    // The margin shifts the thumb and shortens the travel: 2 + 5 * ((85 - 4 - 13) / 18).
    EXPECT_EQ(SliderThumbX({0, 17, 85, 2, 13}, 5), 2 + 5 * 3);
}

// The player's position slider over a recording: more pictures than pixels. Whole-pixel steps
// would be 0 and the thumb would never leave the start while the filled track grows.
TEST(SliderMath, ThumbFollowsLongRangesInProportion) {
    const SliderGeometry position{0, 6999, 660, 6, 13};  // travel 635
    EXPECT_EQ(SliderThumbX(position, 0), 6);
    EXPECT_EQ(SliderThumbX(position, 3500), 6 + 3500 * 635 / 7000);
    EXPECT_EQ(SliderThumbX(position, 6999), 6 + 634);
    // One pixel a step would stop the thumb at 62% of the travel at the end; it reaches the end.
    EXPECT_EQ(SliderThumbX({0, 399, 660, 6, 13}, 399), 6 + 399 * 635 / 400);
    // The thumb and the mouse agree: the position under the thumb's centre is the position.
    for (int pos : {0, 1234, 5000, 6999})
        EXPECT_NEAR(SliderPositionFromX(position, SliderThumbX(position, pos) + 13 / 2), pos, 11);
}

TEST(SliderMath, PositionFromMouseRoundsHalfUpAndStaysInRange) {
    // Scale 18 / 72 = 0.25 per pixel after taking half the thumb (6) off.
    EXPECT_EQ(SliderPositionFromX(kVolume, 6), 0);
    EXPECT_EQ(SliderPositionFromX(kVolume, 7), 0);    // 0.25
    EXPECT_EQ(SliderPositionFromX(kVolume, 8), 1);    // 0.5 rounds up
    EXPECT_EQ(SliderPositionFromX(kVolume, 42), 9);   // 9.0, the middle
    EXPECT_EQ(SliderPositionFromX(kVolume, 84), 17);  // 19.5 kept at the end
    EXPECT_EQ(SliderPositionFromX(kVolume, -40), 0);  // left of the track keeps min
    // A range not starting at 0.
    EXPECT_EQ(SliderPositionFromX({10, 27, 85, 0, 13}, 42), 19);
}

TEST(SliderMath, TooNarrowControlsAndEmptyRangesDoNotDivideByZero) {
    EXPECT_EQ(SliderPositionFromX({0, 17, 13, 0, 13}, 50), 0);
    EXPECT_EQ(SliderPositionFromX({0, 17, 10, 4, 13}, 50), 0);
    EXPECT_EQ(SliderThumbX({5, 4, 85, 3, 13}, 5), 3);
}

TEST(SliderMath, FilledTrackCoversTheLeftPartInBothScales) {
    const FilledSpan span = SliderFilledSpan(85, 170, 9, 17);
    EXPECT_EQ(span.destWidth, 85 * 9 / 18);
    EXPECT_EQ(span.sourceWidth, 9 * 170 / 18);
    EXPECT_EQ(SliderFilledSpan(85, 85, 0, 17).destWidth, 0);
}

TEST(SliderMath, KeysMoveWithinTheRangeAndNameTheirCodes) {
    struct Case {
        SliderKey key;
        int pos, expected, code;
    } cases[] = {
        {SliderKey::Left, 5, 4, kSliderLineLeft},
        {SliderKey::Left, 0, 0, kSliderLineLeft},
        {SliderKey::Right, 5, 6, kSliderLineRight},
        {SliderKey::Right, 17, 17, kSliderLineRight},
        {SliderKey::PageUp, 5, 2, kSliderPageUp},
        {SliderKey::PageUp, 2, 0, kSliderPageUp},
        {SliderKey::PageDown, 5, 8, kSliderPageDown},
        {SliderKey::PageDown, 16, 17, kSliderPageDown},
        {SliderKey::Home, 9, 0, kSliderHome},
        {SliderKey::End, 9, 17, kSliderEnd},
    };
    for (const Case& c : cases) {
        const SliderStep step = SliderKeyStep(c.key, c.pos, 0, 17, 3, 1);
        EXPECT_EQ(step.position, c.expected) << static_cast<int>(c.key) << " from " << c.pos;
        EXPECT_EQ(step.code, c.code);
    }
}

}  // namespace
}  // namespace ui
