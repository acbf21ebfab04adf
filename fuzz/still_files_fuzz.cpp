// Arbitrary bytes as a still image (JPEG location, trailer, decoding through the JPEG library)
// and as a ".ums" file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "media/jpeg_library.h"
#include "media/still_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    media::UmsRecord record;
    media::ParseUms(file, &record);

    const media::JpegLocation location = media::LocateJpeg(file);
    const auto jpeg = location.found ? location.jpeg(file) : file;
    int width = 0, height = 0;
    std::string error;
    // Large pictures are refused by the decoder itself; the fuzzer keeps to small ones for speed.
    if (media::ReadJpegSize(jpeg, &width, &height, &error) && int64_t{width} * height <= 1 << 20) {
        media::RgbPicture picture;
        media::DecodeJpeg(jpeg, &picture, &error);
    }
    return 0;
}
