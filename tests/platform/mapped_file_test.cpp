#include "platform/mapped_file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

using platform::MapError;
using platform::MappedFile;

TEST(MappedFile, MissingEmptyAndDirectoryAreErrors) {
    testsupport::TempDir dir;
    MappedFile f;
    EXPECT_EQ(f.Open(dir / "missing.idx"), MapError::kCannotOpen);
    testsupport::WriteFile(dir / "empty.idx", {});
    EXPECT_EQ(f.Open(dir / "empty.idx"), MapError::kEmpty);
    EXPECT_EQ(f.Open(dir.path()), MapError::kCannotOpen);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.size(), 0u);
}

TEST(MappedFile, MapsContentAndMovesOwnership) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "a.bin", {1, 2, 3, 4, 5});
    MappedFile f;
    ASSERT_EQ(f.Open(dir / "a.bin"), MapError::kNone);
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f.data()[4], 5);
    MappedFile g = std::move(f);
    EXPECT_FALSE(f.IsOpen());
    ASSERT_TRUE(g.IsOpen());
    EXPECT_EQ(g.bytes()[0], 1);
    // Re-opening a failing path releases the earlier mapping.
    EXPECT_EQ(g.Open(dir / "nope"), MapError::kCannotOpen);
    EXPECT_FALSE(g.IsOpen());
}

}  // namespace
