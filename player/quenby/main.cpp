// Quenby_M4: the simple player that travels with backups. It plays the recordings of the folder
// it stands in, and nothing else.
//   Quenby_M4 [--screenshot OUT.png]
#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "platform/program_directory.h"
#include "platform/registry_store.h"
#include "player/quenby/quenby_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));
    const QStringList args = app.arguments();
    QString screenshot;
    if (args.size() == 3 && args[1] == QStringLiteral("--screenshot")) {
        screenshot = args[2];
    } else if (args.size() != 1) {
        std::fprintf(stderr, "usage: Quenby_M4 [--screenshot OUT.png]\n");
        return 2;
    }
    // Offscreen there is no GPU surface to grab: pictures go the RGB way.
    const bool rgb =
        !screenshot.isEmpty() || QGuiApplication::platformName() == QLatin1String("offscreen");
    quenby::QuenbyWindow window(platform::RegistryStore::Default(), platform::ProgramDirectory(),
                                rgb ? 1 : -1);
    window.show();
    if (!screenshot.isEmpty()) {
        QObject::connect(&window, &quenby::QuenbyWindow::screenshotTaken, &app, [&](bool ok) {
            if (ok)
                std::printf("%s\n", screenshot.toUtf8().constData());
            else
                std::fprintf(stderr, "Quenby_M4: no recording to show in its folder\n");
            app.exit(ok ? 0 : 1);
        });
        window.ScreenshotFirstRecording(screenshot);
    } else if (window.rowCount() > 0) {
        window.PlayRow(0);
    }
    return app.exec();
}
