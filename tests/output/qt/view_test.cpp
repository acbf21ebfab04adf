// Both cell views drawing the same decoded pictures: the shader's conversion agrees with the
// CPU converter, blank cells are filled, overlays sit where the windows expect them, and a cell
// falls back to the RGB view when the GPU view cannot draw.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSignalSpy>

#include <cstdlib>
#include <string>

#include "output/qt/channel_cell.h"
#include "output/qt/gpu_channel_view.h"
#include "output/qt/rgb_channel_view.h"
#include "platform/registry_store.h"
#include "tests/output/sample_frames.h"
#include "tests/output/system_leaks.h"
#include "tests/support/temp_dir.h"

namespace output::qt {
namespace {

QString ShotPath(const char* name) {
    return QString::fromUtf8(DVR_BINARY_DIR "/tests/output/qt/") + QString::fromUtf8(name) +
           QStringLiteral(".png");
}

class Views : public ::testing::Test {
  protected:
    // A display of the sample's size with DisplayType 0, channel 0 decoded until it shows a
    // picture.
    void OpenSample(const char* sample, bool decode = true) {
        settings_.WriteString(platform::Hive::kLocalMachine, platform::kEnvironmentsKey,
                              "DisplayType", "0");
        const auto rec = testsupport::LoadSample(sample);
        ASSERT_FALSE(rec.frames.empty());
        display_ = std::make_unique<ChannelDisplay>(settings_, nullptr);
        display_->SetResolution(rec.sizeCode);
        ASSERT_TRUE(display_->OpenDecoders());
        if (!decode) return;
        int shown = 0;
        for (const auto& f : rec.frames) {
            if (f.channel != 0) continue;
            ASSERT_TRUE(display_->DecodeAndShow(0, f.bytes.data(), f.bytes.size()));
            if (++shown == 3) break;
        }
        ASSERT_FALSE(display_->Frame(0)->blank);
    }
    // A view sized to the visible part of the picture, so both views draw it 1:1.
    template <class View>
    std::unique_ptr<View> MakeView() {
        auto view = std::make_unique<View>(*display_, 0);
        const CellRect v = VisibleRect(display_->width(), display_->height());
        view->resize(v.width, v.height);
        view->Open(display_->width(), display_->height(), kDisplayGpu, display_->deinterlace());
        return view;
    }
    QImage GpuShot(GpuChannelView& view) {
        view.show();
        QImage image = view.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        view.hide();
        return image;
    }
    QImage RgbShot(RgbChannelView& view) {
        return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    testsupport::TempDir dir_;
    platform::RegistryStore settings_{dir_ / "Environments.ini"};
    std::unique_ptr<ChannelDisplay> display_;
};

// The largest difference of any colour component.
int MaxDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

#define REQUIRE_GL()                                                               \
    if (!GpuChannelView::ContextAvailable())                                       \
    GTEST_SKIP() << "no OpenGL context can be made on this display: the GPU view " \
                    "is not tested"

TEST_F(Views, GpuAndRgbViewsShowTheSamePicture) {
    REQUIRE_GL();
    for (const char* sample : {testsupport::kCifSample, testsupport::kD1Sample}) {
        OpenSample(sample);
        auto rgb = MakeView<RgbChannelView>();
        auto gpu = MakeView<GpuChannelView>();
        ASSERT_TRUE(gpu->ready());
        const QImage a = RgbShot(*rgb);
        const QImage b = GpuShot(*gpu);
        const bool d1 = display_->height() >= 480;
        a.save(ShotPath(d1 ? "rgb_view_d1" : "rgb_view_cif"));
        b.save(ShotPath(d1 ? "gpu_view_d1" : "gpu_view_cif"));
        EXPECT_LE(MaxDifference(a, b), 2) << sample;
    }
}

TEST_F(Views, CellsWithoutAPictureAreFilled) {
    OpenSample(testsupport::kD1Sample, false);
    auto rgb = MakeView<RgbChannelView>();
    const QImage a = RgbShot(*rgb);
    EXPECT_EQ(a.pixel(100, 100), kEmptyCellColour.rgb());
    EXPECT_EQ(a.pixel(600, 400), kEmptyCellColour.rgb());
    if (!GpuChannelView::ContextAvailable()) return;
    auto gpu = MakeView<GpuChannelView>();
    const QImage b = GpuShot(*gpu);
    EXPECT_EQ(b.pixel(100, 100), kEmptyCellColour.rgb());
    EXPECT_EQ(b.pixel(600, 400), kEmptyCellColour.rgb());
}

bool AnyPixel(const QImage& image, QRect area, bool (*test)(QRgb)) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixel(x, y))) return true;
    return false;
}

void ExpectOverlays(const QImage& shot, const char* view) {
    const QRgb dot = shot.pixel(7, 27);
    EXPECT_EQ(qRed(dot), 255) << view;
    EXPECT_EQ(qGreen(dot), 0) << view;
    EXPECT_TRUE(AnyPixel(shot, QRect(17, 20, 22, 14),
                         [](QRgb p) {
                             return qRed(p) > 200 && qGreen(p) > 100 && qGreen(p) < 160 &&
                                    qBlue(p) < 60;
                         }))
        << view << ": motion mark";
    EXPECT_TRUE(AnyPixel(shot, QRect(42, 20, 22, 14),
                         [](QRgb p) { return qRed(p) > 230 && qGreen(p) > 190 && qBlue(p) < 60; }))
        << view << ": sensor mark";
    EXPECT_TRUE(AnyPixel(shot, QRect(0, 3, 40, 14), [](QRgb p) { return qGray(p) == 255; }))
        << view << ": caption";
}

TEST_F(Views, OverlaysOnBothViews) {
    OpenSample(testsupport::kCifSample);
    display_->SetShowLiveState(true);
    display_->SetLiveState(0, true);
    display_->SetMarks(0, true, true);
    display_->SetCaption(0, "CAM 1");
    auto rgb = MakeView<RgbChannelView>();
    const QImage a = RgbShot(*rgb);
    a.save(ShotPath("rgb_overlays"));
    ExpectOverlays(a, "rgb");
    if (!GpuChannelView::ContextAvailable()) return;
    auto gpu = MakeView<GpuChannelView>();
    const QImage b = GpuShot(*gpu);
    b.save(ShotPath("gpu_overlays"));
    ExpectOverlays(b, "gpu");
    // Without the marks only the picture remains.
    display_->SetLiveState(0, false);
    display_->SetMarks(0, false, false);
    display_->SetCaption(0, "");
    EXPECT_LE(MaxDifference(RgbShot(*rgb), GpuShot(*gpu)), 2);
}

TEST_F(Views, CellOpensTheViewOfItsDisplayType) {
    OpenSample(testsupport::kCifSample);
    ChannelCell cell(*display_, 0);
    cell.resize(336, 236);
    QSignalSpy fellBack(&cell, &ChannelCell::fellBackToRgb);
    EXPECT_TRUE(cell.Open(kDisplayRgb));
    EXPECT_FALSE(cell.usingGpu());
    ASSERT_NE(qobject_cast<RgbChannelView*>(cell.view()), nullptr);
    const bool gl = GpuChannelView::ContextAvailable();
    // The run without OpenGL makes sure the fallback is taken, not skipped.
    if (std::getenv("DVR_EXPECT_NO_GL")) {
        ASSERT_FALSE(gl);
    }
    EXPECT_EQ(cell.Open(kDisplayGpu), gl);
    EXPECT_EQ(cell.usingGpu(), gl);
    EXPECT_EQ(fellBack.count(), gl ? 0 : 1);
    EXPECT_EQ(cell.view()->geometry(), cell.rect());
}

}  // namespace
}  // namespace output::qt

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
