#include "ui/resource_bundle_check.h"

#include <vector>

namespace ui {
namespace {

constexpr std::uint16_t kDirectory = 0x02;

class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::uint32_t U32(std::uint64_t at) const {
        return static_cast<std::uint32_t>(bytes_[at]) << 24 | bytes_[at + 1] << 16 |
               bytes_[at + 2] << 8 | bytes_[at + 3];
    }
    std::uint16_t U16(std::uint64_t at) const {
        return static_cast<std::uint16_t>(bytes_[at] << 8 | bytes_[at + 1]);
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace

bool IsWellFormedResourceBundle(std::span<const std::uint8_t> bytes) {
    const Reader in(bytes);
    if (!in.Has(0, 20) || bytes[0] != 'q' || bytes[1] != 'r' || bytes[2] != 'e' ||
        bytes[3] != 's') {
        return false;
    }
    const std::uint32_t version = in.U32(4);
    if (version < 1 || version > 3) return false;
    if (version >= 3 && !in.Has(0, 24)) return false;
    const std::uint64_t tree = in.U32(8);
    const std::uint64_t data = in.U32(12);
    const std::uint64_t names = in.U32(16);
    const std::uint64_t nodeSize = version >= 2 ? 22 : 14;

    // Breadth-first over the directory tree; no node may be visited twice, so a loop of
    // directories cannot run forever.
    std::vector<bool> seen;
    std::vector<std::uint64_t> pending{0};
    while (!pending.empty()) {
        const std::uint64_t index = pending.back();
        pending.pop_back();
        const std::uint64_t at = tree + index * nodeSize;
        if (!in.Has(at, nodeSize)) return false;
        if (index >= seen.size()) seen.resize(index + 1, false);
        if (seen[index]) return false;
        seen[index] = true;

        const std::uint64_t name = names + in.U32(at);
        const std::uint16_t flags = in.U16(at + 4);
        if (index != 0) {
            if (!in.Has(name, 6)) return false;
            if (!in.Has(name + 6, 2ull * in.U16(name))) return false;
        }
        if (flags & kDirectory) {
            const std::uint64_t count = in.U32(at + 6);
            const std::uint64_t first = in.U32(at + 10);
            if (count > bytes.size() / nodeSize) return false;
            for (std::uint64_t child = first; child < first + count; ++child) {
                pending.push_back(child);
            }
        } else {
            if (index == 0) return false;  // the root is a directory
            const std::uint64_t entry = data + in.U32(at + 10);
            if (!in.Has(entry, 4) || !in.Has(entry + 4, in.U32(entry))) return false;
        }
    }
    return true;
}

}  // namespace ui
