#include "media/calendar_file.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "media/wall_time.h"
#include "tests/support/temp_dir.h"

#if defined(__SANITIZE_ADDRESS__)
#define DVR_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DVR_UNDER_ASAN 1
#endif
#endif
#ifndef DVR_UNDER_ASAN
#define DVR_UNDER_ASAN 0
#endif

namespace {

using media::Calendar;
using media::CalendarHeader;
using media::DayEntry;

int64_t Minute(int year, int month, int day, int hour, int minute) {
    return media::WallTimeOf(year - 1900, month - 1, day, hour, minute, 0);
}

// A calendar file made byte by byte: header, then entries (minute, mask, causes bytes).
struct CdbBytes {
    std::vector<uint8_t> bytes;
    explicit CdbBytes(int channels = 16, const char* name = "Yard") {
        bytes.assign(media::kCalendarHeaderSize, 0);
        bytes[0] = 'U';
        bytes[1] = 'D';
        bytes[4] = 1;
        bytes[5] = static_cast<uint8_t>(channels);
        std::memcpy(&bytes[6], name, std::strlen(name));
    }
    void Entry(int64_t minute, uint32_t mask, std::array<uint8_t, 4> causes = {}) {
        const size_t at = bytes.size();
        bytes.resize(at + media::kDayEntrySize, 0);
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(minute) >> (24 - 8 * i));
            bytes[at + 4 + i] = static_cast<uint8_t>(mask >> (24 - 8 * i));
            bytes[at + 8 + i] = causes[i];
        }
    }
};

TEST(CalendarLayout, DayCellsStartAtTheWeekdayOfTheFirst) {
    EXPECT_EQ(Calendar::DayCell(2008, 6, 1), 7);  // 1 June 2008 is a Sunday
    EXPECT_EQ(Calendar::DayCell(2008, 6, 2), 8);
    EXPECT_EQ(Calendar::DayCell(2008, 9, 1), 1);            // a Monday
    EXPECT_EQ(Calendar::DayCell(2026, 3, 14), 7 + 14 - 1);  // March 2026 starts on a Sunday
    EXPECT_EQ(Calendar::DayCell(1970, 1, 1), 4);            // a Thursday
}

TEST(CalendarLayout, CauseBitsArePackedTwoPerChannelUnswapped) {
    CdbBytes cdb;
    cdb.Entry(Minute(2008, 6, 1, 10, 5), 0x0005, {0x24, 0, 0, 0});
    cdb.Entry(Minute(2008, 6, 1, 10, 6), 0x8010, {0, 0x02, 0, 0xC0});
    Calendar cal;
    ASSERT_TRUE(cal.Parse(cdb.bytes));
    ASSERT_EQ(cal.minutes().size(), 2u);
    const auto& first = cal.minutes()[0].codes;
    EXPECT_EQ(first[0], 1);  // forced
    EXPECT_EQ(first[1], 0);  // motion bits set, but the mask says nothing was recorded
    EXPECT_EQ(first[2], 3);  // sensor
    const auto& second = cal.minutes()[1].codes;
    EXPECT_EQ(second[4], 3);   // byte 9, bits 0..1
    EXPECT_EQ(second[15], 4);  // byte 11, bits 6..7 hold 3: a code the recorders never write
    EXPECT_EQ(cal.CodeAt(Minute(2008, 6, 1, 10, 5) + 59, 2), 3);
    EXPECT_EQ(cal.CodeAt(Minute(2008, 6, 1, 10, 7), 2), 0);
}

TEST(CalendarLayout, MonthsSpanFromTheEarliestToTheLatestMinute) {
    CdbBytes cdb;
    cdb.Entry(Minute(2008, 1, 30, 23, 59), 1);
    cdb.Entry(Minute(2008, 3, 2, 0, 0), 2, {0x04});
    Calendar cal;
    ASSERT_TRUE(cal.Parse(cdb.bytes));
    EXPECT_EQ(cal.monthSpan(), 3);
    const auto jan = cal.Month(2008, 1);
    EXPECT_EQ(jan.dayCells[Calendar::DayCell(2008, 1, 30)], 1);
    EXPECT_EQ(std::count(jan.dayCells.begin(), jan.dayCells.end(), 1), 1);
    const auto feb = cal.Month(2008, 2);
    EXPECT_EQ(std::count(feb.dayCells.begin(), feb.dayCells.end(), 1), 0);
    const auto mar = cal.Month(2008, 3);
    EXPECT_EQ(mar.dayCells[Calendar::DayCell(2008, 3, 2)], 1);
    EXPECT_EQ(cal.HourCodes(2008, 1, 30, 23, 0)[59], 1);
    EXPECT_EQ(cal.HourCodes(2008, 3, 2, 0, 1)[0], 2);  // motion
    EXPECT_EQ(cal.HourCodes(2008, 3, 2, 0, 0)[0], 0);
}

TEST(CalendarLayout, ZeroAndNegativeMinutesAreSkippedAndRepeatedMinutesMerge) {
    CdbBytes cdb;
    cdb.Entry(Minute(2008, 6, 1, 10, 1), 0x3, {0x01});  // ch0 motion, ch1 forced
    cdb.Entry(0, 0xFFFF);
    cdb.Entry(-60, 0xFFFF);
    cdb.Entry(Minute(2008, 6, 1, 10, 0), 0x1);
    cdb.Entry(Minute(2008, 6, 1, 10, 1) + 30, 0x5, {0x20});  // same minute, written again
    Calendar cal;
    ASSERT_TRUE(cal.Parse(cdb.bytes));
    ASSERT_EQ(cal.minutes().size(), 2u);
    EXPECT_EQ(cal.earliest(), Minute(2008, 6, 1, 10, 0));
    const auto& merged = cal.minutes()[1].codes;
    EXPECT_EQ(merged[0], 1);  // the later entry names channel 0: forced now
    EXPECT_EQ(merged[1], 1);  // kept from the earlier entry
    EXPECT_EQ(merged[2], 3);
}

TEST(CalendarLayout, ChannelCountSelectsTheTimeBarRows) {
    for (auto [channels, rows] : {std::pair{4, 4}, {8, 8}, {16, 16}, {0, 16}, {5, 16}}) {
        CdbBytes cdb(channels);
        Calendar cal;
        ASSERT_TRUE(cal.Parse(cdb.bytes));
        EXPECT_EQ(cal.header().timeBarRows(), rows) << channels;
    }
}

TEST(CalendarCheck, BadFilesGiveAnEmptyCalendar) {
    CdbBytes good;
    good.Entry(Minute(2008, 6, 1, 10, 0), 1);
    Calendar cal;
    ASSERT_TRUE(cal.Parse(good.bytes));
    auto broken = [&](size_t at, uint8_t value) {
        auto bytes = good.bytes;
        bytes[at] = value;
        return bytes;
    };
    for (const auto& bytes : {broken(0, 'X'), broken(2, 'x'), broken(4, 2), broken(3, 1),
                              broken(438, 1), broken(439 + 19, 1)}) {
        EXPECT_FALSE(cal.Parse(bytes));
        EXPECT_TRUE(cal.empty());
        EXPECT_EQ(cal.header().recorderName, "");
    }
    EXPECT_FALSE(cal.Parse(std::span(good.bytes).first(438)));
    // A header alone is a calendar without recordings; a torn last entry is left out.
    EXPECT_TRUE(cal.Parse(std::span(good.bytes).first(439)));
    EXPECT_TRUE(cal.empty());
    EXPECT_TRUE(cal.Parse(std::span(good.bytes).first(439 + 19)));
    EXPECT_TRUE(cal.empty());
}

TEST(CalendarCheck, AHostileSpanOfMonthsCostsOnlyWhatTheFileHolds) {
    // One minute in every month from 1970 to 2038: the spanned months alone would need 800
    // blocks of almost a megabyte each.
    CdbBytes cdb;
    for (int year = 1970; year <= 2037; ++year)
        for (int month = 1; month <= 12; ++month)
            cdb.Entry(Minute(year, month, 1, 0, year == 1970 && month == 1 ? 1 : 0), 0xFFFF);
    cdb.Entry(INT32_MAX, 1);
#if !DVR_UNDER_ASAN
    const size_t before = mallinfo2().uordblks;
#endif
    Calendar cal;
    ASSERT_TRUE(cal.Parse(cdb.bytes));
    EXPECT_EQ(cal.monthSpan(), 68 * 12 + 1);
    EXPECT_EQ(cal.minutes().size(), 68u * 12 + 1);
#if !DVR_UNDER_ASAN
    EXPECT_LT(mallinfo2().uordblks - before, 200'000u);
#endif
    EXPECT_EQ(cal.Month(2038, 1).dayCells[Calendar::DayCell(2038, 1, 19)], 1);
}

TEST(CalendarFile, WriterOutputReadsBack) {
    testsupport::TempDir dir;
    CalendarHeader header;
    header.channels = 8;
    header.recorderName = "A recorder named far too long";
    header.titles[0] = "Gate";
    header.titles[7] = "Loading bay north";
    media::CalendarWriter writer;
    ASSERT_TRUE(writer.Create(dir / "x.cdb", header));
    DayEntry e;
    e.minute = static_cast<int32_t>(Minute(2026, 3, 14, 9, 59));
    e.Note(0, 0);
    e.Note(0, 2);  // forced is code 0: a later cause still replaces it
    e.Note(0, 1);  // but a cause once set stays
    e.Note(7, 3);  // cause 3 is stored as forced
    e.Note(5, 1);
    ASSERT_TRUE(writer.Append(e));
    ASSERT_TRUE(writer.Close());

    const auto bytes = testsupport::ReadFile(dir / "x.cdb");
    ASSERT_EQ(bytes.size(), 439u + 20u);
    EXPECT_EQ(bytes[18], 0);          // the name is cut to 12 characters and zero-terminated
    EXPECT_EQ(bytes[439 + 7], 0xA1);  // mask of channels 0, 5, 7
    EXPECT_EQ(bytes[439 + 9], 0x04);  // channel 5: motion at bits 2..3 of byte 9

    Calendar cal;
    ASSERT_TRUE(cal.LoadFile(dir / "x.cdb"));
    EXPECT_EQ(cal.header().recorderName, "A recorder n");
    EXPECT_EQ(cal.header().channels, 8);
    EXPECT_EQ(cal.header().titles[0], "Gate");
    EXPECT_EQ(cal.header().titles[7], "Loading bay ");
    ASSERT_EQ(cal.minutes().size(), 1u);
    EXPECT_EQ(cal.minutes()[0].minute, Minute(2026, 3, 14, 9, 59));
    EXPECT_EQ(cal.minutes()[0].codes[0], 3);
    EXPECT_EQ(cal.minutes()[0].codes[5], 2);
    EXPECT_EQ(cal.minutes()[0].codes[7], 1);
}

TEST(CalendarFile, TheWriterNeverReplacesAFileAndUpdatesEntriesInPlace) {
    testsupport::TempDir dir;
    CdbBytes old(4, "Old");
    old.Entry(Minute(2026, 3, 14, 9, 0), 1);
    testsupport::WriteFile(dir / "x.cdb", old.bytes);
    media::CalendarWriter writer;
    EXPECT_FALSE(writer.Create(dir / "x.cdb", CalendarHeader{}));
    EXPECT_EQ(testsupport::ReadFile(dir / "x.cdb"), old.bytes);

    ASSERT_TRUE(writer.Create(dir / "y.cdb", CalendarHeader{}));
    DayEntry a, b;
    a.minute = static_cast<int32_t>(Minute(2026, 3, 14, 9, 0));
    b.minute = static_cast<int32_t>(Minute(2026, 3, 14, 9, 1));
    a.Note(0, 0);
    b.Note(1, 0);
    size_t slotA = 9, slotB = 9;
    ASSERT_TRUE(writer.Append(a, &slotA));
    ASSERT_TRUE(writer.Append(b, &slotB));
    EXPECT_EQ(slotA, 0u);
    EXPECT_EQ(slotB, 1u);
    a.Note(3, 2);
    ASSERT_TRUE(writer.Update(slotA, a));
    EXPECT_FALSE(writer.Update(2, a));  // no such entry
    ASSERT_TRUE(writer.Close());
    Calendar cal;
    ASSERT_TRUE(cal.LoadFile(dir / "y.cdb"));
    ASSERT_EQ(cal.minutes().size(), 2u);
    EXPECT_EQ(cal.minutes()[0].codes[3], 3);
    EXPECT_EQ(cal.minutes()[1].codes[1], 1);
    EXPECT_EQ(testsupport::ReadFile(dir / "y.cdb").size(), 439u + 2 * 20u);
}

TEST(CalendarFile, AFolderIsReadThroughItsFirstCalendarFile) {
    testsupport::TempDir dir;
    Calendar cal;
    EXPECT_FALSE(cal.LoadFolder(dir.path()));
    std::filesystem::create_directory(dir / "a.cdb");  // folders do not count
    CdbBytes second(4, "Second");
    CdbBytes first(8, "First");
    testsupport::WriteFile(dir / "20260314_100000.cdb", second.bytes);
    testsupport::WriteFile(dir / "20260314_095952.CDB", first.bytes);
    testsupport::WriteFile(dir / "20260314_095952.umv", {1, 2, 3});
    ASSERT_TRUE(cal.LoadFolder(dir.path()));
    EXPECT_EQ(cal.header().recorderName, "First");
    testsupport::WriteFile(dir / "20260314_095952.CDB", {'U', 'D'});
    EXPECT_FALSE(cal.LoadFolder(dir.path()));
    EXPECT_FALSE(cal.LoadFile(dir / "missing.cdb"));
}

}  // namespace
