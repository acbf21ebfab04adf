#include "client/app/settings/recording_stop_watch.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <chrono>

namespace {

using client::RecordingChoice;
using client::RecordingEndType;
using client::RecordingStopWatch;
using namespace std::chrono_literals;

TEST(RecordingStopWatch, AOneMinuteRecordingStopsAtTheFirstTick) {
    RecordingStopWatch watch(nullptr, 1ms);
    QSignalSpy minutes(&watch, &RecordingStopWatch::minutePassed);
    QSignalSpy due(&watch, &RecordingStopWatch::stopDue);
    RecordingChoice choice;
    choice.endType = RecordingEndType::kDuration;
    choice.durationMinutes = 1;
    watch.Start(choice);
    ASSERT_TRUE(due.wait(10000));
    ASSERT_EQ(minutes.size(), 1);
    EXPECT_EQ(minutes[0][0].toInt(), 1);
    EXPECT_FALSE(watch.IsWatching());

    // Two minutes: one tick passes, the second stops it.
    choice.durationMinutes = 2;
    watch.Start(choice);
    ASSERT_TRUE(due.wait(10000));
    EXPECT_EQ(due.size(), 2);
    EXPECT_EQ(minutes.size(), 3);
    EXPECT_EQ(watch.MinutesCounted(), 2);
}

TEST(RecordingStopWatch, AnEndTimeRecordingStopsAtTheFirstCheckPastItsEnd) {
    std::time_t now = 5000;
    RecordingStopWatch watch(nullptr, 1ms, [&now] { return now; });
    QSignalSpy minutes(&watch, &RecordingStopWatch::minutePassed);
    QSignalSpy due(&watch, &RecordingStopWatch::stopDue);
    RecordingChoice choice;
    choice.endType = RecordingEndType::kEndTime;
    choice.endMoment = 5060;
    watch.Start(choice);
    // Checks keep finding the end ahead while the clock stands still; then time reaches it.
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, [&now] { now = 5060; });
    later.start(20ms);
    ASSERT_TRUE(due.wait(10000));
    EXPECT_EQ(now, 5060);
    EXPECT_EQ(minutes.size(), 0);
    EXPECT_FALSE(watch.IsWatching());
}

TEST(RecordingStopWatch, ContinuousRecordingsAndStoppedWatchesNeverFire) {
    RecordingStopWatch watch(nullptr, 1ms);
    RecordingChoice choice;  // continuous
    watch.Start(choice);
    EXPECT_FALSE(watch.IsWatching());
    choice.endType = RecordingEndType::kDuration;
    choice.durationMinutes = 1;
    watch.Start(choice);
    EXPECT_TRUE(watch.IsWatching());
    watch.Stop();
    EXPECT_FALSE(watch.IsWatching());
}

}  // namespace
