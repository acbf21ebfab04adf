// Arbitrary frames fed to two interleaved decoder instances through the command entry, each at
// one of the six picture sizes a recorder sends. Input: one byte choosing the sizes (bits 0..2:
// instance 0, bits 3..5: instance 1, each taken modulo 6), then a sequence of records, each one
// control byte (bit 0: instance, bits 1..4: output format, bit 5: decode only, bit 6: flush
// afterwards), a 16-bit big-endian length and the frame bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "decoder/decoder.h"
#include "decoder/decoder_bank.h"
#include "decoder/kernels/kernels.h"

namespace {

struct Size {
    int width;
    int height;
};
constexpr std::array<Size, 6> kSizes = {
    {{352, 240}, {352, 288}, {704, 240}, {704, 288}, {704, 480}, {704, 576}}};

// One open instance of a size, with the picture it writes into.
struct Instance {
    explicit Instance(Size s) : size(s), bank(1) {
        output.resize(static_cast<size_t>(s.width) * s.height * 4);
        uint8_t* outputs[1] = {output.data()};
        bank.Open(0, false, s.width, s.height, outputs);
    }
    Size size;
    decoder::DecoderBank bank;
    std::vector<uint8_t> output;
};

// Instances are made once per slot and size and reused: every input starts from freshly
// initialised ones.
Instance& InstanceFor(int slot, int sizeIndex) {
    static std::array<std::array<std::unique_ptr<Instance>, kSizes.size()>, 2> instances;
    auto& p = instances[static_cast<size_t>(slot)][static_cast<size_t>(sizeIndex)];
    if (!p) p = std::make_unique<Instance>(kSizes[static_cast<size_t>(sizeIndex)]);
    return *p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Instance* slots[2] = {&InstanceFor(0, (data[0] & 7) % 6),
                          &InstanceFor(1, (data[0] >> 3 & 7) % 6)};
    for (Instance* instance : slots) {
        decoder::DecoderParams& params = instance->bank.params(0);
        params.outputFormat = 1;
        decoder::decoder_command(1, decoder::kOpInit, &params, nullptr);
    }
    size_t pos = 1;
    while (pos + 3 <= size) {
        const uint8_t control = data[pos];
        const size_t length = (size_t{data[pos + 1]} << 8) | data[pos + 2];
        pos += 3;
        const size_t n = length < size - pos ? length : size - pos;
        // The frame in a buffer of its own size, so reads past its end are caught.
        std::vector<uint8_t> frame(data + pos, data + pos + n);
        pos += n;
        Instance& instance = *slots[control & 1];
        decoder::DecoderBank& bank = instance.bank;
        decoder::DecoderParams& params = bank.params(0);
        const int format = (control >> 1) & 15;
        if (decoder::kernels::IsOutputFormat(format) && format != params.outputFormat) {
            params.outputFormat = format;
            decoder::decoder_command(1, decoder::kOpSetOutputFormat, &params, nullptr);
        }
        decoder::FrameRequest& req = bank.request(0);
        req.renderFlags = (control & 0x20) ? 0 : decoder::kRenderConvert;
        req.stride = instance.size.width;
        bank.Decode(0, frame.empty() ? nullptr : frame.data(), frame.size());
        int probed = 0;
        decoder::decoder_command(1, decoder::kOpProbePictureSize, &req, &probed);
        if (control & 0x40) decoder::FlushPicture(&req, &params);
    }
    return 0;
}
