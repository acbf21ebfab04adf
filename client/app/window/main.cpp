// Telva_M4: one copy at a time, the interface language, then the main window; optionally connected
// at once to the recorder named on the command line, and a screenshot after some seconds.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLocale>
#include <QLockFile>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "client/app/settings/client_language.h"
#include "client/app/settings/client_settings.h"
#include "client/app/window/connection_bridge.h"
#include "client/app/window/core/client_startup.h"
#include "client/app/window/telva_window.h"
#include "client/net/client_strings.h"
#include "platform/program_directory.h"
#include "platform/registry_store.h"
#include "ui/language_pack.h"

namespace {

constexpr int kTextAlreadyRunning = 2046;
constexpr int kTextCheckConnection = 2000;

QString RuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

bool Offscreen() {
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

void Tell(const QString& text) {
    if (Offscreen())
        std::fprintf(stderr, "Telva_M4: %s\n", text.toUtf8().constData());
    else
        QMessageBox::information(nullptr, QStringLiteral("Telva_M4"), text);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::string> args;
    for (qsizetype i = 1; i < app.arguments().size(); ++i)
        args.push_back(app.arguments()[i].toStdString());
    const client_app::CommandLine cl = client_app::ParseCommandLine(args);
    if (!cl.error.empty()) {
        std::fprintf(stderr, "Telva_M4: %s\n", cl.error.c_str());
        return 2;
    }
    const bool screenshot = !cl.screenshot.empty();

    // The language comes first, so that even the single-copy message is in it.
    platform::RegistryStore& settings = platform::RegistryStore::Default();
    const std::string programDir = platform::ProgramDirectory();
    platform::StringTable& strings = client::ClientStrings();
    ui::LanguagePack pack(strings);
    const std::string dataDir = platform::UserDataDirectory();
    const client::ClientSettings clientSettings(settings, programDir, dataDir);
    const ui::Language language = client::ChooseClientLanguage(
        clientSettings, client_app::LanguageIdOfLocale(QLocale::system().name().toStdString()));
    const bool loaded = pack.Load(programDir, "Telva_M4", language).ok;

    // One interactive copy at a time; a screenshot run is a script's and needs no lock.
    QLockFile instance(RuntimeFolder() + QStringLiteral("/Telva_M4.lock"));
    if (!screenshot && !instance.tryLock(0)) {
        Tell(QString::fromStdString(strings.Text(kTextAlreadyRunning)));
        return 0;
    }

    // Each live channel, the audio stream and every control is a connection of its own; the
    // transport opens each with its own handle and sets no limit per recorder, so there is no
    // connection limit to raise here.
    client_app::WindowOptions options;
    options.programDir = programDir;
    options.dataDir = dataDir;
    options.languageId = client_app::LanguageIdAfterLoad(language, loaded);
    options.languagePack = &pack;
    // Offscreen there is no GPU surface to grab: pictures go the RGB way.
    if (screenshot || Offscreen()) options.displayType = 1;
    options.quietMessages = screenshot;
    client_app::TelvaWindow window(settings, strings, options);
    window.show();
    window.activateWindow();

    if (cl.connect()) {
        QString password = qEnvironmentVariable("TELVA_PASSWORD");
        if (password.isEmpty() && !Offscreen()) {
            bool ok = false;
            password = QInputDialog::getText(
                &window, QStringLiteral("Telva_M4"),
                QStringLiteral("Password for %1@%2")
                    .arg(QString::fromStdString(cl.user), QString::fromStdString(cl.host)),
                QLineEdit::Password, QString(), &ok);
            if (!ok) password.clear();
        }
        if (password.isEmpty()) {
            std::fprintf(stderr, "Telva_M4: no password (set TELVA_PASSWORD)\n");
            return 1;
        }
        window.ConnectTo(
            {cl.dvrName, cl.host, std::to_string(cl.port), cl.user, password.toStdString()});
    }
    // --stats: pictures decoded and handed to the panes per second, from the first stream on.
    QElapsedTimer streaming;
    uint64_t picturesAtStart = 0;
    QObject::connect(&window, &client_app::TelvaWindow::streamChanged, &window, [&](int kind) {
        if (kind == 0 || streaming.isValid()) return;
        streaming.start();
        picturesAtStart = window.bridge().picturesShown();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&] {
        if (!cl.stats || !streaming.isValid()) return;
        const double seconds = static_cast<double>(streaming.elapsed()) / 1000.0;
        const uint64_t shown = window.bridge().picturesShown() - picturesAtStart;
        std::fprintf(stderr, "pictures shown: %llu in %.2f s, %.1f per second\n",
                     static_cast<unsigned long long>(shown), seconds,
                     seconds > 0 ? static_cast<double>(shown) / seconds : 0.0);
    });
    if (screenshot) {
        QTimer::singleShot(cl.seconds * 1000, &window, [&] {
            if (cl.connect() && !window.streamUp()) {
                QString message = window.lastMessage();
                if (message.isEmpty())
                    message = QString::fromStdString(strings.Text(kTextCheckConnection));
                std::fprintf(stderr, "%s\n", message.toUtf8().constData());
                app.exit(1);
                return;
            }
            const bool saved = window.Grab().save(QString::fromStdString(cl.screenshot));
            if (saved) std::printf("%s\n", cl.screenshot.c_str());
            app.exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
