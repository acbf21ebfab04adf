// The main window on the offscreen platform against a simulated recorder in the test process:
// the recorder, the settings file and the window's options, and waits that end as soon as what
// they wait for happens (with a generous guard against hanging).
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>
#include <string>
#include <vector>

#include "client/app/window/connection_bridge.h"
#include "client/app/window/telva_window.h"
#include "client/net/client_strings.h"
#include "output/null_audio_device.h"
#include "platform/registry_store.h"
#include "tests/support/temp_dir.h"
#include "tools/dvrsim/server.h"

namespace client_app {

using platform::Hive;
using platform::kEnvironmentsKey;
using Steady = std::chrono::steady_clock;

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { StartSim(sim_, 0); }

    void StartSim(dvrsim::Server& sim, uint16_t port, const char* sample = "cif_16ch") {
        dvrsim::Options o;
        o.source = std::string(DVR_SOURCE_DIR) + "/samples/" + sample;
        o.adminPassword = "4321";
        o.userPassword = "1234";
        o.port = port;
        o.controlLog = dir_ / "controls.log";
        std::string error;
        ASSERT_TRUE(sim.Start(o, &error)) << error;
    }

    void Set(const char* name, const char* value) {
        settings_.WriteString(Hive::kLocalMachine, kEnvironmentsKey, name, value);
    }

    std::unique_ptr<TelvaWindow> MakeWindow(ui::LanguagePack* pack = nullptr) {
        WindowOptions o;
        o.languagePack = pack;
        o.programDir = dir_.path();
        o.dataDir = dir_ / "data/";
        o.displayType = 1;
        o.quietMessages = true;
        o.timings.watchdogMs = 400;
        o.timings.readRetryPauseMs = 10;
        o.timings.audioRetryPauseMs = 100;
        o.timings.controlTimeoutMs = 5000;
        o.timings.connectTimeoutMs = 5000;
        o.makeAudioDevice = [] { return std::make_unique<output::NullAudioDevice>(); };
        o.steadyNow = [this] { return now_; };
        o.startProgram = [this](const QString& path, const QStringList& args) {
            started_.push_back(path + QLatin1Char(' ') + args.join(QLatin1Char(' ')));
            return path.endsWith(QLatin1String("Drovlet_M4"));
        };
        auto w = std::make_unique<TelvaWindow>(settings_, client::ClientStrings(), o);
        w->show();
        return w;
    }

    // Runs the window's events until `done` holds; false after a generous guard.
    template <class F>
    static bool Until(F done, int guardMs = 20000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > guardMs) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    bool ConnectAs(TelvaWindow& w, const std::string& user, const std::string& password) {
        w.ConnectTo({"Lobby", "127.0.0.1", std::to_string(sim_.port()), user, password});
        return Until([&] { return w.streamUp() && w.bridge().picturesShown() > 32; });
    }

    std::vector<std::string> ControlLog() { return testsupport::FileLines(dir_ / "controls.log"); }

    testsupport::TempDir dir_;
    platform::RegistryStore settings_{dir_ / "settings.ini"};
    dvrsim::Server sim_;
    Steady::time_point now_{};
    QStringList started_;
};

}  // namespace client_app
