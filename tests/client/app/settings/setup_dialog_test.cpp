#include "client/app/settings/setup_dialog.h"
#include "client/net/client_strings.h"

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "client/app/settings/recording_settings_dialog.h"
#include "tests/client/app/settings/stored_value.h"
#include "tests/support/temp_dir.h"
#include "ui/language_pack.h"
#include "ui/skin_resources.h"

namespace {

using client::SetupDialog;
using platform::Hive;
using platform::kEnvironmentsKey;

class SetupDialogTest : public testing::Test {
  protected:
    ~SetupDialogTest() override { pack_.Unload(); }

    std::unique_ptr<SetupDialog> Open(bool languageListEnabled = true) {
        auto dialog = std::make_unique<SetupDialog>(
            settings_, strings_, pack_, SetupDialog::Options{DVR_CLIENT_DIR, languageListEnabled});
        dialog->SetMessageSink([this](const QString& text) { messages_.push_back(text); });
        return dialog;
    }
    std::string Stored(const char* name) { return testsupport::StoredValue(store_, name); }
    static void Pick(SetupDialog& dialog, ui::Language language) {
        QComboBox* list = dialog.LanguageList();
        const int row = list->findData(ui::InfoOf(language).languageId);
        list->setCurrentIndex(row);
        dialog.PickLanguage(row);
    }

    testsupport::TempDir dir_;
    platform::RegistryStore store_{dir_ / "Environments.ini"};
    client::ClientSettings settings_{store_, "/opt/telva/", dir_.path()};
    // The client's own table, as the program hands it over; the pack is unloaded after each test.
    platform::StringTable& strings_ = client::ClientStrings();
    ui::LanguagePack pack_{strings_};
    std::vector<QString> messages_;
};

TEST_F(SetupDialogTest, KoreanThenCancelRestoresTheLanguageAndTheStoredValue) {
    for (const char* before : {"<missing>", "english"}) {
        if (std::string(before) != "<missing>") {
            ASSERT_TRUE(
                store_.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "Language", before));
        }
        auto dialog = Open();
        QSignalSpy changed(dialog.get(), &SetupDialog::languageChanged);
        const QString english = dialog->Caption(client::kCaptionRecordPath)->text();
        EXPECT_EQ(english.toStdString(), "Selected Record File Path");
        EXPECT_EQ(dialog->Caption(client::kCaptionRecordPath)->y(), 40);

        Pick(*dialog, ui::Language::Korean);
        // In force at once: the dialog's texts and caption places, and the running program.
        EXPECT_EQ(pack_.Current(), ui::Language::Korean);
        EXPECT_NE(dialog->Caption(client::kCaptionRecordPath)->text(), english);
        EXPECT_EQ(dialog->Caption(client::kCaptionRecordPath)->y(), 47);
        EXPECT_EQ(strings_.Text(2000), "연결을 확인하십시오!!");
        ASSERT_EQ(changed.size(), 1);
        EXPECT_EQ(changed[0][0].toInt(), 1042);

        dialog->reject();
        EXPECT_EQ(pack_.Current(), ui::Language::English);
        EXPECT_EQ(strings_.Text(2000), "Check Connection!!");
        ASSERT_EQ(changed.size(), 2);
        EXPECT_EQ(changed[1][0].toInt(), 1033);
        EXPECT_EQ(Stored("Language"), before);
        EXPECT_TRUE(messages_.empty());
    }
}

TEST_F(SetupDialogTest, APickedLanguageIsStoredWithOkAndCancelGoesBackToTheOpeningLanguage) {
    ASSERT_TRUE(pack_.Load(DVR_CLIENT_DIR, "Telva_M4", ui::Language::German).ok);
    {
        auto dialog = Open();
        EXPECT_EQ(dialog->LanguageList()->currentData().toInt(), 1031);
        EXPECT_EQ(dialog->LanguageList()->currentText().toStdString(), "Deutsch");
        Pick(*dialog, ui::Language::Korean);
        Pick(*dialog, ui::Language::English);
        dialog->reject();
        EXPECT_EQ(pack_.Current(), ui::Language::German);
        EXPECT_EQ(Stored("Language"), "<missing>");
    }
    {
        auto dialog = Open();
        Pick(*dialog, ui::Language::Korean);
        dialog->Confirm();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(pack_.Current(), ui::Language::Korean);
        EXPECT_EQ(Stored("Language"), "KOREAN");
    }
}

TEST_F(SetupDialogTest, AMissingLanguagePackIsReportedAndTheSelectionGoesBack) {
    auto dialog = Open();
    QSignalSpy changed(dialog.get(), &SetupDialog::languageChanged);
    Pick(*dialog, ui::Language::Japanese);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].toStdString(), "Telva_M4_JapanDll.rcc Load Error");
    EXPECT_EQ(dialog->LanguageList()->currentData().toInt(), 1033);
    EXPECT_EQ(pack_.Current(), ui::Language::English);
    EXPECT_EQ(changed.size(), 0);
    // Without a working pack at start the list is not offered at all.
    EXPECT_FALSE(Open(false)->LanguageList()->isEnabled());
}

TEST_F(SetupDialogTest, OkStoresEveryFieldAndReportsWhatChanged) {
    auto dialog = Open();
    // Opened with the defaults, written by the first reader.
    EXPECT_EQ(dialog->PathEdit(client::kCaptionRecordPath)->text().toStdString(),
              dir_.path() + "Record/");
    EXPECT_EQ(dialog->PathEdit(client::kCaptionWaterMark)->text().toStdString(),
              "/opt/telva/Mark4015.raw");
    EXPECT_TRUE(dialog->Choice(dialog->DeInterlacedGroup(), 1)->isChecked());
    EXPECT_TRUE(dialog->Choice(dialog->DisplayTypeGroup(), 0)->isChecked());
    EXPECT_EQ(Stored("DeInterlaced"), "1");

    QSignalSpy sound(dialog.get(), &SetupDialog::eventSoundChanged);
    QSignalSpy display(dialog.get(), &SetupDialog::displayTypeChanged);
    QSignalSpy deinterlace(dialog.get(), &SetupDialog::deInterlacedChanged);
    dialog->PathEdit(client::kCaptionBackupPath)
        ->setText(QStringLiteral("/mnt/backup"));  // typed, no slash
    dialog->PathEdit(client::kCaptionWaterMark)->setText(QStringLiteral("/keys/Mark.raw"));
    dialog->CopyQuenbyBox()->setChecked(true);
    dialog->Choice(dialog->DisplayTypeGroup(), 1)->setChecked(true);
    dialog->Choice(dialog->DeInterlacedGroup(), 0)->setChecked(true);
    dialog->Confirm();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Stored("BackupPath"), "/mnt/backup/");
    EXPECT_EQ(Stored("WaterMark"), "/keys/Mark.raw");
    EXPECT_EQ(Stored("CopyQuenby"), "1");
    EXPECT_EQ(Stored("DisplayType"), "1");
    EXPECT_EQ(Stored("DeInterlaced"), "0");
    EXPECT_EQ(Stored("EventSound"), "0");
    EXPECT_EQ(Stored("Language"), "<missing>");  // not changed, not stored
    ASSERT_EQ(display.size(), 1);
    EXPECT_EQ(display[0][0].toInt(), 1);
    ASSERT_EQ(deinterlace.size(), 1);
    EXPECT_FALSE(deinterlace[0][0].toBool());
    EXPECT_EQ(sound.size(), 0);
}

TEST_F(SetupDialogTest, CancelStoresNothing) {
    auto dialog = Open();
    dialog->PathEdit(client::kCaptionRecordPath)->setText(QStringLiteral("/elsewhere/"));
    dialog->Choice(dialog->EventSoundGroup(), 1)->setChecked(true);
    QSignalSpy sound(dialog.get(), &SetupDialog::eventSoundChanged);
    dialog->reject();
    EXPECT_EQ(Stored("RecordPath"), dir_.path() + "Record/");
    EXPECT_EQ(Stored("EventSound"), "0");
    EXPECT_EQ(sound.size(), 0);
}

TEST_F(SetupDialogTest, ChosenFoldersEndInASlashAndTheStartFolderIsCreated) {
    auto dialog = Open();
    std::vector<QString> asked;
    QString answer;
    dialog->SetFolderChooser([&](const QString& title, const QString& start) {
        EXPECT_EQ(title.toStdString(), "Please select a directory...");
        asked.push_back(start);
        return answer;
    });
    const std::string missing = dir_.path() + "new/sub/";
    dialog->PathEdit(client::kCaptionCapturePath)->setText(QString::fromStdString(missing));
    answer = QStringLiteral("/media/stills");
    dialog->Choose(client::kCaptionCapturePath);
    EXPECT_TRUE(std::filesystem::is_directory(missing));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].toStdString(), missing);
    EXPECT_EQ(dialog->PathEdit(client::kCaptionCapturePath)->text().toStdString(),
              "/media/stills/");
    answer = QStringLiteral("/");
    dialog->Choose(client::kCaptionRecordPath);
    EXPECT_EQ(dialog->PathEdit(client::kCaptionRecordPath)->text().toStdString(), "/");
    answer.clear();  // cancelled: the field stays
    dialog->Choose(client::kCaptionRecordPath);
    EXPECT_EQ(dialog->PathEdit(client::kCaptionRecordPath)->text().toStdString(), "/");

    dialog->SetFileChooser([](const QString& start) {
        EXPECT_EQ(start.toStdString(), "/opt/telva/Mark4015.raw");
        return QStringLiteral("/keys/Site.raw");
    });
    dialog->Choose(client::kCaptionWaterMark);
    EXPECT_EQ(dialog->PathEdit(client::kCaptionWaterMark)->text().toStdString(), "/keys/Site.raw");
}

TEST_F(SetupDialogTest, EnterAndEscDoNotCloseTheDialog) {
    auto dialog = Open();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QTest::keyClick(dialog->PathEdit(client::kCaptionRecordPath), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
}

TEST(SetupCaptions, PlacesFollowTheLanguage) {
    using client::SetupCaptionPlace;
    using L = ui::Language;
    EXPECT_EQ(SetupCaptionPlace(client::kCaptionBackupPath, L::Japanese).y, 85);
    EXPECT_EQ(SetupCaptionPlace(client::kCaptionBackupPath, L::Korean).y, 92);
    EXPECT_EQ(SetupCaptionPlace(client::kCaptionCapturePath, L::Spanish).y, 125);
    EXPECT_EQ(SetupCaptionPlace(client::kCaptionCapturePath, L::German).height, 45);
    EXPECT_EQ(SetupCaptionPlace(client::kCaptionCapturePath, L::English).y, 137);
    EXPECT_EQ(SetupCaptionPlace(client::kCaptionWaterMark, L::French).y, 182);
    EXPECT_EQ(SetupCaptionPlace(client::kCaptionWaterMark, L::German).y, 175);
}

}  // namespace

namespace {

// The dialogs as a user sees them, written beside the build for a look after a change; the grab
// must show the skin's background where no control sits.
TEST_F(SetupDialogTest, TheDialogsDrawTheirSkin) {
    auto setup = Open();
    setup->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(setup.get()));
    QImage shot = setup->grab().toImage();
    shot.save(QStringLiteral(DVR_BINARY_DIR "/client-setup-dialog.png"));
    const QImage skin = ui::SkinBitmap(288, 1.0).toImage();
    ASSERT_EQ(shot.size(), skin.size());
    EXPECT_EQ(shot.pixel(100, 380), skin.pixel(100, 380));

    client::RecordingSettingsDialog recording(settings_, strings_, 8, nullptr);
    recording.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&recording));
    shot = recording.grab().toImage();
    shot.save(QStringLiteral(DVR_BINARY_DIR "/client-recording-dialog.png"));
    EXPECT_EQ(shot.size(), ui::SkinBitmap(282, 1.0).size());
    Pick(*setup, ui::Language::Korean);
    setup->grab().save(QStringLiteral(DVR_BINARY_DIR "/client-setup-dialog-korean.png"));
}

}  // namespace
