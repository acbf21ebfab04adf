// Names from outside as path components, and readers that refuse anything but regular files.
#include <gtest/gtest.h>

#include "platform/mapped_file.h"
#include "platform/path_component.h"
#include "platform/regular_file.h"
#include "tests/support/fifo.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::SafePathComponent;

TEST(SafePathComponent, NothingCanLeaveOrSplitTheComponent) {
    EXPECT_EQ(SafePathComponent("../../x"), ".._.._x");
    EXPECT_EQ(SafePathComponent("a/b"), "a_b");
    EXPECT_EQ(SafePathComponent("/"), "_");
    EXPECT_EQ(SafePathComponent(std::string("a\0b", 3)), "a_b");
    EXPECT_EQ(SafePathComponent("line\nbreak\ttab\x1b[2J\x7f"), "line_break_tab_[2J_");
    for (const char* special : {"", ".", ".."})
        EXPECT_EQ(SafePathComponent(special), platform::kUnnamedComponent) << special;
    // Dots elsewhere and every other character stay.
    EXPECT_EQ(SafePathComponent("..."), "...");
    EXPECT_EQ(SafePathComponent(".hidden"), ".hidden");
    EXPECT_EQ(SafePathComponent("로비 카메라"), "로비 카메라");
    EXPECT_EQ(SafePathComponent("Größe: \"Tür\" *?"), "Größe: \"Tür\" *?");
}

TEST(SafePathComponent, LongNamesAreCutBetweenCharacters) {
    std::string name;
    while (name.size() < 300)
        name += "가";  // three bytes each
    const std::string cut = SafePathComponent(name);
    EXPECT_LE(cut.size(), platform::kComponentMax);
    EXPECT_EQ(cut.size() % 3, 0u);
    EXPECT_EQ(cut, name.substr(0, cut.size()));
    EXPECT_EQ(SafePathComponent(std::string(500, 'a')).size(), platform::kComponentMax);
}

TEST(RegularFile, FifosDirectoriesAndMissingFilesAreRefusedWithoutWaiting) {
    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::MakeFifo(dir / "pipe.idx"));
    testsupport::WriteFile(dir / "real.bin", {1, 2, 3});
    int status = -1;
    // Nobody writes to the FIFO: a reader that opened it for reading would wait forever.
    ASSERT_TRUE(testsupport::EndsWithin(
        20,
        [&] {
            std::vector<uint8_t> bytes;
            platform::MappedFile map;
            const bool refused = platform::OpenRegularFile(dir / "pipe.idx") < 0 &&
                                 !platform::ReadRegularFile(dir / "pipe.idx", &bytes) &&
                                 map.Open(dir / "pipe.idx") == platform::MapError::kCannotOpen;
            return refused ? 0 : 1;
        },
        &status));
    EXPECT_EQ(status, 0);
    EXPECT_LT(platform::OpenRegularFile(dir.path()), 0);
    EXPECT_LT(platform::OpenRegularFile(dir / "missing"), 0);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::ReadRegularFile(dir / "real.bin", &bytes));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
