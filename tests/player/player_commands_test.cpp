// The main window's commands on the offscreen platform over the sample recording: capture into
// a still that umvtool reads (with its watermark), the free-space rule, print to a PDF where no
// printer exists, the watermark refusals, exports through the worker, the folder walk into both
// file lists, the video search's "Play", and a live language change.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>

#include "media/still_image.h"
#include "media/wall_time.h"
#include "media/watermark.h"
#include "platform/mapped_file.h"
#include "platform/registry_store.h"
#include "player/player_strings.h"
#include "player/qt/dialog_skin.h"
#include "player/qt/export_dialog.h"
#include "player/qt/folder_walker.h"
#include "player/qt/player_menu.h"
#include "player/qt/player_window.h"
#include "player/qt/window_trace.h"
#include "player/search/still_search_dialog.h"
#include "player/search/video_search_dialog.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"
#include "ui/capture_save_dialog.h"
#include "ui/language_pack.h"

namespace {

using platform::Hive;
using platform::kEnvironmentsKey;
using player::EngineState;
using player::qt::PlayerWindow;

constexpr char kFolder[] = DVR_SOURCE_DIR "/samples/d1_4ch/Lobby_20260314_095952/";
constexpr char kSample[] =
    DVR_SOURCE_DIR "/samples/d1_4ch/Lobby_20260314_095952/20260314_095952.idx";
const std::string kUmvtool = std::string(DVR_BINARY_DIR) + "/tools/umvtool/umvtool";

// Every header and every row of the list shows in full: the text's advance plus what the style
// keeps around it (the header's 2-pixel padding, an item's focus margins) fits the column.
void ExpectTextsUnclipped(const QTreeWidget* list) {
    const int itemMargins =
        2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    const QFontMetrics items(list->font());
    const QFontMetrics headers(list->header()->font());
    for (int c = 0; c < list->columnCount(); ++c) {
        const int width = list->columnWidth(c);
        const QString title = list->headerItem()->text(c);
        EXPECT_LE(headers.horizontalAdvance(title) + 4, width) << title.toStdString();
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            const QString text = list->topLevelItem(r)->text(c);
            EXPECT_LE(items.horizontalAdvance(text) + itemMargins, width) << text.toStdString();
        }
    }
}

class PlayerCommandsTest : public ::testing::Test {
  protected:
    PlayerCommandsTest() : settings(dir / "Environments.ini") {
        settings.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "CapturePath", dir / "Frame/");
        settings.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "WaterMark",
                             DVR_SOURCE_DIR "/samples/Mark4015.raw");
        window = std::make_unique<PlayerWindow>(settings, player::PlayerStrings(), dir.path(), 1);
        window->SetMessageSink([this](const QString& text) { told.push_back(text); });
        window->show();
    }
    bool WaitFor(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, 60000);
    }
    void OpenPaused() {
        ASSERT_TRUE(window->OpenFile(QString::fromLatin1(kSample), true, 0).isEmpty());
        ASSERT_TRUE(WaitFor([&] { return window->engine().state() == EngineState::kPaused; }));
        ASSERT_TRUE(WaitFor([&] { return window->engine().cellsWaiting() == 0; }));
        ASSERT_TRUE(WaitFor([&] { return !window->timeText().isEmpty(); }));
    }
    std::vector<std::string> Captured() {
        std::vector<std::string> out;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir / "Frame", ec))
            out.push_back(e.path().string());
        return out;
    }

    testsupport::TempDir dir;
    platform::RegistryStore settings;
    std::unique_ptr<PlayerWindow> window;
    QStringList told;
};

TEST_F(PlayerCommandsTest, CaptureSavesAStillThatUmvtoolReadsAndChecks) {
    window->OnCommand(player::qt::kCmdCapture);
    EXPECT_EQ(told.value(0), QStringLiteral("Please select a file."));
    OpenPaused();
    window->ChooseLayout(player::kLayoutAll);
    ASSERT_TRUE(WaitFor([&] { return window->engine().layout() == player::kLayoutAll; }));

    uint64_t freeMiB = 50;
    bool watermark = false;
    window->pictureCommands().SetSaveDialogRunner([&](ui::CaptureSaveDialog& dialog) {
        dialog.SetFreeSpaceProbe([&](const std::string&) { return freeMiB << 20; });
        dialog.watermarkBox()->setChecked(watermark);
        dialog.keywordEdit()->setText(QStringLiteral("door"));
        dialog.Save();
    });
    told.clear();
    window->OnCommand(player::qt::kCmdCapture);
    EXPECT_EQ(told.value(0), QStringLiteral("Capture Failed!! HDD Full!!"));
    EXPECT_TRUE(Captured().empty());

    freeMiB = 51;
    watermark = true;
    told.clear();
    window->OnCommand(player::qt::kCmdCapture);
    EXPECT_EQ(told.value(0), QStringLiteral("The image has been saved."));
    const std::vector<std::string> saved = Captured();
    ASSERT_EQ(saved.size(), 1u);
    const std::string name = std::filesystem::path(saved[0]).filename().string();
    EXPECT_EQ(name.rfind("Lobby,", 0), 0u) << name;
    EXPECT_NE(name.find(",M,door.jpg"), std::string::npos) << name;
    const auto still = testsupport::RunCommand(kUmvtool + " still '" + saved[0] + "'");
    EXPECT_EQ(still.status, 0) << still.out;
    EXPECT_NE(still.out.find("720x480"), std::string::npos) << still.out;
    const auto check = testsupport::RunCommand(kUmvtool + " watermark check '" + saved[0] + "' '" +
                                               (dir / "check.png") + "'");
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "check.png"));
    // The mark read back agrees with the pattern on nearly every informative pair.
    platform::MappedFile file;
    ASSERT_EQ(file.Open(saved[0]), platform::MapError::kNone);
    const media::JpegLocation where = media::LocateJpeg(file.bytes());
    ASSERT_TRUE(where.hasTrailer && where.trailer.timePresent);
    media::RgbPicture checkPicture;
    media::WatermarkCheck marks;
    std::string error;
    ASSERT_TRUE(media::CheckJpeg(where.jpeg(file.bytes()), &checkPicture, &marks, &error));
    media::WatermarkPattern pattern;
    ASSERT_EQ(media::LoadWatermarkPattern(DVR_SOURCE_DIR "/samples/Mark4015.raw", &pattern),
              media::MarkFileError::kNone);
    int agree = 0, informative = 0;
    for (int i = 0; i < marks.pairs; ++i) {
        if (marks.values[i] == 1) continue;
        ++informative;
        const int bit = pattern.bit((i / marks.blocksWide) % 15, (i % marks.blocksWide) % 40);
        agree += (marks.values[i] > 127) == (bit == 1);
    }
    ASSERT_GT(informative, 100);
    EXPECT_GT(agree, informative * 95 / 100);
    // The picture on show, not an empty grid: the paused cells' pictures are in it.
    QImage picture(QString::fromStdString(saved[0]));
    ASSERT_FALSE(picture.isNull());
    // In the sixteen-channel grid the recording's four channels fill the top row.
    double sum = 0;
    for (int y = 0; y < picture.height() / 4; y += 4)
        for (int x = 0; x < picture.width(); x += 4)
            sum += qGray(picture.pixel(x, y));
    EXPECT_GT(sum / ((picture.height() / 16) * (picture.width() / 4)), 60.0);
    if (!qEnvironmentVariable("DVR_SCREENSHOT_DIR").isEmpty())
        picture.save(qEnvironmentVariable("DVR_SCREENSHOT_DIR") + QStringLiteral("/capture.png"));

    // The still search finds the program's own capture.
    player::StillSearchDialog* search = window->stillSearch();
    QSignalSpy searched(search, &player::StillSearchDialog::searchFinished);
    search->SetFolder(QString::fromStdString(dir / "Frame/"));
    search->recorderBox()->setCurrentText(QStringLiteral("Lobby"));
    search->Search();
    ASSERT_TRUE(WaitFor([&] { return searched.count() == 1; }));
    ASSERT_EQ(search->results()->topLevelItemCount(), 1);
    EXPECT_EQ(search->results()->topLevelItem(0)->text(0), QStringLiteral("Lobby"));

    // An opened still is already saved.
    told.clear();
    window->OpenFile(QString::fromStdString(saved[0]), true);
    if (window->engine().fileName() == saved[0]) {
        window->OnCommand(player::qt::kCmdCapture);
        EXPECT_EQ(told.value(0), QStringLiteral("The file is already saved."));
    }
}

TEST_F(PlayerCommandsTest, PrintFallsBackToAPdfAndRefusesDuringPlayback) {
    window->OnCommand(player::qt::kCmdPrint);
    EXPECT_EQ(told.value(0), QStringLiteral("Please select a file."));
    OpenPaused();
    const QString pdf = QString::fromStdString(dir / "page.pdf");
    window->pictureCommands().SetPdfChooser([&] { return pdf; });
    told.clear();
    window->OnCommand(player::qt::kCmdPrint);
    // No printer here: the message, then the page as a PDF.
    ASSERT_FALSE(told.isEmpty());
    EXPECT_EQ(told.back(), QStringLiteral("Printing completed."));
    if (told.size() == 2) {
        EXPECT_EQ(told[0], QStringLiteral("Please check printer connection."));
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(5).startsWith("%PDF-"));
    }
    window->engine().Play();
    ASSERT_TRUE(WaitFor([&] { return window->engine().state() == EngineState::kPlaying; }));
    told.clear();
    window->OnCommand(player::qt::kCmdPrint);
    EXPECT_EQ(told.value(0), QStringLiteral("You cannot print during playback."));
}

TEST_F(PlayerCommandsTest, WatermarkCheckRefusesWithoutAStill) {
    window->OnCommand(player::qt::kCmdWatermark);
    EXPECT_EQ(told.value(0), QStringLiteral("Please select a file."));
    OpenPaused();
    window->OnCommand(player::qt::kCmdWatermark);
    EXPECT_EQ(told.value(1), QStringLiteral("You cannot extract the watermark from video files."));
    EXPECT_FALSE(window->watermarkView()->isVisible());
}

TEST_F(PlayerCommandsTest, ExportsRunOnAWorkerAndVerify) {
    OpenPaused();
    QSignalSpy done(window.get(), &PlayerWindow::exportFinished);
    player::qt::ExportOrder order;
    order.recording = kSample;
    order.channel = 1;
    order.out = dir / "clip.mp4";
    ASSERT_TRUE(window->StartExport(order));
    EXPECT_FALSE(window->StartExport(order));  // one at a time
    ASSERT_TRUE(WaitFor([&] { return done.count() == 1; }));
    EXPECT_TRUE(done[0][0].toBool()) << done[0][1].toString().toStdString();
    const auto probe = testsupport::RunCommand(
        "ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 '" +
        order.out + "'");
    EXPECT_EQ(probe.out, "mpeg4\n");

    order.evidence = true;
    order.out = dir / "evidence";
    ASSERT_TRUE(window->StartExport(order));
    ASSERT_TRUE(WaitFor([&] { return done.count() == 2; }));
    EXPECT_TRUE(done[1][0].toBool()) << done[1][1].toString().toStdString();
    const auto verify = testsupport::RunCommand(kUmvtool + " verify '" + order.out + "'");
    EXPECT_EQ(verify.status, 0) << verify.out;

    // A channel the recording lacks: one message, nothing written.
    order.evidence = false;
    order.channel = 9;
    order.out = dir / "none.mp4";
    ASSERT_TRUE(window->StartExport(order));
    ASSERT_TRUE(WaitFor([&] { return done.count() == 3; }));
    EXPECT_FALSE(done[2][0].toBool());
    EXPECT_FALSE(done[2][1].toString().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(order.out));
}

// The export dialog starts on the marks when there are any, else on the whole recording, with
// the channel shown alone.
TEST(ExportDialog, OrderFollowsTheMarksAndTheChannel) {
    player::qt::ExportDefaults defaults;
    defaults.recording = kSample;
    defaults.channel = 2;
    defaults.out = QStringLiteral("/tmp/x.mp4");
    player::qt::ExportDialog whole(defaults, player::PlayerStrings());
    player::qt::ExportOrder order = whole.Order();
    EXPECT_EQ(order.channel, 2);
    EXPECT_FALSE(order.from || order.to);
    EXPECT_EQ(order.out, "/tmp/x.mp4");
    defaults.markIn = 1000;
    defaults.markOut = 2000;
    defaults.evidence = true;
    player::qt::ExportDialog marked(defaults, player::PlayerStrings());
    player::qt::ApplyPlayerSkin(&marked, player::PlayerStrings());
    order = marked.Order();
    EXPECT_EQ(order.from, 1000);
    EXPECT_EQ(order.to, 2000);
    EXPECT_TRUE(order.evidence);
    const QString shots = qEnvironmentVariable("DVR_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        marked.show();
        QCoreApplication::processEvents();
        marked.grab().save(shots + QStringLiteral("/export.png"));
    }
}

TEST_F(PlayerCommandsTest, FolderRowsFillBothListsWithTheRecordingsStart) {
    window->ShowFolder(QString::fromLatin1(kFolder));
    ASSERT_TRUE(WaitFor([&] { return window->fileList()->topLevelItemCount() == 1; }));
    const QTreeWidgetItem* row = window->fileList()->topLevelItem(0);
    EXPECT_EQ(row->text(0), QStringLiteral("Lobby"));
    EXPECT_EQ(row->text(1), QStringLiteral("26-03-14 09:59:52"));
    EXPECT_EQ(row->text(4), QStringLiteral("20260314_095952.idx"));
    ASSERT_EQ(window->compactFileList()->topLevelItemCount(), 1);
    EXPECT_EQ(window->compactFileList()->columnCount(), 4);
    EXPECT_EQ(window->compactFileList()->topLevelItem(0)->text(1), row->text(1));

    window->ShowFolder(QString::fromLatin1(DVR_SOURCE_DIR "/samples/stills/"));
    ASSERT_TRUE(WaitFor([&] { return window->fileList()->topLevelItemCount() == 2; }));
    row = window->fileList()->topLevelItem(0);
    EXPECT_EQ(row->text(1), QStringLiteral("26-03-14 09:59:55"));
    EXPECT_EQ(row->text(2), QStringLiteral("1"));
    // Selecting in one list selects the same row in the other.
    window->compactFileList()->setCurrentItem(window->compactFileList()->topLevelItem(1));
    EXPECT_EQ(window->fileList()->currentItem(), window->fileList()->topLevelItem(1));
}

// The file lists, the compact list and the still search's results show every text in full,
// headers included, and keep the usual widths where the texts need less.
TEST_F(PlayerCommandsTest, ListColumnsShowEveryTextInFull) {
    window->ShowFolder(QString::fromLatin1(DVR_SOURCE_DIR "/samples/stills/"));
    ASSERT_TRUE(WaitFor([&] { return window->fileList()->topLevelItemCount() == 2; }));
    for (const QTreeWidget* list : {window->fileList(), window->compactFileList()}) {
        ExpectTextsUnclipped(list);
        EXPECT_GE(list->columnWidth(0), 80);
        EXPECT_GE(list->columnWidth(2), 20);
        // The compact list still shows its four columns side by side without scrolling.
        if (list == window->compactFileList()) {
            EXPECT_LE(list->header()->length(), list->viewport()->width());
        }
    }
    settings.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "OrvCapturePath",
                         DVR_SOURCE_DIR "/samples/stills/");
    player::StillSearchDialog* search = window->stillSearch();
    QSignalSpy finished(search, &player::StillSearchDialog::searchFinished);
    search->Search();
    ASSERT_TRUE(WaitFor([&] { return finished.count() == 1; }));
    ASSERT_EQ(search->results()->topLevelItemCount(), 1);
    ExpectTextsUnclipped(search->results());
}

TEST_F(PlayerCommandsTest, VideoSearchPlayOpensTheCoveringPairAtTheMoment) {
    settings.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "OrvRecordPath",
                         DVR_SOURCE_DIR "/samples/d1_4ch/");
    player::VideoSearchDialog* search = window->videoSearch();
    search->SetRoot(QString::fromLatin1(DVR_SOURCE_DIR "/samples/d1_4ch/"));
    search->SelectHour(9);
    search->SelectMinute(59);
    search->Play();
    ASSERT_TRUE(WaitFor([&] { return window->engine().state() == EngineState::kPlaying; }));
    EXPECT_EQ(window->engine().fileName(), std::string(kSample));
    EXPECT_EQ(search->choice().moment, media::WallTimeOf(126, 2, 14, 9, 59, 0));
    ASSERT_TRUE(WaitFor([&] { return window->engine().cellsWaiting() == 0; }));
    // Opening at a moment pauses once the cells show their pictures; Play keeps it playing.
    EXPECT_EQ(window->engine().state(), EngineState::kPlaying);
    ASSERT_TRUE(WaitFor([&] { return !window->timeText().isEmpty(); }));
    EXPECT_TRUE(window->timeText().startsWith(QStringLiteral("2026-03-14 ")))
        << window->timeText().toStdString();
}

// The search and save dialogs wear the skin's button artwork; their texts become tooltips.
// With DVR_SCREENSHOT_DIR set, the dialogs are also saved there as pictures to look at.
TEST_F(PlayerCommandsTest, DialogsWearTheSkin) {
    const QString shots = qEnvironmentVariable("DVR_SCREENSHOT_DIR");
    settings.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "OrvCapturePath",
                         DVR_SOURCE_DIR "/samples/stills/");
    QList<QDialog*> dialogs{window->videoSearch(), window->stillSearch()};
    window->videoSearch()->SetRoot(QString::fromLatin1(DVR_SOURCE_DIR "/samples/d1_4ch/"));
    OpenPaused();
    QImage saveDialog;
    window->pictureCommands().SetSaveDialogRunner([&](ui::CaptureSaveDialog& dialog) {
        dialog.show();
        QCoreApplication::processEvents();
        const QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
        const auto save = std::find_if(buttons.begin(), buttons.end(), [](QPushButton* b) {
            return b->toolTip() == QStringLiteral("Save");
        });
        ASSERT_NE(save, buttons.end());
        EXPECT_TRUE((*save)->text().isEmpty());
        saveDialog = dialog.grab().toImage();
    });
    window->OnCommand(player::qt::kCmdCapture);
    ASSERT_FALSE(saveDialog.isNull());
    for (QDialog* dialog : dialogs) {
        dialog->show();
        QCoreApplication::processEvents();
        const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
        EXPECT_TRUE(std::any_of(buttons.begin(), buttons.end(), [](QPushButton* b) {
            return b->text().isEmpty() && b->toolTip() == QStringLiteral("Close");
        }));
    }
    if (shots.isEmpty()) return;
    dialogs[0]->grab().save(shots + QStringLiteral("/video_search.png"));
    dialogs[1]->grab().save(shots + QStringLiteral("/still_search.png"));
    saveDialog.save(shots + QStringLiteral("/capture_save.png"));
}

// The right-click menu gives every command to the window, lists the installed packs, and names
// the about entry by the pack's string 101 when there is one.
// --trace: a message box is reported with its text once it is on the screen (one line, its line
// breaks written as \n), its hiding with the same window id, and the window's own lines.
TEST(WindowTrace, ReportsWindowsMessagesAndLinesOnePerLine) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        player::qt::WindowTrace trace(out);
        QMessageBox box(QMessageBox::Information, QStringLiteral("Orvane_M4"),
                        QStringLiteral("Cannot find the file.\nIt was deleted."));
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        box.hide();
        QCoreApplication::processEvents();
        trace.Line(QStringLiteral("command 105 done: stopped at 0"));
    }
    std::rewind(out);
    QStringList lines;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, out))
        lines << QString::fromUtf8(buffer).trimmed();
    std::fclose(out);
    ASSERT_EQ(lines.size(), 3) << lines.join(u'|').toStdString();
    const QStringList shown = lines[0].split(u' ');
    EXPECT_EQ(shown.value(0), QStringLiteral("message"));
    EXPECT_TRUE(shown.value(1).startsWith(QStringLiteral("0x")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("Cannot find the file.\\nIt was deleted.")));
    EXPECT_EQ(lines[1], QStringLiteral("hidden ") + shown.value(1));
    EXPECT_EQ(lines[2], QStringLiteral("command 105 done: stopped at 0"));
}

TEST(PlayerMenu, CommandsLanguagesAndAbout) {
    QMenu menu;
    std::vector<int> commands;
    std::vector<ui::Language> chosen;
    player::qt::MenuHandlers handlers;
    handlers.command = [&](int c) { commands.push_back(c); };
    handlers.language = [&](ui::Language l) { chosen.push_back(l); };
    const std::vector<ui::Language> installed = player::qt::InstalledLanguages(DVR_PLAYER_DIR "/");
    EXPECT_EQ(installed.front(), ui::Language::English);
    EXPECT_NE(std::find(installed.begin(), installed.end(), ui::Language::German), installed.end());
    player::qt::FillPlayerMenu(menu, player::PlayerStrings(), installed, ui::Language::English,
                               handlers);
    QMenu* languages = nullptr;
    for (QAction* action : menu.actions()) {
        if (action->menu() != nullptr) {
            languages = action->menu();
            continue;
        }
        if (!action->isSeparator()) action->trigger();
    }
    EXPECT_EQ(commands, (std::vector<int>{123, 122, 124, 126, 110, player::qt::kCmdMarkIn,
                                          player::qt::kCmdMarkOut, player::qt::kCmdExportClip,
                                          player::qt::kCmdExportEvidence, player::qt::kCmdAbout}));
    ASSERT_NE(languages, nullptr);
    ASSERT_EQ(languages->actions().size(), static_cast<qsizetype>(installed.size()));
    EXPECT_TRUE(languages->actions().front()->isChecked());
    languages->actions().back()->trigger();
    EXPECT_EQ(chosen, (std::vector<ui::Language>{installed.back()}));
    EXPECT_EQ(player::qt::AboutText(), QStringLiteral("Orvane_M4(Ver1.8)"));
}

TEST_F(PlayerCommandsTest, LanguageChangesLive) {
    ui::LanguagePack pack(player::PlayerStrings());
    PlayerWindow german(settings, player::PlayerStrings(), DVR_PLAYER_DIR "/", 1);
    german.SetLanguagePack(&pack, ui::Language::English);
    german.ChooseLanguage(ui::Language::German);
    EXPECT_EQ(pack.Current(), ui::Language::German);
    EXPECT_NE(german.fileList()->headerItem()->text(1), QStringLiteral("Time"));
    ExpectTextsUnclipped(german.fileList());
    // The player's own menu entries and dialogs follow the pack too.
    QMenu menu;
    player::qt::FillPlayerMenu(menu, player::PlayerStrings(), {ui::Language::English},
                               ui::Language::German, {});
    QStringList entries;
    for (QAction* action : menu.actions())
        entries << action->text();
    EXPECT_FALSE(entries.contains(QStringLiteral("Export clip...")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Clip exportieren...")))
        << entries.join(u'|').toStdString();
    EXPECT_TRUE(entries.contains(QStringLiteral("Sprache")));
    player::qt::ExportDialog exportDialog({}, player::PlayerStrings());
    EXPECT_EQ(exportDialog.windowTitle(), QStringLiteral("Clip exportieren"));
    std::string word;
    settings.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "Language", &word);
    EXPECT_EQ(word, "GERMAN");
    german.ChooseLanguage(ui::Language::English);
    EXPECT_EQ(german.fileList()->headerItem()->text(1), QStringLiteral("Time"));
}

}  // namespace

namespace {

// The skin's video wall matches the cells of every layout, at scale 1 and 2: the frame runs one
// pixel outside the cells' union (24..667 x 41..524) and nothing is drawn inside it, so no grid
// line shows between the cells of any layout.
TEST(PlayerSkin, WallFrameFitsTheCellsAtBothScales) {
    QRect cells;
    for (int layout = 0; layout <= player::kLayoutAll; ++layout) {
        const player::PlayerLayout places = player::CellsOf(layout);
        for (int i = 0; i < places.count; ++i) {
            const player::CellPlace& c = places.cells[i];
            cells |= QRect(c.x, c.y, c.width, c.height);
        }
    }
    ASSERT_EQ(cells, QRect(QPoint(24, 41), QPoint(666, 523)));
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        const QImage art(scale == 1 ? QStringLiteral(":/bitmaps/500.png")
                                    : QStringLiteral(":/bitmaps/500@2x.png"));
        ASSERT_EQ(art.size(), QSize(1024, 720) * scale);
        const QRgb fill = art.pixel(cells.center() * scale);
        for (int y = cells.top() * scale; y <= (cells.bottom() + 1) * scale - 1; y += 1)
            for (int x = cells.left() * scale; x <= (cells.right() + 1) * scale - 1; x += 3)
                ASSERT_EQ(art.pixel(x, y), fill) << x << "," << y;
        const QRgb frame = art.pixel((cells.left() - 1) * scale, cells.center().y() * scale);
        EXPECT_NE(frame, fill);
        EXPECT_EQ(art.pixel((cells.right() + 1) * scale, cells.center().y() * scale), frame);
        EXPECT_EQ(art.pixel(cells.center().x() * scale, (cells.top() - 1) * scale), frame);
        EXPECT_EQ(art.pixel(cells.center().x() * scale, (cells.bottom() + 1) * scale), frame);
    }
}

}  // namespace
