// Event search answers, playback labels and buttons, the backup's fast mode and range times.
#include <gtest/gtest.h>

#include "client/net/event_search.h"
#include "client/net/playback.h"
#include "client/net/requests.h"

namespace {

using namespace client;

// 25 characters, then the start time, '_', the channel, and the rest of a 22-character name.
const std::string kPath = "/hdda/recs/20080115/ch02/080115_093000_02_M.umv";

TEST(EventSearch, LinesBecomeEntriesWithTheirDisplayForms) {
    ASSERT_EQ(kPath.size(), 47u);
    const auto entries =
        ParseEventSearch(kPath + ",080115094512,4096,1\n" + "/short/name.umv,230115093000,2\n" +
                         kPath + ",0801150945,x,y,3\r\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].path, kPath);
    EXPECT_EQ(entries[0].start, "08-01-15 09:30:00");
    EXPECT_EQ(entries[0].end, "08-01-15 09:45:12");
    EXPECT_EQ(entries[0].channel, "3");
    EXPECT_EQ(entries[0].event, "Motion");
    EXPECT_TRUE(entries[0].complete());
    // A path of 44 characters or less carries no start time or channel.
    EXPECT_EQ(entries[1].start, "");
    EXPECT_EQ(entries[1].channel, "");
    EXPECT_FALSE(entries[1].complete());
    EXPECT_EQ(entries[1].end, "23-01-15 09:30:00");
    EXPECT_EQ(entries[1].event, "Sensor");
    // An end time of 11 characters or less is left empty; the event is the last field.
    EXPECT_EQ(entries[2].end, "");
    EXPECT_EQ(entries[2].event, "Forced");
}

TEST(EventSearch, OnlyLinesEndedByALineFeedCount) {
    EXPECT_TRUE(ParseEventSearch(kPath + ",080115094512,0").empty());
    EXPECT_EQ(ParseEventSearch(kPath + ",080115094512,0\n" + kPath + ",0801").size(), 1u);
    EXPECT_TRUE(ParseEventSearch(std::string_view("\n\n,1,2\n")).empty());
    EXPECT_TRUE(ParseEventSearch(std::string_view()).empty());
}

TEST(EventSearch, EventCodes) {
    EXPECT_EQ(EventName("0"), "Forced");
    EXPECT_EQ(EventName("3"), "Forced");
    EXPECT_EQ(EventName("1"), "Motion");
    EXPECT_EQ(EventName("2"), "Sensor");
    EXPECT_EQ(EventName("4"), "");
    EXPECT_EQ(EventName("12"), "");
    EXPECT_EQ(EventName(""), "");
    // A line with one field has no event.
    const auto one = ParseEventSearch(kPath + "\n");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].event, "");
    EXPECT_EQ(one[0].end, "");
}

TEST(Playback, StateLabelsAndStatusText) {
    EXPECT_EQ(PlaybackLabel(1), "+1X");
    EXPECT_EQ(PlaybackLabel(8), "+128X");
    EXPECT_EQ(PlaybackLabel(9), "Step forward");
    EXPECT_EQ(PlaybackLabel(10), "+1/4X");
    EXPECT_EQ(PlaybackLabel(11), "+1/2X");
    EXPECT_EQ(PlaybackLabel(17), "-1X");
    EXPECT_EQ(PlaybackLabel(24), "-128X");
    EXPECT_EQ(PlaybackLabel(25), "Step reverse");
    for (int empty : {0, 12, 16, 26, 31, -1})
        EXPECT_EQ(PlaybackLabel(empty), "") << empty;
    EXPECT_EQ(PlaybackStatusText(2), "Playback( +2X )");
    EXPECT_EQ(PlaybackStatusText(12), "Playback(  )");
}

TEST(Playback, ButtonsSendTheirRequests) {
    const char* reqs[] = {"6", "4", "5", "1", "8", "7", "2", "3"};
    const int paused[] = {0, 0, 1, -1, 1, 1, 0, 0};
    for (int i = 0; i < kPlaybackButtons; ++i) {
        const PlaybackButtonSpec& b = PlaybackButtonOf(static_cast<PlaybackButton>(i));
        EXPECT_EQ(b.stringId, 749 + i);
        EXPECT_STREQ(b.req, reqs[i]);
        EXPECT_EQ(b.paused, paused[i]);
    }
}

TEST(BackupFastMode, AsksForDoubleSpeedOncePerState) {
    BackupFastMode off(false);
    EXPECT_FALSE(off.OnFirstData());
    EXPECT_FALSE(off.OnPlaybackState(1));

    // The first state report arrives before the first-data notice: one request covers both.
    BackupFastMode a(true);
    EXPECT_TRUE(a.OnPlaybackState(1));
    EXPECT_FALSE(a.OnFirstData());
    EXPECT_FALSE(a.OnPlaybackState(2));
    EXPECT_TRUE(a.OnPlaybackState(1));  // the recorder fell back to +1X
    EXPECT_TRUE(a.OnPlaybackState(3));

    // First data before any report: the request is sent at once and covers the first report.
    BackupFastMode b(true);
    EXPECT_TRUE(b.OnFirstData());
    EXPECT_FALSE(b.OnPlaybackState(1));
    EXPECT_FALSE(b.OnPlaybackState(2));
    EXPECT_TRUE(b.OnPlaybackState(17));

    BackupFastMode c(true);
    EXPECT_FALSE(c.OnPlaybackState(2));  // already at double speed
    EXPECT_FALSE(c.OnFirstData());
}

TEST(RangeTime, FourteenDigitsWithCheckedFields) {
    media::CivilTime t;
    ASSERT_TRUE(ParseRangeTime("20080115093005", &t));
    EXPECT_EQ(t.year, 2008);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.second, 5);
    EXPECT_EQ(BackupTimeText(t), "080115093005");
    for (const char* bad : {"2008011509300", "200801150930051", "2008011509300x", "20081315093005",
                            "20080100093005", "20080115243005", "19990115093005", ""})
        EXPECT_FALSE(ParseRangeTime(bad, &t)) << bad;
}

}  // namespace
