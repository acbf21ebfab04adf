// The backup file list: rows from a search answer, what the start button refuses, and a download
// of two checked files from the recorder's FTP server.
#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>

#include "client/app/upgrade/backup_list_dialog.h"
#include "client/net/client_strings.h"
#include "client/net/event_search.h"
#include "client/net/ftp_texts.h"
#include "client/net/http_post.h"
#include "client/net/requests.h"
#include "tests/client/app/upgrade/dialog_test_support.h"
#include "ui/skin_button.h"

namespace {

using clientapp::BackupListDialog;
using dialogtest::Messages;
namespace fs = std::filesystem;

const std::string kPath = "/hdda/recs/20230115/ch02/230115_090000_02_S.umv";

clientapp::BackupListSetup ListSetup(uint64_t freeBytes = uint64_t{1} << 40) {
    clientapp::BackupListSetup s;
    s.connection.dvrName = "Shop";
    s.connection.host = "127.0.0.1";
    s.connection.user = "admin";
    s.connection.password = "4321";
    s.backupFolder = "/nonexistent-backup/";
    s.probe = [freeBytes](const std::string&) { return std::optional<uint64_t>(freeBytes); };
    return s;
}

TEST(BackupListDialogTest, RowsComeFromTheSearchAnswer) {
    const std::string response =
        kPath + ",230115093000,4096,2\n" + "/hdda/short.umv,230115093000,1\n" +
        "/hdda/recs/20230115/ch00/230115_080000_00_F.umv,230115085959,1,3\n";
    BackupListDialog dialog(response, ListSetup());
    QTableWidget& list = *dialog.list();
    ASSERT_EQ(list.rowCount(), 2);  // the short name adds no row
    EXPECT_EQ(list.item(0, 0)->text(), QStringLiteral("23-01-15 09:00:00"));
    EXPECT_EQ(list.item(0, 1)->text(), QStringLiteral("23-01-15 09:30:00"));
    EXPECT_EQ(list.item(0, 2)->text(), QStringLiteral("3"));
    EXPECT_EQ(list.item(0, 3)->text(), QStringLiteral("Sensor"));
    EXPECT_EQ(list.item(1, 3)->text(), QStringLiteral("Forced"));
    EXPECT_EQ(list.horizontalHeaderItem(0)->text(), QStringLiteral("StartTime"));
    EXPECT_EQ(list.columnWidth(0), 170);
    EXPECT_EQ(dialog.PathOf(0), kPath);
    EXPECT_EQ(list.item(0, 0)->checkState(), Qt::Unchecked);
}

TEST(BackupListDialogTest, TheStartButtonWantsFilesAndRoom) {
    const std::string response = kPath + ",230115093000,4096,2\n";
    {
        BackupListDialog empty("", ListSetup());
        QSignalSpy messages(&empty, &BackupListDialog::messageShown);
        empty.StartOrStop();
        EXPECT_EQ(Messages(messages), (std::vector<int>{client::kTextSelectFile}));
    }
    BackupListDialog none(response, ListSetup());
    QSignalSpy noneMessages(&none, &BackupListDialog::messageShown);
    none.StartOrStop();  // nothing checked
    EXPECT_EQ(Messages(noneMessages), (std::vector<int>{client::kTextSelectFile}));

    BackupListDialog full(response, ListSetup(uint64_t{50} << 20));
    full.list()->item(0, 0)->setCheckState(Qt::Checked);
    QSignalSpy fullMessages(&full, &BackupListDialog::messageShown);
    full.StartOrStop();
    EXPECT_EQ(Messages(fullMessages), (std::vector<int>{client::kTextBackupDiskFull}));
    EXPECT_EQ(fullMessages.at(0).at(1).toString(), QStringLiteral("Backup Failed!! HDD Full!!"));
    EXPECT_FALSE(full.Running());
}

class BackupListSimTest : public dialogtest::DialogSimTest {};

TEST_F(BackupListSimTest, TwoCheckedFilesDownloadIntoTheBackupFolder) {
    const media::CivilTime from{2000, 1, 1, 0, 0, 0}, to{2099, 12, 31, 23, 59, 59};
    const auto post = client::PostRequest({"127.0.0.1", sim_.port()}, client::PostKind::Query,
                                          client::EventSearchBody(from, to, 255, 0), 5000);
    ASSERT_TRUE(post.result.ok());
    const std::string response(post.body.begin(), post.body.end());
    auto setup = ListSetup();
    setup.backupFolder = dir_ / "backup/";
    setup.ftpPort = ftp_.port();
    BackupListDialog dialog(response, setup);
    ASSERT_GE(dialog.list()->rowCount(), 3);
    const int rows[] = {0, 2};
    for (int row : rows) {
        const std::string& path = dialog.PathOf(row);
        fs::create_directories(root() + client::RemoteFolderOf(path));
        testsupport::WriteFile(root() + path, dialogtest::Pattern(30000 + row, 9));
        dialog.list()->item(row, 0)->setCheckState(Qt::Checked);
    }
    dialog.show();

    QSignalSpy messages(&dialog, &BackupListDialog::messageShown);
    QSignalSpy completed(&dialog, &BackupListDialog::backupCompleted);
    QSignalSpy ended(&dialog, &BackupListDialog::downloadEnded);
    // The window copies the simple player on completion: before "Backup completed." shows.
    int messagesAtCompletion = -1;
    QObject::connect(&dialog, &BackupListDialog::backupCompleted,
                     [&] { messagesAtCompletion = static_cast<int>(messages.count()); });
    EXPECT_EQ(dialog.Frame().Button(0)->NormalBitmap(), 363);
    dialog.StartOrStop();
    EXPECT_TRUE(dialog.Running());
    EXPECT_EQ(dialog.Frame().Button(0)->NormalBitmap(), 369);  // the stop face while it runs
    dialogtest::Screenshot(dialog, "backup_list_running.png");
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_EQ(completed.count(), 1);
    EXPECT_EQ(messagesAtCompletion, 0);
    EXPECT_EQ(Messages(messages), (std::vector<int>{client::kTextBackupCompleted}));
    EXPECT_EQ(dialog.counterText(), QStringLiteral("2 / 2"));
    EXPECT_EQ(dialog.progressBar()->value(), 100);
    EXPECT_EQ(dialog.Frame().Button(0)->NormalBitmap(), 363);
    for (int row : rows) {
        const std::string local =
            dir_ / ("backup/" + *client::BackupFileName("Shop", dialog.PathOf(row)));
        EXPECT_EQ(testsupport::ReadFile(local), dialogtest::Pattern(30000 + row, 9)) << local;
    }
    dialogtest::Screenshot(dialog, "backup_list_done.png");
}

}  // namespace
