// Exports a clip of one channel without re-encoding: a container file (MP4 or Matroska) with
// its ".srt" and ".vtt" wall-time side files, or an evidence folder (a bit-exact copy of the
// recording files used, the MP4, its subtitles and a manifest). Plain C++ with progress and
// cancellation callbacks, for the command line and the player alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/clip_plan.h"
#include "export/container_writer.h"

namespace exporter {

struct ExportCallbacks {
    // Work done so far and in all (bytes and pictures mixed; only the ratio means anything).
    std::function<void(uint64_t done, uint64_t total)> progress;
    // Asked between pictures; true stops the export, which then leaves nothing behind.
    std::function<bool()> cancelled;
};

struct ExportResult {
    bool ok = false;
    bool cancelled = false;
    std::string error;  // one line when !ok && !cancelled
    size_t pictures = 0;
    size_t audioBlocks = 0;
    AudioCarriage audio = AudioCarriage::kNone;
    std::string muxer;
    int64_t durationTicks = 0;
    int64_t firstWall = 0;
    int64_t lastWall = 0;
    std::vector<std::string> written;  // final paths
};

// The container a name asks for: ".mp4" or ".mkv" (any case); false for anything else.
bool ContainerForName(const std::string& path, ContainerKind* kind);
// "OUT.mp4" -> "OUT.srt" and so on.
std::string SidePath(const std::string& path, const char* extension);
std::string AudioCarriageText(AudioCarriage carriage);

// Writes OUT (".mp4" or ".mkv") and its ".srt" and ".vtt". None of them may exist yet; each is
// written under a temporary name in the same folder and renamed when all are complete.
ExportResult ExportClip(ClipPlan& plan, const std::string& out,
                        const ExportCallbacks& callbacks = {});

// Writes the evidence folder DIR (which must not exist yet) next to it under a temporary name,
// then renames it. `program` names the exporting program and its version in the manifest.
ExportResult ExportEvidence(ClipPlan& plan, const std::string& dir, const std::string& program,
                            const ExportCallbacks& callbacks = {});

}  // namespace exporter
