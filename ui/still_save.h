// Capturing the picture on screen into a still-image file, shared by both programs: the picture
// of the current layout, the default name's channel field, the keyword and trailer that the save
// dialog adds, and the save itself (free-space rule, JPEG at quality 95, optional watermark, a
// file that appears whole or not at all).
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "media/jpeg_library.h"
#include "media/still_image.h"

namespace output {
class ChannelDisplay;
}

namespace ui {

// The picture of a layout as the renderer composes it: one channel alone (layout codes 0..15)
// at that channel's picture size, the grids at 720 x 480. False when nothing can be composed.
bool CaptureLayout(output::ChannelDisplay& display, int layoutCode, media::RgbPicture* out);

// The channel field of a captured still's name: layout code + 1 for one channel alone, 0 (the
// letter "M") for the grids.
int StillChannelOfLayout(int layoutCode);

// The keyword inserted just before the final ".jpg" (appended when there is none).
std::string InsertKeyword(const std::string& path, const std::string& keyword);

// The trailer of a still from the time text "YYYY-MM-DD hh:mm:ss" of the picture; without a
// valid time text the trailer says that no time is present.
media::StillTrailer TrailerFromTimeText(const std::string& timeText);

// Free bytes of the file system that holds `folder`; none when it cannot be measured.
using FreeSpaceProbe = std::function<std::optional<uint64_t>(const std::string& folder)>;
std::optional<uint64_t> FileSystemFreeSpace(const std::string& folder);

// A capture needs more than this many whole MiB free on the target's file system.
inline constexpr uint64_t kCaptureMinimumFreeMiB = 50;

struct SaveStillRequest {
    media::RgbPicture picture;
    std::string path;     // the file name chosen, without the keyword
    std::string keyword;  // empty: none
    bool watermark = false;
    std::string markPath;  // the watermark pattern file
    media::StillTrailer trailer;
};

enum class SaveStillResult {
    kSaved,             // "The image has been saved."
    kDiskFull,          // "Capture Failed!! HDD Full!!"
    kMarkMissing,       // "The Watermark file name or path is not valid."
    kMarkIncompatible,  // "The Watermark file you have selected is incompatible."
    kEncodeFailed,      // the JPEG library's message, under "JPEG Fatal Error"
    kWriteFailed,       // "Warning!\nCapture Failed."
};

// Saves the still; nothing is written unless the result is kSaved. `savedPath` gets the final
// name (keyword included), `error` the library's message for kEncodeFailed.
SaveStillResult SaveStill(const SaveStillRequest& request, const FreeSpaceProbe& probe,
                          std::string* savedPath, std::string* error);

}  // namespace ui
