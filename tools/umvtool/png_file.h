// Writes a 24-bit picture as a PNG file.
#pragma once

#include <string>

#include "media/jpeg_library.h"

namespace umvtool {

bool WritePng(const std::string& path, const media::RgbPicture& picture, std::string* error);

}  // namespace umvtool
