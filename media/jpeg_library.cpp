#include "media/jpeg_library.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
// jpeglib.h first: jerror.h relies on it.
#include <jerror.h>

namespace media {
namespace {

// The library reports a fatal error by calling error_exit, which must not return. Ours jumps
// back to Guarded() below. Only plain C data lives in the frames between the two (the library's
// own and the step functions), so the jump skips no destructor; every C++ object is owned by
// the callers of Guarded().
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnErrorExit(j_common_ptr common) {
    auto* err = reinterpret_cast<ErrorManager*>(common->err);
    (*common->err->format_message)(common, err->message);
    std::longjmp(err->jump, 1);
}

void OnOutputMessage(j_common_ptr) {
    // Warnings (a corrupt stretch of data, a premature end) are not fatal: the picture is shown
    // as far as it decodes, and nothing is printed.
}

void InitErrors(ErrorManager* err) {
    jpeg_std_error(&err->pub);
    err->pub.error_exit = OnErrorExit;
    err->pub.output_message = OnOutputMessage;
    err->message[0] = '\0';
}

bool Guarded(ErrorManager* err, void (*step)(void*), void* context) {
    if (setjmp(err->jump)) return false;
    step(context);
    return true;
}

// Decoding, in two steps so that the picture is allocated (by C++) between them.
struct DecodeJob {
    ErrorManager err;
    jpeg_decompress_struct cinfo;
    bool created;
    const uint8_t* data;
    size_t size;
    uint8_t* pixels;  // width x height x 3, allocated by the caller after the header step
};

void DecodeHeaderStep(void* context) {
    auto* job = static_cast<DecodeJob*>(context);
    jpeg_create_decompress(&job->cinfo);
    job->created = true;
    jpeg_mem_src(&job->cinfo, job->data, static_cast<unsigned long>(job->size));
    jpeg_read_header(&job->cinfo, TRUE);
    job->cinfo.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&job->cinfo);
}

void DecodePixelsStep(void* context) {
    auto* job = static_cast<DecodeJob*>(context);
    j_decompress_ptr cinfo = &job->cinfo;
    jpeg_start_decompress(cinfo);
    const size_t stride = size_t{cinfo->output_width} * 3;
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = job->pixels + cinfo->output_scanline * stride;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
}

// Encoding into a growing malloc buffer that the caller frees, whatever happened.
struct EncodeJob {
    ErrorManager err;
    jpeg_compress_struct cinfo;
    jpeg_destination_mgr dest;
    bool created;
    const RgbPicture* picture;
    int quality;
    uint8_t* buffer;
    size_t capacity;
    size_t size;
};

EncodeJob* JobOf(j_compress_ptr cinfo) {
    return reinterpret_cast<EncodeJob*>(reinterpret_cast<char*>(cinfo) -
                                        offsetof(EncodeJob, cinfo));
}

void InitDestination(j_compress_ptr cinfo) {
    EncodeJob* job = JobOf(cinfo);
    job->dest.next_output_byte = job->buffer;
    job->dest.free_in_buffer = job->capacity;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    EncodeJob* job = JobOf(cinfo);
    const size_t grown = job->capacity * 2;
    auto* bigger = static_cast<uint8_t*>(std::realloc(job->buffer, grown));
    if (!bigger) {
        cinfo->err->msg_code = JERR_OUT_OF_MEMORY;
        (*cinfo->err->error_exit)(reinterpret_cast<j_common_ptr>(cinfo));
    }
    job->buffer = bigger;
    job->dest.next_output_byte = bigger + job->capacity;
    job->dest.free_in_buffer = grown - job->capacity;
    job->capacity = grown;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    EncodeJob* job = JobOf(cinfo);
    job->size = job->capacity - job->dest.free_in_buffer;
}

void EncodeStep(void* context) {
    auto* job = static_cast<EncodeJob*>(context);
    j_compress_ptr cinfo = &job->cinfo;
    jpeg_create_compress(cinfo);
    job->created = true;
    job->dest.init_destination = InitDestination;
    job->dest.empty_output_buffer = EmptyOutputBuffer;
    job->dest.term_destination = TermDestination;
    cinfo->dest = &job->dest;
    cinfo->image_width = static_cast<JDIMENSION>(job->picture->width);
    cinfo->image_height = static_cast<JDIMENSION>(job->picture->height);
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, job->quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    const uint8_t* pixels = job->picture->rgb.data();
    const size_t stride = size_t{cinfo->image_width} * 3;
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<uint8_t*>(pixels + cinfo->next_scanline * stride);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
}

bool SizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

bool ReadHeader(DecodeJob* job, std::span<const uint8_t> jpeg, std::string* error) {
    std::memset(job, 0, sizeof *job);
    InitErrors(&job->err);
    job->cinfo.err = &job->err.pub;
    job->data = jpeg.data();
    job->size = jpeg.size();
    if (jpeg.empty()) {
        SetError(error, "Empty input file");
        return false;
    }
    if (!Guarded(&job->err, DecodeHeaderStep, job)) {
        SetError(error, job->err.message);
        return false;
    }
    return true;
}

void Finish(DecodeJob* job) {
    if (job->created) jpeg_destroy_decompress(&job->cinfo);
}

}  // namespace

bool ReadJpegSize(std::span<const uint8_t> jpeg, int* width, int* height, std::string* error) {
    DecodeJob job;
    const bool ok = ReadHeader(&job, jpeg, error);
    if (ok) {
        *width = static_cast<int>(job.cinfo.image_width);
        *height = static_cast<int>(job.cinfo.image_height);
    }
    Finish(&job);
    return ok;
}

bool DecodeJpeg(std::span<const uint8_t> jpeg, RgbPicture* out, std::string* error) {
    DecodeJob job;
    bool ok = ReadHeader(&job, jpeg, error);
    if (ok && !SizeAllowed(job.cinfo.output_width, job.cinfo.output_height)) {
        SetError(error, "Picture of " + std::to_string(job.cinfo.output_width) + " x " +
                            std::to_string(job.cinfo.output_height) + " pixels is too large");
        ok = false;
    }
    if (ok) {
        out->width = static_cast<int>(job.cinfo.output_width);
        out->height = static_cast<int>(job.cinfo.output_height);
        out->rgb.assign(static_cast<size_t>(out->width) * out->height * 3, 0);
        job.pixels = out->rgb.data();
        if (!Guarded(&job.err, DecodePixelsStep, &job)) {
            SetError(error, job.err.message);
            ok = false;
        }
    }
    Finish(&job);
    if (!ok) *out = RgbPicture{};
    return ok;
}

bool EncodeJpeg(const RgbPicture& picture, std::vector<uint8_t>* out, std::string* error,
                int quality) {
    if (!SizeAllowed(picture.width, picture.height) ||
        picture.rgb.size() < static_cast<size_t>(picture.width) * picture.height * 3) {
        SetError(error, "Image too big or too small to encode");
        return false;
    }
    EncodeJob job;
    std::memset(&job, 0, sizeof job);
    InitErrors(&job.err);
    job.cinfo.err = &job.err.pub;
    job.picture = &picture;
    job.quality = quality;
    job.capacity = 65536;
    job.buffer = static_cast<uint8_t*>(std::malloc(job.capacity));
    bool ok = job.buffer != nullptr && Guarded(&job.err, EncodeStep, &job);
    if (ok)
        out->assign(job.buffer, job.buffer + job.size);
    else
        SetError(error, job.buffer ? job.err.message : "Insufficient memory");
    if (job.created) jpeg_destroy_compress(&job.cinfo);
    std::free(job.buffer);
    return ok;
}

}  // namespace media
