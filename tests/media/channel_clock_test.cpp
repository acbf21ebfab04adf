// The time pictures count at, and the playback cursor over one channel of an index.
#include <gtest/gtest.h>

#include "media/channel_clock.h"
#include "media/channel_cursor.h"
#include "media/frame_index.h"
#include "tests/support/records.h"

namespace {

using media::ChannelClock;
using media::ChannelCursor;
using media::FrameIndex;
using testsupport::HeaderOf;
using testsupport::Recording;

int64_t Wall(int minute, int second) {
    return media::WallTimeOf(108, 5, 1, 10, minute, second);
}

TEST(ChannelClock, APredictedPictureTakesItsChannelsIntraTime) {
    ChannelClock clock;
    auto time = [&](int channel, int kind, int minute, int second) {
        return clock
            .Time(HeaderOf({.channel = channel, .kind = kind, .minute = minute, .second = second}))
            .wall();
    };
    EXPECT_EQ(time(0, 2, 59, 59), Wall(59, 59));  // no Intra yet: its own bytes
    EXPECT_EQ(time(0, 0, 1, 10), Wall(1, 10));
    EXPECT_EQ(time(1, 0, 2, 0), Wall(2, 0));
    EXPECT_EQ(time(0, 2, 59, 59), Wall(1, 10));  // channel 0's Intra, not channel 1's
    EXPECT_EQ(time(0, 1, 1, 11), Wall(1, 11));   // an Anchor keeps its own
    EXPECT_EQ(time(0, 2, 0, 0), Wall(1, 10));
    EXPECT_EQ(time(1, 2, 0, 0), Wall(2, 0));
    // Skipped records (channel 16 and above) neither use nor change the clock.
    EXPECT_EQ(time(16, 0, 3, 0), Wall(3, 0));
    EXPECT_EQ(time(0, 2, 0, 0), Wall(1, 10));
    clock.Reset();
    EXPECT_EQ(time(0, 2, 0, 0), Wall(0, 0));

    // Index entries carry 32-bit wall times and follow the same rule.
    ChannelClock entries;
    EXPECT_EQ(entries.Time(3, 2, 500u), 500u);
    EXPECT_EQ(entries.Time(3, 0, 4000000000u), 4000000000u);
    EXPECT_EQ(entries.Time(3, 2, 7u), 4000000000u);
    EXPECT_EQ(entries.Time(4, 2, 7u), 7u);
}

TEST(ChannelClock, BothIndexBuildersAgreeWithTheClock) {
    Recording r;
    r.Add({.channel = 0, .kind = 0, .stamp = 1, .minute = 1, .second = 5});
    r.Add({.channel = 0, .kind = 2, .stamp = 2, .minute = 9, .second = 9});
    r.Add({.channel = 0, .kind = 1, .stamp = 3, .minute = 1, .second = 6});
    FrameIndex fromIndex, fromData;
    ASSERT_TRUE(fromIndex.BuildFromIndex(r.index, nullptr));
    fromData.BuildFromData(r.data);
    ASSERT_EQ(fromIndex.frameCount(), 3u);
    ASSERT_EQ(fromData.frameCount(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(fromIndex.frames()[i].time, fromData.frames()[i].time) << i;
        EXPECT_EQ(fromIndex.frames()[i].offset, fromData.frames()[i].offset) << i;
    }
    EXPECT_EQ(fromData.frames()[1].time, static_cast<uint32_t>(Wall(1, 5)));
}

class Cursor : public ::testing::Test {
  protected:
    void SetUp() override {
        // Channel 2: I P B P I B P at seconds 0..6; channel 5 interleaved; audio in between.
        const int kinds[] = {0, 1, 2, 1, 0, 2, 1};
        uint32_t stamp = 0;
        for (int i = 0; i < 7; ++i) {
            r.Add({.channel = 2, .kind = kinds[i], .stamp = ++stamp, .second = i});
            if (i % 2 == 0) r.Add({.channel = 5, .kind = 0, .stamp = ++stamp, .second = i});
            if (i == 3) r.Add({.channel = 2, .kind = 3, .stamp = ++stamp, .second = i});
        }
        index.BuildFromData(r.data);
    }
    Recording r;
    FrameIndex index;
};

TEST_F(Cursor, StepsThroughOneChannelPictureByPictureAndIntraByIntra) {
    ChannelCursor c(index, 2);
    ASSERT_EQ(c.count(), 7u);
    EXPECT_TRUE(c.atIntra());
    EXPECT_FALSE(c.Previous());
    EXPECT_FALSE(c.PreviousIntra());
    ASSERT_TRUE(c.Next());
    EXPECT_EQ(c.entry().channel, 2);
    EXPECT_EQ(c.entry().kind, 1);
    ASSERT_TRUE(c.NextIntra());
    EXPECT_EQ(c.entry().time, static_cast<uint32_t>(Wall(0, 4)));
    EXPECT_FALSE(c.NextIntra());  // no Intra after it: the cursor stays
    EXPECT_TRUE(c.atIntra());
    ASSERT_TRUE(c.Last());
    EXPECT_FALSE(c.Next());
    ASSERT_TRUE(c.ToIntra());
    EXPECT_EQ(c.entry().time, static_cast<uint32_t>(Wall(0, 4)));
    ASSERT_TRUE(c.PreviousIntra());
    EXPECT_EQ(c.entry().time, static_cast<uint32_t>(Wall(0, 0)));
    for (ChannelCursor other(index, 2); other.Next();)
        EXPECT_EQ(index.frames()[other.position()].channel, 2);
    EXPECT_TRUE(ChannelCursor(index, 7).empty());
    EXPECT_FALSE(ChannelCursor(index, 7).SeekTime(0));
}

TEST_F(Cursor, SeeksByWallTimeAndBacksUpToAnIntra) {
    ChannelCursor c(index, 2);
    ASSERT_TRUE(c.SeekTime(Wall(0, 3)));
    EXPECT_EQ(c.entry().time, static_cast<uint32_t>(Wall(0, 3)));
    ASSERT_TRUE(c.ToIntra());
    EXPECT_EQ(c.entry().time, static_cast<uint32_t>(Wall(0, 0)));
    // A Predicted picture counts at its Intra's time: seeking to 0:05 finds the Anchor at 0:06,
    // after the Predicted one whose own bytes said 0:05.
    ASSERT_TRUE(c.SeekTime(Wall(0, 5)));
    EXPECT_EQ(c.entry().kind, 1);
    EXPECT_EQ(c.entry().time, static_cast<uint32_t>(Wall(0, 6)));
    ASSERT_TRUE(c.SeekTime(Wall(0, 0) - 100));
    EXPECT_EQ(c.position(), ChannelCursor(index, 2).position());
    ASSERT_TRUE(c.SeekTime(Wall(30, 0)));  // past the end: the last picture
    EXPECT_FALSE(c.Next());
}

TEST(CursorOverAClockSetBack, SeeksToTheFirstLateEnoughPictureInPlayOrder) {
    // The recorder's clock went back from 10:05 to 10:01 during the recording.
    Recording r;
    uint32_t stamp = 0;
    for (int minute : {5, 5, 1, 1, 2})
        r.Add({.channel = 0, .kind = 0, .stamp = ++stamp, .minute = minute});
    FrameIndex index;
    index.BuildFromData(r.data);
    ChannelCursor c(index, 0);
    ASSERT_TRUE(c.SeekTime(Wall(2, 0)));
    EXPECT_EQ(c.position(), 0u);  // 10:05 comes first in play order
    ASSERT_TRUE(c.SeekTime(Wall(6, 0)));
    EXPECT_EQ(c.position(), 4u);  // nothing that late: the last picture
}

}  // namespace
