// Renders the skins as a person would see them, for looking at after a change of the artwork:
//   [QT_SCALE_FACTOR=2] skin_preview [--show] OUTDIR
// writes telva_main.png (the client's main window with its buttons, one of them hovered and one
// held down, and the volume slider), controls.png (calendar and time bar) and tip.png (an info tip
// with Korean and German text), or their @2x versions on a scaled run.
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "telva_main_layout.h"
#include "ui/calendar_control.h"
#include "ui/info_tip.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"
#include "ui/skin_slider.h"
#include "ui/time_range_bar.h"

namespace {

constexpr platform::StringEntry kNoTexts[] = {{0, ""}};

// What the screen shows: at the device pixel ratio of the run (QT_SCALE_FACTOR=2 for HiDPI).
QImage Render(QWidget& widget) {
    return widget.grab().toImage();
}

}  // namespace

int main(int argc, char** argv) {
    // --show keeps the windows open on the real display instead of only writing pictures.
    const bool show = argc == 3 && qstrcmp(argv[1], "--show") == 0;
    if (!show) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2 && !show) {
        std::fprintf(stderr, "usage: skin_preview [--show] OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[argc - 1]);
    QDir().mkpath(out);

    platform::StringTable strings(kNoTexts);
    ui::SkinDialog window(ui::art::kTelvaMainButtons, strings);
    window.Frame().Create(ui::art::kTelvaMainBackground, 30);
    window.Frame().SetButtonBitmaps(6, 167, 163, 167);  // the 16-channel layout is active
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(window.Frame().Button(20), &enter);
    window.Frame().Button(12)->setDown(true);
    ui::SkinSlider volume(&window);
    volume.setGeometry(ui::art::kTelvaVolumeLeft, ui::art::kTelvaVolumeTop,
                       ui::art::kTelvaVolumeWidth, ui::art::kTelvaVolumeHeight);
    volume.setRange(0, 17);
    volume.setValue(11);
    const int* b = ui::art::kTelvaVolumeBitmaps;
    volume.SetBitmaps(b[0], b[1], b[2], b[3], b[4], 0);
    window.show();

    QWidget controls;
    controls.resize(340, 240);
    controls.setStyleSheet(QStringLiteral("background: #1e242b"));
    ui::CalendarControl calendar(&controls);
    calendar.move(12, 12);
    calendar.SetArrowBitmaps(310, 311, 312, 313, 314, 315);
    calendar.SetDate({2026, 12, 8});
    ui::CalendarModel::Marks marks{};
    marks[10] = marks[11] = marks[16] = true;
    calendar.SetMarks(2026, 12, marks);
    ui::TimeRangeBar bar(&controls);
    bar.setGeometry(12, 200, 316, 18);
    bar.SetMarkerBitmaps(316, 317);
    bar.SetRange(0, 59);
    bar.SetShownDate({2026, 12, 8});
    bar.SetStart(12, {2026, 12, 8});
    bar.SetEnd(40, {2026, 12, 8});
    controls.show();

    ui::InfoTip tip(&controls);
    tip.SetText(QStringLiteral("09:45  \uc5f0\uacb0 / Verbinden"));
    tip.Show(QPoint(40, 190));

    const QString suffix =
        qApp->devicePixelRatio() > 1 ? QStringLiteral("@2x.png") : QStringLiteral(".png");
    const bool ok = Render(window).save(out + QStringLiteral("/telva_main") + suffix) &&
                    Render(controls).save(out + QStringLiteral("/controls") + suffix) &&
                    Render(tip).save(out + QStringLiteral("/tip") + suffix);
    if (!ok) return 1;
    return show ? app.exec() : 0;
}
