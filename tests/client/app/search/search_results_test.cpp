// The rows of the search result list from a recorder's answer.
#include <gtest/gtest.h>

#include "client/app/search/search_results.h"

namespace client::search {
namespace {

// A recorder path: 25 characters of folders, the start time, "_", the 0-based channel, a tail.
std::string Path(const std::string& start, const std::string& channel) {
    return "/hdda/recs/20230115/ch02/" + start + "_" + channel + "_M.umv";
}

TEST(SearchResults, RowsShowTimesChannelAndEventAndKeepTheWholePath) {
    const std::string body = Path("230115_091500", "02") + ",230115093000,1024,2\n" +
                             Path("230115_093000", "15") + ",230115094500,3\n" +
                             Path("230115_094500", "00") + ",230115100000,x,0\n" +
                             Path("230115_100000", "01") + ",230115101500,1\n" +
                             Path("230115_101500", "03") + ",230115103000,7\n";
    const auto rows = ResultRows(body);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].start, "23-01-15 09:15:00");
    EXPECT_EQ(rows[0].end, "23-01-15 09:30:00");
    EXPECT_EQ(rows[0].channel, "3");
    EXPECT_EQ(rows[0].event, "Sensor");
    EXPECT_EQ(rows[0].path, Path("230115_091500", "02"));
    EXPECT_EQ(rows[1].channel, "16");
    EXPECT_EQ(rows[1].event, "Forced");  // code 3 reads as 0
    EXPECT_EQ(rows[2].event, "Forced");
    EXPECT_EQ(rows[3].event, "Motion");
    EXPECT_EQ(rows[4].event, "");
}

TEST(SearchResults, ShortNamesAndAnUnfinishedLastLineAddNoRow) {
    const std::string shortName(44, 'a');
    const std::string body = shortName + ",230115093000,2\n" + Path("230115_091500", "02") +
                             ",230115093000,2\n" + Path("230115_093000", "01") +
                             ",230115094500,1";  // no line feed: cut off
    const auto rows = ResultRows(body);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].start, "23-01-15 09:15:00");
    EXPECT_TRUE(ResultRows(std::string_view()).empty());
    EXPECT_TRUE(ResultRows("\n\n\n").empty());
}

TEST(SearchResults, AShortEndFieldLeavesTheEndEmpty) {
    const auto rows = ResultRows(Path("230115_091500", "02") + ",2301150930,1\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].end, "");
    EXPECT_EQ(rows[0].event, "Motion");
}

}  // namespace
}  // namespace client::search
