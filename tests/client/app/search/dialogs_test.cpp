// The search, playback and backup dialogs on the offscreen platform, driven by mouse and keys as
// a user would; the remote playback through the panel runs against a simulated recorder. Every
// dialog leaves its picture in the build folder (shots/) to be looked at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
#include <thread>

#include "client/app/search/calendar_search_dialog.h"
#include "client/app/search/event_search_dialog.h"
#include "client/app/search/playback_panel.h"
#include "client/app/search/progress_box.h"
#include "client/app/search/search_result_dialog.h"
#include "tests/client/app/search/calendar_answer.h"
#include "tests/client/net/sim_fixture.h"
#include "ui/calendar_control.h"
#include "ui/skin_button.h"
#include "ui/skin_frame.h"
#include "ui/time_range_bar.h"

namespace client::search {
namespace {

using namespace std::chrono_literals;

void Shoot(QWidget& widget, const char* name) {
    QDir().mkpath(QStringLiteral(DVR_SHOT_DIR));
    widget.grab().save(QStringLiteral(DVR_SHOT_DIR) + QString::fromLatin1(name));
}

template <typename T>
T* Find(QWidget& parent, const QString& text) {
    for (T* w : parent.findChildren<T*>())
        if (w->text() == text) return w;
    return nullptr;
}

int64_t At(int day, int hour, int minute) {
    return test::At(2026, 3, day, hour, minute);
}

// A recorder's calendar answer: 13 and 14 March 2026, motion and sensor on the 14th.
QByteArray CalendarAnswer() {
    const auto bytes = test::CalendarAnswer({{At(13, 22, 0), 0, 0},
                                             {At(14, 9, 0), 0, 0},
                                             {At(14, 9, 1), 1, 1},
                                             {At(14, 9, 7), 2, 2},
                                             {At(14, 10, 30), 0, 0},
                                             {At(14, 15, 5), 3, 0}});
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// Where slot s of the time bar is under the mouse (markers 9 wide, 2 pixels a slot).
QPoint SlotPoint(int slot) {
    return QPoint(2 * slot + 4, 5);
}

void ClickDay(ui::CalendarControl& calendar, int cell) {
    const QPoint at = ui::CalendarControl::CellRect(cell).center();
    QTest::mousePress(&calendar, Qt::LeftButton, {}, at);
    QTest::mouseRelease(&calendar, Qt::LeftButton, {}, at);
}

int CellOf(const ui::CalendarControl& calendar, const ui::CalendarDate& date) {
    for (int i = 0; i < ui::CalendarModel::kCells; ++i)
        if (calendar.Model().Cell(i).date == date) return i;
    return -1;
}

TEST(CalendarSearchDialog, PlayHandsOverTheSelectionAndTheNextSearchOpensOnIt) {
    SearchSession session;
    session.BeginSearch();
    QString selection;
    {
        CalendarSearchDialog dialog(SearchPurpose::Search);
        dialog.SetCalendarData(CalendarAnswer());
        dialog.SetPreSelectedTime(QString::fromStdString(session.preselectedTime()));
        dialog.SetDVRChannel(4);
        dialog.show();
        // The latest recorded day, its recordings from 09:00 to 15:05, both days marked.
        ui::CalendarControl& calendar = dialog.calendarControl();
        EXPECT_EQ(calendar.GetSelectedDate(), (ui::CalendarDate{2026, 3, 14}));
        EXPECT_EQ(calendar.Model().Cell(CellOf(calendar, {2026, 3, 13})).kind,
                  ui::DayKind::WithRecordings);
        EXPECT_EQ(calendar.Model().Cell(CellOf(calendar, {2026, 3, 12})).kind,
                  ui::DayKind::ShownMonth);
        EXPECT_EQ(dialog.selectedStartText(), QStringLiteral("20260314090000"));
        EXPECT_EQ(dialog.selectedEndText(), QStringLiteral("20260314151000"));
        Shoot(dialog, "calendar_search.png");

        // The start goes to 09:30 by a double-click of the left button; Play hands it over.
        QTest::mouseDClick(&dialog.timeBar(), Qt::LeftButton, {}, SlotPoint(114));
        EXPECT_EQ(dialog.selectedStartText(), QStringLiteral("20260314093000"));
        QSignalSpy play(&dialog, &CalendarSearchDialog::playRequested);
        QTest::mouseClick(Find<QPushButton>(dialog, QStringLiteral("Play")), Qt::LeftButton);
        ASSERT_EQ(play.count(), 1);
        selection = play[0][0].toString();
    }
    EXPECT_EQ(selection, QStringLiteral("20260314093000"));
    EXPECT_EQ(session.Play(selection.toStdString()), "260314093000");

    // The next search offers the whole text again.
    CalendarSearchDialog again(SearchPurpose::Search);
    again.SetCalendarData(CalendarAnswer());
    again.SetPreSelectedTime(QString::fromStdString(session.preselectedTime()));
    again.show();
    EXPECT_EQ(again.selectedStartText(), QStringLiteral("20260314093000"));
    EXPECT_EQ(again.timeBar().Model().ShownDate(), (ui::CalendarDate{2026, 3, 14}));
}

TEST(CalendarSearchDialog, ARangeAcrossDaysOfTheChosenChannelsIsBackedUp) {
    CalendarSearchDialog dialog(SearchPurpose::Backup);
    dialog.SetCalendarData(CalendarAnswer());
    dialog.SetDVRChannel(4);
    dialog.show();
    EXPECT_EQ(dialog.channelMask(), 0xFu);
    // Only the recorder's four channels are offered.
    EXPECT_EQ(Find<QCheckBox>(dialog, QStringLiteral("CH5"))->isVisible(), false);
    EXPECT_TRUE(Find<QCheckBox>(dialog, QStringLiteral("CH4"))->isVisible());

    // The 13th: the start moves there; the end stays on the 14th.
    ui::CalendarControl& calendar = dialog.calendarControl();
    ClickDay(calendar, CellOf(calendar, {2026, 3, 13}));
    EXPECT_EQ(dialog.timeBar().Model().ShownDate(), (ui::CalendarDate{2026, 3, 13}));
    QTest::mouseDClick(&dialog.timeBar(), Qt::LeftButton, {}, SlotPoint(264));  // 22:00
    // A right click on the 13th would put the end before the start's day... it is refused.
    ClickDay(calendar, CellOf(calendar, {2026, 3, 12}));
    QTest::mouseClick(&dialog.timeBar(), Qt::RightButton, {}, SlotPoint(10));
    EXPECT_EQ(dialog.selectedEndText(), QStringLiteral("20260314151000"));
    EXPECT_EQ(dialog.selectedStartText(), QStringLiteral("20260313220000"));

    QCheckBox* ch2 = Find<QCheckBox>(dialog, QStringLiteral("CH2"));
    QTest::mouseClick(ch2, Qt::LeftButton, {}, QPoint(4, ch2->height() / 2));
    auto* mode = dialog.findChild<QComboBox*>();
    mode->setCurrentIndex(1);
    Shoot(dialog, "calendar_backup.png");
    QSignalSpy backup(&dialog, &CalendarSearchDialog::backupRequested);
    QPushButton* start = Find<QPushButton>(dialog, QStringLiteral("Backup"));
    QTest::mouseClick(start, Qt::LeftButton);
    ASSERT_EQ(backup.count(), 1);
    EXPECT_EQ(backup[0][0].toString(), QStringLiteral("20260313220000"));
    EXPECT_EQ(backup[0][1].toString(), QStringLiteral("20260314151000"));
    EXPECT_EQ(backup[0][2].toInt(), 1);
    EXPECT_EQ(backup[0][3].toUInt(), 0xDu);

    // No channel, no backup.
    for (const char* name : {"CH1", "CH3", "CH4"})
        Find<QCheckBox>(dialog, QString::fromLatin1(name))->setChecked(false);
    EXPECT_FALSE(start->isEnabled());
}

TEST(CalendarSearchDialog, SearchAgainAndCloseAreReported) {
    CalendarSearchDialog dialog(SearchPurpose::Search);
    dialog.SetCalendarData(QByteArray("no calendar"));
    dialog.SetToday({2026, 12, 8});
    dialog.show();
    EXPECT_EQ(dialog.selectedStartText(), QStringLiteral("20261208000000"));
    QSignalSpy again(&dialog, &CalendarSearchDialog::searchAgainRequested);
    QSignalSpy close(&dialog, &CalendarSearchDialog::closeRequested);
    QTest::mouseClick(Find<QPushButton>(dialog, QStringLiteral("Search Again")), Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::mouseClick(Find<QPushButton>(dialog, QStringLiteral("Close")), Qt::LeftButton);
    EXPECT_EQ(again.count(), 1);
    ASSERT_EQ(close.count(), 2);
    EXPECT_EQ(close[0][0].toInt(), 1);
    EXPECT_TRUE(dialog.isVisible());  // the window decides when it goes
}

// A recorder path: 25 characters of folders, the start time, "_", the 0-based channel, a tail.
std::string Path(const std::string& start, const std::string& channel) {
    return "/hdda/recs/20230115/ch02/" + start + "_" + channel + "_M.umv";
}

TEST(SearchResultDialog, ListsTheFilesAndPlaysTheChosenOne) {
    const std::string body = Path("230115_091500", "02") + ",230115093000,2\n" +
                             std::string(44, 'x') + ",230115093000,1\n" +
                             Path("230115_093000", "00") + ",230115094500,3\n";
    SearchResultDialog dialog(QByteArray::fromStdString(body));
    std::vector<int> messages;
    dialog.SetMessageSink([&](int id, const QString&) { messages.push_back(id); });
    dialog.show();
    QTableWidget& list = dialog.list();
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.geometry(), QRect(20, 35, 560, 290));
    EXPECT_EQ(list.horizontalHeaderItem(0)->text(), QStringLiteral("StartTime"));
    EXPECT_EQ(list.columnWidth(0), 170);
    EXPECT_EQ(list.columnWidth(2), 50);
    EXPECT_EQ(list.item(0, 0)->text(), QStringLiteral("23-01-15 09:15:00"));
    EXPECT_EQ(list.item(0, 1)->text(), QStringLiteral("23-01-15 09:30:00"));
    EXPECT_EQ(list.item(0, 2)->text(), QStringLiteral("3"));
    EXPECT_EQ(list.item(0, 3)->text(), QStringLiteral("Sensor"));
    EXPECT_EQ(list.item(1, 3)->text(), QStringLiteral("Forced"));
    EXPECT_EQ(list.item(0, 0)->textAlignment(), Qt::AlignCenter);
    Shoot(dialog, "search_results.png");

    ui::SkinButton* play = dialog.Frame().Button(0);
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(messages, std::vector<int>{2030});
    EXPECT_TRUE(dialog.isVisible());

    // Enter and Esc leave it open; a click on a row and Play end it with that file.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    const QRect row = list.visualItemRect(list.item(1, 1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosenFile(), QString::fromStdString(Path("230115_093000", "00")));
}

TEST(SearchResultDialog, ADoubleClickPlaysAndCloseChoosesNothing) {
    const std::string body = Path("230115_091500", "02") + ",230115093000,2\n";
    SearchResultDialog played(QByteArray::fromStdString(body));
    played.show();
    const QRect row = played.list().visualItemRect(played.list().item(0, 0));
    QTest::mouseClick(played.list().viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(played.list().viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(played.result(), QDialog::Accepted);
    EXPECT_EQ(played.chosenFile(), QString::fromStdString(Path("230115_091500", "02")));

    SearchResultDialog closed(QByteArray::fromStdString(body));
    closed.show();
    QTest::mouseClick(closed.Frame().Button(1), Qt::LeftButton);
    EXPECT_EQ(closed.result(), QDialog::Rejected);
    EXPECT_TRUE(closed.isHidden());
}

TEST(EventSearchDialog, SearchSendsTheFormAsTheRecordersQuery) {
    EventSearchDialog dialog(8, nullptr, QDateTime(QDate(2026, 3, 14), QTime(11, 0)));
    dialog.show();
    auto* channel = dialog.findChild<QComboBox*>();
    EXPECT_EQ(channel->count(), 8);
    EXPECT_EQ(channel->itemText(7), QStringLiteral("CH8"));
    channel->setCurrentIndex(2);
    QTest::mouseClick(Find<QRadioButton>(dialog, QStringLiteral("Motion")), Qt::LeftButton);
    auto times = dialog.findChildren<QTimeEdit*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(times.size(), 2);
    times[0]->setTime(QTime(9, 30, 5));
    Shoot(dialog, "event_search.png");
    QSignalSpy search(&dialog, &EventSearchDialog::searchRequested);
    QTest::mouseClick(Find<QPushButton>(dialog, QStringLiteral("Search")), Qt::LeftButton);
    ASSERT_EQ(search.count(), 1);
    EXPECT_EQ(search[0][0].toString(),
              QStringLiteral("MODE=4&STARTTIME=260314093005&ENDTIME=260314235959&CH=2&EVENT=1"));
    // A range that ends before it starts is not searched.
    times[1]->setTime(QTime(9, 30, 4));
    EXPECT_FALSE(Find<QPushButton>(dialog, QStringLiteral("Search"))->isEnabled());
    times[1]->setTime(QTime(9, 30, 5));
    EXPECT_TRUE(Find<QPushButton>(dialog, QStringLiteral("Search"))->isEnabled());
    // Years the query cannot carry are not offered.
    auto* date = dialog.findChild<QDateEdit*>();
    date->setDate(QDate(1999, 12, 31));
    EXPECT_EQ(date->date(), QDate(2000, 1, 1));
}

TEST(ProgressBox, FollowsTheConnectionsProgressFromItsThreads) {
    ProgressRelay relay;
    ProgressBox box(ProgressBox::Kind::Backup);
    box.Follow(relay);
    box.show();
    EXPECT_EQ(box.text(), QStringLiteral("completed 0%"));
    std::thread reader([&] { ShowProgress(&relay, 42); });
    reader.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(box.text(), QStringLiteral("completed 42%"));
    EXPECT_EQ(box.position(), 42);
    Shoot(box, "backup_progress.png");
    QSignalSpy stop(&box, &ProgressBox::stopRequested);
    box.close();
    EXPECT_EQ(stop.count(), 1);
    EXPECT_TRUE(box.isVisible());
    box.Finish();
    EXPECT_EQ(box.text(), QStringLiteral("completed 100%"));
    EXPECT_EQ(box.position(), 100);
}

class PanelSimTest : public nettest::SimTest {};

TEST_F(PanelSimTest, AFoundFileIsPlayedAndSteeredThroughThePanel) {
    dvrsim::Options o = SimOptions("d1_4ch");
    o.speed = 2;
    StartSim(o);
    nettest::RecordingSinks sinks;
    auto c = Connect(sinks, Params());
    ASSERT_TRUE(WaitPictures(sinks, 1));
    const CommandResult found = Await([&](CommandDone done) {
        c->commands().EventSearch({2026, 3, 14, 0, 0, 0}, {2026, 3, 14, 23, 59, 59}, 16, 0,
                                  std::move(done));
    });
    ASSERT_TRUE(found.ok());

    SearchResultDialog results(QByteArray(reinterpret_cast<const char*>(found.body.data()),
                                          static_cast<qsizetype>(found.body.size())));
    results.show();
    ASSERT_GT(results.rowCount(), 0);
    const QRect row = results.list().visualItemRect(results.list().item(0, 0));
    // A double-click: the first press lands on the row, then the double-click.
    QTest::mouseClick(results.list().viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(results.list().viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_EQ(results.result(), QDialog::Accepted);

    sinks.Clear();
    ASSERT_TRUE(c->playback().PlayFile(results.chosenFile().toStdString()));
    ASSERT_TRUE(WaitPictures(sinks, 5));
    PlaybackPanel panel;
    panel.SetSource(results.chosenFile());
    panel.show();
    QObject::connect(&panel, &PlaybackPanel::command,
                     [&](int command) { RunPanelCommand(c->playback(), command); });
    QSignalSpy close(&panel, &PlaybackPanel::closeRequested);
    QTest::mouseClick(panel.frame().Button(2), Qt::LeftButton);  // Pause
    EXPECT_TRUE(c->stream().paused());
    panel.SetPlaybackState(2);
    EXPECT_EQ(panel.stateText(), QStringLiteral("Playback( +2X )"));
    Shoot(panel, "playback_panel.png");
    QTest::mouseClick(panel.frame().Button(3), Qt::LeftButton);  // Stop
    EXPECT_TRUE(
        sinks.WaitFor([&] { return sinks.Count("post", Notification::CalendarSearch) == 1; }, 10s));
    QTest::mouseClick(panel.frame().Button(8), Qt::LeftButton);  // Close
    EXPECT_EQ(close.count(), 1);
    EXPECT_FALSE(RunPanelCommand(c->playback(), 8));
    EXPECT_FALSE(RunPanelCommand(c->playback(), -1));
    StopAndWait(*c);

    std::vector<std::string> reqs;
    for (const std::string& line : ControlLog())
        if (line.find("OP=8") != std::string::npos)
            reqs.push_back(line.substr(line.rfind('=') + 1));
    EXPECT_EQ(reqs, (std::vector<std::string>{"5", "1"}));
}

}  // namespace
}  // namespace client::search
