// Arbitrary frames through the typed decoder, which re-sizes itself when a layer grows: records
// of one control byte (bits 0..3: output format, bit 4: a destination too small for most
// pictures, bit 5: flush afterwards, bit 6: reset afterwards), a 16-bit big-endian length and the
// frame bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/video_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    decoder::VideoDecoder dec(176, 144, decoder::OutputFormat::kPlanar420);
    if (!dec.ok()) return 0;
    std::vector<uint8_t> picture(decoder::OutputBytes(decoder::OutputFormat::kBgra32,
                                                      decoder::kMaxWidth, decoder::kMaxHeight));
    size_t pos = 0;
    while (pos + 3 <= size) {
        const uint8_t control = data[pos];
        const size_t length = (size_t{data[pos + 1]} << 8) | data[pos + 2];
        pos += 3;
        const size_t n = length < size - pos ? length : size - pos;
        std::vector<uint8_t> frame(data + pos, data + pos + n);  // reads past it are caught
        pos += n;
        const int format = control & 15;
        if (format >= 1 && format <= 11)
            dec.SetOutputFormat(static_cast<decoder::OutputFormat>(format));
        // The destination's capacity is exact, so a write past it is caught too.
        const size_t capacity = (control & 0x10) ? 176 * 144 : picture.size();
        std::vector<uint8_t> dst(capacity);
        const decoder::Destination d{dst.data(), 0, dst.size()};
        dec.Decode(frame, d);
        if (control & 0x20) dec.Flush(d);
        if (control & 0x40) dec.Reset();
    }
    return 0;
}
