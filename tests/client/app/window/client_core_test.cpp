// The window's decisions without a window: language choice, command line, pane geometry, button
// sets, texts, the alarm sound rule, the local recording's end and the alarm's WAVE.
#include <gtest/gtest.h>

#include <cstring>

#include "client/app/settings/client_language.h"
#include "client/app/window/core/alarm_sound.h"
#include "client/app/window/core/client_startup.h"
#include "client/app/window/core/event_sound_rule.h"
#include "client/app/window/core/local_recording_plan.h"
#include "client/app/window/core/view_layout.h"
#include "client/app/window/core/window_texts.h"
#include "platform/registry_store.h"
#include "tests/support/temp_dir.h"

namespace client_app {
namespace {

using ui::Language;

TEST(ClientLanguage, LocalesGiveTheirIdentifiers) {
    EXPECT_EQ(LanguageIdOfLocale("de_CH.UTF-8"), 2055);
    EXPECT_EQ(LanguageIdOfLocale("it_CH"), 2064);
    EXPECT_EQ(LanguageIdOfLocale("es_ES@euro"), 3082);
    EXPECT_EQ(LanguageIdOfLocale("es_PR"), 20490);
    EXPECT_EQ(LanguageIdOfLocale("ko_KR.UTF-8"), 1042);
    EXPECT_EQ(LanguageIdOfLocale("de_BE"), 1031);  // a territory not listed: the main one
    EXPECT_EQ(LanguageIdOfLocale("C"), 1033);
    EXPECT_EQ(LanguageIdOfLocale("nl_NL"), 1033);
}

// The start-up path: the locale's identifier through the client's table, unless "Language" names
// a language (in any case).
TEST(ClientLanguage, TheStartUpChoiceFromLocaleAndSetting) {
    testsupport::TempDir dir;
    platform::RegistryStore store(dir / "settings.ini");
    const client::ClientSettings settings(store, dir.path(), dir.path());
    auto startUp = [&](const char* locale) {
        return client::ChooseClientLanguage(settings, LanguageIdOfLocale(locale));
    };
    EXPECT_EQ(startUp("de_CH.UTF-8"), Language::German);   // 2055
    EXPECT_EQ(startUp("it_CH.UTF-8"), Language::English);  // 2064
    EXPECT_EQ(startUp("it_IT.UTF-8"), Language::Italian);
    EXPECT_EQ(startUp("es_AR"), Language::Spanish);
    store.WriteString(platform::Hive::kLocalMachine, platform::kEnvironmentsKey, "Language",
                      "korean");
    EXPECT_EQ(startUp("de_CH.UTF-8"), Language::Korean);
    EXPECT_EQ(LanguageIdAfterLoad(Language::German, true), 1031);
    EXPECT_EQ(LanguageIdAfterLoad(Language::German, false), 255);
    EXPECT_EQ(LanguageIdAfterLoad(Language::English, false), 1033);
}

TEST(ClientCommandLine, ConnectUserNameScreenshot) {
    CommandLine cl = ParseCommandLine({"--connect", "dvr.local:8080", "--user", "user",
                                       "--screenshot", "out.png", "--seconds", "3"});
    EXPECT_EQ(cl.error, "");
    EXPECT_EQ(cl.host, "dvr.local");
    EXPECT_EQ(cl.port, 8080);
    EXPECT_EQ(cl.user, "user");
    EXPECT_EQ(cl.dvrName, "dvr.local");
    EXPECT_EQ(cl.screenshot, "out.png");
    EXPECT_EQ(cl.seconds, 3);
    cl = ParseCommandLine({"--connect", "[::1]:81", "--dvr-name", "Lobby"});
    EXPECT_EQ(cl.host, "::1");
    EXPECT_EQ(cl.port, 81);
    EXPECT_EQ(cl.dvrName, "Lobby");
    EXPECT_EQ(ParseCommandLine({"--connect", "10.0.0.9"}).port, 80);
    for (const auto& bad : std::vector<std::vector<std::string>>{{"--connect", "host:0"},
                                                                 {"--connect", "host:99999"},
                                                                 {"--connect", "host:"},
                                                                 {"--user", "root"},
                                                                 {"--seconds", "-1"},
                                                                 {"--password", "x"},
                                                                 {"--connect"}})
        EXPECT_NE(ParseCommandLine(bad).error, "") << bad[0];
}

TEST(ViewLayout, WindowedGeometryOfEveryMode) {
    auto single = PanesOf(5, false);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].channel, 5);
    EXPECT_EQ(single[0].rect, (PaneRect{30, 59, 640, 480}));

    auto quad = PanesOf(17, false);  // channels 5-8
    ASSERT_EQ(quad.size(), 4u);
    EXPECT_EQ(quad[0].channel, 4);
    EXPECT_EQ(quad[1].rect, (PaneRect{351, 59, 320, 240}));
    EXPECT_EQ(quad[3].channel, 7);
    EXPECT_EQ(quad[3].rect, (PaneRect{351, 301, 320, 240}));

    auto eight = PanesOf(21, false);  // channels 9-16 around the logo
    ASSERT_EQ(eight.size(), 9u);
    EXPECT_EQ(eight[0].channel, 8);
    EXPECT_EQ(eight[4].channel, kLogoPane);
    EXPECT_EQ(eight[4].rect, (PaneRect{243, 220, 213, 160}));
    EXPECT_EQ(eight[5].channel, 12);
    EXPECT_EQ(eight[8].rect, (PaneRect{457, 381, 213, 160}));

    auto all = PanesOf(kModeAll, false);
    ASSERT_EQ(all.size(), 16u);
    EXPECT_EQ(all[15].rect, (PaneRect{512, 422, 160, 120}));
    EXPECT_TRUE(PanesOf(23, false).empty());
}

TEST(ViewLayout, FullScreenGridsDivideTheScreen) {
    EXPECT_EQ(PanesOf(3, true, 1920, 1080)[0].rect, (PaneRect{0, 0, 1920, 1080}));
    EXPECT_EQ(PanesOf(16, true, 1920, 1080)[3].rect, (PaneRect{960, 540, 960, 540}));
    auto eight = PanesOf(20, true, 1920, 1080);
    EXPECT_EQ(eight[4].channel, kLogoPane);  // the logo in the centre third
    EXPECT_EQ(eight[4].rect, (PaneRect{640, 360, 640, 360}));
    EXPECT_EQ(PanesOf(22, true, 1920, 1080)[5].rect, (PaneRect{480, 270, 480, 270}));
}

TEST(ViewLayout, LayoutButtonsAndModes) {
    EXPECT_EQ(LayoutButtonOf(16), 0);
    EXPECT_EQ(LayoutButtonOf(22), 6);
    EXPECT_EQ(LayoutButtonOf(3), -1);
    EXPECT_EQ(ModeOfLayoutCommand(705), 21);
    EXPECT_EQ(ModeOfLayoutCommand(707), -1);
    EXPECT_TRUE(ModeShows(18, 9));
    EXPECT_FALSE(ModeShows(18, 12));
}

std::vector<int> Shown(const std::array<bool, 30>& b) {
    std::vector<int> out;
    for (int i = 0; i < 30; ++i)
        if (b[i]) out.push_back(i);
    return out;
}

TEST(ViewLayout, ButtonSetsOfAdministratorsAndUsers) {
    EXPECT_EQ(Shown(ButtonsForLogin(true, 16)).size(), 30u);
    std::vector<int> admin8 = Shown(ButtonsForLogin(true, 8));
    EXPECT_EQ(admin8.size(), 26u);
    EXPECT_EQ(admin8[2], 4);
    EXPECT_EQ(admin8[3], 7);
    std::vector<int> admin4 = Shown(ButtonsForLogin(true, 4));
    EXPECT_EQ(admin4.front(), 0);
    EXPECT_EQ(admin4[1], 7);
    EXPECT_EQ(Shown(ButtonsForLogin(false, 16)),
              (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 20, 21, 22, 23, 28, 29}));
    EXPECT_EQ(Shown(ButtonsForLogin(false, 8)),
              (std::vector<int>{0, 1, 4, 7, 8, 9, 20, 21, 22, 23, 28, 29}));
    EXPECT_EQ(Shown(ButtonsForLogin(false, 4)),
              (std::vector<int>{0, 7, 8, 9, 20, 21, 22, 23, 28, 29}));
}

TEST(WindowTexts, InformationSpeedClockInstaller) {
    EXPECT_EQ(InformationText(true, "DVR Name", "Lobby", "DVR Address", "10.0.0.1"),
              "* DVR Name : Lobby\n* DVR Address :\n\t10.0.0.1\n* admin mode");
    EXPECT_TRUE(InformationText(false, "N", "x", "A", "y").ends_with("\n* user mode"));
    EXPECT_EQ(PlaybackModeText(1), "Playback( +1X )");
    EXPECT_EQ(PlaybackStateLabel(8), "+128X");
    EXPECT_EQ(PlaybackStateLabel(9), "Step forward");
    EXPECT_EQ(PlaybackStateLabel(10), "+1/4X");
    EXPECT_EQ(PlaybackStateLabel(11), "+1/2X");
    EXPECT_EQ(PlaybackStateLabel(17), "-1X");
    EXPECT_EQ(PlaybackStateLabel(24), "-128X");
    EXPECT_EQ(PlaybackStateLabel(25), "Step reverse");
    for (int other : {0, 12, 16, 26, -1})
        EXPECT_EQ(PlaybackStateLabel(other), "") << other;
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 2;
    t.tm_mday = 4;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    EXPECT_EQ(ClockText(t), "2026 - 03 - 04  09 : 05 : 07");
    EXPECT_EQ(InstallerArguments(16, 576, "10.0.0.1", "80", "pw", 1031),
              "-16 -PAL -10.0.0.1 -80 -pw -1031 -1");
    EXPECT_EQ(InstallerArguments(4, 480, "h", "8080", "p", 1033), "-4 -NTSC -h -8080 -p -1033 -1");
}

using Clock = EventSoundRule::Clock;
using std::chrono::milliseconds;

TEST(EventSound, SensorAlarmsStartAndStopTheSound) {
    EventSoundRule rule;
    EXPECT_EQ(rule.OnSensor(true, 1, true), EventSoundRule::Action::None);  // setting off
    rule.SetEnabled(true);
    EXPECT_EQ(rule.OnSensor(true, 1, false), EventSoundRule::Action::None);  // not live
    EXPECT_EQ(rule.OnSensor(true, 0, true), EventSoundRule::Action::None);   // parameter 0
    EXPECT_EQ(rule.OnSensor(true, 1, true), EventSoundRule::Action::Start);
    EXPECT_EQ(rule.OnSensor(true, 1, true), EventSoundRule::Action::None);  // already playing
    EXPECT_EQ(rule.OnSensor(false, 0, true), EventSoundRule::Action::Stop);
    EXPECT_FALSE(rule.playing());
}

TEST(EventSound, MotionAlonePlaysUntil2500msAfterItsLastNotification) {
    EventSoundRule rule;
    rule.SetEnabled(true);
    const Clock::time_point t0{};
    EXPECT_EQ(rule.OnMotion(true, false, 1, true, t0), EventSoundRule::Action::Start);
    EXPECT_EQ(rule.OnMotion(true, false, 1, true, t0 + milliseconds(2000)),
              EventSoundRule::Action::None);
    EXPECT_EQ(*rule.holdDue(), t0 + milliseconds(4500));
    EXPECT_EQ(rule.OnHoldTimer(false, t0 + milliseconds(4499)), EventSoundRule::Action::None);
    EXPECT_TRUE(rule.playing());
    EXPECT_EQ(rule.OnHoldTimer(false, t0 + milliseconds(4500)), EventSoundRule::Action::Stop);
    EXPECT_FALSE(rule.holdDue());
}

TEST(EventSound, MotionNeverSilencesASensorAlarmThatIsStillOn) {
    EventSoundRule rule;
    rule.SetEnabled(true);
    const Clock::time_point t0{};
    rule.OnSensor(true, 1, true);
    rule.OnMotion(true, true, 1, true, t0);
    EXPECT_EQ(rule.OnMotion(false, true, 0, true, t0), EventSoundRule::Action::None);
    EXPECT_EQ(rule.OnHoldTimer(true, t0 + milliseconds(2500)), EventSoundRule::Action::None);
    EXPECT_TRUE(rule.playing());
    EXPECT_EQ(rule.Stop(), EventSoundRule::Action::Stop);  // connecting stops it
}

TEST(LocalRecordingPlan, TheChosenChannelsBecomeTheRecordersMask) {
    client::RecordingChoice c;
    EXPECT_EQ(ChannelMaskOf(c), 0);
    c.channels[0] = c.channels[3] = c.channels[15] = true;
    EXPECT_EQ(ChannelMaskOf(c), 0x8009);
}

std::vector<uint8_t> Wave(int channels, int rate, int bits, const std::vector<int16_t>& samples,
                          uint32_t claimedDataSize = 0) {
    std::vector<uint8_t> b;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](uint16_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    const uint32_t dataSize = static_cast<uint32_t>(samples.size() * (bits / 8));
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put32(36 + dataSize);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(16);
    put16(1);
    put16(static_cast<uint16_t>(channels));
    put32(static_cast<uint32_t>(rate));
    put32(static_cast<uint32_t>(rate * channels * bits / 8));
    put16(static_cast<uint16_t>(channels * bits / 8));
    put16(static_cast<uint16_t>(bits));
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(claimedDataSize ? claimedDataSize : dataSize);
    for (int16_t s : samples)
        bits == 16 ? put16(static_cast<uint16_t>(s)) : b.push_back(static_cast<uint8_t>(s));
    return b;
}

TEST(AlarmWave, DecodesResamplesAndRefusesWhatIsNotPcm) {
    // 16 kHz mono: every second sample at 8 kHz.
    std::vector<int16_t> ramp;
    for (int i = 0; i < 1600; ++i)
        ramp.push_back(static_cast<int16_t>(i * 10));
    std::vector<int16_t> out = DecodeWaveForDevice(Wave(1, 16000, 16, ramp));
    ASSERT_EQ(out.size(), 800u);
    EXPECT_EQ(out[10], 200);
    // Stereo is mixed to one channel.
    out = DecodeWaveForDevice(Wave(2, 8000, 16, {100, 300, -100, -300}));
    EXPECT_EQ(out, (std::vector<int16_t>{200, -200}));
    // A data chunk claiming more than there is: only what is there.
    out = DecodeWaveForDevice(Wave(1, 8000, 16, {1, 2, 3}, 1000000));
    EXPECT_EQ(out.size(), 3u);
    std::vector<uint8_t> notWave = Wave(1, 8000, 16, {1});
    std::memcpy(notWave.data(), "RIFX", 4);
    EXPECT_TRUE(DecodeWaveForDevice(notWave).empty());
    EXPECT_TRUE(DecodeWaveForDevice(Wave(3, 8000, 16, {1, 2, 3})).empty());
    EXPECT_TRUE(DecodeWaveForDevice(Wave(1, 8000, 24, {})).empty());
    std::vector<uint8_t> cut = Wave(1, 8000, 16, {1, 2});
    for (size_t n = 0; n < cut.size(); ++n)
        DecodeWaveForDevice({cut.data(), n});  // never reads past the end (ASan)
}

}  // namespace
}  // namespace client_app
