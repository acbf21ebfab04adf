// The firmware upgrade dialog: its defaults, the fields it insists on, and a whole upgrade.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "client/app/upgrade/upgrade_dialog.h"
#include "client/net/ftp_texts.h"
#include "tests/client/app/upgrade/dialog_test_support.h"

namespace {

using clientapp::UpgradeDialog;
using dialogtest::Messages;

TEST(UpgradeDialogTest, OpensWithItsDefaultsAndInsistsOnEveryField) {
    UpgradeDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("S/W Upgrade"));
    EXPECT_EQ(dialog.userEdit()->text(), QStringLiteral("admin"));
    EXPECT_EQ(dialog.portEdit()->text(), QStringLiteral("80"));
    EXPECT_TRUE(dialog.ramdiskButton()->isChecked());
    EXPECT_EQ(dialog.addressEdit()->maxLength(), 20);
    EXPECT_EQ(dialog.passwordEdit()->maxLength(), 6);
    EXPECT_EQ(dialog.startButton()->text(), QStringLiteral("Update Start"));

    QSignalSpy messages(&dialog, &UpgradeDialog::messageShown);
    dialog.startButton()->click();
    // Filled in but for the image: still refused; the emptied port shows "80" again.
    dialog.addressEdit()->setText(QStringLiteral("127.0.0.1"));
    dialog.passwordEdit()->setText(QStringLiteral("4321"));
    dialog.portEdit()->clear();
    dialog.startButton()->click();
    EXPECT_EQ(Messages(messages),
              (std::vector<int>{client::kTextVerifyFields, client::kTextVerifyFields}));
    EXPECT_EQ(messages.at(0).at(1).toString(),
              QStringLiteral("Please verify all the required fields!!"));
    EXPECT_EQ(dialog.portEdit()->text(), QStringLiteral("80"));
    EXPECT_FALSE(dialog.Running());
}

class UpgradeDialogSimTest : public dialogtest::DialogSimTest {};

TEST_F(UpgradeDialogSimTest, AKernelUpgradeRunsToTheInstallControl) {
    testsupport::WriteFile(dir_ / "img", dialogtest::Pattern(300000, 4));
    UpgradeDialog dialog(nullptr, ftp_.port());
    dialog.SetAddress(QStringLiteral("127.0.0.1"), QString::number(sim_.port()));
    dialog.passwordEdit()->setText(QStringLiteral("4321"));
    dialog.kernelButton()->setChecked(true);
    dialog.SetImage(QString::fromStdString(dir_ / "img"));
    dialog.show();
    dialogtest::Screenshot(dialog, "upgrade_dialog.png");

    QSignalSpy messages(&dialog, &UpgradeDialog::messageShown);
    QSignalSpy ended(&dialog, &UpgradeDialog::upgradeEnded);
    dialog.startButton()->click();
    EXPECT_EQ(dialog.startButton()->text(), QStringLiteral("Update Cancel"));
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_TRUE(ended.at(0).at(0).toBool());
    EXPECT_EQ(Messages(messages), (std::vector<int>{client::kTextTransferCompleted}));
    EXPECT_EQ(messages.at(0).at(1).toString(), QStringLiteral("File transfer completed."));
    EXPECT_EQ(dialog.startButton()->text(), QStringLiteral("Update Start"));
    EXPECT_EQ(dialog.progressBar()->value(), 0);
    EXPECT_EQ(testsupport::ReadFile(root() + "/hdda/upgrade/kernel/img"),
              dialogtest::Pattern(300000, 4));
    EXPECT_EQ(
        sim_.controls(),
        (std::vector<std::string>{"MODE=5&OP=13&LEN=31&REQ=/hdda/upgrade/kernel/img|300000"}));

    // A refused login is said so, and no control follows.
    dialog.passwordEdit()->setText(QStringLiteral("0000"));
    dialog.startButton()->click();
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_EQ(Messages(messages).back(), client::kTextFtpLoginRejected);
    EXPECT_EQ(sim_.controls().size(), 1u);
}

}  // namespace
