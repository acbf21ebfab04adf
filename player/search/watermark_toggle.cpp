#include "player/search/watermark_toggle.h"

#include "media/still_image.h"
#include "media/watermark.h"
#include "platform/mapped_file.h"

namespace player {

WatermarkToggle::Outcome WatermarkToggle::Press(const std::string& openedPath,
                                                media::RgbPicture* picture, std::string* error) {
    if (openedPath.empty()) return Outcome::kNoFile;
    if (media::IsVideoFileName(openedPath)) return Outcome::kVideoFile;
    if (pressed_) {
        pressed_ = false;
        return Outcome::kShowStill;
    }
    platform::MappedFile file;
    if (file.Open(openedPath) != platform::MapError::kNone) return Outcome::kCantOpen;
    const media::JpegLocation where = media::LocateJpeg(file.bytes());
    if (!where.found) return Outcome::kDecodeFailed;
    if (!where.hasTrailer || !where.trailer.timePresent) return Outcome::kNoTime;
    media::WatermarkCheck check;
    if (!media::CheckJpeg(where.jpeg(file.bytes()), picture, &check, error))
        return Outcome::kDecodeFailed;
    pressed_ = true;
    return Outcome::kShowCheck;
}

}  // namespace player
