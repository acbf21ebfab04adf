// Full repaint of the remote client's skinned main window: background, 30 bitmap buttons and the
// volume slider, painted into the window's own backing picture as the screen would get it.
//   bench_ui                      1x
//   QT_SCALE_FACTOR=2 bench_ui    2x (the @2x artwork)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "ui/art/telva_main_layout.h"
#include "ui/skin_dialog.h"
#include "ui/skin_slider.h"

namespace {

constexpr platform::StringEntry kNoTexts[] = {{0, ""}};

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_ui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

void BM_RepaintSkinnedMainWindow(benchmark::State& state) {
    App();
    platform::StringTable strings(kNoTexts);
    ui::SkinDialog window(ui::art::kTelvaMainButtons, strings);
    window.Frame().Create(ui::art::kTelvaMainBackground, 30);
    ui::SkinSlider volume(&window);
    volume.setGeometry(ui::art::kTelvaVolumeLeft, ui::art::kTelvaVolumeTop,
                       ui::art::kTelvaVolumeWidth, ui::art::kTelvaVolumeHeight);
    volume.setRange(0, 17);
    const int* b = ui::art::kTelvaVolumeBitmaps;
    volume.SetBitmaps(b[0], b[1], b[2], b[3], b[4], 0);
    window.show();

    const qreal ratio = window.devicePixelRatioF();
    QImage target((QSizeF(window.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(ratio);
    window.render(&target);  // first paint loads and caches the artwork
    for (auto _ : state) {
        window.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetLabel(ratio > 1 ? "2x" : "1x");
}
BENCHMARK(BM_RepaintSkinnedMainWindow)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
