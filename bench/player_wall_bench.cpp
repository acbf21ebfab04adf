// CPU load of the player's main window playing a recording at x1 in the sixteen-cell layout on
// the RGB path (offscreen): process CPU time over wall time, in % of one core.
#include <sys/resource.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/registry_store.h"
#include "player/player_layout.h"
#include "player/player_strings.h"
#include "player/qt/player_window.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString file =
        args.size() > 1
            ? args[1]
            : QStringLiteral(DVR_SOURCE_DIR
                             "/samples/cif_16ch/Depot_20260314_095952/20260314_095952.idx");
    const int seconds = args.size() > 2 ? args[2].toInt() : 6;
    const std::string config = "/tmp/player_wall_bench.ini";
    platform::RegistryStore settings(config);
    player::qt::PlayerWindow window(settings, player::PlayerStrings(), "/tmp/", 1);
    window.show();
    if (!window.OpenFile(file, true).isEmpty()) return 1;
    window.ChooseLayout(player::kLayoutAll);
    // The first second opens the decoders and views; the load is measured after it.
    double cpu0 = 0;
    uint64_t shown0 = 0;
    auto wall0 = std::chrono::steady_clock::now();
    QTimer::singleShot(1000, [&] {
        cpu0 = CpuSeconds();
        shown0 = window.engine().picturesShown();
        wall0 = std::chrono::steady_clock::now();
    });
    QTimer::singleShot(1000 + seconds * 1000, [&] {
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        const double shown = static_cast<double>(window.engine().picturesShown() - shown0);
        std::printf(
            "%s: CPU %.1f %% of one core over %.1f s, %.0f pictures/s decoded (layout 4x4, RGB, "
            "offscreen)\n",
            file.toUtf8().constData(), 100.0 * (CpuSeconds() - cpu0) / wall, wall, shown / wall);
        app.quit();
    });
    return app.exec();
}
