// Arbitrary event search answers: every line ended by a line feed is an entry whose display
// forms keep their fixed layout, whatever the recorder sent.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "client/net/event_search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto entries = client::ParseEventSearch(std::span<const uint8_t>(data, size));
    for (const client::SearchEntry& e : entries) {
        if (e.path.empty()) std::abort();
        if (!e.start.empty() && (e.start.size() != 17 || e.path.size() < 45)) std::abort();
        if (!e.end.empty() && e.end.size() != 17) std::abort();
        if (e.channel.size() > 3) std::abort();
    }
    return 0;
}
