#include "client/app/settings/client_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "client/app/settings/client_language.h"
#include "tests/client/app/settings/stored_value.h"
#include "tests/support/temp_dir.h"

namespace {

using client::ClientSettings;
using client::RecordingEndType;
using platform::Hive;
using platform::kEnvironmentsKey;

class ClientSettingsTest : public ::testing::Test {
  protected:
    std::string Stored(const char* name) { return testsupport::StoredValue(store_, name); }
    void Store(const char* name, const char* value) {
        ASSERT_TRUE(store_.WriteString(Hive::kLocalMachine, kEnvironmentsKey, name, value));
    }

    testsupport::TempDir dir_;
    platform::RegistryStore store_{dir_ / "Environments.ini"};
    ClientSettings settings_{store_, "/opt/telva/", "/home/u/.local/share/Halvex/"};
};

TEST_F(ClientSettingsTest, MissingValuesGetTheirDefaultsWrittenBackOrNotByTheirRule) {
    EXPECT_EQ(settings_.RecordPath(), "/home/u/.local/share/Halvex/Record/");
    EXPECT_EQ(settings_.BackupPath(), "/home/u/.local/share/Halvex/Backup/");
    EXPECT_EQ(settings_.CapturePath(), "/home/u/.local/share/Halvex/Frame/");
    EXPECT_EQ(settings_.WaterMark(), "/opt/telva/Mark4015.raw");
    EXPECT_FALSE(settings_.EventSound());
    EXPECT_EQ(settings_.DisplayType(), 0);
    EXPECT_TRUE(settings_.DeInterlaced());
    EXPECT_FALSE(settings_.CopyQuenby());
    EXPECT_EQ(settings_.Language(), std::nullopt);
    EXPECT_EQ(settings_.RecordingEnd(), RecordingEndType::kContinuous);
    EXPECT_EQ(settings_.RecordingTime(), 1);
    EXPECT_EQ(settings_.RecordKeyword(), "");

    // Written back by their first reader...
    EXPECT_EQ(Stored("RecordPath"), "/home/u/.local/share/Halvex/Record/");
    EXPECT_EQ(Stored("BackupPath"), "/home/u/.local/share/Halvex/Backup/");
    EXPECT_EQ(Stored("CapturePath"), "/home/u/.local/share/Halvex/Frame/");
    EXPECT_EQ(Stored("WaterMark"), "/opt/telva/Mark4015.raw");
    EXPECT_EQ(Stored("EventSound"), "0");
    EXPECT_EQ(Stored("DisplayType"), "0");
    EXPECT_EQ(Stored("DeInterlaced"), "1");
    EXPECT_EQ(Stored("CopyQuenby"), "0");
    // ... but not these.
    EXPECT_EQ(Stored("Language"), "<missing>");
    EXPECT_EQ(Stored("RecordingEndType"), "<missing>");
    EXPECT_EQ(Stored("RecordingTime"), "<missing>");
    EXPECT_EQ(Stored("RecordKeyword"), "<missing>");
}

TEST_F(ClientSettingsTest, StoredValuesWinAndNumbersReadLikeAPlainConversion) {
    Store("RecordPath", "/mnt/rec/");
    Store("DisplayType", "1");
    Store("DeInterlaced", "0");
    Store("EventSound", "yes");  // not a number: reads as 0
    Store("CopyQuenby", " 1");
    EXPECT_EQ(settings_.RecordPath(), "/mnt/rec/");
    EXPECT_EQ(settings_.DisplayType(), 1);
    EXPECT_FALSE(settings_.DeInterlaced());
    EXPECT_FALSE(settings_.EventSound());
    EXPECT_TRUE(settings_.CopyQuenby());
    EXPECT_EQ(Stored("EventSound"), "yes");  // a reader never rewrites a present value

    EXPECT_EQ(client::SettingsNumber("90"), 90);
    EXPECT_EQ(client::SettingsNumber("  -7x"), -7);
    EXPECT_EQ(client::SettingsNumber(""), 0);
    EXPECT_EQ(client::SettingsNumber("99999999999999999999"), 2147483647);
    EXPECT_EQ(client::SettingsNumber("-99999999999999999999"), -2147483647 - 1);
}

TEST_F(ClientSettingsTest, DeletedSwitchesAreStoredAgainByTheNextReader) {
    ASSERT_TRUE(settings_.SetDeInterlaced(false));
    ASSERT_TRUE(settings_.SetDisplayType(1));
    // A hand-edited file loses both values.
    const std::vector<uint8_t> bytes = testsupport::ReadFile(store_.path());
    const std::string ini(bytes.begin(), bytes.end());
    std::vector<uint8_t> kept;
    for (size_t start = 0; start < ini.size();) {
        size_t end = ini.find('\n', start);
        end = end == std::string::npos ? ini.size() : end + 1;
        const std::string line = ini.substr(start, end - start);
        if (line.rfind("DeInterlaced=", 0) != 0 && line.rfind("DisplayType=", 0) != 0)
            kept.insert(kept.end(), line.begin(), line.end());
        start = end;
    }
    testsupport::WriteFile(store_.path(), kept);
    ASSERT_EQ(Stored("DeInterlaced"), "<missing>");

    EXPECT_TRUE(settings_.DeInterlaced());
    EXPECT_EQ(Stored("DeInterlaced"), "1");
    EXPECT_EQ(settings_.DisplayType(), 0);
    EXPECT_EQ(Stored("DisplayType"), "0");
}

TEST_F(ClientSettingsTest, FoldersAlwaysEndInASlashAndEmptyPathsFallBackToTheDefault) {
    ASSERT_TRUE(settings_.SetBackupPath("/mnt/backup"));
    EXPECT_EQ(Stored("BackupPath"), "/mnt/backup/");
    ASSERT_TRUE(settings_.SetCapturePath("/"));
    EXPECT_EQ(Stored("CapturePath"), "/");
    Store("RecordPath", "/mnt/rec");  // edited by hand
    EXPECT_EQ(settings_.RecordPath(), "/mnt/rec/");
    Store("WaterMark", "");
    EXPECT_EQ(settings_.WaterMark(), "/opt/telva/Mark4015.raw");
    EXPECT_EQ(Stored("WaterMark"), "/opt/telva/Mark4015.raw");
    ASSERT_TRUE(settings_.SetWaterMark("/keys/Mark.raw"));
    EXPECT_EQ(settings_.WaterMark(), "/keys/Mark.raw");
}

TEST_F(ClientSettingsTest, LanguageWordsIgnoreCaseAndAreStoredUpperCase) {
    Store("Language", "korean");
    EXPECT_EQ(settings_.Language(), ui::Language::Korean);
    EXPECT_EQ(client::ChooseClientLanguage(settings_, 1031), ui::Language::Korean);
    Store("Language", "Klingon");
    EXPECT_EQ(settings_.Language(), std::nullopt);
    EXPECT_EQ(client::ChooseClientLanguage(settings_, 1031), ui::Language::German);
    ASSERT_TRUE(settings_.SetLanguage(ui::Language::Japanese));
    EXPECT_EQ(Stored("Language"), "JAPAN");
    std::string word;
    ASSERT_TRUE(settings_.LanguageWord(&word));
    EXPECT_EQ(word, "JAPAN");
}

TEST(ClientLanguage, SystemIdentifiersMapThroughTheClientsTable) {
    using ui::Language;
    EXPECT_EQ(client::ClientLanguageForSystemId(2055), Language::German);  // Swiss German
    EXPECT_EQ(client::ClientLanguageForSystemId(3079), Language::German);  // Austrian German
    EXPECT_EQ(client::ClientLanguageForSystemId(5127), Language::German);
    EXPECT_EQ(client::ClientLanguageForSystemId(2064), Language::English);  // Swiss Italian
    EXPECT_EQ(client::ClientLanguageForSystemId(1040), Language::Italian);
    EXPECT_EQ(client::ClientLanguageForSystemId(3082), Language::Spanish);
    EXPECT_EQ(client::ClientLanguageForSystemId(20490), Language::Spanish);
    EXPECT_EQ(client::ClientLanguageForSystemId(21514), Language::English);  // sublanguage 21
    EXPECT_EQ(client::ClientLanguageForSystemId(5132), Language::French);
    EXPECT_EQ(client::ClientLanguageForSystemId(1042), Language::Korean);
    EXPECT_EQ(client::ClientLanguageForSystemId(1041), Language::Japanese);
    EXPECT_EQ(client::ClientLanguageForSystemId(1045), Language::Polish);
    EXPECT_EQ(client::ClientLanguageForSystemId(1049), Language::Russian);
    EXPECT_EQ(client::ClientLanguageForSystemId(0), Language::English);

    // The setup list follows the order of ui::Language with its labels.
    const auto& labels = client::LanguageLabels();
    for (size_t i = 0; i < labels.size(); ++i)
        EXPECT_EQ(static_cast<size_t>(labels[i].language), i);
    EXPECT_EQ(labels[2].textId, 733);
}

TEST_F(ClientSettingsTest, RecordingEndTypeReadsOnlyItsThreeDigits) {
    EXPECT_EQ(settings_.RecordingEnd(), RecordingEndType::kContinuous);
    for (const char* garbage : {"x", "3", "-1", "1 ", "01", "12"}) {
        Store("RecordingEndType", garbage);
        EXPECT_EQ(settings_.RecordingEnd(), RecordingEndType::kContinuous) << garbage;
        EXPECT_EQ(settings_.RecordingEnd(RecordingEndType::kEndTime), RecordingEndType::kEndTime)
            << garbage;
    }
    Store("RecordingEndType", "");
    EXPECT_EQ(settings_.RecordingEnd(RecordingEndType::kEndTime), RecordingEndType::kContinuous);
    Store("RecordingEndType", "1");
    EXPECT_EQ(settings_.RecordingEnd(), RecordingEndType::kDuration);
    Store("RecordingEndType", "2");
    EXPECT_EQ(settings_.RecordingEnd(), RecordingEndType::kEndTime);
}

TEST_F(ClientSettingsTest, RecordingChoiceStoresTheDurationOnlyForADurationBoundRecording) {
    ASSERT_TRUE(settings_.StoreRecordingChoice(RecordingEndType::kDuration, 90, "gate"));
    EXPECT_EQ(Stored("RecordingEndType"), "1");
    EXPECT_EQ(Stored("RecordingTime"), "90");
    EXPECT_EQ(Stored("RecordKeyword"), "gate");
    EXPECT_EQ(settings_.RecordingTime(), 90);

    ASSERT_TRUE(settings_.StoreRecordingChoice(RecordingEndType::kEndTime, 5, ""));
    EXPECT_EQ(Stored("RecordingEndType"), "2");
    EXPECT_EQ(Stored("RecordingTime"), "90");  // untouched
    EXPECT_EQ(Stored("RecordKeyword"), "");    // written also when empty

    // A duration outside the list would never be reached: the first choice is used instead.
    Store("RecordingTime", "7");
    EXPECT_EQ(settings_.RecordingTime(), 1);
    Store("RecordingTime", "  120");
    EXPECT_EQ(settings_.RecordingTime(), 120);
}

TEST(ClientSettingsFiles, TheProgramsSettingsLiveInTheConfiguredFile) {
    const char* config = std::getenv("HALVEX_CONFIG");
    ASSERT_NE(config, nullptr);
    ClientSettings settings = ClientSettings::ForThisProgram();
    const std::string backup = settings.BackupPath();
    platform::RegistryStore direct(config);
    std::string value;
    ASSERT_TRUE(direct.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "BackupPath", &value));
    EXPECT_EQ(value, backup);
}

// Puts an environment variable back as it was when the test ends.
class EnvRestorer {
  public:
    explicit EnvRestorer(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) old_ = v;
    }
    ~EnvRestorer() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ClientSettingsFiles, TheDataFolderComesFromTheEnvironment) {
    EnvRestorer data("HALVEX_DATA"), xdg("XDG_DATA_HOME"), home("HOME");
    setenv("HALVEX_DATA", "/srv/halvex", 1);
    EXPECT_EQ(client::ClientDataDirectory(), "/srv/halvex/");
    unsetenv("HALVEX_DATA");
    setenv("XDG_DATA_HOME", "/home/u/data/", 1);
    EXPECT_EQ(client::ClientDataDirectory(), "/home/u/data/Halvex/");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(client::ClientDataDirectory(), "/home/u/.local/share/Halvex/");
}

}  // namespace
