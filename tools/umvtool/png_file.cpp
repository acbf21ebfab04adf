#include "tools/umvtool/png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace umvtool {
namespace {

// libpng reports errors by jumping back to Guarded(); only plain C data lives in the frames
// in between, and every C++ object belongs to WritePng().
struct PngJob {
    png_structp png;
    png_infop info;
    std::FILE* file;
    const uint8_t* pixels;
    int width;
    int height;
    bool bgr;
    char message[256];
};

void OnError(png_structp png, png_const_charp text) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", text);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void WriteStep(PngJob* job) {
    png_init_io(job->png, job->file);
    png_set_IHDR(job->png, job->info, static_cast<png_uint_32>(job->width),
                 static_cast<png_uint_32>(job->height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(job->png, job->info);
    if (job->bgr) png_set_bgr(job->png);
    const size_t rowBytes = static_cast<size_t>(job->width) * 3;
    for (int y = 0; y < job->height; ++y)
        png_write_row(job->png, job->pixels + static_cast<size_t>(y) * rowBytes);
    png_write_end(job->png, job->info);
}

bool Guarded(PngJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return false;
    WriteStep(job);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, const uint8_t* pixels, int width, int height, bool bgr,
              std::string* error) {
    PngJob job{};
    job.pixels = pixels;
    job.width = width;
    job.height = height;
    job.bgr = bgr;
    job.file = std::fopen(path.c_str(), "wbe");
    if (!job.file) {
        *error = "cannot create " + path;
        return false;
    }
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    job.info = job.png ? png_create_info_struct(job.png) : nullptr;
    bool ok = job.info != nullptr && Guarded(&job);
    if (job.png) png_destroy_write_struct(&job.png, &job.info);
    ok = std::fclose(job.file) == 0 && ok;
    if (!ok) {
        *error = job.message[0] ? job.message : "cannot write " + path;
        std::remove(path.c_str());
    }
    return ok;
}

}  // namespace umvtool
