#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "media/calendar_file.h"
#include "media/wall_time.h"
#include "player/search/video_search.h"

namespace player {
namespace {

namespace fs = std::filesystem;

int64_t At(int hour, int minute, int second = 0) {
    return media::WallTimeOf(108, 5, 1, hour, minute, second);  // 1 June 2008
}

// A day entry where each listed channel is recorded for the given cause.
media::DayEntry Entry(int hour, int minute, std::initializer_list<std::pair<int, int>> causes) {
    media::DayEntry e;
    e.minute = static_cast<int32_t>(At(hour, minute));
    for (auto [channel, cause] : causes)
        e.Note(channel, cause);
    return e;
}

class RecordTree : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("video_search_" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root_);
        MakeFolder("Gate_20080601_100000", 8);
        MakeFolder("Gate_20080602_080000", 8);
        MakeFolder("Yard_20080601_120000", 4);
        fs::create_directories(root_ / "Lobby_20080601_000000");  // no calendar: not listed
        fs::create_directories(root_ / "Gate_nostart");           // no second underscore
        media::CalendarWriter w;
        ASSERT_TRUE(w.Create((root_ / "Gate_nostart" / "x.cdb").string(), {}));
        w.Close();
    }
    void TearDown() override { fs::remove_all(root_); }

    void MakeFolder(const std::string& name, int channels) {
        fs::create_directories(root_ / name);
        media::CalendarHeader header;
        header.channels = channels;
        header.recorderName = name.substr(0, name.find('_'));
        media::CalendarWriter writer;
        ASSERT_TRUE(writer.Create((root_ / name / (name + ".cdb")).string(), header));
        // 10h: 3 forced minutes, 3 motion minutes -> tie goes to forced.
        writer.Append(Entry(10, 0, {{0, 0}, {1, 1}}));
        writer.Append(Entry(10, 1, {{0, 0}, {1, 1}}));
        writer.Append(Entry(10, 2, {{0, 0}, {1, 1}}));
        // 11h: 1 forced, 2 motion, 2 sensor -> motion (tie with sensor goes to motion).
        writer.Append(Entry(11, 5, {{0, 0}, {2, 1}, {3, 2}}));
        writer.Append(Entry(11, 6, {{2, 1}, {3, 2}}));
        // 12h: sensor only, on channel 6, which a 4-row bar does not count.
        writer.Append(Entry(12, 30, {{6, 2}}));
        ASSERT_TRUE(writer.Close());
    }

    std::string Root() const { return root_.string() + "/"; }
    fs::path root_;
};

TEST_F(RecordTree, RecordersAndStartTimes) {
    RecordingTree tree = RecordingTree::Scan(Root());
    EXPECT_FALSE(tree.rootIsFolder);
    EXPECT_EQ(tree.recorders, (std::vector<std::string>{"Gate", "Yard"}));
    EXPECT_EQ(tree.StartTimes(Root(), "Gate"),
              (std::vector<std::string>{"20080601_100000", "20080602_080000"}));
    EXPECT_EQ(tree.Folder(Root(), "Gate", "20080602_080000"), Root() + "Gate_20080602_080000/");

    // A stretch folder chosen as the root is its own only recorder.
    std::string folder = Root() + "Yard_20080601_120000/";
    RecordingTree single = RecordingTree::Scan(folder);
    EXPECT_TRUE(single.rootIsFolder);
    EXPECT_EQ(single.recorders, (std::vector<std::string>{"Yard"}));
    EXPECT_EQ(single.StartTimes(folder, "Yard"), (std::vector<std::string>{"20080601_120000"}));
    EXPECT_EQ(single.Folder(folder, "Yard", "20080601_120000"), folder);

    EXPECT_TRUE(RecordingTree::Scan(Root() + "missing/").recorders.empty());
}

TEST_F(RecordTree, HourBarColoursByLargestCount) {
    media::Calendar calendar;
    ASSERT_TRUE(calendar.LoadFolder(Root() + "Gate_20080601_100000/"));
    std::array<BarColour, 24> bar = HourBar(calendar, 2008, 6, 1, calendar.header().timeBarRows());
    EXPECT_EQ(bar[9], BarColour::kNone);
    EXPECT_EQ(bar[10], BarColour::kForced);
    EXPECT_EQ(bar[11], BarColour::kMotion);
    EXPECT_EQ(bar[12], BarColour::kSensor);
    EXPECT_EQ(HourBar(calendar, 2008, 6, 1, 4)[12], BarColour::kNone);
    EXPECT_EQ(HourBar(calendar, 2008, 6, 2, 8)[10], BarColour::kNone);
}

TEST_F(RecordTree, MinuteBarRowsAndSelectedRange) {
    media::Calendar calendar;
    ASSERT_TRUE(calendar.LoadFolder(Root() + "Gate_20080601_100000/"));
    auto bar = MinuteBar(calendar, 2008, 6, 1, 11, calendar.header().timeBarRows(), 6, 59);
    ASSERT_EQ(bar.size(), 8u);
    EXPECT_EQ(bar[0][5], BarColour::kForced);
    EXPECT_EQ(bar[2][5], BarColour::kMotion);
    EXPECT_EQ(bar[3][5], BarColour::kSensor);
    EXPECT_EQ(bar[2][6], BarColour::kMotionSelected);
    EXPECT_EQ(bar[3][6], BarColour::kSensorSelected);
    EXPECT_EQ(bar[1][6], BarColour::kNone);
    EXPECT_EQ(BarRgb(BarColour::kForced), 0xFF0000u);
    EXPECT_EQ(BarRgb(BarColour::kMotionSelected), 0xFF00FFu);
    EXPECT_EQ(BarRgb(BarColour::kSensorSelected), 0x0000FFu);
}

TEST(PairChoice, TitlesAndTheCoveringPair) {
    int64_t start = 0;
    ASSERT_TRUE(ParsePairTitle("20080601_100500", &start));
    EXPECT_EQ(start, At(10, 5));
    EXPECT_FALSE(ParsePairTitle("20080601-100500", &start));
    EXPECT_FALSE(ParsePairTitle("20081301_100500", &start));
    EXPECT_FALSE(ParsePairTitle("2008", &start));

    fs::path dir = fs::temp_directory_path() / "video_search_pairs";
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* name :
         {"20080601_100500.idx", "20080601_100030.idx", "20080601_100500.umv", "notes.idx"})
        std::ofstream(dir / name) << "x";
    std::vector<PairStart> pairs = ListPairs(dir.string() + "/");
    fs::remove_all(dir);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(fs::path(pairs[0].indexPath).filename(), "20080601_100030.idx");

    EXPECT_EQ(PairCovering(pairs, At(10, 7)), 1);  // 10:07 opens the 10:05 pair
    EXPECT_EQ(PairCovering(pairs, At(10, 5)), 1);  // exactly at a start
    EXPECT_EQ(PairCovering(pairs, At(10, 4, 59)), 0);
    EXPECT_EQ(PairCovering(pairs, At(10, 0, 10)), 0);  // in the first pair's minute, before it
    EXPECT_EQ(PairCovering(pairs, At(23, 0)), 1);      // after every start: the last
    EXPECT_EQ(PairCovering({}, At(10, 0)), -1);
}

}  // namespace
}  // namespace player
