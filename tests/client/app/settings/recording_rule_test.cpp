#include <gtest/gtest.h>

#include <cstdlib>

#include "client/app/settings/recording_choice.h"
#include "client/app/settings/recording_stop_rule.h"

namespace {

using client::EndChoice;
using client::RecordingChoice;
using client::RecordingEndType;
using client::RecordingStopRule;

// A clock the test moves by hand.
struct ManualClock {
    std::time_t now = 0;
    RecordingStopRule::Clock Fn() {
        return [this] { return now; };
    }
};

std::tm At(int year, int month, int day, int hour, int minute, int second = 0) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(RecordingStopRule, ADurationBoundRecordingStopsWhenTheMinuteCountReachesTheDuration) {
    ManualClock clock;
    RecordingChoice choice;
    choice.endType = RecordingEndType::kDuration;
    choice.durationMinutes = 1;
    RecordingStopRule one(choice, clock.Fn());
    EXPECT_FALSE(one.ShouldStop());
    EXPECT_TRUE(one.OnMinuteTick());  // the first tick ends a one-minute recording

    choice.durationMinutes = 5;
    RecordingStopRule five(choice, clock.Fn());
    for (int i = 1; i < 5; ++i)
        EXPECT_FALSE(five.OnMinuteTick()) << i;
    EXPECT_TRUE(five.OnMinuteTick());
    EXPECT_TRUE(five.OnMinuteTick());  // a late extra tick still says stop
    EXPECT_EQ(five.MinutesCounted(), 6);
    EXPECT_FALSE(five.OnEndTimeCheck());  // the end time plays no part

    choice.durationMinutes = 0;  // never offered; must not run for ever
    EXPECT_TRUE(RecordingStopRule(choice, clock.Fn()).OnMinuteTick());
}

TEST(RecordingStopRule, AnEndTimeRecordingStopsAtTheFirstCheckAtOrPastTheEnd) {
    ManualClock clock;
    clock.now = 1'000'000;
    RecordingChoice choice;
    choice.endType = RecordingEndType::kEndTime;
    choice.endMoment = 1'000'600;
    RecordingStopRule rule(choice, clock.Fn());
    EXPECT_FALSE(rule.OnEndTimeCheck());
    EXPECT_FALSE(rule.OnMinuteTick());  // minute ticks do not end it
    clock.now = 1'000'599;
    EXPECT_FALSE(rule.OnEndTimeCheck());
    clock.now = 1'000'600;
    EXPECT_TRUE(rule.OnEndTimeCheck());
    clock.now = 1'009'999;
    EXPECT_TRUE(rule.ShouldStop());
}

TEST(RecordingStopRule, AContinuousRecordingNeverStopsByItself) {
    ManualClock clock;
    RecordingChoice choice;  // continuous
    choice.endMoment = 0;
    clock.now = 2'000'000'000;
    RecordingStopRule rule(choice, clock.Fn());
    for (int i = 0; i < 500; ++i)
        EXPECT_FALSE(rule.OnMinuteTick());
    EXPECT_FALSE(rule.OnEndTimeCheck());
}

TEST(RecordingChoice, TheEndMustLieInALaterMinute) {
    const std::tm now = At(2026, 12, 8, 9, 30, 45);
    EXPECT_FALSE(client::IsEndInFuture({{2026, 12, 8}, 9, 30}, now));  // the current minute
    EXPECT_TRUE(client::IsEndInFuture({{2026, 12, 8}, 9, 31}, now));   // the next one
    EXPECT_FALSE(client::IsEndInFuture({{2026, 12, 8}, 8, 59}, now));
    EXPECT_FALSE(client::IsEndInFuture({{2026, 12, 7}, 23, 59}, now));  // yesterday, later hour
    EXPECT_TRUE(client::IsEndInFuture({{2026, 12, 9}, 0, 0}, now));     // tomorrow, earlier hour
    EXPECT_TRUE(client::IsEndInFuture({{2027, 1, 1}, 0, 0}, now));
    EXPECT_FALSE(client::IsEndInFuture({{2025, 12, 31}, 23, 59}, now));
}

TEST(RecordingChoice, TheEndMomentIsTheLocalDateAndTimeWithSecondsZero) {
    const char* oldTz = std::getenv("TZ");
    const std::string keep = oldTz ? oldTz : "";
    setenv("TZ", "UTC0", 1);
    tzset();
    EXPECT_EQ(client::EndMomentOf({{2026, 3, 14}, 10, 5}), 1773482700);
    // Offered first: now plus ten minutes, crossing midnight and the year.
    const EndChoice next = client::DefaultEndChoice(1798761300);  // 2026-12-31 23:55:00
    EXPECT_EQ(next.date.year, 2027);
    EXPECT_EQ(next.date.month, 1);
    EXPECT_EQ(next.date.day, 1);
    EXPECT_EQ(next.hour, 0);
    EXPECT_EQ(next.minute, 5);
    if (oldTz)
        setenv("TZ", keep.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(RecordingChoice, ChannelsAndTheRecordingView) {
    EXPECT_EQ(client::SelectableChannelBoxes(4), 4);
    EXPECT_EQ(client::SelectableChannelBoxes(8), 8);
    EXPECT_EQ(client::SelectableChannelBoxes(16), 16);
    EXPECT_EQ(client::SelectableChannelBoxes(40), 16);
    EXPECT_EQ(client::SelectableChannelBoxes(-1), 0);
    RecordingChoice choice;
    EXPECT_EQ(choice.RecordingView(), -1);
    choice.channels[6] = true;
    EXPECT_EQ(choice.RecordingView(), 6);
    choice.channels[15] = true;
    EXPECT_EQ(choice.RecordingView(), 22);
    EXPECT_EQ(choice.ChosenChannelCount(), 2);
}

TEST(RecordingChoice, KeywordsLoseTheTenForbiddenCharactersAndStopAtTenCharacters) {
    for (char32_t c : std::u32string_view(U"*/,\\|:<>?\""))
        EXPECT_FALSE(client::IsKeywordCharacterAllowed(c)) << static_cast<int>(c);
    EXPECT_FALSE(client::IsKeywordCharacterAllowed(U'\n'));
    EXPECT_TRUE(client::IsKeywordCharacterAllowed(U'.'));
    EXPECT_TRUE(client::IsKeywordCharacterAllowed(U'가'));
    EXPECT_EQ(client::CleanKeyword("a,b/../c"), "ab..c");
    EXPECT_EQ(client::CleanKeyword("0123456789ABC"), "0123456789");
    // Ten characters, not ten bytes; cut sequences are dropped whole.
    EXPECT_EQ(client::CleanKeyword("정문정문정문정문정문정문"), "정문정문정문정문정문");
    EXPECT_EQ(client::CleanKeyword(std::string("ok\xEC\xA0", 4)), "ok");
    EXPECT_EQ(client::CleanKeyword(std::string("a\0b", 3)), "ab");
}

}  // namespace
