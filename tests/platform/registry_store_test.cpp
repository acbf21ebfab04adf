#include "platform/registry_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

using platform::Hive;
using platform::kEnvironmentsKey;
using platform::RegistryStore;

TEST(RegistryStore, WritesAndReadsBackValuesPerHiveAndKey) {
    testsupport::TempDir dir;
    RegistryStore store(dir / "sub/dir/Environments.ini");
    std::string value;
    EXPECT_FALSE(store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "RecordPath", &value));
    ASSERT_TRUE(store.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "RecordPath", "/rec/"));
    ASSERT_TRUE(store.WriteString(Hive::kCurrentUser, kEnvironmentsKey, "RecordPath", "/user/"));
    ASSERT_TRUE(store.WriteString(Hive::kLocalMachine, "Software\\Other", "RecordPath", "/o/"));
    ASSERT_TRUE(store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "RecordPath", &value));
    EXPECT_EQ(value, "/rec/");
    ASSERT_TRUE(store.ReadString(Hive::kCurrentUser, kEnvironmentsKey, "RecordPath", &value));
    EXPECT_EQ(value, "/user/");
    // Overwriting keeps one value.
    ASSERT_TRUE(store.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "RecordPath", "/new/"));
    ASSERT_TRUE(store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "RecordPath", &value));
    EXPECT_EQ(value, "/new/");
    // A trailing backslash on the key path names the same key.
    ASSERT_TRUE(store.ReadString(Hive::kLocalMachine, "Software\\Halvex\\Environments",
                                 "RecordPath", &value));
    EXPECT_EQ(RegistryStore::SectionName(Hive::kLocalMachine, kEnvironmentsKey),
              "HKEY_LOCAL_MACHINE\\Software\\Halvex\\Environments");
}

TEST(RegistryStore, ValuesSurviveAnyCharacters) {
    testsupport::TempDir dir;
    RegistryStore store(dir / "e.ini");
    const std::string tricky = "C:\\Record\\ a=b\nline two\r\\n [x] ; #";
    ASSERT_TRUE(store.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "Path", tricky));
    ASSERT_TRUE(store.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "Empty", ""));
    std::string value = "x";
    ASSERT_TRUE(store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "Path", &value));
    EXPECT_EQ(value, tricky);
    ASSERT_TRUE(store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "Empty", &value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(store.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "bad=name", "v"));
}

TEST(RegistryStore, FirstReaderOfAMissingValueWritesItsDefault) {
    testsupport::TempDir dir;
    RegistryStore store(dir / "e.ini");
    EXPECT_EQ(store.ReadOrInit(Hive::kLocalMachine, kEnvironmentsKey, "DeInterlaced", "1"), "1");
    std::string value;
    ASSERT_TRUE(store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "DeInterlaced", &value));
    EXPECT_EQ(value, "1");
    ASSERT_TRUE(store.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "DeInterlaced", "0"));
    EXPECT_EQ(store.ReadOrInit(Hive::kLocalMachine, kEnvironmentsKey, "DeInterlaced", "1"), "0");
}

TEST(RegistryStore, ConcurrentWritersLoseNothing) {
    testsupport::TempDir dir;
    RegistryStore a(dir / "e.ini");
    RegistryStore b(dir / "e.ini");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            RegistryStore& s = t % 2 ? a : b;
            for (int i = 0; i < 20; ++i)
                s.WriteString(Hive::kLocalMachine, kEnvironmentsKey,
                              "V" + std::to_string(t) + "_" + std::to_string(i), "x");
        });
    }
    for (auto& t : threads)
        t.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 20; ++i)
            EXPECT_TRUE(a.ReadString(Hive::kLocalMachine, kEnvironmentsKey,
                                     "V" + std::to_string(t) + "_" + std::to_string(i), nullptr));
}

TEST(RegistryStore, DefaultPathFollowsEnvironment) {
    const char* saved = std::getenv("HALVEX_CONFIG");
    std::string keep = saved ? saved : "";
    setenv("HALVEX_CONFIG", "/tmp/x/halvex.ini", 1);
    EXPECT_EQ(RegistryStore::DefaultPath(), "/tmp/x/halvex.ini");
    unsetenv("HALVEX_CONFIG");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(RegistryStore::DefaultPath(), "/cfg/Halvex/Environments.ini");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(RegistryStore::DefaultPath(), "/home/u/.config/Halvex/Environments.ini");
    if (saved) setenv("HALVEX_CONFIG", keep.c_str(), 1);
}

}  // namespace
