// The search side of the main window against a simulated recorder, on the offscreen platform:
// DVR Search, a time picked in the calendar, played and stopped; DVR Backup of the offered range
// into a temporary folder; an event search whose found file plays through the panel.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "client/app/search/calendar_search_dialog.h"
#include "client/app/search/event_search_dialog.h"
#include "client/app/search/playback_panel.h"
#include "client/app/search/progress_box.h"
#include "client/app/search/search_result_dialog.h"
#include "client/app/search/search_windows.h"
#include "tests/client/app/search/search_sim_fixture.h"
#include "ui/skin_button.h"
#include "ui/skin_frame.h"

namespace client::search {
namespace {

namespace fs = std::filesystem;

// Hang guard only: every wait ends as soon as what it waits for happens.
constexpr int kLimitMs = 30000;

// Notifications go on to the search windows on the GUI thread, as the main window's adapter
// sends them.
class ForwardingSinks : public nettest::RecordingSinks {
  public:
    void Post(Notification message, int parameter) override {
        RecordingSinks::Post(message, parameter);
        QMetaObject::invokeMethod(
            &context,
            [this, message, parameter] {
                if (windows) windows->OnNotification(message, parameter);
            },
            Qt::QueuedConnection);
    }
    QObject context;
    QPointer<SearchWindows> windows;
};

QPushButton* Button(QWidget* parent, const char* text) {
    for (QPushButton* b : parent->findChildren<QPushButton*>())
        if (b->text() == QString::fromLatin1(text)) return b;
    return nullptr;
}

class SearchWindowsTest : public test::SearchSimFixture {
  protected:
    void SetUp() override {
        dvrsim::Options o = SimOptions("d1_4ch");
        o.speed = 2;
        StartSim(o);
        connection_ = BackupConnection(sinks_);
        window_.resize(880, 670);
        window_.show();
        windows_ = std::make_unique<SearchWindows>(*connection_, relay_, &window_);
        windows_->SetChannelCount(4);
        sinks_.windows = windows_.get();
    }
    void TearDown() override {
        windows_.reset();
        StopAndWait(*connection_);
        connection_->recorder().Stop();
        connection_->recorder().Flush();
    }

    ForwardingSinks sinks_;
    std::unique_ptr<DvrConnection> connection_;
    ProgressRelay relay_;
    QWidget window_;
    std::unique_ptr<SearchWindows> windows_;
};

TEST_F(SearchWindowsTest, DvrSearchPlaysThePickedTimeAndComesBackToIt) {
    QSignalSpy enabled(windows_.get(), &SearchWindows::windowEnabled);
    QSignalSpy live(windows_.get(), &SearchWindows::reconnectLive);
    windows_->OpenSearch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows_->calendarDialog() != nullptr; }, kLimitMs));
    EXPECT_EQ(windows_->waitBox(), nullptr);
    EXPECT_FALSE(enabled.last()[0].toBool());
    CalendarSearchDialog* calendar = windows_->calendarDialog();
    EXPECT_EQ(calendar->selectedStartText(), QStringLiteral("20260314095500"));

    QTest::mouseClick(Button(calendar, "Play"), Qt::LeftButton);
    EXPECT_EQ(windows_->calendarDialog(), nullptr);
    ASSERT_NE(windows_->playbackPanel(), nullptr);
    ASSERT_TRUE(WaitPictures(sinks_, 5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows_->waitBox() == nullptr; }, kLimitMs));
    EXPECT_TRUE(enabled.last()[0].toBool());
    EXPECT_EQ(windows_->playbackPanel()->pos(), QPoint(672, 313));
    window_.grab().save(QStringLiteral(DVR_SHOT_DIR "window_with_panel.png"));

    // Stop on the panel: the calendar opens again on the time that was played.
    QTest::mouseClick(windows_->playbackPanel()->frame().Button(3), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows_->calendarDialog() != nullptr; }, kLimitMs));
    EXPECT_EQ(windows_->playbackPanel(), nullptr);
    EXPECT_EQ(windows_->calendarDialog()->selectedStartText(), QStringLiteral("20260314095500"));
    EXPECT_EQ(windows_->session().preselectedTime(), "20260314095500");
    // Closing it goes back to live view.
    QTest::mouseClick(Button(windows_->calendarDialog(), "Close"), Qt::LeftButton);
    EXPECT_EQ(windows_->calendarDialog(), nullptr);
    EXPECT_EQ(live.count(), 1);
}

TEST_F(SearchWindowsTest, DvrBackupWritesTheRangeAndReportsAMissingSimplePlayer) {
    fs::create_directories(dir_ / "program");
    windows_->SetSimplePlayer({true, dir_ / "program/", dir_ / "backup/"});
    QSignalSpy messages(windows_.get(), &SearchWindows::message);
    windows_->OpenBackup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows_->calendarDialog() != nullptr; }, kLimitMs));
    // Search Again queries the calendar anew and opens a fresh backup calendar.
    QTest::mouseClick(Button(windows_->calendarDialog(), "Search Again"), Qt::LeftButton);
    EXPECT_EQ(windows_->calendarDialog(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows_->calendarDialog() != nullptr; }, kLimitMs));
    ASSERT_TRUE(Button(windows_->calendarDialog(), "Backup")->isVisible());
    QTest::mouseClick(Button(windows_->calendarDialog(), "Backup"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows_->progressBox() != nullptr; }, kLimitMs));
    // The backup ends, the simple player is missing, and the backup calendar opens again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.count() > 0; }, kLimitMs));
    EXPECT_EQ(messages[0][0].toInt(), 2067);
    EXPECT_EQ(windows_->progressBox(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows_->calendarDialog() != nullptr; }, kLimitMs));
    EXPECT_EQ(sinks_.Messages(), std::vector<std::string>{"Backup completed."});

    connection_->recorder().Flush();
    test::ExpectRecordingsOpen(dir_ / "backup/", "2026-03-14");
}

TEST_F(SearchWindowsTest, AnEventSearchPlaysTheFoundFileThroughThePanel) {
    QSignalSpy live(windows_.get(), &SearchWindows::reconnectLive);
    ASSERT_TRUE(connection_->ConnectLive(connection_->params()));
    ASSERT_TRUE(WaitPictures(sinks_, 1));
    windows_->OpenEventSearch();
    ASSERT_NE(windows_->eventSearchDialog(), nullptr);
    EventSearchForm form = windows_->eventSearchDialog()->form();
    form.start = {2026, 3, 14, 0, 0, 0};
    form.end = {2026, 3, 14, 23, 59, 59};
    form.channel = 1;
    windows_->eventSearchDialog()->SetForm(form);
    QTest::mouseClick(Button(windows_->eventSearchDialog(), "Search"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows_->resultDialog() != nullptr; }, kLimitMs));
    SearchResultDialog* results = windows_->resultDialog();
    ASSERT_GT(results->rowCount(), 0);
    QTableWidget& list = results->list();
    const QPoint row = list.visualItemRect(list.item(0, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row);
    QTest::mouseClick(results->Frame().Button(0), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows_->playbackPanel() != nullptr; }, kLimitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return windows_->waitBox() == nullptr; }, kLimitMs));
    // The panel's Close ends the playback side and asks for live view.
    QTest::mouseClick(windows_->playbackPanel()->frame().Button(8), Qt::LeftButton);
    EXPECT_EQ(windows_->playbackPanel(), nullptr);
    EXPECT_EQ(live.count(), 1);
}

}  // namespace
}  // namespace client::search
