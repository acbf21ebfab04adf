// The main window on the offscreen platform over the sample recording: it opens, plays, pauses,
// steps, changes layouts and pages through the panorama, and its cells show the pictures.
#include "player/qt/player_window.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidget>
#include <cmath>

#include "output/qt/channel_cell.h"
#include "platform/registry_store.h"
#include "player/player_strings.h"
#include "tests/support/temp_dir.h"

namespace {

using player::EngineState;
using player::qt::PlayerWindow;

constexpr char kSample[] =
    DVR_SOURCE_DIR "/samples/d1_4ch/Lobby_20260314_095952/20260314_095952.idx";

// PSNR of two equally sized pictures over the rows [top, bottom).
double Psnr(const QImage& a, const QImage& b, int top, int bottom) {
    double sum = 0;
    size_t n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                sum += d * d;
                ++n;
            }
        }
    const double mse = sum / static_cast<double>(n);
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

class PlayerWindowTest : public ::testing::Test {
  protected:
    PlayerWindowTest()
        : settings(dir / "Environments.ini"),
          window(settings, player::PlayerStrings(), dir.path(), 1) {
        window.show();
    }
    bool WaitFor(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, 60000);
    }

    testsupport::TempDir dir;
    platform::RegistryStore settings;
    PlayerWindow window;
};

TEST_F(PlayerWindowTest, CellsShowTheDecodedPictures) {
    ASSERT_TRUE(window.OpenFile(QString::fromLatin1(kSample), true, 0).isEmpty());
    ASSERT_TRUE(WaitFor([&] { return window.engine().state() == EngineState::kPaused; }));
    window.ShowHeldPictures();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.engine().layout(), player::kLayoutFirstFour);

    auto* cell = window.cell(0);
    ASSERT_TRUE(cell->isVisible());
    EXPECT_EQ(cell->geometry(), QRect(24, 41, 320, 240));
    const QImage shown = cell->grab().toImage().convertToFormat(QImage::Format_RGB32);

    // The same picture as the renderer composes it, cropped and scaled like the cell.
    output::BgrImage composed;
    ASSERT_TRUE(window.display().Compose(0, &composed));
    const QImage picture(composed.pixels, composed.width, composed.height,
                         static_cast<qsizetype>(composed.stride), QImage::Format_BGR888);
    const QImage expected = picture.copy(8, 2, composed.width - 16, composed.height - 4)
                                .scaled(shown.size())
                                .convertToFormat(QImage::Format_RGB32);
    // Rows with the caption and the time overlay left out.
    EXPECT_GT(Psnr(shown, expected, 24, shown.height() - 24), 25.0);
}

TEST_F(PlayerWindowTest, TransportLayoutsAndPanorama) {
    ASSERT_TRUE(window.OpenFile(QString::fromLatin1(kSample), true).isEmpty());
    ASSERT_TRUE(WaitFor([&] { return window.statusText() == QStringLiteral("Play"); }));
    ASSERT_TRUE(WaitFor([&] { return window.engine().position() > 20; }));
    EXPECT_FALSE(window.timeText().isEmpty());
    EXPECT_GT(window.fileList()->topLevelItemCount(), 0);

    window.engine().Pause();
    ASSERT_TRUE(WaitFor([&] { return window.statusText() == QStringLiteral("Pause"); }));
    const int64_t paused = window.engine().position();
    window.engine().NextFrame();
    EXPECT_GT(window.engine().position(), paused);

    window.ChooseLayout(2);
    ASSERT_TRUE(WaitFor([&] { return window.cell(2)->geometry() == QRect(25, 41, 640, 480); }));
    EXPECT_TRUE(window.cell(2)->isVisible());
    EXPECT_FALSE(window.cell(0)->isVisible());

    window.ChooseLayout(player::kLayoutAll);
    ASSERT_TRUE(WaitFor([&] { return window.cell(15)->isVisible(); }));
    EXPECT_EQ(window.cell(15)->geometry(), QRect(24 + 161 * 3, 404, 160, 120));

    window.engine().Play();
    window.engine().TogglePanorama();
    ASSERT_TRUE(WaitFor([&] { return window.statusText() == QStringLiteral("Panorama"); }));
    EXPECT_EQ(window.engine().state(), EngineState::kPanorama);
    window.engine().TogglePanorama();
    EXPECT_EQ(window.engine().state(), EngineState::kPlaying);
    window.engine().Stop();
    ASSERT_TRUE(WaitFor([&] { return window.statusText() == QStringLiteral("Stop"); }));
}

TEST_F(PlayerWindowTest, UnopenableFileLeavesTheWindowStopped) {
    EXPECT_EQ(window.OpenFile(QString::fromStdString(dir / "none.idx"), true),
              QStringLiteral("File can't opened!"));
    EXPECT_EQ(window.engine().state(), EngineState::kStopped);
}

}  // namespace

namespace {

constexpr char kSampleStill[] = DVR_SOURCE_DIR "/samples/stills/Lobby,260314_095955,1,.jpg";
constexpr char kSampleUms[] = DVR_SOURCE_DIR "/samples/stills/Lobby_20260314_095952_ch1.ums";

// A still image and a single frame open in the large cell; a recording opened afterwards plays
// with the still gone.
TEST_F(PlayerWindowTest, SingleFramesAndStillsShowInTheLargeCell) {
    ASSERT_TRUE(window.OpenFile(QString::fromLatin1(kSampleStill), true).isEmpty());
    EXPECT_EQ(window.engine().mode(), player::OpenMode::kStill);
    ASSERT_TRUE(WaitFor([&] { return window.cell(0)->geometry() == QRect(25, 41, 640, 480); }));
    const QImage cell = window.cell(0)->grab().toImage();
    // The still's own picture over the whole cell: the camera's sky, not the black of a cell
    // that has decoded nothing.
    for (const QPoint at : {QPoint(320, 60), QPoint(600, 100)})
        EXPECT_GT(qBlue(cell.pixel(at)), 60) << at.x();

    ASSERT_TRUE(window.OpenFile(QString::fromLatin1(kSampleUms), true).isEmpty());
    EXPECT_EQ(window.engine().mode(), player::OpenMode::kSingleFrame);

    ASSERT_TRUE(window.OpenFile(QString::fromLatin1(kSample), true).isEmpty());
    QCoreApplication::processEvents();
    auto* still = window.cell(0)->findChild<QWidget*>(QStringLiteral("still"));
    ASSERT_NE(still, nullptr);
    EXPECT_FALSE(still->isVisible());
    window.engine().Stop();
}

}  // namespace
