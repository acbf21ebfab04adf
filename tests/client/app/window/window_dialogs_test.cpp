// The main window's dialogs against a simulated recorder (offscreen): each button opens its
// dialog and what the dialog does reaches the window. Modal dialogs are answered from a
// single-shot timer once they are the active modal widget.
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "client/app/search/calendar_search_dialog.h"
#include "client/app/search/event_search_dialog.h"
#include "client/app/search/playback_panel.h"
#include "client/app/search/progress_box.h"
#include "client/app/search/search_result_dialog.h"
#include "client/app/search/search_texts.h"
#include "client/app/search/search_windows.h"
#include "client/app/settings/setup_dialog.h"
#include "client/app/upgrade/backup_list_dialog.h"
#include "client/app/upgrade/upgrade_dialog.h"
#include "client/app/window/core/view_layout.h"
#include "tests/client/app/window/window_fixture.h"
#include "ui/language_pack.h"
#include "ui/skin_button.h"
#include "ui/skin_frame.h"

namespace client_app {
namespace {

namespace fs = std::filesystem;
using client::search::SearchWindows;

constexpr int kSetup = 719;
constexpr int kDvrSearch = 721;
constexpr int kDvrBackup = 722;
constexpr int kInformation = 1082;
constexpr int kSetupButton = 23;  // the skin button of command 719

QPushButton* ButtonNamed(QWidget* parent, const QString& text) {
    for (QPushButton* b : parent->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

// Runs `answer` on the modal dialog of type T as soon as it is the active modal widget.
template <class T>
void WhenModal(std::function<void(T*)> answer) {
    QTimer::singleShot(0, [answer] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            answer(dialog);
            return;
        }
        WhenModal<T>(answer);
    });
}

class WindowDialogsTest : public WindowTest {
  protected:
    SearchWindows& Search(TelvaWindow& w) { return w.searchWindows(); }

    bool WaitCalendar(TelvaWindow& w) {
        return Until([&] { return Search(w).calendarDialog() != nullptr; });
    }

    // More pictures reach the panes than have so far.
    bool PicturesKeepComing(TelvaWindow& w, uint64_t more = 10) {
        const uint64_t before = w.bridge().picturesShown();
        return Until([&] { return w.bridge().picturesShown() >= before + more; });
    }
};

TEST_F(WindowDialogsTest, DvrSearchPlaysInThePanesAndClosingGoesBackToLive) {
    auto w = MakeWindow();
    std::string kinds;
    uint64_t picturesAtPlay = 0;
    QObject::connect(w.get(), &TelvaWindow::streamChanged, [&](int kind) {
        kinds += std::to_string(kind);
        if (kind == 3) picturesAtPlay = w->bridge().picturesShown();
    });
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    w->OnCommand(kDvrSearch);
    ASSERT_TRUE(WaitCalendar(*w));
    // The window's own controls rest while the calendar is open.
    EXPECT_FALSE(w->controlsEnabled());

    auto* calendar = Search(*w).calendarDialog();
    QTest::mouseClick(ButtonNamed(calendar, client::search::SearchText(764)), Qt::LeftButton);
    // The panel stands for the camera and recorder buttons.
    ASSERT_NE(Search(*w).playbackPanel(), nullptr);
    for (int i = 10; i < 28; ++i)
        EXPECT_FALSE(w->ButtonVisible(i)) << i;
    EXPECT_FALSE(w->presetList()->isEnabled());

    // The time playback's pictures reach the panes (the sample is short: it may end soon and
    // bring the calendar back by itself).
    ASSERT_TRUE(Until([&] { return kinds.find('3') != std::string::npos; })) << kinds;
    ASSERT_TRUE(Until([&] {
        return w->bridge().picturesShown() >= picturesAtPlay + 16 ||
               Search(*w).calendarDialog() != nullptr;
    }));
    EXPECT_GE(w->bridge().picturesShown(), picturesAtPlay + 16);
    if (auto* panel = Search(*w).playbackPanel()) {
        w->Grab().save(QStringLiteral(DVR_BINARY_DIR "/client-window-playback.png"));
        // Stop brings the calendar back.
        QTest::mouseClick(panel->frame().Button(3), Qt::LeftButton);
    }
    ASSERT_TRUE(WaitCalendar(*w));
    EXPECT_EQ(Search(*w).playbackPanel(), nullptr);
    // Its Close returns to live pictures and the buttons.
    QTest::mouseClick(ButtonNamed(Search(*w).calendarDialog(), client::search::SearchText(765)),
                      Qt::LeftButton);
    ASSERT_TRUE(Until([&] { return w->modeText() == QStringLiteral("LIVE"); }));
    ASSERT_TRUE(PicturesKeepComing(*w));
    EXPECT_TRUE(w->controlsEnabled());
    EXPECT_TRUE(w->ButtonVisible(kButtonRecorderFirst + 1));
}

TEST_F(WindowDialogsTest, DvrBackupWritesTheRangeIntoTheBackupFolderOfTheSettings) {
    const fs::path backup = dir_ / "backup/";
    Set("BackupPath", backup.c_str());
    Set("CopyQuenby", "1");  // the program folder has no simple player: 2067
    auto w = MakeWindow();
    std::vector<int> kinds;
    QObject::connect(w.get(), &TelvaWindow::streamChanged,
                     [&](int kind) { kinds.push_back(kind); });
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    w->OnCommand(kDvrBackup);
    ASSERT_TRUE(WaitCalendar(*w));
    QTest::mouseClick(ButtonNamed(Search(*w).calendarDialog(), QStringLiteral("Backup")),
                      Qt::LeftButton);
    ASSERT_TRUE(Until([&] { return Search(*w).progressBox() != nullptr; }));
    ASSERT_TRUE(Until([&] { return w->lastMessage() == client::search::SearchText(2067); }));
    // The backup calendar opens again for the next range.
    ASSERT_TRUE(WaitCalendar(*w));
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), 4), kinds.end());

    int pairs = 0;
    for (const auto& entry : fs::recursive_directory_iterator(backup))
        if (entry.path().extension() == ".idx" && fs::file_size(entry.path()) > 0) ++pairs;
    EXPECT_GT(pairs, 0);
    w->connection().recorder().Stop();
}

TEST_F(WindowDialogsTest, AnEventSearchInBackupModeOffersTheFoundFilesForAFileBackup) {
    Set("CopyQuenby", "1");  // the program folder has no simple player: 2067
    auto w = MakeWindow();
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    w->OnCommand(kDvrBackup);
    ASSERT_TRUE(WaitCalendar(*w));
    QTest::mouseClick(ButtonNamed(Search(*w).calendarDialog(), QStringLiteral("Event Search")),
                      Qt::LeftButton);
    EXPECT_EQ(Search(*w).calendarDialog(), nullptr);
    auto* form = Search(*w).eventSearchDialog();
    ASSERT_NE(form, nullptr);
    client::search::EventSearchForm values = form->form();
    values.start = {2026, 3, 14, 0, 0, 0};
    values.end = {2026, 3, 14, 23, 59, 59};
    values.channel = 0;
    form->SetForm(values);
    int rows = -1;
    QString afterBackup;
    WhenModal<clientapp::BackupListDialog>([&](clientapp::BackupListDialog* list) {
        rows = list->list()->rowCount();
        // A finished file backup copies the simple player first (here: missing).
        emit list->backupCompleted();
        afterBackup = w->lastMessage();
        list->reject();
    });
    QTest::mouseClick(ButtonNamed(form, QStringLiteral("Search")), Qt::LeftButton);
    ASSERT_TRUE(Until([&] { return rows >= 0; }));
    EXPECT_GT(rows, 0);
    EXPECT_EQ(afterBackup, client::search::SearchText(2067));
}

TEST_F(WindowDialogsTest, SetupLanguageRelabelsTheWindowAndCancelPutsItBack) {
    fs::copy_file(DVR_CLIENT_DIR "Telva_M4_GermanDll.rcc", dir_ / "Telva_M4_GermanDll.rcc");
    ui::LanguagePack pack(client::ClientStrings());
    auto w = MakeWindow(&pack);
    auto tooltip = [&] { return w->ButtonTooltip(kSetupButton); };
    const QString english = tooltip();
    QString whileOpen;
    WhenModal<client::SetupDialog>([&](client::SetupDialog* dialog) {
        QComboBox* list = dialog->LanguageList();
        dialog->PickLanguage(list->findData(ui::InfoOf(ui::Language::German).languageId));
        whileOpen = tooltip();
        w->Grab().save(QStringLiteral(DVR_BINARY_DIR "/client-window-german.png"));
        dialog->reject();
    });
    w->OnCommand(kSetup);
    EXPECT_EQ(whileOpen, QStringLiteral("Einstellungen"));
    EXPECT_EQ(tooltip(), english);
}

TEST_F(WindowDialogsTest, SetupOkAppliesDisplayTypeDeInterlacingAndEventSound) {
    Set("DisplayType", "1");
    Set("DeInterlaced", "1");
    Set("EventSound", "1");
    auto w = MakeWindow();
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    ASSERT_TRUE(w->display().deinterlace());
    WhenModal<client::SetupDialog>([](client::SetupDialog* dialog) {
        dialog->Choice(dialog->DisplayTypeGroup(), 0)->click();
        dialog->Choice(dialog->DeInterlacedGroup(), 0)->click();
        dialog->Choice(dialog->EventSoundGroup(), 0)->click();
        dialog->Confirm();
    });
    w->OnCommand(kSetup);
    // The choice is stored; offscreen there is no GPU surface, so the panes stay RGB.
    std::string stored;
    ASSERT_TRUE(
        settings_.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "DisplayType", &stored));
    EXPECT_EQ(stored, "0");
    EXPECT_EQ(w->displayType(), 1);
    EXPECT_FALSE(w->display().deinterlace());
    // The panes were opened anew and pictures keep reaching them.
    ASSERT_TRUE(PicturesKeepComing(*w));
    // A motion alarm now stays quiet.
    w->OnNotification(0x40C, 1);
    EXPECT_FALSE(w->alarmPlaying());
}

TEST_F(WindowDialogsTest, TheInformationBoxOpensTheUpgradeForTheConnectedRecorder) {
    auto w = MakeWindow();
    ASSERT_TRUE(ConnectAs(*w, "admin", "4321"));
    QString address, port;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        box->grab().save(QStringLiteral(DVR_BINARY_DIR "/client-information-box.png"));
        WhenModal<clientapp::UpgradeDialog>([&](clientapp::UpgradeDialog* upgrade) {
            upgrade->grab().save(QStringLiteral(DVR_BINARY_DIR "/client-upgrade-dialog.png"));
            address = upgrade->addressEdit()->text();
            port = upgrade->portEdit()->text();
            upgrade->reject();
        });
        ButtonNamed(box, QStringLiteral("S/W Upgrade"))->click();
    });
    w->OnCommand(kInformation);
    EXPECT_EQ(address, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(port, QString::number(sim_.port()));
}

TEST_F(WindowDialogsTest, RecorderDialogsNeedALogin) {
    auto w = MakeWindow();
    for (int command : {kDvrSearch, kDvrBackup}) {
        w->OnCommand(command);
        EXPECT_EQ(w->lastMessage(), QString::fromStdString(client::ClientStrings().Text(2000)));
        EXPECT_EQ(Search(*w).calendarDialog(), nullptr);
    }
}

}  // namespace
}  // namespace client_app
