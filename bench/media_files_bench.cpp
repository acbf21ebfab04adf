// Watermark embedding and checking of a D1 still (goal: each under 20 ms), and our coefficient
// decoder against the JPEG library's jpeg_read_coefficients on the same file.
#include <benchmark/benchmark.h>

#include "media/jpeg_coefficients.h"
#include "media/watermark.h"
#include "tests/support/jpeg_pictures.h"

namespace {

const std::vector<uint8_t>& D1Still() {
    static const std::vector<uint8_t> jpeg =
        testsupport::LibraryJpeg(testsupport::ScenePicture(704, 480, 11));
    return jpeg;
}

media::WatermarkPattern Pattern() {
    media::WatermarkPattern p;
    for (size_t i = 0; i < p.bits.size(); ++i)
        p.bits[i] = (i * 7 / 3) % 2;
    return p;
}

void BM_EmbedWatermark_D1(benchmark::State& state) {
    const auto pattern = Pattern();
    std::vector<uint8_t> out;
    std::string error;
    for (auto _ : state) {
        media::MarkJpeg(D1Still(), pattern, &out, &error);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_EmbedWatermark_D1)->Unit(benchmark::kMillisecond);

void BM_CheckWatermark_D1(benchmark::State& state) {
    std::vector<uint8_t> marked;
    std::string error;
    media::MarkJpeg(D1Still(), Pattern(), &marked, &error);
    media::RgbPicture picture;
    media::WatermarkCheck check;
    for (auto _ : state) {
        media::CheckJpeg(marked, &picture, &check, &error);
        benchmark::DoNotOptimize(picture.rgb.data());
    }
}
BENCHMARK(BM_CheckWatermark_D1)->Unit(benchmark::kMillisecond);

void BM_DecodeCoefficients_Ours(benchmark::State& state) {
    media::JpegCoefficients c;
    for (auto _ : state) {
        media::DecodeCoefficients(D1Still(), &c);
        benchmark::DoNotOptimize(c.components[0].coefficients.data());
    }
}
BENCHMARK(BM_DecodeCoefficients_Ours)->Unit(benchmark::kMillisecond);

void BM_DecodeCoefficients_Library(benchmark::State& state) {
    const auto& jpeg = D1Still();
    for (auto _ : state) {
        jpeg_decompress_struct d;
        jpeg_error_mgr err;
        d.err = jpeg_std_error(&err);
        jpeg_create_decompress(&d);
        jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
        jpeg_read_header(&d, TRUE);
        jvirt_barray_ptr* arrays = jpeg_read_coefficients(&d);
        benchmark::DoNotOptimize(arrays);
        jpeg_finish_decompress(&d);
        jpeg_destroy_decompress(&d);
    }
}
BENCHMARK(BM_DecodeCoefficients_Library)->Unit(benchmark::kMillisecond);

void BM_EncodeCoefficients_Ours(benchmark::State& state) {
    media::JpegCoefficients c;
    media::DecodeCoefficients(D1Still(), &c);
    std::vector<uint8_t> out;
    for (auto _ : state) {
        media::EncodeCoefficients(c, &out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_EncodeCoefficients_Ours)->Unit(benchmark::kMillisecond);

}  // namespace
