// Still pictures through the JPEG library: decoding any JPEG to a 24-bit picture for display,
// and encoding a 24-bit picture the way captured stills are encoded (the library's default
// settings, quality 95, baseline). A failure comes back as the library's own message, which the
// programs show under kJpegFatalErrorCaption.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace media {

inline constexpr const char* kJpegFatalErrorCaption = "JPEG Fatal Error";
inline constexpr int kStillQuality = 95;
// Pictures larger than this are refused before anything is allocated for them.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

// 24-bit picture, rows top-down, red, green, blue per pixel.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    uint8_t* row(int y) { return rgb.data() + static_cast<size_t>(y) * width * 3; }
    const uint8_t* row(int y) const { return rgb.data() + static_cast<size_t>(y) * width * 3; }
};

// Reads the picture size from the JPEG header.
bool ReadJpegSize(std::span<const uint8_t> jpeg, int* width, int* height, std::string* error);
// Decodes a whole JPEG (any kind the library reads) to 24-bit RGB.
bool DecodeJpeg(std::span<const uint8_t> jpeg, RgbPicture* out, std::string* error);
// Encodes 24-bit RGB with the library's defaults at `quality`, baseline forced.
bool EncodeJpeg(const RgbPicture& picture, std::vector<uint8_t>* out, std::string* error,
                int quality = kStillQuality);

}  // namespace media
