// Writes a 24-bit picture as a PNG file.
#pragma once

#include <cstdint>
#include <string>

#include "media/jpeg_library.h"

namespace umvtool {

// `pixels` holds `height` rows of width x 3 bytes, top row first, in R,G,B order or, with
// `bgr`, in B,G,R order.
bool WritePng(const std::string& path, const uint8_t* pixels, int width, int height, bool bgr,
              std::string* error);
inline bool WritePng(const std::string& path, const media::RgbPicture& picture,
                     std::string* error) {
    return WritePng(path, picture.rgb.data(), picture.width, picture.height, false, error);
}

}  // namespace umvtool
