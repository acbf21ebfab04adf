// export: a clip of one channel into an MP4 or Matroska file without re-encoding, with its
// wall-time subtitle files, or an evidence folder that `verify` can check later.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "export/clip_export.h"
#include "export/clip_plan.h"
#include "media/frame_header.h"
#include "media/wall_time.h"
#include "tools/umvtool/command.h"
#include "tools/umvtool/printable.h"

#ifndef DVR_VERSION
#define DVR_VERSION "0"
#endif

namespace umvtool {
namespace {

bool ParseWall(const std::string& text, int64_t* wall) {
    media::CivilTime t;
    if (!media::ParseCivil(text, &t)) return false;
    *wall = media::WallTimeOf(t.year - 1900, t.month - 1, t.day, t.hour, t.minute, t.second);
    return true;
}

volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

// Ctrl-C or a termination request stops the export the way a cancel does: nothing of it stays.
void StopOnSignals() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

// Asks to stop after a signal; shows a progress line that rewrites itself on a terminal.
exporter::ExportCallbacks TerminalProgress() {
    exporter::ExportCallbacks callbacks;
    callbacks.cancelled = [] { return interrupted != 0; };
    if (!::isatty(STDERR_FILENO)) return callbacks;
    callbacks.progress = [last = -1](uint64_t done, uint64_t total) mutable {
        const int percent = static_cast<int>(done * 100 / (total ? total : 1));
        if (percent == last) return;
        last = percent;
        std::fprintf(stderr, "\rexporting: %3d%%", percent);
        if (percent == 100) std::fputc('\n', stderr);
        std::fflush(stderr);
    };
    return callbacks;
}

}  // namespace

int RunExport(std::span<char* const> words) {
    Args args(words, {"channel", "from", "to", "evidence"}, {});
    if (!args.ok()) return UsageError("export", args.error());
    const auto evidence = args.value("evidence");
    const size_t wanted = evidence ? 1 : 2;
    if (args.positional().size() != wanted)
        return UsageError("export", evidence ? "expected PATH and --evidence DIR"
                                             : "expected PATH and OUT.mp4|OUT.mkv");
    exporter::ClipRequest request;
    request.path = args.positional()[0];
    const auto channel = args.value("channel");
    if (!channel) return UsageError("export", "--channel is required");
    char* end = nullptr;
    const long n = std::strtol(channel->c_str(), &end, 10);
    if (channel->empty() || *end != '\0' || n < 1 || n > media::kChannelCount)
        return UsageError("export", "--channel takes a channel number 1..16");
    request.channel = static_cast<int>(n - 1);
    for (const auto& [name, slot] :
         {std::pair{"from", &request.from}, std::pair{"to", &request.to}}) {
        if (auto text = args.value(name)) {
            int64_t wall = 0;
            if (!ParseWall(*text, &wall))
                return UsageError("export",
                                  std::string("--") + name + " wants \"YYYY-MM-DD hh:mm:ss\"");
            *slot = wall;
        }
    }
    if (request.from && request.to && *request.to < *request.from)
        return UsageError("export", "--to is before --from");
    if (!evidence) {
        exporter::ContainerKind kind;
        if (!exporter::ContainerForName(args.positional()[1], &kind))
            return UsageError("export", "the output name must end in .mp4 or .mkv");
    }

    StopOnSignals();
    exporter::ClipPlan plan;
    std::string error;
    if (!plan.Build(request, &error)) return Fail("umvtool: " + error);
    const exporter::ExportResult result =
        evidence
            ? exporter::ExportEvidence(plan, *evidence, "umvtool " DVR_VERSION, TerminalProgress())
            : exporter::ExportClip(plan, args.positional()[1], TerminalProgress());
    if (result.cancelled) return Fail("umvtool: export interrupted, nothing written");
    if (!result.ok) return Fail("umvtool: " + result.error);
    for (const std::string& path : result.written)
        std::printf("written: %s\n", Printable(path).c_str());
    std::printf("pictures: %zu\naudio: %zu blocks, %s\nfirst: %s\nlast: %s\nduration: %.3f s\n",
                result.pictures, result.audioBlocks,
                exporter::AudioCarriageText(result.audio).c_str(),
                media::FormatWallTime(result.firstWall).c_str(),
                media::FormatWallTime(result.lastWall).c_str(),
                static_cast<double>(result.durationTicks) / exporter::kTicksPerSecond);
    return kExitOk;
}

}  // namespace umvtool
