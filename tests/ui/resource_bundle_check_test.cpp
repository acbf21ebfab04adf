#include "ui/resource_bundle_check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace ui {
namespace {

std::vector<std::uint8_t> BuiltPack() {
    std::ifstream in(DVR_BINARY_DIR "/client/app/Telva_M4_GermanDll.rcc", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutU32(std::vector<std::uint8_t>& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

TEST(ResourceBundleCheck, AcceptsABuiltPackAndRefusesDamagedOnes) {
    const std::vector<std::uint8_t> pack = BuiltPack();
    ASSERT_GT(pack.size(), 24u);
    EXPECT_TRUE(IsWellFormedResourceBundle(pack));

    // Every truncation is refused.
    for (size_t size = 0; size < pack.size(); size += 7) {
        EXPECT_FALSE(IsWellFormedResourceBundle(std::span(pack.data(), size))) << size;
    }
    std::vector<std::uint8_t> bad = pack;
    bad[0] = 'Q';  // not a bundle
    EXPECT_FALSE(IsWellFormedResourceBundle(bad));
    bad = pack;
    PutU32(bad, 8, static_cast<std::uint32_t>(pack.size()));  // tree beyond the end
    EXPECT_FALSE(IsWellFormedResourceBundle(bad));
    bad = pack;
    PutU32(bad, 12, 0xFFFFFFF0u);  // data beyond the end
    EXPECT_FALSE(IsWellFormedResourceBundle(bad));
}

TEST(ResourceBundleCheck, RefusesADirectoryThatContainsItself) {
    std::vector<std::uint8_t> b(24 + 22, 0);
    b[0] = 'q', b[1] = 'r', b[2] = 'e', b[3] = 's';
    PutU32(b, 4, 2);   // version
    PutU32(b, 8, 24);  // tree
    PutU32(b, 12, 24);
    PutU32(b, 16, 24);
    b[24 + 5] = 0x02;       // the root is a directory
    PutU32(b, 24 + 6, 1);   // with one child
    PutU32(b, 24 + 10, 0);  // which is the root again
    EXPECT_FALSE(IsWellFormedResourceBundle(b));
}

}  // namespace
}  // namespace ui
