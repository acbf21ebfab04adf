#include "client/app/settings/recording_settings_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>

#include "tests/client/app/settings/stored_value.h"
#include "tests/support/temp_dir.h"

namespace {

using client::EndChoice;
using client::RecordingEndType;
using client::RecordingSettingsDialog;
using platform::Hive;
using platform::kEnvironmentsKey;

constexpr platform::StringEntry kTexts[] = {{2021, "Invalid \"End Recording\" Time/Date."}};

class RecordingSettingsDialogTest : public testing::Test {
  protected:
    std::unique_ptr<RecordingSettingsDialog> Open(int channelCount) {
        auto dialog = std::make_unique<RecordingSettingsDialog>(settings_, strings_, channelCount,
                                                                nullptr, [this] { return now_; });
        dialog->SetMessageSink([this](const QString& text) { messages_.push_back(text); });
        return dialog;
    }
    std::string Stored(const char* name) { return testsupport::StoredValue(store_, name); }

    testsupport::TempDir dir_;
    platform::RegistryStore store_{dir_ / "Environments.ini"};
    client::ClientSettings settings_{store_, dir_.path(), dir_.path()};
    platform::StringTable strings_{kTexts};
    // 2026-12-08 09:30:45 local time.
    std::time_t now_ = client::EndMomentOf({{2026, 12, 8}, 9, 30}) + 45;
    std::vector<QString> messages_;
};

TEST_F(RecordingSettingsDialogTest, OnlyTheRecordersChannelsCanBeChosenAndAllStartChecked) {
    for (int count : {4, 8, 16}) {
        auto dialog = Open(count);
        for (int ch = 0; ch < 16; ++ch) {
            EXPECT_EQ(dialog->ChannelBox(ch)->isEnabled(), ch < count) << count << " " << ch;
            EXPECT_EQ(dialog->ChannelBox(ch)->isChecked(), ch < count) << count << " " << ch;
        }
    }
    auto dialog = Open(4);
    dialog->ChannelBox(1)->setChecked(false);
    dialog->Confirm();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    const client::RecordingChoice& choice = dialog->Choice();
    EXPECT_EQ(choice.ChosenChannelCount(), 3);
    EXPECT_TRUE(choice.channels[0] && !choice.channels[1] && choice.channels[3]);
    EXPECT_EQ(choice.endType, RecordingEndType::kContinuous);
    EXPECT_EQ(Stored("RecordingEndType"), "0");
    EXPECT_EQ(Stored("RecordingTime"), "<missing>");
    EXPECT_EQ(Stored("RecordKeyword"), "");
}

TEST_F(RecordingSettingsDialogTest, ADurationIsStoredAndOfferedAgainAndItsRuleStopsOnTime) {
    {
        auto dialog = Open(16);
        EXPECT_FALSE(dialog->DurationList()->isEnabled());  // continuous at first
        dialog->EndTypeButton(RecordingEndType::kDuration)->setChecked(true);
        EXPECT_TRUE(dialog->DurationList()->isEnabled());
        dialog->DurationList()->setCurrentIndex(
            dialog->DurationList()->findText(QStringLiteral("90")));
        dialog->Confirm();
        ASSERT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(dialog->Choice().durationMinutes, 90);
    }
    EXPECT_EQ(Stored("RecordingEndType"), "1");
    EXPECT_EQ(Stored("RecordingTime"), "90");
    {
        auto dialog = Open(16);
        EXPECT_TRUE(dialog->EndTypeButton(RecordingEndType::kDuration)->isChecked());
        EXPECT_EQ(dialog->DurationList()->currentText().toStdString(), "90");
        dialog->DurationList()->setCurrentIndex(0);
        dialog->Confirm();
        client::RecordingStopRule rule(dialog->Choice(), [this] { return now_; });
        EXPECT_TRUE(rule.OnMinuteTick());  // one minute: the first tick ends it
    }
}

TEST_F(RecordingSettingsDialogTest, AnEndInThePastOrInTheCurrentMinuteIsRefused) {
    auto dialog = Open(8);
    // Offered first: now plus ten minutes.
    EXPECT_EQ(dialog->EndDate()->date(), QDate(2026, 12, 8));
    EXPECT_EQ(dialog->EndTime()->time(), QTime(9, 40));
    dialog->EndTypeButton(RecordingEndType::kEndTime)->setChecked(true);
    dialog->EndTime()->setTime(QTime(9, 30));
    dialog->Confirm();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].toStdString(), "Invalid \"End Recording\" Time/Date.");
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Stored("RecordingEndType"), "<missing>");  // nothing stored
    EXPECT_EQ(dialog->EndTime()->time(), QTime(9, 30));  // the values stay as entered

    dialog->EndDate()->setDate(QDate(2026, 12, 7));
    dialog->EndTime()->setTime(QTime(23, 0));
    dialog->Confirm();
    EXPECT_EQ(messages_.size(), 2u);

    dialog->EndDate()->setDate(QDate(2026, 12, 8));
    dialog->EndTime()->setTime(QTime(9, 31));
    dialog->Confirm();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(messages_.size(), 2u);
    EXPECT_EQ(dialog->Choice().endType, RecordingEndType::kEndTime);
    EXPECT_EQ(dialog->Choice().endMoment, client::EndMomentOf({{2026, 12, 8}, 9, 31}));
    EXPECT_EQ(Stored("RecordingEndType"), "2");
    EXPECT_EQ(Stored("RecordingTime"), "<missing>");  // the end itself is not stored

    now_ += 3600;
    auto again = Open(8);
    EXPECT_TRUE(again->EndTypeButton(RecordingEndType::kEndTime)->isChecked());
    EXPECT_EQ(again->EndTime()->time(), QTime(10, 40));
    EXPECT_EQ(again->DurationList()->currentIndex(), 0);
}

TEST_F(RecordingSettingsDialogTest, TheKeywordNeverTakesTheForbiddenCharacters) {
    ASSERT_TRUE(
        store_.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "RecordKeyword", "../gate|1"));
    auto dialog = Open(4);
    QLineEdit* edit = dialog->KeywordEdit();
    EXPECT_EQ(edit->text().toStdString(), "..gate1");
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("a,b*c"));  // typed
    EXPECT_EQ(edit->text().toStdString(), "abc");
    edit->insert(QStringLiteral("d/e\\f"));  // pasted
    EXPECT_EQ(edit->text().toStdString(), "abcdef");
    QTest::keyClicks(edit, QStringLiteral("?ghijklmn"));  // ten characters at most
    EXPECT_EQ(edit->text().toStdString(), "abcdefghij");
    dialog->Confirm();
    EXPECT_EQ(Stored("RecordKeyword"), "abcdefghij");
}

TEST_F(RecordingSettingsDialogTest, EnterAndEscDoNotCloseTheDialog) {
    auto dialog = Open(4);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    QTest::keyClick(dialog->KeywordEdit(), Qt::Key_Enter);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Stored("RecordingEndType"), "<missing>");
}

}  // namespace
