#include "ui/skin_slider.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "widget_support.h"

namespace ui {
namespace {

// The client's volume slider: 85 x 40, range 0..17, track 391, filled 389, thumb 388 (11 wide),
// dragging and focused thumb 390.
class SkinSliderTest : public testing::Test {
  protected:
    SkinSliderTest() : slider_(nullptr), spy_(&slider_, &SkinSlider::scrolled) {
        slider_.resize(85, 40);
        slider_.setRange(0, 17);
        slider_.setPageStep(3);
        slider_.SetBitmaps(391, 389, 388, 390, 390, 0);
    }
    // The notifications so far as (code, position) pairs, then forgotten.
    std::vector<std::pair<int, int>> Taken() {
        std::vector<std::pair<int, int>> out;
        for (const QList<QVariant>& call : spy_)
            out.emplace_back(call[0].toInt(), call[1].toInt());
        spy_.clear();
        return out;
    }
    using Calls = std::vector<std::pair<int, int>>;

    SkinSlider slider_;
    QSignalSpy spy_;
};

TEST_F(SkinSliderTest, ThumbStepsFourPixelsAcrossTheRange) {
    EXPECT_EQ(slider_.Geometry().thumbWidth, 11);
    EXPECT_EQ(slider_.ThumbY(), 10);
    EXPECT_EQ(slider_.ThumbX(), 0);
    slider_.setValue(9);
    EXPECT_EQ(slider_.ThumbX(), 36);
    slider_.setValue(17);
    EXPECT_EQ(slider_.ThumbX(), 68);
    // The thumb is drawn there: its bitmap over the track.
    const QImage picture = test::Picture(slider_);
    EXPECT_TRUE(test::Shows(picture, QRect(68, 10, 11, 20), test::Artwork(388)));
}

TEST_F(SkinSliderTest, KeysNotifyTheirCodeThenEightOnRelease) {
    slider_.setValue(9);
    QTest::keyPress(&slider_, Qt::Key_End);
    QTest::keyRelease(&slider_, Qt::Key_End);
    EXPECT_EQ(Taken(), (Calls{{7, 17}, {8, 17}}));
    QTest::keyClick(&slider_, Qt::Key_Home);
    QTest::keyClick(&slider_, Qt::Key_PageDown);
    QTest::keyClick(&slider_, Qt::Key_Right);
    QTest::keyClick(&slider_, Qt::Key_PageUp);
    QTest::keyClick(&slider_, Qt::Key_Left);
    EXPECT_EQ(
        Taken(),
        (Calls{{6, 0}, {8, 0}, {3, 3}, {8, 3}, {1, 4}, {8, 4}, {2, 1}, {8, 1}, {0, 0}, {8, 0}}));
    // At the start Left still reports, with the position unchanged.
    QTest::keyClick(&slider_, Qt::Key_Left);
    EXPECT_EQ(Taken(), (Calls{{0, 0}, {8, 0}}));
    // Up and down step like the arrows across the track instead of changing it silently.
    QTest::keyClick(&slider_, Qt::Key_Down);
    EXPECT_EQ(Taken(), (Calls{{1, 1}, {8, 1}}));
}

TEST_F(SkinSliderTest, MouseReportsEveryChangeThenTheEndOfTheDrag) {
    QTest::mousePress(&slider_, Qt::LeftButton, {}, QPoint(42, 20));
    EXPECT_TRUE(slider_.IsDragging());
    EXPECT_EQ(slider_.value(), 9);
    QTest::mouseMove(&slider_, QPoint(62, 20));
    QTest::mouseRelease(&slider_, Qt::LeftButton, {}, QPoint(80, 20));
    EXPECT_FALSE(slider_.IsDragging());
    const Calls calls = Taken();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), (std::pair<int, int>{5, 9}));
    EXPECT_EQ(calls[calls.size() - 2], (std::pair<int, int>{5, 17}));
    EXPECT_EQ(calls.back(), (std::pair<int, int>{4, 17}));

    // A click that does not change the position reports nothing.
    QTest::mouseClick(&slider_, Qt::LeftButton, {}, QPoint(80, 20));
    EXPECT_TRUE(Taken().empty());
}

TEST_F(SkinSliderTest, FilledTrackCoversTheLeftOfThePosition) {
    slider_.setValue(9);
    const QImage picture = test::Picture(slider_);
    // Left of the thumb the groove shows the filled track, right of it the empty one.
    EXPECT_EQ(picture.pixel(20, 20), test::Artwork(389).pixel(20, 20));
    EXPECT_EQ(picture.pixel(60, 20), test::Artwork(391).pixel(60, 20));
    EXPECT_NE(test::Artwork(389).pixel(20, 20), test::Artwork(391).pixel(20, 20));
}

TEST_F(SkinSliderTest, BackgroundCopyIsTakenFromItsOffsetOnlyWhenEighteenHigh) {
    // A copy whose rows are all different shades.
    QImage copy(85, 60, QImage::Format_RGB32);
    for (int y = 0; y < copy.height(); ++y) {
        for (int x = 0; x < copy.width(); ++x)
            copy.setPixel(x, y, qRgb(y * 4, 0, 0));
    }
    slider_.SetBackgroundCopy(QPixmap::fromImage(copy), 30);
    slider_.setValue(17);  // thumb out of the way, at the right
    slider_.resize(85, 18);
    EXPECT_EQ(test::Picture(slider_).pixel(5, 2), copy.pixel(5, 32));
    slider_.resize(85, 40);
    EXPECT_EQ(test::Picture(slider_).pixel(5, 2), copy.pixel(5, 2));
}

}  // namespace
}  // namespace ui
