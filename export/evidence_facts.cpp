#include "export/evidence_facts.h"

#include <charconv>
#include <optional>

#include "export/clip_plan.h"
#include "export/wall_time_cues.h"
#include "media/wall_time.h"

namespace exporter {
namespace {

std::optional<std::string> Fact(const Manifest& manifest, const std::string& key) {
    for (const auto& [k, v] : manifest.facts)
        if (k == key) return v;
    return std::nullopt;
}

std::optional<int64_t> WallOf(const std::string& text) {
    media::CivilTime t;
    if (!media::ParseCivil(text, &t)) return std::nullopt;
    return media::WallTimeOf(t.year - 1900, t.month - 1, t.day, t.hour, t.minute, t.second);
}

std::vector<std::string> Compare(const Manifest& manifest, const ClipPlan& plan) {
    const std::vector<WallTimeCue> cues = WallTimeCues(plan);
    const std::pair<const char*, std::string> recomputed[] = {
        {"first", cues.empty() ? "-" : media::FormatWallTime(cues.front().wall)},
        {"last", cues.empty() ? "-" : media::FormatWallTime(cues.back().wall)},
        {"pictures", std::to_string(plan.pictures().size())},
        {"audio-blocks", std::to_string(plan.audio().size())},
    };
    std::vector<std::string> out;
    for (const auto& [key, value] : recomputed) {
        const auto stated = Fact(manifest, key);
        if (!stated)
            out.push_back(std::string(key) + ": missing from the manifest");
        else if (*stated != value)
            out.push_back(std::string(key) + ": the manifest says " + *stated +
                          ", the copied recording gives " + value);
    }
    return out;
}

}  // namespace

std::vector<std::string> RecheckFacts(const std::string& folder, const Manifest& manifest) {
    const auto channelText = Fact(manifest, "channel");
    int channel = 0;
    if (!channelText ||
        std::from_chars(channelText->data(), channelText->data() + channelText->size(), channel)
                .ec != std::errc() ||
        channel < 1 || channel > 16)
        return {"channel: not a channel number"};
    // Manifests written before the range was recorded cannot say where the clip was cut: their
    // files and seal are checked, their facts are not.
    const auto from = Fact(manifest, "from");
    const auto to = Fact(manifest, "to");
    if (!from || !to) return {};
    ClipRequest request;
    request.path = folder;
    request.channel = channel - 1;
    if (*from != "-" && !(request.from = WallOf(*from))) return {"from: not a time"};
    if (*to != "-" && !(request.to = WallOf(*to))) return {"to: not a time"};
    ClipPlan plan;
    std::string error;
    if (!plan.Build(request, &error)) return {"recording: " + error};
    return Compare(manifest, plan);
}

}  // namespace exporter
