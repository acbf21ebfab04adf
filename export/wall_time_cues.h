// The recorder's wall time of a clip as subtitle cues, one per recorded second, and their text
// in the SubRip (".srt") and WebVTT (".vtt") forms.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/clip_plan.h"

namespace exporter {

struct WallTimeCue {
    int64_t start;  // ticks on the clip's time line
    int64_t end;
    int64_t wall;  // seconds since 1970 of the recorder's local time read as UTC
};

// A cue for each second of wall time the pictures show. Predicted pictures carry their Intra's
// time, so within a group the seconds are counted on from the last picture that carries its own;
// a cue ends where the next begins, or one picture after its last where the recording pauses.
std::vector<WallTimeCue> WallTimeCues(const ClipPlan& plan);

// Times relative to the first cue's start as seen in the file, which begins at `origin`.
std::string SubRipText(const std::vector<WallTimeCue>& cues, int64_t origin);
std::string WebVttText(const std::vector<WallTimeCue>& cues, int64_t origin);

}  // namespace exporter
