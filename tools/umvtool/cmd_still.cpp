// still, watermark: single-picture files and the invisible watermark of stills.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "media/jpeg_library.h"
#include "media/still_image.h"
#include "media/watermark.h"
#include "platform/mapped_file.h"
#include "platform/program_directory.h"
#include "platform/registry_store.h"
#include "player/player_settings.h"
#include "player/player_strings.h"
#include "tools/umvtool/command.h"
#include "tools/umvtool/png_file.h"

namespace umvtool {
namespace {

std::string Text(int id) {
    return player::PlayerStrings().Str(id);
}

int StillFail(const std::string& path, media::StillError error) {
    switch (error) {
        case media::StillError::kCantOpen:
            return FailFile(path, Text(player::kTextFileCantOpened));
        case media::StillError::kTooBig:
            return FailFile(path, media::kFileSizeTooBig);
        default:
            return FailFile(path, Text(player::kTextImproperFileType));
    }
}

int JpegFail(const std::string& path, const std::string& message) {
    return FailFile(path, std::string(media::kJpegFatalErrorCaption) + ": " + message);
}

bool EndsWithUms(const std::string& path) {
    if (path.size() < 3) return false;
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == "ums";
}

int ShowUms(const std::string& path) {
    std::vector<uint8_t> payload(media::kMaxPayloadSize);
    media::FrameHeader h;
    size_t size = 0;
    const media::StillError error = media::ReadUms(path, &h, payload.data(), &size);
    if (error != media::StillError::kNone) return StillFail(path, error);
    const media::PictureSize picture = media::PictureSizeOf(h.sizeCode());
    if (!picture.known)
        std::fprintf(stderr, "Unknown image size. We will assume the maximum size.\n");
    std::printf(
        "size: %dx%d\ntime: %s\n", picture.width, picture.height,
        media::FormatWallTime(media::WallTimeOf(h.year, h.month, h.day, h.hour, h.minute, h.second))
            .c_str());
    return kExitOk;
}

// A still file mapped, with its JPEG data located.
struct StillFile {
    platform::MappedFile map;
    media::JpegLocation location;
    std::span<const uint8_t> jpeg() const {
        // A file without start-of-image marker goes to the JPEG library whole, for its message.
        return location.found ? location.jpeg(map.bytes()) : map.bytes();
    }
    bool timePresent() const { return location.hasTrailer && location.trailer.timePresent; }
};

int OpenStill(const std::string& path, StillFile* still) {
    if (still->map.Open(path) != platform::MapError::kNone)
        return FailFile(path, Text(player::kTextFileCantOpened));
    still->location = media::LocateJpeg(still->map.bytes());
    return kExitOk;
}

int ShowStill(const std::string& path) {
    StillFile still;
    if (int status = OpenStill(path, &still); status != kExitOk) return status;
    media::RgbPicture picture;
    std::string error;
    if (!media::DecodeJpeg(still.jpeg(), &picture, &error)) return JpegFail(path, error);
    std::printf(
        "size: %dx%d\ntime: %s\n", picture.width, picture.height,
        still.timePresent() ? media::FormatCivil(still.location.trailer.time).c_str() : "none");
    return kExitOk;
}

media::CivilTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

int Embed(std::span<char* const> words) {
    Args args(words, {"mark", "time"}, {});
    if (!args.ok()) return UsageError("watermark", args.error());
    if (args.positional().size() != 2) return UsageError("watermark", "expected IN.jpg OUT.jpg");
    const std::string markPath = args.value("mark").value_or(
        player::WatermarkPath(platform::RegistryStore::Default(), platform::ProgramDirectory()));
    media::WatermarkPattern pattern;
    switch (media::LoadWatermarkPattern(markPath, &pattern)) {
        case media::MarkFileError::kMissing:
            return FailFile(markPath, Text(player::kTextWatermarkPathInvalid));
        case media::MarkFileError::kIncompatible:
            return FailFile(markPath, Text(player::kTextWatermarkIncompatible));
        case media::MarkFileError::kNone:
            break;
    }
    StillFile in;
    if (int status = OpenStill(args.positional()[0], &in); status != kExitOk) return status;
    media::CivilTime time = LocalNow();
    if (auto text = args.value("time")) {
        if (!media::ParseCivil(*text, &time))
            return UsageError("watermark", "--time wants \"YYYY-MM-DD hh:mm:ss\"");
    } else if (in.timePresent()) {
        time = in.location.trailer.time;
    }
    int width = 0, height = 0;
    std::string error;
    if (!media::ReadJpegSize(in.jpeg(), &width, &height, &error))
        return JpegFail(args.positional()[0], error);

    std::vector<uint8_t> marked;
    const media::EmbedResult result = media::MarkJpeg(in.jpeg(), pattern, &marked, &error);
    std::span<const uint8_t> out = marked;
    if (result == media::EmbedResult::kNotMultipleOf16) {
        std::fprintf(stderr, "warning: %dx%d is not a multiple of 16: written without watermark\n",
                     width, height);
        out = in.jpeg();
    } else if (result != media::EmbedResult::kMarked) {
        return Fail("umvtool: cannot embed the watermark: " + error);
    }
    if (media::WriteStill(args.positional()[1], out, media::StillTrailer::At(time)) !=
        media::StillError::kNone)
        return Fail("umvtool: cannot write " + args.positional()[1]);
    std::printf("size: %dx%d\ntime: %s\nwatermark: %s\n", width, height,
                media::FormatCivil(time).c_str(),
                result == media::EmbedResult::kMarked ? "embedded" : "none");
    return kExitOk;
}

int Check(std::span<char* const> words) {
    Args args(words, {}, {});
    if (!args.ok()) return UsageError("watermark", args.error());
    if (args.positional().size() != 2) return UsageError("watermark", "expected STILL.jpg OUT.png");
    const std::string& path = args.positional()[0];
    if (media::IsVideoFileName(path))
        return FailFile(path, Text(player::kTextYouCannotExtractWatermark));
    StillFile still;
    if (int status = OpenStill(path, &still); status != kExitOk) return status;
    if (!still.timePresent())
        return Fail(
            "umvtool: the still has no capture time in its trailer: it carries no "
            "watermark to check");
    media::RgbPicture picture;
    media::WatermarkCheck check;
    std::string error;
    if (!media::CheckJpeg(still.jpeg(), &picture, &check, &error))
        return Fail("umvtool: cannot check the watermark: " + error);
    if (!WritePng(args.positional()[1], picture, &error)) return Fail("umvtool: " + error);
    int informative = 0;
    for (uint8_t v : check.values)
        informative += v != 1;
    std::printf("size: %dx%d\npairs: %d\nwith information: %d\n", picture.width, picture.height,
                check.pairs, informative);
    return kExitOk;
}

}  // namespace

int RunStill(std::span<char* const> words) {
    Args args(words, {}, {});
    if (!args.ok()) return UsageError("still", args.error());
    if (args.positional().size() != 1) return UsageError("still", "expected one PATH");
    const std::string& path = args.positional()[0];
    return EndsWithUms(path) ? ShowUms(path) : ShowStill(path);
}

int RunWatermark(std::span<char* const> words) {
    if (words.empty()) return UsageError("watermark", "expected embed or check");
    const std::string sub = words[0];
    if (sub == "embed") return Embed(words.subspan(1));
    if (sub == "check") return Check(words.subspan(1));
    return UsageError("watermark", "unknown subcommand '" + sub + "'");
}

}  // namespace umvtool
