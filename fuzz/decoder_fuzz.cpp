// Arbitrary frames fed to two interleaved decoder instances of different sizes through the
// command entry. Input: a sequence of records, each one control byte (bit 0: instance, bits 1..4:
// output format, bit 5: decode only, bit 6: flush afterwards), a 16-bit big-endian length and the
// frame bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/decoder.h"
#include "decoder/decoder_bank.h"
#include "decoder/kernels/kernels.h"

namespace {

constexpr int kWidth[2] = {352, 352};
constexpr int kHeight[2] = {288, 240};

struct Harness {
    Harness() : bank0(1), bank1(1) {
        for (int i = 0; i < 2; ++i) {
            output[i].resize(static_cast<size_t>(kWidth[i]) * kHeight[i] * 4);
            uint8_t* outputs[1] = {output[i].data()};
            bank(i).Open(0, false, kWidth[i], kHeight[i], outputs);
        }
    }
    decoder::DecoderBank& bank(int i) { return i ? bank1 : bank0; }
    decoder::DecoderBank bank0;
    decoder::DecoderBank bank1;
    std::vector<uint8_t> output[2];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Harness h;  // allocated once; every input starts from freshly initialised instances
    for (int i = 0; i < 2; ++i) {
        decoder::DecoderParams& params = h.bank(i).params(0);
        params.outputFormat = 1;
        decoder::decoder_command(1, decoder::kOpInit, &params, nullptr);
    }
    size_t pos = 0;
    while (pos + 3 <= size) {
        const uint8_t control = data[pos];
        const size_t length = (size_t{data[pos + 1]} << 8) | data[pos + 2];
        pos += 3;
        const size_t n = length < size - pos ? length : size - pos;
        // The frame in a buffer of its own size, so reads past its end are caught.
        std::vector<uint8_t> frame(data + pos, data + pos + n);
        pos += n;
        const int i = control & 1;
        decoder::DecoderBank& bank = h.bank(i);
        decoder::DecoderParams& params = bank.params(0);
        const int format = (control >> 1) & 15;
        if (decoder::kernels::IsOutputFormat(format) && format != params.outputFormat) {
            params.outputFormat = format;
            decoder::decoder_command(1, decoder::kOpSetOutputFormat, &params, nullptr);
        }
        decoder::FrameRequest& req = bank.request(0);
        req.renderFlags = (control & 0x20) ? 0 : decoder::kRenderConvert;
        req.stride = kWidth[i];
        bank.Decode(0, frame.empty() ? nullptr : frame.data(), frame.size());
        int probed = 0;
        decoder::decoder_command(1, decoder::kOpProbePictureSize, &req, &probed);
        if (control & 0x40) decoder::FlushPicture(&req, &params);
    }
    return 0;
}
