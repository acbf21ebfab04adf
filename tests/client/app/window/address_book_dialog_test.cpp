// The connection dialog over a real address book file, driven with key and mouse events.
#include "client/app/window/address_book_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <fstream>

#include "client/net/client_strings.h"
#include "tests/support/temp_dir.h"

namespace client_app {
namespace {

class AddressDialogTest : public ::testing::Test {
  protected:
    testsupport::TempDir dir_;
    AddressBook book_{dir_ / "Factory_Connection.ini", dir_ / "IPList.db"};
};

TEST_F(AddressDialogTest, CommasNeverReachTheFieldsAndEnterAsksForEveryField) {
    AddressBookDialog dialog(book_, client::ClientStrings());
    QStringList messages;
    dialog.SetMessageSink([&](const QString& m) { messages << m; });
    dialog.show();
    QTest::keyClicks(dialog.nameEdit(), QStringLiteral("Lob,by"));
    EXPECT_EQ(dialog.nameEdit()->text(), QStringLiteral("Lobby"));
    QTest::keyClick(dialog.nameEdit(), Qt::Key_Return);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("Please verify all the required fields!!"));
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);  // swallowed
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(AddressDialogTest, ConnectRemembersTheRecorderAndReturnsTheAccount) {
    std::ofstream(dir_ / "IPList.db") << "Depot,10.0.0.2,8080\nLobby,10.0.0.1,80\n";
    AddressBookDialog dialog(book_, client::ClientStrings());
    dialog.show();
    EXPECT_TRUE(dialog.nameEdit()->text().isEmpty());  // row 0 selected, fields left empty
    QTreeWidgetItem* second = dialog.list()->topLevelItem(1);
    QTest::mouseClick(dialog.list()->viewport(), Qt::LeftButton, {},
                      dialog.list()->visualItemRect(second).center());
    EXPECT_EQ(dialog.addressEdit()->text(), QStringLiteral("10.0.0.1"));
    QTest::keyClick(dialog.list(), Qt::Key_Up);  // the arrows select and copy too
    EXPECT_EQ(dialog.portEdit()->text(), QStringLiteral("8080"));
    dialog.passwordEdit()->setText(QStringLiteral("pw"));
    dialog.addressEdit()->setText(QStringLiteral("10.0.0.3"));
    dialog.button(740)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.fields().entry.address, "10.0.0.3");
    EXPECT_EQ(dialog.userId(), "admin");
    std::ifstream in(dir_ / "IPList.db");
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(all, "Depot,10.0.0.2,8080\nLobby,10.0.0.1,80\nDepot,10.0.0.3,8080\n");
}

}  // namespace
}  // namespace client_app
