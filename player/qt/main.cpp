// Orvane_M4: one copy at a time, the language and settings, then the main window.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "platform/program_directory.h"
#include "platform/registry_store.h"
#include "player/player_settings.h"
#include "player/player_startup.h"
#include "player/player_strings.h"
#include "player/qt/player_window.h"
#include "player/qt/window_trace.h"
#include "ui/language_pack.h"

namespace {

constexpr int kTextAlreadyRunning = 2024;

QString RuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

std::vector<std::string> Arguments(const QStringList& args) {
    std::vector<std::string> out;
    for (qsizetype i = 1; i < args.size(); ++i)
        out.push_back(args[i].toStdString());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));
    using platform::Hive;
    using platform::kEnvironmentsKey;

    const player::CommandLine cl = player::ParseCommandLine(Arguments(app.arguments()));
    if (!cl.error.empty()) {
        std::fprintf(stderr, "Orvane_M4: %s\n", cl.error.c_str());
        return 2;
    }
    const bool screenshot = !cl.screenshot.empty();

    platform::RegistryStore& settings = platform::RegistryStore::Default();
    const std::string programDir = platform::ProgramDirectory();
    platform::StringTable& strings = player::PlayerStrings();
    ui::LanguagePack pack(strings);
    std::string word;
    settings.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "Language", &word);
    const ui::Language language = player::ChooseLanguage(
        word, player::LanguageIdOfLocale(QLocale::system().name().toStdString()));
    pack.Load(programDir, "Orvane_M4", language);  // on failure English stays

    // One interactive copy at a time; a screenshot run is a script's and needs no lock.
    QLockFile instance(RuntimeFolder() + QStringLiteral("/Orvane_M4.lock"));
    if (!screenshot && !instance.tryLock(0)) {
        const QString text = QString::fromStdString(strings.Str(kTextAlreadyRunning));
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        else
            QMessageBox::information(nullptr, QStringLiteral("Orvane_M4"), text);
        return 0;
    }

    // The settings the player reads are written back with their defaults when missing.
    settings.ReadOrInit(Hive::kLocalMachine, kEnvironmentsKey, "DisplayType", "0");
    settings.ReadOrInit(Hive::kLocalMachine, kEnvironmentsKey, "DeInterlaced", "1");
    // What the player writes goes to the user's data folder: the program's is read only.
    const std::string dataDir = platform::UserDataDirectory();
    std::string record;
    if (!settings.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "OrvRecordPath", &record))
        settings.ReadOrInit(Hive::kLocalMachine, kEnvironmentsKey, "RecordPath",
                            dataDir + "Record/");
    player::StillSearchPath(settings, dataDir);
    player::WatermarkPath(settings, programDir);

    // Made before the window, so that it outlives it.
    std::unique_ptr<player::qt::WindowTrace> trace;
    if (cl.trace) trace = std::make_unique<player::qt::WindowTrace>(stderr);
    // Offscreen there is no GPU surface to grab: pictures go the RGB way.
    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    player::qt::PlayerWindow window(settings, strings, programDir,
                                    screenshot || offscreen ? 1 : -1);
    window.SetLanguagePack(&pack, pack.Current());
    if (trace) window.SetTrace([&trace](const QString& line) { trace->Line(line); });
    if (screenshot) {
        QObject::connect(&window, &player::qt::PlayerWindow::screenshotTaken, &app, [&](bool ok) {
            std::printf("%s\n", cl.screenshot.c_str());
            app.exit(ok ? 0 : 1);
        });
        window.ScreenshotWhenReady(QString::fromStdString(cl.screenshot));
    }
    window.show();
    window.activateWindow();
    if (!cl.file.empty()) {
        const QString failure =
            window.OpenFile(QString::fromStdString(cl.file), screenshot, cl.at.value_or(-1));
        if (!failure.isEmpty() && screenshot) {
            std::fprintf(stderr, "Orvane_M4: %s: %s\n", cl.file.c_str(),
                         failure.toUtf8().constData());
            return 1;
        }
        if (cl.layout >= 0) window.ChooseLayout(cl.layout);
    } else if (screenshot) {
        std::fprintf(stderr, "Orvane_M4: --screenshot needs a file to open\n");
        return 1;
    }
    return app.exec();
}
