#include "player/player_startup.h"

#include <gtest/gtest.h>

#include "media/wall_time.h"
#include "player/player_layout.h"

namespace {

using player::ChooseLanguage;
using ui::Language;

TEST(PlayerLanguage, SettingFirstThenSystemLanguage) {
    EXPECT_EQ(ChooseLanguage("korean", 0x0409), Language::Korean);
    EXPECT_EQ(ChooseLanguage("ENGLISH", 0x0407), Language::English);
    EXPECT_EQ(ChooseLanguage("", 0x0C07), Language::English) << "Austrian German is English here";
    EXPECT_EQ(ChooseLanguage("", 0x0807), Language::German);
    EXPECT_EQ(ChooseLanguage("KLINGON", 0x0412), Language::Korean);
    EXPECT_EQ(ChooseLanguage("", 0x500A), Language::Spanish);
    EXPECT_EQ(ChooseLanguage("", 0x540A), Language::English);
    EXPECT_EQ(ChooseLanguage("", 0x140C), Language::French);
    EXPECT_EQ(ChooseLanguage("", 0x0419), Language::Russian);
    EXPECT_EQ(ChooseLanguage("", 0x0816), Language::English);
}

TEST(PlayerCommandLine, FileLayoutTimeAndScreenshot) {
    const auto cl = player::ParseCommandLine(
        {"rec.idx", "--layout", "16", "--at", "2026-03-14 09:59:55", "--screenshot", "o.png"});
    EXPECT_TRUE(cl.error.empty());
    EXPECT_EQ(cl.file, "rec.idx");
    EXPECT_EQ(cl.layout, 16);
    ASSERT_TRUE(cl.at.has_value());
    EXPECT_EQ(media::FormatWallTime(*cl.at), "2026-03-14 09:59:55");
    EXPECT_EQ(cl.screenshot, "o.png");
    EXPECT_FALSE(cl.trace);
    EXPECT_TRUE(player::ParseCommandLine({"--trace", "rec.idx"}).trace);

    EXPECT_FALSE(player::ParseCommandLine({"--layout", "23"}).error.empty());
    EXPECT_FALSE(player::ParseCommandLine({"--layout", "x"}).error.empty());
    EXPECT_FALSE(player::ParseCommandLine({"--at", "2026-13-01 00:00:00"}).error.empty());
    EXPECT_FALSE(player::ParseCommandLine({"a.idx", "b.idx"}).error.empty());
    EXPECT_FALSE(player::ParseCommandLine({"--bogus"}).error.empty());
}

TEST(PlayerLayouts, CellsStandWhereTheWindowExpectsThem) {
    const auto four = player::CellsOf(16);
    ASSERT_EQ(four.count, 4);
    EXPECT_EQ(four.cells[0].x, 24);
    EXPECT_EQ(four.cells[0].y, 41);
    EXPECT_EQ(four.cells[3].x, 346);
    EXPECT_EQ(four.cells[3].y, 283);
    const auto eight = player::CellsOf(21);
    EXPECT_EQ(eight.cells[4].channel, -1) << "logo in the centre";
    EXPECT_EQ(eight.cells[5].channel, 12);
    EXPECT_EQ(eight.cells[8].x, 24 + 214 * 2);
    EXPECT_EQ(eight.cells[8].y, 363);
    const auto all = player::CellsOf(22);
    EXPECT_EQ(all.cells[15].x, 24 + 161 * 3);
    EXPECT_EQ(all.cells[15].y, 404);
    const auto one = player::CellsOf(7);
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.cells[0].channel, 7);
    EXPECT_EQ(one.cells[0].x, 25);
    EXPECT_EQ(player::CellsOf(23).count, 0);
}

}  // namespace
