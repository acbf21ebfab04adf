// Nothing on the per-frame path allocates: with the instances open, decoding whole streams
// (every picture converted to the output) makes no heap allocation at all.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/decoder/decode_support.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<size_t> allocations{0};
}  // namespace

void* operator new(size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    return operator new(size);
}
void* operator new(size_t size, std::align_val_t align) {
    if (counting) ++allocations;
    const size_t a = static_cast<size_t>(align);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    if (counting) ++allocations;
    const size_t a = static_cast<size_t>(align);
    return std::aligned_alloc(a, (size + a - 1) / a * a);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}

namespace {

TEST(AllocationTest, TheCounterSeesAllocations) {
    allocations = 0;
    counting = true;
    auto* p = new std::vector<int>(100);
    counting = false;
    delete p;
    EXPECT_EQ(allocations.load(), 2u);
}

TEST(AllocationTest, DecodingAllocatesNothing) {
    const struct {
        const char* name;
        int width;
        int height;
    } streams[] = {{"b2_704x480", 704, 480},
                   {"ilaceb_704x576", 704, 576},
                   {"crafted_bigmv_352x288", 352, 288}};
    for (const auto& s : streams) {
        const std::vector<uint8_t> stream =
            testsupport::ReadFile(testsupport::CorpusPath(std::string(s.name) + ".m4v"));
        const auto frames = testsupport::SplitFrames(stream);
        testsupport::PlanarDecoder dec(s.width, s.height);
        ASSERT_TRUE(dec.ok());
        size_t decoded = 0;
        allocations = 0;
        counting = true;
        for (auto f : frames)
            decoded += dec.Decode(f) == decoder::kResultOk;
        decoded += dec.Flush() == decoder::kResultOk;
        counting = false;
        EXPECT_EQ(allocations.load(), 0u) << s.name;
        EXPECT_EQ(decoded, frames.size() + 1) << s.name;
    }
}

}  // namespace
