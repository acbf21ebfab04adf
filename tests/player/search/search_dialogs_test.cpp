// The two search dialogs on the offscreen platform, over generated folders.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "media/calendar_file.h"
#include "media/wall_time.h"
#include "platform/registry_store.h"
#include "player/player_strings.h"
#include "player/search/still_search_dialog.h"
#include "player/search/time_code_bar.h"
#include "player/search/video_search_dialog.h"
#include "tests/support/temp_dir.h"
#include "ui/time_range_bar.h"

namespace player {
namespace {

using platform::Hive;
using platform::kEnvironmentsKey;

class SearchDialogs : public ::testing::Test {
  protected:
    void Touch(const std::string& path) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << "x";
    }
    testsupport::TempDir dir_;
    platform::RegistryStore store_{dir_ / "Environments.ini"};
    QStringList told_;
};

TEST_F(SearchDialogs, StillSearchRunsOffTheGuiThreadAndListsRows) {
    const std::string stills = dir_ / "stills/";
    for (int i = 0; i < 70; ++i)
        Touch(stills + "Gate,0806" + (i % 2 ? "01" : "02") + "_1010" + std::to_string(10 + i % 50) +
              "," + std::to_string(1 + i % 4) + ",.jpg");
    Touch(stills + "Yard,991231_235959,M,door.jpg");
    store_.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "OrvCapturePath", stills);

    StillSearchDialog dialog(store_, dir_.path(), PlayerStrings());
    dialog.SetMessageSink([&](const QString& t) { told_ << t; });
    EXPECT_EQ(dialog.recorderBox()->count(), 3);  // any, Gate, Yard
    QSignalSpy finished(&dialog, &StillSearchDialog::searchFinished);

    dialog.channelBox()->setCurrentIndex(dialog.channelBox()->findText(QStringLiteral("M")));
    dialog.Search();
    ASSERT_TRUE(finished.wait(30000));
    ASSERT_EQ(dialog.results()->topLevelItemCount(), 1);
    QTreeWidgetItem* row = dialog.results()->topLevelItem(0);
    EXPECT_EQ(row->text(0), QStringLiteral("Yard"));
    EXPECT_EQ(row->text(1), QStringLiteral("99-12-31 23:59:59"));
    EXPECT_EQ(row->text(3), QStringLiteral("door"));

    dialog.channelBox()->setCurrentIndex(0);
    dialog.recorderBox()->setCurrentIndex(dialog.recorderBox()->findText(QStringLiteral("Gate")));
    dialog.dateBox()->setChecked(true);
    dialog.dateEdit()->setDate(QDate(2008, 6, 1));
    dialog.Search();
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(dialog.results()->topLevelItemCount(), 35);
    EXPECT_EQ(dialog.progress()->labelText(), QStringLiteral("70 / 70"));
    EXPECT_FALSE(dialog.progress()->isVisible());

    QSignalSpy chosen(&dialog, &StillSearchDialog::stillChosen);
    emit dialog.results()->itemDoubleClicked(dialog.results()->topLevelItem(0), 0);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_TRUE(chosen.at(0).at(0).toString().startsWith(QString::fromStdString(stills)));

    dialog.keywordEdit()->setText(QStringLiteral("nothing"));
    dialog.Search();
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(told_, QStringList{QStringLiteral("The file does not exist.")});
}

TEST_F(SearchDialogs, VideoSearchPlaysThePairCoveringTheChosenMinute) {
    const std::string root = dir_ / "Record/";
    const std::string folder = root + "Gate_20080601_100000/";
    std::filesystem::create_directories(folder);
    media::CalendarHeader header;
    header.channels = 4;
    header.recorderName = "Gate";
    header.titles[0] = "Door";
    media::CalendarWriter writer;
    ASSERT_TRUE(writer.Create(folder + "20080601_100000.cdb", header));
    for (int minute = 0; minute < 10; ++minute) {
        media::DayEntry e;
        e.minute = static_cast<int32_t>(media::WallTimeOf(108, 5, 1, 10, minute, 0));
        e.Note(0, minute < 5 ? 0 : 1);
        writer.Append(e);
    }
    ASSERT_TRUE(writer.Close());
    Touch(folder + "20080601_100000.idx");
    Touch(folder + "20080601_100500.idx");
    store_.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "RecordPath", root);

    VideoSearchDialog dialog(store_, dir_.path(), PlayerStrings());
    dialog.SetMessageSink([&](const QString& t) { told_ << t; });
    ASSERT_EQ(dialog.recorderBox()->count(), 1);
    EXPECT_EQ(dialog.startTimeBox()->currentText(), QStringLiteral("20080601_100000"));
    EXPECT_EQ(dialog.hourBar()->Cell(0, 10), BarColour::kForced);  // 5 forced, 5 motion
    EXPECT_EQ(dialog.minuteBar()->rows(), 4);
    EXPECT_EQ(dialog.minuteBar()->Cell(0, 7), BarColour::kMotionSelected);

    QSignalSpy play(&dialog, &VideoSearchDialog::playRequested);
    dialog.SelectHour(10);
    dialog.SelectMinute(7);
    EXPECT_EQ(dialog.minuteBar()->Cell(0, 6), BarColour::kMotion);
    EXPECT_EQ(dialog.momentLabel()->text(), QStringLiteral("2008-06-01\n10:07"));
    // Each minute's marker on the range bar stands over that minute's cell, at any scale.
    dialog.show();
    QCoreApplication::processEvents();
    const ui::TimeRangeBar* range = dialog.rangeBar();
    const TimeCodeBar* minutes = dialog.minuteBar();
    for (int minute : {0, 7, 30, 59}) {
        const int marker = range->mapTo(&dialog, QPoint(range->Model().MarkerX(minute), 0)).x();
        const double cell =
            minutes->mapTo(&dialog, QPoint(0, 0)).x() + minute * minutes->width() / 60.0;
        EXPECT_NEAR(marker, cell, 1.0) << minute;
    }
    dialog.Play();
    ASSERT_EQ(play.count(), 1);
    const VideoSearchChoice& choice = dialog.choice();
    EXPECT_EQ(choice.folder, folder);
    EXPECT_EQ(choice.recorder, "Gate");
    EXPECT_EQ(choice.titles[0], "Door");
    const std::vector<PairStart> pairs = ListPairs(choice.folder);
    const int pair = PairCovering(pairs, choice.moment);
    ASSERT_EQ(pair, 1);
    EXPECT_EQ(std::filesystem::path(pairs[pair].indexPath).filename(), "20080601_100500.idx");
    EXPECT_EQ(media::FormatWallTime(choice.moment), "2008-06-01 10:07:00");
    EXPECT_TRUE(told_.isEmpty());

    // A stretch whose calendar is damaged: the calendar shows no recordings and says why.
    std::ofstream(folder + "20080601_100000.cdb", std::ios::trunc) << "junk";
    dialog.SetRoot(QString::fromStdString(root));
    EXPECT_EQ(told_, QStringList{QStringLiteral("Improper file type.")});
    EXPECT_EQ(dialog.hourBar()->Cell(0, 10), BarColour::kNone);
}

}  // namespace
}  // namespace player
