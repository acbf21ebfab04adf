#include "ui/still_save.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "media/wall_time.h"
#include "media/watermark.h"
#include "output/channel_display.h"

namespace ui {

namespace fs = std::filesystem;

bool CaptureLayout(output::ChannelDisplay& display, int layoutCode, media::RgbPicture* out) {
    output::BgrImage composed;
    if (!display.Compose(layoutCode, &composed) || composed.width <= 0 || composed.height <= 0)
        return false;
    out->width = composed.width;
    out->height = composed.height;
    out->rgb.resize(static_cast<size_t>(composed.width) * composed.height * 3);
    for (int y = 0; y < composed.height; ++y) {
        const uint8_t* src = composed.pixels + y * composed.stride;
        uint8_t* dst = out->row(y);
        for (int x = 0; x < composed.width; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    return true;
}

int StillChannelOfLayout(int layoutCode) {
    return layoutCode >= 0 && layoutCode < 16 ? layoutCode + 1 : 0;
}

std::string InsertKeyword(const std::string& path, const std::string& keyword) {
    const std::string ext = ".jpg";
    if (path.size() >= ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0)
        return path.substr(0, path.size() - ext.size()) + keyword + ext;
    return path + keyword;
}

media::StillTrailer TrailerFromTimeText(const std::string& timeText) {
    media::CivilTime time;
    if (!media::ParseCivil(timeText, &time)) return media::StillTrailer{};
    return media::StillTrailer::At(time);
}

std::optional<uint64_t> FileSystemFreeSpace(const std::string& folder) {
    std::error_code ec;
    const fs::space_info info = fs::space(folder, ec);
    if (ec) return std::nullopt;
    return info.available;
}

SaveStillResult SaveStill(const SaveStillRequest& request, const FreeSpaceProbe& probe,
                          std::string* savedPath, std::string* error) {
    const std::string path =
        request.keyword.empty() ? request.path : InsertKeyword(request.path, request.keyword);
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    fs::create_directories(folder, ec);

    // Measured where the file goes; a file system that cannot be measured is left to the write
    // to judge.
    const std::optional<uint64_t> free = probe(folder.string());
    if (free && *free / (uint64_t{1} << 20) <= kCaptureMinimumFreeMiB)
        return SaveStillResult::kDiskFull;

    media::WatermarkPattern pattern;
    if (request.watermark) {
        switch (media::LoadWatermarkPattern(request.markPath, &pattern)) {
            case media::MarkFileError::kMissing:
                return SaveStillResult::kMarkMissing;
            case media::MarkFileError::kIncompatible:
                return SaveStillResult::kMarkIncompatible;
            case media::MarkFileError::kNone:
                break;
        }
    }

    std::vector<uint8_t> jpeg;
    if (!media::EncodeJpeg(request.picture, &jpeg, error)) return SaveStillResult::kEncodeFailed;
    if (request.watermark) {
        std::vector<uint8_t> marked;
        std::string why;
        switch (media::MarkJpeg(jpeg, pattern, &marked, &why)) {
            case media::EmbedResult::kMarked:
                jpeg.swap(marked);
                break;
            case media::EmbedResult::kNotMultipleOf16:
                break;  // saved without a mark
            default:
                *error = why;
                return SaveStillResult::kEncodeFailed;
        }
    }

    if (media::WriteStill(path, jpeg, request.trailer) != media::StillError::kNone)
        return SaveStillResult::kWriteFailed;
    *savedPath = path;
    return SaveStillResult::kSaved;
}

}  // namespace ui
