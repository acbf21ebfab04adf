// The calendar search without widgets: marks and day slots from a recorder's calendar, the range
// the dialog opens with, the selection texts, and what the window remembers between searches.
#include <gtest/gtest.h>

#include <vector>

#include "client/app/search/calendar_search.h"
#include "client/app/search/event_search_form.h"
#include "client/app/search/search_session.h"
#include "media/wall_time.h"
#include "tests/client/app/search/calendar_answer.h"
#include "ui/calendar_model.h"

namespace client::search {
namespace {

using test::At;
using test::CalendarAnswer;

TEST(CalendarSearch, MarksTheRecordedDaysInTheCalendarControlsGrid) {
    // March 2026 begins on a Sunday: the grid's first row is the last week of February.
    CalendarSearch search;
    ASSERT_TRUE(search.SetCalendarData(CalendarAnswer({{At(2026, 3, 1, 8, 0), 0, 0},
                                                       {At(2026, 3, 14, 9, 59), 1, 1},
                                                       {At(2026, 3, 31, 23, 59), 2, 2},
                                                       {At(2026, 4, 2, 10, 0), 0, 0}})));
    ui::CalendarModel model;
    model.SetDate({2026, 3, 14});
    const auto marks = search.Marks(2026, 3);
    std::vector<int> marked;
    for (int i = 0; i < ui::CalendarModel::kCells; ++i) {
        if (marks[static_cast<size_t>(i)]) {
            EXPECT_EQ(model.Cell(i).date.month, 3) << "cell " << i;
            marked.push_back(model.Cell(i).date.day);
        }
    }
    EXPECT_EQ(marked, (std::vector<int>{1, 14, 31}));
    EXPECT_EQ(search.Marks(2026, 2), (std::array<bool, 42>{}));
}

TEST(CalendarSearch, DaySlotsKeepTheStrongestCauseOfFiveMinutes) {
    CalendarSearch search;
    ASSERT_TRUE(search.SetCalendarData(CalendarAnswer({{At(2026, 3, 14, 0, 0), 0, 0},
                                                       {At(2026, 3, 14, 9, 58), 0, 0},
                                                       {At(2026, 3, 14, 9, 59), 1, 1},
                                                       {At(2026, 3, 14, 10, 0), 0, 0},
                                                       {At(2026, 3, 14, 10, 1), 2, 2},
                                                       {At(2026, 3, 14, 23, 59), 3, 0},
                                                       {At(2026, 3, 15, 0, 0), 0, 1}})));
    const auto slots = search.DaySlots({2026, 3, 14});
    EXPECT_EQ(slots[0], SlotCode::Manual);
    EXPECT_EQ(slots[119], SlotCode::Motion);  // 09:55..09:59
    EXPECT_EQ(slots[120], SlotCode::Sensor);  // 10:00..10:04
    EXPECT_EQ(slots[121], SlotCode::None);
    EXPECT_EQ(slots[kLastSlot], SlotCode::Manual);
    EXPECT_EQ(search.DaySlots({2026, 3, 15})[0], SlotCode::Motion);
    EXPECT_EQ(search.DaySlots({2026, 3, 13})[kLastSlot], SlotCode::None);
}

TEST(CalendarSearch, OpensOnThePreselectedTimeOrTheLatestRecordings) {
    CalendarSearch search;
    ASSERT_TRUE(search.SetCalendarData(CalendarAnswer({{At(2026, 3, 13, 7, 0), 0, 0},
                                                       {At(2026, 3, 14, 9, 59), 0, 0},
                                                       {At(2026, 3, 14, 10, 0), 1, 0}})));
    const ui::CalendarDate today{2026, 12, 8};
    // The latest day, from its first recorded slot to the slot after its last.
    TimeRange r = search.InitialRange(today);
    EXPECT_EQ(r.start, (TimePoint{{2026, 3, 14}, 119}));
    EXPECT_EQ(r.end, (TimePoint{{2026, 3, 14}, 121}));
    EXPECT_EQ(SelectionText(r.start), "20260314095500");
    EXPECT_EQ(SelectionText(r.end), "20260314100500");

    search.SetPreSelectedTime("20260313073012");
    r = search.InitialRange(today);
    EXPECT_EQ(r.start, (TimePoint{{2026, 3, 13}, 90}));
    EXPECT_EQ(r.end, (TimePoint{{2026, 3, 13}, 102}));

    // The last slot of a day still leaves room for the end marker on the same day.
    search.SetPreSelectedTime("20260313235959");
    r = search.InitialRange(today);
    EXPECT_LT(r.start, r.end);
    EXPECT_EQ(r.end, (TimePoint{{2026, 3, 13}, kLastSlot}));

    search.SetPreSelectedTime("2026031307");  // not a selection: as if none were given
    EXPECT_EQ(search.InitialRange(today).start, (TimePoint{{2026, 3, 14}, 119}));
}

TEST(CalendarSearch, AnAnswerThatIsNoCalendarMarksNothing) {
    CalendarSearch search;
    const std::vector<uint8_t> garbage(100, 0x41);
    EXPECT_FALSE(search.SetCalendarData(garbage));
    EXPECT_FALSE(search.SetCalendarData({}));
    EXPECT_TRUE(search.empty());
    const TimeRange r = search.InitialRange({2026, 12, 8});
    EXPECT_EQ(r.start, (TimePoint{{2026, 12, 8}, 0}));
    EXPECT_EQ(r.end, (TimePoint{{2026, 12, 8}, kLastSlot}));
}

TEST(CalendarSearch, SelectionTextsAreFourteenDigitsOfARealTime) {
    TimePoint p;
    EXPECT_TRUE(ParseSelectionText("20240229235959", &p));
    EXPECT_EQ(p, (TimePoint{{2024, 2, 29}, kLastSlot}));
    EXPECT_FALSE(ParseSelectionText("20230229120000", &p));  // not a leap year
    EXPECT_FALSE(ParseSelectionText("20261301120000", &p));
    EXPECT_FALSE(ParseSelectionText("20260314246000", &p));
    EXPECT_FALSE(ParseSelectionText("2026031412000", &p));
    EXPECT_FALSE(ParseSelectionText("2026031412000x", &p));
    EXPECT_EQ(SelectionText({{2026, 1, 2}, 1}), "20260102000500");
}

TEST(CalendarSearch, RecorderChannelCountsAreFourEightOrSixteen) {
    CalendarSearch search;
    search.SetDVRChannel(4);
    EXPECT_EQ(search.channels(), 4);
    search.SetDVRChannel(8);
    EXPECT_EQ(search.channels(), 8);
    search.SetDVRChannel(0);
    EXPECT_EQ(search.channels(), 16);
    search.SetDVRChannel(300);
    EXPECT_EQ(search.channels(), 16);
}

TEST(SearchSession, PlayHandsOverTheTimeWithoutTheCenturyAndOffersTheWholeTextNextTime) {
    SearchSession session;
    session.BeginSearch();
    EXPECT_EQ(session.preselectedTime(), "");
    EXPECT_EQ(session.Play("20260314095958"), "260314095958");
    EXPECT_EQ(session.preselectedTime(), "20260314095958");
    // Search again (0x593) keeps it; a malformed selection changes nothing.
    EXPECT_EQ(session.Play("26"), "");
    EXPECT_EQ(session.Play(""), "");
    EXPECT_EQ(session.preselectedTime(), "20260314095958");
    // The DVR Search and DVR Backup buttons start afresh.
    session.BeginSearch();
    EXPECT_EQ(session.preselectedTime(), "");
    session.ChooseBackup(1);
    session.BeginBackup();
    EXPECT_EQ(session.purpose(), SearchPurpose::Backup);
    EXPECT_EQ(session.backupStep(), 0);
}

TEST(EventSearchForm, QueryCarriesTwoDigitYearsTheChannelAndTheEvent) {
    EventSearchForm form;
    form.channel = 3;
    form.start = {2026, 3, 14, 9, 0, 0};
    form.end = {2026, 3, 14, 10, 30, 15};
    form.event = EventKind::Motion;
    EXPECT_EQ(EventSearchQuery(form),
              "MODE=4&STARTTIME=260314090000&ENDTIME=260314103015&CH=3&EVENT=1");
    form.channel = 15;
    form.event = EventKind::Sensor;
    form.start = {2000, 1, 1, 0, 0, 0};
    EXPECT_EQ(EventSearchQuery(form),
              "MODE=4&STARTTIME=000101000000&ENDTIME=260314103015&CH=15&EVENT=2");
}

}  // namespace
}  // namespace client::search
