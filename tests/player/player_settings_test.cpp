#include "player/player_settings.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

using platform::Hive;
using platform::kEnvironmentsKey;

TEST(PlayerSettings, MissingPathsAreWrittenWithTheirDefaultsByTheFirstReader) {
    testsupport::TempDir dir;
    platform::RegistryStore store(dir / "Environments.ini");
    EXPECT_EQ(player::WatermarkPath(store, "/opt/dvr/"), "/opt/dvr/Mark4015.raw");
    EXPECT_EQ(player::CapturePath(store, "/opt/dvr/"), "/opt/dvr/Frame/");
    std::string value;
    ASSERT_TRUE(store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "WaterMark", &value));
    EXPECT_EQ(value, "/opt/dvr/Mark4015.raw");
    ASSERT_TRUE(store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "CapturePath", &value));
    EXPECT_EQ(value, "/opt/dvr/Frame/");
    // Stored values win over the defaults from then on, wherever the program runs.
    EXPECT_EQ(player::WatermarkPath(store, "/elsewhere/"), "/opt/dvr/Mark4015.raw");
    ASSERT_TRUE(store.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "WaterMark", "/m.raw"));
    EXPECT_EQ(player::WatermarkPath(store, "/opt/dvr/"), "/m.raw");
}

TEST(PlayerSettings, TheStillSearchPrefersItsOwnFolder) {
    testsupport::TempDir dir;
    platform::RegistryStore store(dir / "Environments.ini");
    EXPECT_EQ(player::StillSearchPath(store, "/p/"), "/p/Frame/");
    ASSERT_TRUE(store.WriteString(Hive::kLocalMachine, kEnvironmentsKey, "OrvCapturePath", "/s/"));
    EXPECT_EQ(player::StillSearchPath(store, "/p/"), "/s/");
    EXPECT_EQ(player::CapturePath(store, "/p/"), "/p/Frame/");
}

}  // namespace
