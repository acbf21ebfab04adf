// The calendar search and the time-range backup against a simulated recorder: the days and
// minutes its calendar answer marks, and a backup of the range the calendar offers, written into
// a temporary folder with the simple player beside it, whose recordings umvtool reads.
#include <gtest/gtest.h>

#include <filesystem>

#include "client/app/search/calendar_search.h"
#include "client/app/search/simple_player_copy.h"
#include "client/app/search/time_range_backup.h"
#include "tests/client/app/search/search_sim_fixture.h"
#include "ui/calendar_model.h"

namespace client::search {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class SearchSimTest : public test::SearchSimFixture {
  protected:
    CalendarSearch QueryCalendar(nettest::RecordingSinks& sinks, DvrConnection& c) {
        EXPECT_TRUE(c.ConnectLive(c.params()));
        EXPECT_TRUE(WaitPictures(sinks, 1));
        const CommandResult answer =
            Await([&](CommandDone done) { c.commands().QueryCalendar(std::move(done)); });
        EXPECT_TRUE(answer.ok());
        CalendarSearch search;
        EXPECT_TRUE(search.SetCalendarData(answer.body));
        search.SetDVRChannel(static_cast<unsigned>(search.calendar().header().channels));
        return search;
    }
};

TEST_F(SearchSimTest, TheRecordersCalendarMarksItsDayAndMinutes) {
    StartSim(SimOptions("d1_4ch"));
    nettest::RecordingSinks sinks;
    auto c = BackupConnection(sinks);
    const CalendarSearch search = QueryCalendar(sinks, *c);
    StopAndWait(*c);

    EXPECT_EQ(search.channels(), 4);
    ui::CalendarModel grid;
    grid.SetDate({2026, 3, 14});
    const auto marks = search.Marks(2026, 3);
    const ui::CalendarDate recorded{2026, 3, 14};
    for (int i = 0; i < ui::CalendarModel::kCells; ++i)
        EXPECT_EQ(marks[static_cast<size_t>(i)], grid.Cell(i).date == recorded) << "cell " << i;
    // The sample runs from 09:59:52 into 10:00, with motion on channel 2.
    const auto day = search.DaySlots({2026, 3, 14});
    EXPECT_EQ(day[119], SlotCode::Sensor);
    EXPECT_NE(day[120], SlotCode::None);
    EXPECT_EQ(std::count(day.begin(), day.end(), SlotCode::None), kSlotsPerDay - 2);
    const TimeRange range = search.InitialRange({2026, 12, 8});
    EXPECT_EQ(SelectionText(range.start), "20260314095500");
    EXPECT_EQ(SelectionText(range.end), "20260314100500");
}

TEST_F(SearchSimTest, ABackupOfTheOfferedRangeLandsInTheBackupFolderWithTheSimplePlayer) {
    StartSim(SimOptions("d1_4ch"));
    nettest::RecordingSinks sinks;
    auto c = BackupConnection(sinks);
    const CalendarSearch search = QueryCalendar(sinks, *c);
    const TimeRange range = search.InitialRange({2026, 12, 8});

    TimeRangeBackup backup(*c);
    EXPECT_FALSE(backup.Start({SelectionText(range.end), SelectionText(range.start), 0x3, 0}));
    EXPECT_FALSE(backup.Start({SelectionText(range.start), SelectionText(range.end), 0, 0}));
    ASSERT_TRUE(backup.Start({SelectionText(range.start), SelectionText(range.end), 0x3, 1}));
    EXPECT_TRUE(backup.running());

    // The window's part: every notification goes to the backup, in order, until it finishes.
    size_t handled = 0;
    bool started = false, finished = false;
    while (!finished) {
        ASSERT_TRUE(sinks.WaitFor([&] { return sinks.events().size() > handled; }, 30s));
        const auto events = sinks.events();
        for (; handled < events.size() && !finished; ++handled) {
            const auto& e = events[handled];
            if (e.what != "post") continue;
            const auto event = backup.OnNotification(static_cast<Notification>(e.a), e.b);
            started |= event == TimeRangeBackup::Event::DataStarted;
            finished = event == TimeRangeBackup::Event::Finished;
        }
    }
    EXPECT_TRUE(started);
    EXPECT_TRUE(backup.completed());
    EXPECT_FALSE(backup.running());
    c->stream().WaitStopped();
    c->recorder().Flush();
    c->commands().Drain();
    // Double speed: the recorder was asked for "Fast" (OP 8, REQ 3) when the data started.
    bool fast = false;
    for (const std::string& line : ControlLog())
        fast |= line.find("OP=8") != std::string::npos && line.ends_with("REQ=3");
    EXPECT_TRUE(fast);

    fs::create_directories(dir_ / "program");
    testsupport::WriteFile(dir_ / "program/Quenby_M4", {'#', '!'});
    EXPECT_EQ(CopySimplePlayer(true, dir_ / "program/", dir_ / "backup/"),
              SimplePlayerCopy::Copied);
    EXPECT_TRUE(fs::exists(dir_ / "backup/Quenby_M4"));

    test::ExpectRecordingsOpen(dir_ / "backup/", "2026-03-14");
}

}  // namespace
}  // namespace client::search
