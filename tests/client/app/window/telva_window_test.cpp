// The main window on the offscreen platform against a simulated recorder in the test process.
// Waits are for things to happen (with a generous guard against hanging); the window's timers
// are driven by hand with an injected clock.
#include "client/app/window/telva_window.h"
#include "tests/client/app/window/window_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "client/app/settings/recording_settings_dialog.h"
#include "client/app/window/connection_bridge.h"
#include "client/app/window/core/view_layout.h"
#include "client/net/client_strings.h"
#include "client/net/dvr_connection.h"
#include "output/null_audio_device.h"
#include "platform/registry_store.h"
#include "tests/support/temp_dir.h"
#include "tools/dvrsim/server.h"
#include "ui/skin_slider.h"

namespace client_app {
namespace {

TEST_F(WindowTest, AdministratorsAndUsersGetTheirButtonSets) {
    auto w = MakeWindow();
    // Before any login: neither the recorder functions nor the camera.
    for (int i = kButtonRecorderFirst; i < kButtonRecorderFirst + 4; ++i)
        EXPECT_FALSE(w->ButtonVisible(i));
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    EXPECT_EQ(w->modeText(), QStringLiteral("LIVE"));
    EXPECT_TRUE(w->informationText().endsWith(QStringLiteral("admin mode")));
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(w->ButtonVisible(i), i < 10 || i >= 20) << i;  // camera only for one channel
    w->SetViewMode(3);
    for (int i = 0; i < 30; ++i)
        EXPECT_TRUE(w->ButtonVisible(i)) << i;
    EXPECT_TRUE(w->presetList()->isEnabled());
    EXPECT_EQ(w->speedList()->currentIndex(), 2);

    ASSERT_TRUE(ConnectAs(*w, "user", "1234")) << w->lastMessage().toStdString();
    EXPECT_TRUE(w->informationText().endsWith(QStringLiteral("user mode")));
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(w->ButtonVisible(i), i < 10 || (i >= 20 && i < 24) || i >= 28) << i;
    EXPECT_FALSE(w->presetList()->isEnabled());
    EXPECT_FALSE(w->speedList()->isEnabled());
}

TEST_F(WindowTest, APaneShowsTheDecodedPicture) {
    auto w = MakeWindow();
    // Before its first picture a pane shows the idle picture.
    ASSERT_EQ(w->pane(5)->findChildren<QLabel*>().size(), 1);
    QLabel* idle = w->pane(5)->findChildren<QLabel*>().front();
    EXPECT_TRUE(idle->isVisible());
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    ASSERT_TRUE(Until([&] { return w->bridge().picturesShown(5) > 10; }));
    w->connection().stream().Stop(true);
    w->connection().stream().WaitStopped();
    QApplication::processEvents();
    EXPECT_FALSE(idle->isVisible());
    const QImage pane = w->pane(5)->grab().toImage().convertToFormat(QImage::Format_RGB888);
    auto composed = [&](int channel) {
        output::BgrImage picture;
        EXPECT_TRUE(w->display().Compose(channel, &picture));
        QImage image(picture.pixels, picture.width, picture.height,
                     static_cast<qsizetype>(picture.stride), QImage::Format_BGR888);
        return image.copy()
            .scaled(pane.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
            .convertToFormat(QImage::Format_RGB888);
    };
    auto difference = [&](const QImage& other) {
        double sum = 0;
        for (int y = 0; y < pane.height(); ++y)
            for (int x = 0; x < pane.width() * 3; ++x)
                sum += std::abs(pane.constScanLine(y)[x] - other.constScanLine(y)[x]);
        return sum / (pane.width() * pane.height() * 3);
    };
    const double same = difference(composed(5));
    const double other = difference(composed(6));
    EXPECT_LT(same, 8.0);
    EXPECT_GT(other, same * 2);
}

TEST_F(WindowTest, DoubleClickShowsOneChannelAndTheSecondGoesBack) {
    auto w = MakeWindow();
    w->OnCommand(701);  // channels 5-8
    ASSERT_EQ(w->viewMode(), 17);
    QTest::mouseDClick(w->pane(6), Qt::LeftButton);
    EXPECT_EQ(w->viewMode(), 6);
    EXPECT_EQ(w->pane(6)->geometry(), QRect(30, 59, 640, 480));
    EXPECT_FALSE(w->pane(5)->isVisible());
    QTest::mouseDClick(w->pane(6), Qt::LeftButton);
    EXPECT_EQ(w->viewMode(), 17);
    EXPECT_EQ(w->pane(4)->geometry(), QRect(29, 59, 320, 240));
    EXPECT_TRUE(w->pane(7)->isVisible());
}

TEST_F(WindowTest, AHeldZoomInRepeatsEvery250msAndStopsOnRelease) {
    auto w = MakeWindow();
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    w->SetViewMode(2);
    w->PressCamera(0);  // Zoom In, at speed "Fast"
    w->connection().commands().Drain();
    for (int step = 1; step <= 4; ++step) {
        now_ += std::chrono::milliseconds(250);
        w->RunTimer(6);
        w->connection().commands().Drain();
    }
    w->ReleaseCamera();
    w->connection().commands().Drain();
    const auto log = ControlLog();
    const std::string move = "MODE=5&CID=1&OP=7&CH=2&LEN=1&REQ=0S2";
    const std::string stop = "MODE=5&CID=1&OP=7&CH=2&LEN=1&REQ=8";
    EXPECT_EQ(std::count(log.begin(), log.end(), move), 5);  // once and four repeats
    EXPECT_EQ(std::count(log.begin(), log.end(), stop), 1);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), stop);
}

TEST_F(WindowTest, PresetsAndTheRecordersRecordButton) {
    auto w = MakeWindow();
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    w->SetViewMode(1);
    w->presetList()->setCurrentIndex(11);
    w->OnCommand(727);
    w->OnCommand(728);
    w->OnCommand(720);
    w->connection().commands().Drain();
    const auto log = ControlLog();
    EXPECT_NE(std::find(log.begin(), log.end(), "MODE=5&CID=1&OP=7&CH=1&LEN=1&REQ=9S12"),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "MODE=5&CID=1&OP=7&CH=1&LEN=1&REQ=9G12"),
              log.end());
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
        return l.find("OP=11") != std::string::npos;
    }));
}

TEST_F(WindowTest, ADroppedConnectionReconnectsWhenTimer2Fires) {
    auto w = MakeWindow();
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    const uint16_t port = sim_.port();
    sim_.Stop();
    ASSERT_TRUE(Until([&] { return w->reconnectPending(); }));
    EXPECT_FALSE(w->streamUp());
    EXPECT_EQ(w->statusText(), QString());
    EXPECT_FALSE(w->ButtonVisible(kButtonRecorderFirst));
    dvrsim::Server again;  // the recorder is back on its port
    StartSim(again, port);
    const uint64_t before = w->bridge().picturesShown();
    w->RunTimer(2);  // the 60 s have passed
    EXPECT_FALSE(w->reconnectPending());
    ASSERT_TRUE(Until([&] { return w->streamUp() && w->bridge().picturesShown() > before; }));
    EXPECT_EQ(w->modeText(), QStringLiteral("LIVE"));
}

TEST_F(WindowTest, AWrongPasswordIsShownAndNoStreamComesUp) {
    auto w = MakeWindow();
    w->ConnectTo({"Lobby", "127.0.0.1", std::to_string(sim_.port()), "admin", "wrong"});
    ASSERT_TRUE(Until([&] { return !w->lastMessage().isEmpty(); }));
    EXPECT_EQ(w->lastMessage(), QStringLiteral("Password Miss Error!!"));
    EXPECT_FALSE(w->streamUp());
}

TEST_F(WindowTest, TheAlarmSoundStops2500msAfterTheLastMotionAlarm) {
    Set("EventSound", "1");
    auto w = MakeWindow();
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    w->bridge().SetMark(3, client::CellMark::Motion, true);
    w->OnNotification(0x40C, 1);
    EXPECT_TRUE(w->alarmPlaying());
    now_ += std::chrono::milliseconds(2000);
    w->OnNotification(0x40C, 1);  // still moving: the hold starts again
    now_ += std::chrono::milliseconds(2499);
    w->RunTimer(5);
    EXPECT_TRUE(w->alarmPlaying());
    now_ += std::chrono::milliseconds(1);
    w->RunTimer(5);
    EXPECT_FALSE(w->alarmPlaying());
}

TEST_F(WindowTest, WithTheEventSoundOffAlarmsStayQuiet) {
    auto w = MakeWindow();
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    w->bridge().SetMark(3, client::CellMark::Sensor, true);
    w->OnNotification(0x40D, 1);
    EXPECT_FALSE(w->alarmPlaying());
}

TEST_F(WindowTest, AOneMinuteRecordingStopsAtTheFirstTickAndRestoresTheChannels) {
    Set("RecordingEndType", "1");
    Set("RecordingTime", "1");
    auto w = MakeWindow();
    w->OnCommand(726);
    EXPECT_EQ(w->lastMessage(), QStringLiteral("Check Connection!!"));
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    w->OnCommand(704);  // channels 1-8 visible
    // Record opens the recording settings dialog, which offers the stored choice: OK takes it.
    QTimer::singleShot(0, [] {
        auto* dialog =
            qobject_cast<client::RecordingSettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->DurationList()->currentText(), QStringLiteral("1"));
        dialog->Confirm();
    });
    w->OnCommand(726);
    ASSERT_TRUE(w->recording().recording());
    EXPECT_EQ(w->recording().endType(), client::RecordingEndType::kDuration);
    ASSERT_TRUE(Until([&] { return w->connection().recorder().stats().videoWritten > 16; }));
    w->RunTimer(4);  // the first minute tick ends it
    EXPECT_FALSE(w->recording().recording());
    EXPECT_EQ(w->recordingMinutesCounted(), 1);
    w->connection().recorder().Flush();
    w->connection().commands().Drain();
    const auto log = ControlLog();
    // The audio and the video client ask for the channels that are visible (1-8) again.
    EXPECT_NE(std::find(log.begin(), log.end(), "MODE=5&CID=101&OP=3&CH=ff&LEN=1&REQ="), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "MODE=5&CID=1&OP=3&CH=ff&LEN=1&REQ="), log.end());
    int folders = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / "data/Record/"))
        folders += entry.path().filename().string().starts_with("Lobby_");
    EXPECT_EQ(folders, 1);
}

TEST_F(WindowTest, ThePlayerAndTheInstallerStartBesideTheClient) {
    auto w = MakeWindow();
    w->OnCommand(717);
    EXPECT_EQ(w->lastMessage(), QStringLiteral("The Orvane_M4 was not found."));
    w->OnCommand(723);
    EXPECT_EQ(w->lastMessage(), QStringLiteral("Check Connection!!"));
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    w->OnCommand(723);
    ASSERT_EQ(started_.size(), 2);
    EXPECT_TRUE(started_[1].endsWith(QStringLiteral("Drovlet_M4 -16 -NTSC -127.0.0.1 -") +
                                     QString::number(sim_.port()) +
                                     QStringLiteral(" -4321 -1033 -1")))
        << started_[1].toStdString();
}

TEST_F(WindowTest, EightChannelFullScreenPutsTheLogoInTheCentreThird) {
    auto w = MakeWindow();
    w->OnCommand(705);
    w->ToggleFullScreen();
    EXPECT_TRUE(w->fullScreenMode());
    for (int i = 0; i < 30; ++i)
        EXPECT_FALSE(w->ButtonVisible(i));
    const QSize screen = w->screen()->geometry().size();
    EXPECT_EQ(w->pane(8)->geometry(), QRect(0, 0, screen.width() / 3, screen.height() / 3));
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_FALSE(w->fullScreenMode());
    EXPECT_TRUE(w->ButtonVisible(20));
    EXPECT_EQ(w->pane(8)->geometry(), QRect(29, 59, 213, 160));
}

TEST_F(WindowTest, LiveAudioTurnsTheSoundButtonOnAndTheButtonMutesIt) {
    dvrsim::Server withAudio;  // the D1 sample carries audio on channel 1
    StartSim(withAudio, 0, "d1_4ch");
    auto w = MakeWindow();
    w->OnCommand(707);
    EXPECT_EQ(w->lastMessage(),
              QStringLiteral("Audio playback failed.\nThe file is missing or check audio device."));
    w->ConnectTo({"Lobby", "127.0.0.1", std::to_string(withAudio.port()), "admin", "4321"});
    ASSERT_TRUE(Until([&] { return w->audioOn(); }));
    EXPECT_TRUE(w->volumeSlider()->isEnabled());
    w->OnCommand(707);
    EXPECT_FALSE(w->audioOn());
    EXPECT_FALSE(w->volumeSlider()->isEnabled());
    w->OnCommand(707);
    EXPECT_TRUE(w->audioOn());
}

}  // namespace
}  // namespace client_app
