// Arbitrary bytes through the coefficient decoder; what decodes must re-encode to the same
// coefficients, and the watermark check must hold on it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "media/jpeg_coefficients.h"
#include "media/watermark.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    media::JpegCoefficients c;
    const media::JpegDecodeLimits limits{.maxSide = 4096, .maxPixels = 1 << 20};
    if (media::DecodeCoefficients(std::span(data, size), &c, limits) !=
        media::JpegCodecError::kNone)
        return 0;
    media::WatermarkCheck check;
    media::CheckWatermark(c, &check);
    std::vector<uint8_t> out;
    if (media::EncodeCoefficients(c, &out) != media::JpegCodecError::kNone) return 0;
    media::JpegCoefficients again;
    if (media::DecodeCoefficients(out, &again, limits) != media::JpegCodecError::kNone)
        std::abort();
    for (size_t i = 0; i < c.components.size(); ++i) {
        const auto& a = c.components[i];
        const auto& b = again.components[i];
        for (int y = 0; y < a.usedHigh; ++y)
            for (int x = 0; x < a.usedWide * 64; ++x)
                if (a.block(y, 0)[x] != b.block(y, 0)[x]) std::abort();
    }
    return 0;
}
