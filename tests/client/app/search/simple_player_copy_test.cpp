// The copy of the simple player into the backup folder, and the messages after a backup.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "client/app/search/simple_player_copy.h"
#include "tests/support/temp_dir.h"

namespace client::search {
namespace {

namespace fs = std::filesystem;

class SimplePlayerCopyTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(programDir()); }
    std::string programDir() const { return dir_ / "program/"; }
    std::string backupDir() const { return dir_ / "home/backup/"; }
    void MakeProgram(const std::string& name, const std::vector<uint8_t>& bytes) {
        testsupport::WriteFile(programDir() + name, bytes);
        fs::permissions(programDir() + name,
                        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    }

    testsupport::TempDir dir_;
};

TEST_F(SimplePlayerCopyTest, ThePlayerAndItsLanguagePacksGoIntoANewBackupFolder) {
    MakeProgram("Quenby_M4", {1, 2, 3, 4});
    MakeProgram("Quenby_M4_GermanDll.rcc", {5, 6});
    MakeProgram("Telva_M4", {7});
    MakeProgram("Telva_M4_GermanDll.rcc", {8});
    EXPECT_EQ(CopySimplePlayer(true, programDir(), backupDir()), SimplePlayerCopy::Copied);
    EXPECT_EQ(testsupport::ReadFile(backupDir() + "Quenby_M4"), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(testsupport::ReadFile(backupDir() + "Quenby_M4_GermanDll.rcc"),
              (std::vector<uint8_t>{5, 6}));
    EXPECT_NE(fs::status(backupDir() + "Quenby_M4").permissions() & fs::perms::owner_exec,
              fs::perms::none);
    EXPECT_FALSE(fs::exists(backupDir() + "Telva_M4"));
    EXPECT_FALSE(fs::exists(backupDir() + "Telva_M4_GermanDll.rcc"));

    // A newer player replaces the older copy, and nothing half-copied stays behind.
    MakeProgram("Quenby_M4", {9, 9});
    EXPECT_EQ(CopySimplePlayer(true, programDir(), backupDir()), SimplePlayerCopy::Copied);
    EXPECT_EQ(testsupport::ReadFile(backupDir() + "Quenby_M4"), (std::vector<uint8_t>{9, 9}));
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(backupDir()))
        ++files;
    EXPECT_EQ(files, 2u);
}

TEST_F(SimplePlayerCopyTest, AMissingPlayerIsReportedBeforeTheBackupsCompletion) {
    EXPECT_EQ(CopySimplePlayer(true, programDir(), backupDir()), SimplePlayerCopy::Missing);
    EXPECT_EQ(BackupEndMessages(SimplePlayerCopy::Missing, BackupKind::Files),
              (std::vector<int>{2067, 2024}));
    EXPECT_EQ(BackupEndMessages(SimplePlayerCopy::Missing, BackupKind::TimeRange),
              (std::vector<int>{2067}));
    EXPECT_EQ(BackupEndMessages(SimplePlayerCopy::Copied, BackupKind::Files),
              (std::vector<int>{2024}));
    EXPECT_TRUE(BackupEndMessages(SimplePlayerCopy::Skipped, BackupKind::TimeRange).empty());
    // A folder of that name is no player either.
    fs::create_directories(programDir() + "Quenby_M4");
    EXPECT_EQ(CopySimplePlayer(true, programDir(), backupDir()), SimplePlayerCopy::Missing);
}

TEST_F(SimplePlayerCopyTest, NothingHappensWhenTheSettingIsOff) {
    MakeProgram("Quenby_M4", {1});
    EXPECT_EQ(CopySimplePlayer(false, programDir(), backupDir()), SimplePlayerCopy::Skipped);
    EXPECT_FALSE(fs::exists(backupDir()));
}

TEST_F(SimplePlayerCopyTest, ABackupFolderThatCannotTakeThePlayerIsReported) {
    MakeProgram("Quenby_M4", {1});
    testsupport::WriteFile(dir_ / "file", {0});  // a file where the folder should be
    EXPECT_EQ(CopySimplePlayer(true, programDir(), dir_ / "file/"), SimplePlayerCopy::Failed);
    EXPECT_EQ(BackupEndMessages(SimplePlayerCopy::Failed, BackupKind::Files),
              (std::vector<int>{2090, 2024}));
}

}  // namespace
}  // namespace client::search
