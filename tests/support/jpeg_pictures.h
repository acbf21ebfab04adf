// Test pictures and the JPEG library used as an oracle: files with chosen sampling factors,
// restart intervals, scan layouts and coding, and the library's own view of their coefficients.
// Link with JPEG::JPEG.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "media/jpeg_library.h"

namespace testsupport {

// A camera-like scene: gradients, a few hard-edged shapes and some texture, so that the blocks
// carry plenty of significant coefficients.
inline media::RgbPicture ScenePicture(int width, int height, uint32_t seed = 1) {
    media::RgbPicture p;
    p.width = width;
    p.height = height;
    p.rgb.resize(static_cast<size_t>(width) * height * 3);
    uint32_t noise = seed * 2654435761u + 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = static_cast<int>((noise >> 16) & 7) - 4;  // sensor noise
            int r = 40 + x * 160 / width + n;
            int g = 60 + y * 140 / height + n;
            int b = 120 + ((x / 24 + y / 16) % 2) * 60 + n / 2;
            if ((x - width / 3) * (x - width / 3) + (y - height / 2) * (y - height / 2) <
                (height / 5) * (height / 5)) {
                r = 230 - n;
                g = 200;
                b = 40;
            }
            if (x > width * 6 / 10 && x < width * 8 / 10 && y > height / 5 && y < height * 3 / 5) {
                r = 30;
                g = 40 + (y % 7) * 20;
                b = 50;
            }
            uint8_t* px = p.row(y) + x * 3;
            px[0] = static_cast<uint8_t>(r < 0 ? 0 : r > 255 ? 255 : r);
            px[1] = static_cast<uint8_t>(g < 0 ? 0 : g > 255 ? 255 : g);
            px[2] = static_cast<uint8_t>(b < 0 ? 0 : b > 255 ? 255 : b);
        }
    }
    return p;
}

struct JpegOptions {
    int quality = 95;
    int sampling[3][2] = {{2, 2}, {1, 1}, {1, 1}};  // h, v per component
    bool grey = false;
    int restartInterval = 0;  // MCUs
    bool progressive = false;
    bool arithmetic = false;
    bool scanPerComponent = false;  // sequential, one scan per component
};

// Encodes with the JPEG library (its default error handler: a failure ends the test program).
inline std::vector<uint8_t> LibraryJpeg(const media::RgbPicture& p, const JpegOptions& o = {}) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(p.width);
    c.image_height = static_cast<JDIMENSION>(p.height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    if (o.grey) jpeg_set_colorspace(&c, JCS_GRAYSCALE);
    jpeg_set_quality(&c, o.quality, TRUE);
    for (int i = 0; i < c.num_components; ++i) {
        c.comp_info[i].h_samp_factor = o.sampling[i][0];
        c.comp_info[i].v_samp_factor = o.sampling[i][1];
    }
    c.restart_interval = static_cast<unsigned>(o.restartInterval);
    c.arith_code = o.arithmetic ? TRUE : FALSE;
    if (o.progressive) jpeg_simple_progression(&c);
    static jpeg_scan_info scans[3];
    if (o.scanPerComponent) {
        for (int i = 0; i < c.num_components; ++i)
            scans[i] = jpeg_scan_info{1, {i, 0, 0, 0}, 0, 63, 0, 0};
        c.scan_info = scans;
        c.num_scans = c.num_components;
    }
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(p.row(static_cast<int>(c.next_scanline)));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// The library's coefficients: per component, the blocks that hold samples (rows of
// width_in_blocks), 64 coefficients each in natural order.
struct LibraryCoefficients {
    std::vector<int> blocksWide, blocksHigh;
    std::vector<std::vector<int16_t>> blocks;
};

inline LibraryCoefficients LibraryReadCoefficients(const std::vector<uint8_t>& jpeg) {
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d, TRUE);
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(&d);
    LibraryCoefficients out;
    for (int c = 0; c < d.num_components; ++c) {
        const jpeg_component_info& comp = d.comp_info[c];
        const int wide = static_cast<int>(comp.width_in_blocks);
        const int high = static_cast<int>(comp.height_in_blocks);
        out.blocksWide.push_back(wide);
        out.blocksHigh.push_back(high);
        std::vector<int16_t> all;
        all.reserve(static_cast<size_t>(wide) * high * 64);
        for (int y = 0; y < high; ++y) {
            JBLOCKARRAY row =
                (*d.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&d), arrays[c],
                                             static_cast<JDIMENSION>(y), 1, FALSE);
            for (int x = 0; x < wide; ++x)
                all.insert(all.end(), row[0][x], row[0][x] + 64);
        }
        out.blocks.push_back(std::move(all));
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return out;
}

}  // namespace testsupport
