// snapshot: plays a recording without pacing up to a moment and writes one layout of the
// channel display as a PNG picture, through the renderer the windows use (RGB display type).

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/frame_header.h"
#include "media/recording_file.h"
#include "media/wall_time.h"
#include "output/channel_display.h"
#include "platform/registry_store.h"
#include "tools/umvtool/command.h"
#include "tools/umvtool/png_file.h"

namespace umvtool {
namespace {

class PrintedMessages final : public output::DisplayMessages {
  public:
    void ShowInformation(std::string_view text) override {
        std::fprintf(stderr, "umvtool: %.*s\n", static_cast<int>(text.size()), text.data());
    }
};

// A recording folder names its first index (or data file alone); anything else is taken as is.
std::string RecordingPath(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) return path;
    std::vector<std::string> idx;
    std::vector<std::string> umv;
    for (const auto& e : std::filesystem::directory_iterator(path, ec)) {
        const std::string ext = e.path().extension().string();
        if (ext == ".idx" || ext == ".IDX") idx.push_back(e.path().string());
        if (ext == ".umv" || ext == ".UMV") umv.push_back(e.path().string());
    }
    std::sort(idx.begin(), idx.end());
    std::sort(umv.begin(), umv.end());
    if (!idx.empty()) return idx.front();
    return umv.empty() ? path : umv.front();
}

bool ParseLayout(const std::string& text, int* layout) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < 0 || n > 1000) return false;
    *layout = static_cast<int>(n);
    return true;
}

}  // namespace

int RunSnapshot(std::span<char* const> words) {
    Args args(words, {"layout", "at"}, {});
    if (!args.ok()) return UsageError("snapshot", args.error());
    if (args.positional().size() != 2) return UsageError("snapshot", "expected PATH and OUT.png");
    int layoutCode = 0;
    const auto layoutText = args.value("layout");
    if (!layoutText || !ParseLayout(*layoutText, &layoutCode))
        return Fail("umvtool: --layout takes a layout code 0 or more");

    media::RecordingFile recording;
    const std::string path = RecordingPath(args.positional()[0]);
    if (recording.Open(path) != media::OpenError::kNone)
        return Fail("umvtool: " + args.positional()[0] + " is not a recording");
    const auto frames = recording.index().frames();
    if (frames.empty()) return Fail("umvtool: " + path + " holds no pictures");

    uint32_t first = frames[0].time;
    uint32_t last = frames[0].time;
    for (const media::FrameEntry& e : frames) {
        first = std::min(first, e.time);
        last = std::max(last, e.time);
    }
    uint32_t at = first;
    if (const auto atText = args.value("at")) {
        media::CivilTime t;
        if (!media::ParseCivil(*atText, &t))
            return Fail("umvtool: --at takes \"YYYY-MM-DD hh:mm:ss\"");
        const int64_t wall =
            media::WallTimeOf(t.year - 1900, t.month - 1, t.day, t.hour, t.minute, t.second);
        if (wall < first || wall > last)
            return Fail("umvtool: " + *atText + " lies outside the recording (" +
                        media::FormatWallTime(first) + " .. " + media::FormatWallTime(last) + ")");
        at = static_cast<uint32_t>(wall);
    }

    // The picture each channel shows: its first at or after the moment.
    constexpr size_t kNone = SIZE_MAX;
    std::array<size_t, media::kChannelCount> target;
    target.fill(kNone);
    for (size_t i = 0; i < frames.size(); ++i) {
        const int c = frames[i].channel;
        if (c < media::kChannelCount && target[c] == kNone && frames[i].time >= at) target[c] = i;
    }

    std::vector<uint8_t> payload(media::kMaxPayloadSize);
    media::FrameHeader header;
    size_t size = 0;
    size_t firstReadable = 0;
    while (firstReadable < frames.size() &&
           !recording.ReadVideo(firstReadable, &header, payload.data(), &size))
        ++firstReadable;
    if (firstReadable == frames.size()) return Fail("umvtool: no picture of " + path + " reads");

    PrintedMessages messages;
    output::ChannelDisplay display(platform::RegistryStore::Default(), &messages);
    display.SetResolution(header.sizeCode());
    if (!display.OpenDecoders(output::kDisplayRgb))
        return Fail("umvtool: cannot set up the decoders");

    size_t remaining = 0;
    for (size_t t : target)
        remaining += t != kNone;
    for (size_t i = 0; i < frames.size() && remaining > 0; ++i) {
        const int c = frames[i].channel;
        if (c >= media::kChannelCount || target[c] == kNone || i > target[c]) continue;
        if (!recording.ReadVideo(i, &header, payload.data(), &size)) continue;
        display.DecodeAndShow(c, payload.data(), size);
        if (i != target[c]) continue;
        // An I/P picture comes out with the next one: show it now.
        if (frames[i].kind != 2) display.ShowHeldPicture(c);
        --remaining;
    }

    output::BgrImage picture;
    if (!display.Compose(layoutCode, &picture)) return Fail("umvtool: cannot compose the layout");
    std::string error;
    if (!WritePng(args.positional()[1], picture.pixels, picture.width, picture.height, true,
                  &error))
        return Fail("umvtool: " + error);
    std::printf("%s %dx%d layout %d at %s\n", args.positional()[1].c_str(), picture.width,
                picture.height, layoutCode, media::FormatWallTime(at).c_str());
    return kExitOk;
}

}  // namespace umvtool
