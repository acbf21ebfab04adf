// The address book on real files in a temporary folder.
#include "client/app/window/core/address_book.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace client_app {
namespace {

class AddressBookTest : public ::testing::Test {
  protected:
    std::string Factory() const { return dir_ / "Factory_Connection.ini"; }
    std::string List() const { return dir_ / "data/IPList.db"; }
    void Write(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool Writable(const std::string& path) {
        struct stat st {};
        stat(path.c_str(), &st);
        return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    }
    AddressBook Loaded() {
        AddressBook book(Factory(), List());
        book.Load();
        return book;
    }
    testsupport::TempDir dir_;
};

TEST_F(AddressBookTest, AMissingListStartsEmptyAndAddRemembersWithPort80) {
    AddressBook book = Loaded();
    EXPECT_FALSE(book.factoryMode());
    EXPECT_TRUE(book.entries().empty());
    EXPECT_FALSE(book.Add({"", "10.0.0.1", "8080"}));  // no name
    EXPECT_FALSE(book.Add({"Lobby", "", "8080"}));     // no address
    EXPECT_FALSE(book.changed());
    EXPECT_TRUE(book.Add({"Lobby", "10.0.0.1", ""}));
    ASSERT_EQ(book.entries().size(), 1u);
    EXPECT_EQ(book.entries()[0].port, "80");
    EXPECT_TRUE(book.changed());
}

TEST_F(AddressBookTest, DuplicatesAreTheSameAddressAndPort) {
    AddressBook book = Loaded();
    book.Add({"A", "10.0.0.1", "80"});
    book.Add({"B", "10.0.0.1", "8080"});  // same address, another port: kept
    book.Add({"C", "10.0.0.1", "80"});    // same address and port as A: not added
    ASSERT_EQ(book.entries().size(), 2u);
    EXPECT_EQ(book.entries()[0].name, "A");
    EXPECT_EQ(book.entries()[1].name, "B");
}

TEST_F(AddressBookTest, ModifyMovesTheEntryToTheTopAndEmptyFieldsRemoveIt) {
    AddressBook book = Loaded();
    book.Add({"A", "a", "1"});
    book.Add({"B", "b", "2"});
    book.Add({"C", "c", "3"});
    EXPECT_EQ(book.Modify(2, {"C2", "c", "33"}), 0);
    ASSERT_EQ(book.entries().size(), 3u);
    EXPECT_EQ(book.entries()[0], (AddressEntry{"C2", "c", "33"}));
    EXPECT_EQ(book.entries()[1].name, "A");
    EXPECT_EQ(book.Modify(1, {"", "a", "1"}), -1);
    ASSERT_EQ(book.entries().size(), 2u);
    EXPECT_EQ(book.entries()[1].name, "B");
}

TEST_F(AddressBookTest, DeleteNeedsTheFieldsAndRemovesTheRow) {
    EXPECT_FALSE(AddressBook::CanDelete({"A", "a", ""}));
    EXPECT_TRUE(AddressBook::CanDelete({"A", "a", "80"}));
    AddressBook book = Loaded();
    book.Add({"A", "a", "1"});
    book.Add({"B", "b", "2"});
    EXPECT_FALSE(book.Delete(5));
    EXPECT_TRUE(book.Delete(0));
    ASSERT_EQ(book.entries().size(), 1u);
    EXPECT_EQ(book.entries()[0].name, "B");
}

TEST_F(AddressBookTest, ConnectNeedsEveryFieldThenSavesAReadOnlyListThatTheNextSaveRewrites) {
    AddressBook book = Loaded();
    EXPECT_FALSE(book.Connect({{"Lobby", "10.0.0.1", "80"}, ""}));  // no password
    EXPECT_FALSE(std::filesystem::exists(List()));
    EXPECT_TRUE(book.Connect({{"Lobby", "10.0.0.1", "80"}, "4321"}));
    EXPECT_EQ(Read(List()), "Lobby,10.0.0.1,80\n");
    EXPECT_FALSE(Writable(List()));

    AddressBook again = Loaded();
    ASSERT_EQ(again.entries().size(), 1u);
    again.Add({"Depot", "depot.local", "8080"});
    again.SaveIfChanged();  // Close
    EXPECT_EQ(Read(List()), "Lobby,10.0.0.1,80\nDepot,depot.local,8080\n");
    EXPECT_FALSE(Writable(List()));
    EXPECT_FALSE(again.changed());
}

TEST_F(AddressBookTest, ReadingStopsAtTheFirstLineWithoutThreeFields) {
    Write(List(), "A,a,1\r\nB,b,2\nbroken,line\nC,c,3\n");
    AddressBook book = Loaded();
    ASSERT_EQ(book.entries().size(), 2u);
    EXPECT_EQ(book.entries()[0], (AddressEntry{"A", "a", "1"}));  // CR of a DOS line dropped
    EXPECT_EQ(book.entries()[1].name, "B");
    Write(List(), "A,a,1,extra\n");
    EXPECT_TRUE(Loaded().entries().empty());
}

TEST_F(AddressBookTest, AFactoryListReplacesTheUsersListAndCarriesPasswords) {
    Write(List(), "Mine,m,80\n");
    Write(Factory(), "Lobby,10.0.0.1,80,1111\nDepot,10.0.0.2,80,2222\n");
    AddressBook book = Loaded();
    EXPECT_TRUE(book.factoryMode());
    ASSERT_EQ(book.entries().size(), 2u);
    EXPECT_EQ(book.FieldsOf(1, "typed").password, "2222");
    EXPECT_TRUE(book.Connect({{"Lobby", "10.0.0.1", "80"}, "1111"}));
    EXPECT_EQ(Read(List()), "Mine,m,80\n");  // never written in factory mode

    Write(Factory(), "");  // an empty factory list counts: an empty book
    AddressBook empty = Loaded();
    EXPECT_TRUE(empty.factoryMode());
    EXPECT_TRUE(empty.entries().empty());
}

TEST_F(AddressBookTest, AFactoryListWithABadSecondLineIsFollowedByTheUsersList) {
    Write(List(), "Mine,m,80\n");
    Write(Factory(), "Lobby,10.0.0.1,80,1111\nDepot,10.0.0.2,80\n");
    AddressBook book = Loaded();
    EXPECT_FALSE(book.factoryMode());
    ASSERT_EQ(book.entries().size(), 2u);
    EXPECT_EQ(book.entries()[0].name, "Lobby");
    EXPECT_EQ(book.entries()[1].name, "Mine");
    EXPECT_EQ(book.FieldsOf(0, "").password, "1111");
    EXPECT_EQ(book.FieldsOf(1, "typed").password, "");  // factory passwords exist: the row's
    EXPECT_TRUE(book.Connect({{"Mine", "m", "80"}, "pw"}));
    EXPECT_EQ(Read(List()), "Lobby,10.0.0.1,80\nMine,m,80\n");
}

TEST_F(AddressBookTest, AListThatCannotBeMadeWritableIsLeftAsItWas) {
    AddressBook book = Loaded();
    book.Add({"A", "a", "1"});
    ASSERT_TRUE(book.Save());
    // A folder where the list should be: nothing can be written, nothing is lost.
    std::filesystem::remove(List());
    std::filesystem::create_directory(List());
    EXPECT_FALSE(book.Save());
    EXPECT_TRUE(std::filesystem::is_directory(List()));
}

}  // namespace
}  // namespace client_app
