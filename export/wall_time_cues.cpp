#include "export/wall_time_cues.h"

#include <cstdio>

#include "media/wall_time.h"

namespace exporter {
namespace {

std::string Stamp(int64_t ticks, char separator) {
    const int64_t ms = ticks < 0 ? 0 : ticks / 45;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld%c%03lld",
                  static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                  static_cast<long long>(ms / 1000 % 60), separator,
                  static_cast<long long>(ms % 1000));
    return text;
}

}  // namespace

std::vector<WallTimeCue> WallTimeCues(const ClipPlan& plan) {
    const auto& pictures = plan.pictures();
    std::vector<WallTimeCue> cues;
    int64_t ownWall = 0;
    int64_t ownPts = 0;
    bool haveOwn = false;
    int64_t lastPts = 0;
    for (size_t i : plan.DisplayOrder()) {
        const ClipPicture& p = pictures[i];
        if (p.kind != static_cast<uint8_t>(media::FrameKind::Predicted) || !haveOwn) {
            ownWall = p.wall;
            ownPts = p.pts;
            haveOwn = true;
        }
        const int64_t wall = ownWall + (p.pts - ownPts) / kTicksPerSecond;
        if (!cues.empty() && p.pts - lastPts > 2 * plan.frameTicks() + kTicksPerSecond) {
            cues.back().end = lastPts + plan.frameTicks();  // the recording paused
        }
        if (cues.empty() || cues.back().wall != wall) {
            if (!cues.empty() && cues.back().end == 0) cues.back().end = p.pts;
            cues.push_back({p.pts, 0, wall});
        }
        lastPts = p.pts;
    }
    if (!cues.empty() && cues.back().end == 0) cues.back().end = lastPts + plan.frameTicks();
    return cues;
}

std::string SubRipText(const std::vector<WallTimeCue>& cues, int64_t origin) {
    std::string text;
    int n = 0;
    for (const WallTimeCue& c : cues) {
        text += std::to_string(++n) + "\n" + Stamp(c.start - origin, ',') + " --> " +
                Stamp(c.end - origin, ',') + "\n" + media::FormatWallTime(c.wall) + "\n\n";
    }
    return text;
}

std::string WebVttText(const std::vector<WallTimeCue>& cues, int64_t origin) {
    std::string text = "WEBVTT\n\n";
    for (const WallTimeCue& c : cues) {
        text += Stamp(c.start - origin, '.') + " --> " + Stamp(c.end - origin, '.') + "\n" +
                media::FormatWallTime(c.wall) + "\n\n";
    }
    return text;
}

}  // namespace exporter
