#include "media/wall_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

namespace {

class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) saved_ = old, had_ = true;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (had_)
            setenv("TZ", saved_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::string saved_;
    bool had_ = false;
};

// The wall time reads local fields as UTC, so it must equal timegm() whatever the machine's
// zone, including fields that fall into a daylight-saving gap or overlap locally.
TEST(WallTime, MatchesTimegmInEveryTimeZone) {
    for (const char* zone : {"UTC", "America/New_York", "Europe/Berlin", "Asia/Seoul",
                             "Australia/Lord_Howe", "Asia/Kolkata", "EST5EDT,M3.2.0,M11.1.0"}) {
        ScopedTimeZone tz(zone);
        std::mt19937 rng(11);
        for (int i = 0; i < 3000; ++i) {
            std::tm t{};
            t.tm_year = static_cast<int>(rng() % 120) + 70;
            t.tm_mon = static_cast<int>(rng() % 14);   // 12 and 13 normalise into the next year
            t.tm_mday = static_cast<int>(rng() % 33);  // 0 and 32 normalise too
            t.tm_hour = static_cast<int>(rng() % 24);
            t.tm_min = static_cast<int>(rng() % 60);
            t.tm_sec = static_cast<int>(rng() % 60);
            const int64_t ours =
                media::WallTimeOf(t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
            std::tm copy = t;
            ASSERT_EQ(ours, static_cast<int64_t>(timegm(&copy))) << zone << " i=" << i;
        }
        // 2008-03-09 02:30 does not exist in New York; as wall time it is an ordinary minute.
        EXPECT_EQ(media::FormatWallTime(media::WallTimeOf(108, 2, 9, 2, 30, 0)),
                  "2008-03-09 02:30:00")
            << zone;
    }
}

TEST(WallTime, BreakInvertsWallTime) {
    std::mt19937 rng(3);
    for (int i = 0; i < 5000; ++i) {
        const int64_t seconds = static_cast<int64_t>(rng() % 4102444800u);  // 1970..2100
        const media::CivilTime c = media::BreakWallTime(seconds);
        std::tm expect{};
        const time_t tt = static_cast<time_t>(seconds);
        gmtime_r(&tt, &expect);
        ASSERT_EQ(c.year, expect.tm_year + 1900);
        ASSERT_EQ(c.month, expect.tm_mon + 1);
        ASSERT_EQ(c.day, expect.tm_mday);
        ASSERT_EQ(c.hour, expect.tm_hour);
        ASSERT_EQ(c.minute, expect.tm_min);
        ASSERT_EQ(c.second, expect.tm_sec);
    }
}

TEST(WallTime, FormatsAndParses) {
    EXPECT_EQ(media::FormatWallTime(0), "1970-01-01 00:00:00");
    EXPECT_EQ(media::FormatWallTime(media::WallTimeOf(108, 5, 1, 23, 59, 58)),
              "2008-06-01 23:59:58");
    media::CivilTime c;
    ASSERT_TRUE(media::ParseCivil("2024-02-29 13:05:09", &c));
    EXPECT_EQ(media::FormatCivil(c), "2024-02-29 13:05:09");
    EXPECT_FALSE(media::ParseCivil("2024-13-01 00:00:00", &c));
    EXPECT_FALSE(media::ParseCivil("2024-01-01 00:00:00x", &c));
    EXPECT_FALSE(media::ParseCivil("yesterday", &c));
}

TEST(WallTime, PlausibilityBoundsAreInclusive) {
    EXPECT_TRUE(media::IsPlausibleTime(12, 31, 23, 59, 59));  // month is 0-based: 12 passes
    EXPECT_FALSE(media::IsPlausibleTime(13, 1, 0, 0, 0));
    EXPECT_FALSE(media::IsPlausibleTime(0, 32, 0, 0, 0));
    EXPECT_FALSE(media::IsPlausibleTime(0, 1, 24, 0, 0));
    EXPECT_FALSE(media::IsPlausibleTime(0, 1, 0, 60, 0));
    EXPECT_FALSE(media::IsPlausibleTime(0, 1, 0, 0, 60));
}

}  // namespace
