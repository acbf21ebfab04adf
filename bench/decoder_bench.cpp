// The decoder on corpus streams: whole streams of each picture size and coding mix, in pictures
// per second, and the bit-level parts alone (coefficient decoding of an intra-heavy stream);
// damaged streams (concealment); sixteen D1 channels on one and on two threads.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "decoder/decoder.h"
#include "decoder/decoder_bank.h"
#include "decoder/video_decoder.h"
#include "tools/umvtool/elementary_stream.h"

namespace {

struct Stream {
    std::vector<uint8_t> bytes;
    std::vector<umvtool::EsFrame> frames;
};

Stream Load(const std::string& name) {
    Stream s;
    std::ifstream in(std::string(DVR_SOURCE_DIR) + "/tests/decoder/corpus/" + name + ".m4v",
                     std::ios::binary);
    s.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    s.frames = umvtool::SplitElementaryStream(s.bytes);
    return s;
}

// Decodes the stream over and over with one instance (output format 3, planar).
void DecodeStream(benchmark::State& state, const char* name, int width, int height, int format) {
    const Stream s = Load(name);
    if (s.frames.empty()) {
        state.SkipWithError("corpus stream missing");
        return;
    }
    std::vector<uint8_t> picture(static_cast<size_t>(width) * height * 4);
    uint8_t* outputs[1] = {picture.data()};
    decoder::DecoderBank bank(1);
    bank.Open(0, false, width, height, outputs);
    bank.params(0).outputFormat = format;
    decoder::decoder_command(1, decoder::kOpSetOutputFormat, &bank.params(0), nullptr);
    size_t pictures = 0;
    for (auto _ : state) {
        for (const umvtool::EsFrame& f : s.frames)
            pictures += bank.Decode(0, s.bytes.data() + f.begin, f.end - f.begin);
    }
    state.counters["pictures/s"] =
        benchmark::Counter(static_cast<double>(pictures), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(s.bytes.size()));
}

BENCHMARK_CAPTURE(DecodeStream, D1_IPB_planar, "b2_704x480", 704, 480, 3);
BENCHMARK_CAPTURE(DecodeStream, D1_IPB_yuy2, "b2_704x480", 704, 480, 1);
BENCHMARK_CAPTURE(DecodeStream, D1_IPB_rgb24, "b2_704x480", 704, 480, 5);
BENCHMARK_CAPTURE(DecodeStream, D1_interlaced_B, "ilaceb_704x576", 704, 576, 3);
BENCHMARK_CAPTURE(DecodeStream, HalfD1_IP, "ip_704x240", 704, 240, 3);
BENCHMARK_CAPTURE(DecodeStream, CIF_4MV_pan, "pan_352x288", 352, 288, 3);
BENCHMARK_CAPTURE(DecodeStream, CIF_q2_escapes, "q2_352x240", 352, 240, 3);
BENCHMARK_CAPTURE(DecodeStream, CIF_far_vectors, "crafted_bigmv_352x288", 352, 288, 3);

// The P-VOPs of a panning stream cut to half their length: every lost macroblock is concealed
// from its neighbours' vectors.
void DecodeDamaged(benchmark::State& state) {
    Stream s = Load("pan_352x288");
    if (s.frames.empty()) {
        state.SkipWithError("corpus stream missing");
        return;
    }
    for (umvtool::EsFrame& f : s.frames)
        if (f.vopType == 1) f.end = f.begin + (f.end - f.begin) / 2;
    decoder::VideoDecoder dec(352, 288, decoder::OutputFormat::kPlanar420);
    std::vector<uint8_t> picture(decoder::OutputBytes(decoder::OutputFormat::kPlanar420, 352, 288));
    const decoder::Destination dst{picture.data(), 0, picture.size()};
    size_t pictures = 0;
    for (auto _ : state) {
        for (const umvtool::EsFrame& f : s.frames)
            pictures += dec.Decode({s.bytes.data() + f.begin, f.end - f.begin}, dst).hasPicture();
    }
    state.counters["pictures/s"] =
        benchmark::Counter(static_cast<double>(pictures), benchmark::Counter::kIsRate);
}
BENCHMARK(DecodeDamaged);

// Damage that needs more than vectors: the I-VOPs of the panning stream cut to 30 % (content that
// has just come into view, filled from the pixels around it), or one bit flipped a fifth into
// every I- and P-VOP of a stream with many video packets (decoding resumes at the next one).
void DecodeDamagedIntra(benchmark::State& state, const char* name, bool flip) {
    Stream s = Load(name);
    if (s.frames.empty()) {
        state.SkipWithError("corpus stream missing");
        return;
    }
    std::vector<std::vector<uint8_t>> frames;
    for (const umvtool::EsFrame& f : s.frames) {
        std::vector<uint8_t> bytes(s.bytes.begin() + static_cast<ptrdiff_t>(f.begin),
                                   s.bytes.begin() + static_cast<ptrdiff_t>(f.end));
        if (flip && f.vopType < 2) bytes[bytes.size() / 5] ^= 0x10;
        if (!flip && f.vopType == 0) bytes.resize(bytes.size() * 3 / 10);
        frames.push_back(std::move(bytes));
    }
    decoder::VideoDecoder dec(352, 288, decoder::OutputFormat::kPlanar420);
    std::vector<uint8_t> picture(decoder::OutputBytes(decoder::OutputFormat::kPlanar420, 352, 288));
    const decoder::Destination dst{picture.data(), 0, picture.size()};
    size_t pictures = 0;
    for (auto _ : state) {
        for (const auto& f : frames)
            pictures += dec.Decode({f.data(), f.size()}, dst).hasPicture();
    }
    state.counters["pictures/s"] =
        benchmark::Counter(static_cast<double>(pictures), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(DecodeDamagedIntra, cut_intra, "pan_352x288", false);
BENCHMARK_CAPTURE(DecodeDamagedIntra, flipped_bits, "ilaceps_352x288", true);

// Sixteen D1 channels (the same stream on each), each with its own instance, decoded into YUY2 as
// a 16-channel player shows them, the channels split between state.range(0) threads.
void SixteenChannelsD1(benchmark::State& state) {
    const Stream s = Load("b2_704x480");
    if (s.frames.empty()) {
        state.SkipWithError("corpus stream missing");
        return;
    }
    constexpr int kChannels = 16;
    const int threads = static_cast<int>(state.range(0));
    decoder::VideoDecoderBank bank(kChannels, 704, 480, decoder::OutputFormat::kYuy2);
    std::vector<std::vector<uint8_t>> pictures(
        kChannels,
        std::vector<uint8_t>(decoder::OutputBytes(decoder::OutputFormat::kYuy2, 704, 480)));
    std::vector<size_t> shown(static_cast<size_t>(threads));
    auto run = [&](int t) {
        for (int c = t; c < kChannels; c += threads) {
            auto& out = pictures[static_cast<size_t>(c)];
            for (const umvtool::EsFrame& f : s.frames)
                shown[static_cast<size_t>(t)] +=
                    bank.Decode(c, {s.bytes.data() + f.begin, f.end - f.begin},
                                {out.data(), 0, out.size()})
                        .hasPicture();
        }
    };
    for (auto _ : state) {
        std::vector<std::thread> workers;
        for (int t = 1; t < threads; ++t)
            workers.emplace_back(run, t);
        run(0);
        for (std::thread& w : workers)
            w.join();
    }
    size_t total = 0;
    for (size_t n : shown)
        total += n;
    state.counters["pictures/s"] =
        benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
}
BENCHMARK(SixteenChannelsD1)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
