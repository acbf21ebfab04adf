#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

#include "player/search/name_pattern.h"
#include "player/search/still_search.h"

namespace player {
namespace {

namespace fs = std::filesystem;

TEST(NamePattern, StarsQuestionMarksAndCase) {
    EXPECT_TRUE(MatchNamePattern("*.jpg", "a.jpg"));
    EXPECT_TRUE(MatchNamePattern("*.jpg", ".jpg"));
    EXPECT_TRUE(MatchNamePattern("*.jpg", "SHOT.JPG"));
    EXPECT_FALSE(MatchNamePattern("*.jpg", "a.jpeg"));
    EXPECT_TRUE(MatchNamePattern("a?c", "abc"));
    EXPECT_FALSE(MatchNamePattern("a?c", "ac"));
    EXPECT_TRUE(MatchNamePattern("*,3,*.jpg", "Gate,080601_101010,3,.jpg"));
    EXPECT_FALSE(MatchNamePattern("*,3,*.jpg", "Gate,080601_101010,13,.jpg"));
    // Several stars that must backtrack.
    EXPECT_TRUE(MatchNamePattern("*a*b*c", "xxaxxbxxbxxc"));
    EXPECT_FALSE(MatchNamePattern("*a*b*c", "xxaxxbxxbxx"));
    // Shell syntax means nothing here.
    EXPECT_FALSE(MatchNamePattern("[ab].jpg", "a.jpg"));
    EXPECT_TRUE(MatchNamePattern("[ab].jpg", "[AB].jpg"));
    // A long hostile name stays fast and recursion-free.
    std::string name(100000, 'a');
    EXPECT_FALSE(MatchNamePattern("*a*a*a*a*b", name));
}

TEST(StillPatterns, EveryRowOfTheCriteriaTable) {
    auto one = [](StillCriteria c) {
        auto p = StillPatterns(c);
        EXPECT_EQ(p.size(), 1u);
        return p.front();
    };
    auto named = [](StillCriteria c) {
        auto p = StillPatterns(c);
        EXPECT_EQ(p.size(), 2u);
        return p;
    };
    EXPECT_EQ(one({}), "*.jpg");
    EXPECT_EQ(one({"Gate", {}, 0, ""}), "Gate,*.jpg");
    EXPECT_EQ(one({"", {}, 3, ""}), "*,3,*.jpg");
    EXPECT_EQ(one({"", {}, kStillChannelMulti, ""}), "*,M,*.jpg");
    EXPECT_EQ(one({"", {}, 0, "door"}), "*door.jpg");
    EXPECT_EQ(one({"", {}, 12, "door"}), "*,12,door.jpg");
    EXPECT_EQ(one({"", {}, kStillChannelMulti, "door"}), "*,M,door.jpg");
    EXPECT_EQ(named({"Gate", {}, 3, ""}), (std::vector<std::string>{"Gate,??????????????,3,*.jpg",
                                                                    "Gate,?????????????,3,*.jpg"}));
    EXPECT_EQ(named({"Gate", {}, kStillChannelMulti, ""})[0], "Gate,??????????????,M,*.jpg");
    EXPECT_EQ(named({"Gate", {}, 0, "door"})[0], "Gate,??????????????,*door.jpg");
    EXPECT_EQ(named({"Gate", {}, 7, "door"})[1], "Gate,?????????????,7,door.jpg");
    EXPECT_EQ(named({"Gate", {}, kStillChannelMulti, "door"})[0], "Gate,??????????????,M,door.jpg");
}

TEST(StillDates, TwoDigitYearsAndTheFallbackPosition) {
    EXPECT_EQ(StillYear(8), 2008);
    EXPECT_EQ(StillYear(38), 2038);
    EXPECT_EQ(StillYear(39), 1939);
    EXPECT_EQ(StillYear(99), 1999);
    EXPECT_EQ(StillNameDate("Gate,991231_235959,1,.jpg"), (StillDate{1999, 12, 31}));
    // Six digits only at the first comma + 8.
    EXPECT_EQ(StillNameDate("Gate,abcdefg080601_1,1,.jpg"), (StillDate{2008, 6, 1}));
    EXPECT_FALSE(StillNameDate("Gate,abcdefghijklmnop,.jpg"));
    EXPECT_FALSE(StillNameDate("G,080601_101010,.jpg"));  // 20 characters
}

TEST(StillRows, FieldsAndMissingParts) {
    StillRow row = MakeStillRow("/f/", "Gate,080601_101112,M,door.jpg");
    EXPECT_EQ(row.recorder, "Gate");
    EXPECT_EQ(row.time, "08-06-01 10:11:12");
    EXPECT_EQ(row.channel, "M");
    EXPECT_EQ(row.keyword, "door");
    EXPECT_EQ(row.path, "/f/Gate,080601_101112,M,door.jpg");
    StillRow shortRow = MakeStillRow("/f/", "Gate,080601_10111.jpg");
    EXPECT_EQ(shortRow.time, "08-06-01 10:11:1");
    EXPECT_EQ(shortRow.channel, "");
    EXPECT_EQ(StillSearch::CounterText(0, 1234567), "0 / 1,234,567");
    EXPECT_EQ(GroupThousands(999), "999");
    EXPECT_EQ(StillSearch::ProgressSteps(31), 2u);
}

class StillFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("still_search_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "sub.jpg");              // a folder is never a still
        for (const char* name : {"Gate,080601_101010,3,.jpg",  // 13-character time, as written here
                                 "Gate,080601_1010100,3,.jpg",     // 14-character time
                                 "Gate,080602_111111,M,door.jpg",  //
                                 "Yard,991231_235959,12,.jpg",     //
                                 "Yard,080601_090000,3,door.jpg",  //
                                 "Yard,380101_000000,M,.JPG",      // other case
                                 "Yard,080601_0900.jpg",           // 20 characters: skipped
                                 "nodigits_here_at_all.jpg",       //
                                 "Gate,noDigitsInTime!,3,.jpg",    //
                                 "notes.txt"}) {
            std::ofstream(dir_ / name) << "x";
        }
        folder_ = dir_.string() + "/";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::vector<std::string> Names(const StillCriteria& c) {
        std::atomic<bool> stop{false};
        StillSearchResult r = StillSearch::Run(folder_, c, stop);
        std::vector<std::string> names;
        for (const StillRow& row : r.rows)
            names.push_back(fs::path(row.path).filename().string());
        return names;
    }

    fs::path dir_;
    std::string folder_;
};

TEST_F(StillFolder, CriteriaFindTheRightStills) {
    EXPECT_EQ(StillRecorderNames(ListStillFiles(folder_)),
              (std::vector<std::string>{"Gate", "Yard"}));
    EXPECT_EQ(Names({}).size(), 6u);
    EXPECT_EQ(Names({"", {}, 3, ""}),
              (std::vector<std::string>{"Gate,080601_101010,3,.jpg", "Gate,080601_1010100,3,.jpg",
                                        "Yard,080601_090000,3,door.jpg"}));
    // Recorder and channel: both time-field widths are found.
    EXPECT_EQ(Names({"Gate", {}, 3, ""}).size(), 2u);
    EXPECT_EQ(Names({"Gate", {}, kStillChannelMulti, "door"}),
              (std::vector<std::string>{"Gate,080602_111111,M,door.jpg"}));
    EXPECT_EQ(Names({"", {}, 0, "door"}).size(), 2u);
    EXPECT_EQ(Names({"Yard", {}, 0, "door"}),
              (std::vector<std::string>{"Yard,080601_090000,3,door.jpg"}));
}

TEST_F(StillFolder, DateCriterion) {
    EXPECT_EQ(Names({"", StillDate{1999, 12, 31}, 0, ""}),
              (std::vector<std::string>{"Yard,991231_235959,12,.jpg"}));
    EXPECT_EQ(Names({"", StillDate{2008, 6, 1}, 3, ""}).size(), 3u);
    EXPECT_EQ(Names({"", StillDate{2038, 1, 1}, 0, ""}).size(), 1u);
    EXPECT_TRUE(Names({"", StillDate{2008, 6, 3}, 0, ""}).empty());
}

TEST_F(StillFolder, NoFilesStopAndProgress) {
    std::atomic<bool> stop{false};
    EXPECT_EQ(StillSearch::Run(folder_, {"Nobody", {}, 0, ""}, stop).status,
              StillSearchStatus::kNoFiles);
    std::vector<size_t> seen;
    StillSearchResult all = StillSearch::Run(folder_, {}, stop, [&](size_t done, size_t total) {
        seen.push_back(done);
        EXPECT_EQ(total, 9u);  // every ".jpg" file matches "*.jpg", rows come later
        if (done == 2) stop = true;
    });
    EXPECT_EQ(all.status, StillSearchStatus::kStopped);
    EXPECT_EQ(seen, (std::vector<size_t>{1, 2}));
}

}  // namespace
}  // namespace player
