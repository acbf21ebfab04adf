// decode: runs the video decoder over an elementary stream, a recording or a ".ums" file and
// prints picture digests, writes raw pictures or PNG files, or just decodes.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "decoder/video_decoder.h"
#include "media/frame_header.h"
#include "media/recording_file.h"
#include "media/still_image.h"
#include "platform/hex_digest.h"
#include "platform/mapped_file.h"
#include "platform/regular_file.h"
#include "player/player_strings.h"
#include "tools/umvtool/command.h"
#include "tools/umvtool/elementary_stream.h"
#include "tools/umvtool/png_file.h"

namespace umvtool {
namespace {

enum class Output { kMd5, kNull, kYuv, kPng };

bool EndsWith(const std::string& s, const char* suffix) {
    const std::string suf(suffix);
    if (s.size() < suf.size()) return false;
    for (size_t i = 0; i < suf.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - suf.size() + i])) != suf[i])
            return false;
    return true;
}

// The frames to decode: an elementary stream read from its file as it is decoded, or a list of
// frames that stay valid while the source is open.
struct FrameSource {
    std::string streamPath;                   // ".m4v"
    platform::MappedFile file;                // ".ums"
    media::RecordingFile recording;           // ".idx", ".umv"
    std::vector<std::vector<uint8_t>> owned;  // recording payloads
    std::vector<std::span<const uint8_t>> frames;  // ".ums", ".idx", ".umv"
    int width = 0;  // from the recording's size code, 0 when unknown
    int height = 0;
};

// Walks the frames of a source in order; a frame stays valid until the next one is asked for.
// Cursors on one source are independent (a stream file is opened by each).
class FrameCursor {
  public:
    explicit FrameCursor(const FrameSource& src) : src_(src) {
        if (src.streamPath.empty()) return;
        // Only a regular file: a FIFO or a device would block the tool or never end.
        const int fd = platform::OpenRegularFile(src.streamPath);
        if (fd < 0) return;
        file_ = fdopen(fd, "rb");
        if (file_ == nullptr) {
            close(fd);
            return;
        }
        split_.emplace(file_);
    }
    ~FrameCursor() {
        split_.reset();
        if (file_) std::fclose(file_);
    }
    FrameCursor(const FrameCursor&) = delete;
    FrameCursor& operator=(const FrameCursor&) = delete;

    bool Next(std::span<const uint8_t>* frame) {
        if (!src_.streamPath.empty()) {
            EsFrame f;
            if (!split_ || !split_->Next(&f)) return false;
            *frame = split_->Bytes(f);
            return true;
        }
        if (next_ == src_.frames.size()) return false;
        *frame = src_.frames[next_++];
        return true;
    }
    // Whether the stream file could not be opened or read to its end.
    bool failed() const { return !src_.streamPath.empty() && (!split_ || split_->failed()); }

  private:
    const FrameSource& src_;
    std::FILE* file_ = nullptr;
    std::optional<EsFileSplitter> split_;
    size_t next_ = 0;
};

// A ".ums" file: one media frame record, read by the still-image reader's rules.
bool LoadUms(const std::string& path, FrameSource* src, std::string* error) {
    if (src->file.Open(path) != platform::MapError::kNone) {
        *error = path + ": " + player::PlayerStrings().Str(player::kTextFileCantOpened);
        return false;
    }
    media::UmsRecord record;
    switch (media::ParseUms(src->file.bytes(), &record)) {
        case media::StillError::kNone:
            break;
        case media::StillError::kTooBig:
            *error = path + ": " + media::kFileSizeTooBig;
            return false;
        default:
            *error = path + ": " + player::PlayerStrings().Str(player::kTextImproperFileType);
            return false;
    }
    const media::PictureSize ps = media::PictureSizeOf(record.header.sizeCode());
    src->width = ps.width;
    src->height = ps.height;
    src->frames.emplace_back(record.payload.data(), record.payload.size());
    return true;
}

bool LoadRecording(const std::string& path, int channel, FrameSource* src, std::string* error) {
    const media::OpenError opened = src->recording.Open(path);
    if (opened != media::OpenError::kNone) {
        *error = path + ": " +
                 player::PlayerStrings().Str(opened == media::OpenError::kCantOpen
                                                 ? player::kTextFileCantOpened
                                                 : player::kTextImproperFileType);
        return false;
    }
    const media::FrameIndex& index = src->recording.index();
    // Decoding goes on with what is there, but never silently.
    WarnAboutIndex(index);
    if (channel < 0) {
        for (const media::FrameEntry& e : index.frames()) {
            channel = e.channel;
            break;
        }
        if (channel < 0) {
            *error = path + ": the recording has no pictures";
            return false;
        }
    }
    std::vector<uint8_t> buffer(media::kMaxPayloadSize);
    const auto frames = index.frames();
    for (size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].channel != channel) continue;
        media::FrameHeader h;
        size_t size = 0;
        if (!src->recording.ReadVideo(i, &h, buffer.data(), &size)) continue;
        if (src->width == 0) {
            const media::PictureSize ps = media::PictureSizeOf(h.sizeCode());
            src->width = ps.width;
            src->height = ps.height;
        }
        src->owned.emplace_back(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(size));
    }
    for (const auto& f : src->owned)
        src->frames.emplace_back(f);
    if (src->frames.empty()) {
        *error = path + ": channel " + std::to_string(channel + 1) + " has no pictures";
        return false;
    }
    return true;
}

bool WritePicturePng(const std::string& dir, size_t number, const uint8_t* rgb, int width,
                     int height) {
    char name[32];
    std::snprintf(name, sizeof name, "%06zu.png", number);
    std::string error;
    return WritePng(dir + name, rgb, width, height, true, &error);
}

bool LoadStream(const std::string& path, FrameSource* src, std::string* error) {
    src->streamPath = path;
    FrameCursor first(*src);
    std::span<const uint8_t> frame;
    if (!first.Next(&frame)) {
        *error = path + ": " +
                 (first.failed() ? player::PlayerStrings().Str(player::kTextFileCantOpened)
                                 : std::string("holds no VOP"));
        return false;
    }
    return true;
}

}  // namespace

int RunDecode(std::span<char* const> words) {
    Args args(words, {"channel", "yuv", "png"}, {"md5", "null"});
    if (!args.ok()) return UsageError("decode", args.error());
    if (args.positional().size() != 1) return UsageError("decode", "expected one PATH");
    const int modes = args.has("md5") + args.has("null") + args.has("yuv") + args.has("png");
    if (modes != 1) return UsageError("decode", "choose one of --md5, --null, --yuv, --png");
    const Output mode = args.has("md5")    ? Output::kMd5
                        : args.has("null") ? Output::kNull
                        : args.has("yuv")  ? Output::kYuv
                                           : Output::kPng;
    int channel = -1;
    if (auto c = args.value("channel")) {
        char* end = nullptr;
        const long n = std::strtol(c->c_str(), &end, 10);
        if (c->empty() || *end != '\0' || n < 1 || n > media::kChannelCount)
            return UsageError("decode", "--channel takes a channel number 1..16");
        channel = static_cast<int>(n - 1);
    }

    const std::string path = args.positional()[0];
    FrameSource src;
    std::string error;
    bool loaded;
    if (EndsWith(path, ".idx") || EndsWith(path, ".umv")) {
        loaded = LoadRecording(path, channel, &src, &error);
    } else if (EndsWith(path, ".ums")) {
        loaded = LoadUms(path, &src, &error);
    } else {
        loaded = LoadStream(path, &src, &error);
    }
    if (!loaded) return Fail(error);

    // The picture size: from the first VOL header that parses to a size the decoder takes (a
    // damaged one is passed over), else from the recording's size code.
    int width = 0;
    int height = 0;
    FrameCursor probe(src);
    for (std::span<const uint8_t> frame; probe.Next(&frame);) {
        int w = 0, h = 0;
        if (decoder::probe_picture_size(frame.data(), frame.size(), &w, &h) &&
            w <= decoder::kMaxWidth && h <= decoder::kMaxHeight) {
            width = w;
            height = h;
            break;
        }
    }
    if (width == 0) {
        width = src.width;
        height = src.height;
    }
    if (width <= 0 || height <= 0 || width > decoder::kMaxWidth || height > decoder::kMaxHeight)
        return FailFile(path, "no usable picture size");

    FILE* yuv = nullptr;
    std::string pngDir;
    if (mode == Output::kYuv) {
        yuv = std::fopen(args.value("yuv")->c_str(), "wb");
        if (!yuv) return FailFile(*args.value("yuv"), "cannot write");
    } else if (mode == Output::kPng) {
        pngDir = *args.value("png");
        std::error_code ec;
        std::filesystem::create_directories(pngDir, ec);
        if (!std::filesystem::is_directory(pngDir)) return Fail("umvtool: cannot use " + pngDir);
        if (pngDir.back() != '/') pngDir += '/';
    }

    // Every picture is written at its own size: the buffer holds the largest one.
    const decoder::OutputFormat format =
        mode == Output::kPng ? decoder::OutputFormat::kBgr24 : decoder::OutputFormat::kPlanar420;
    std::vector<uint8_t> picture(
        decoder::OutputBytes(format, decoder::kMaxWidth, decoder::kMaxHeight));
    const decoder::Destination dst{mode == Output::kNull ? nullptr : picture.data(), 0,
                                   picture.size()};
    decoder::VideoDecoder dec(width, height, format);
    if (!dec.ok()) {
        if (yuv) std::fclose(yuv);
        return Fail("umvtool: cannot set up a decoder for " + std::to_string(width) + "x" +
                    std::to_string(height));
    }

    std::string md5Lines;
    size_t shown = 0;
    size_t damaged = 0;
    size_t unsupported = 0;
    int lastStatus = 0;
    bool writeFailed = false;
    auto emit = [&](const decoder::DecodeResult& r) {
        ++shown;
        const size_t bytes = decoder::OutputBytes(format, r.width, r.height);
        switch (mode) {
            case Output::kMd5:
                md5Lines += platform::Md5Hex(picture.data(), bytes);
                md5Lines += '\n';
                break;
            case Output::kYuv:
                writeFailed |= std::fwrite(picture.data(), 1, bytes, yuv) != bytes;
                break;
            case Output::kPng:
                writeFailed |= !WritePicturePng(pngDir, shown, picture.data(), r.width, r.height);
                break;
            case Output::kNull:
                break;
        }
    };
    FrameCursor frames(src);
    for (std::span<const uint8_t> frame; frames.Next(&frame);) {
        // A layer of another size starts the instance over: the picture held back for display
        // order comes out first.
        int w = 0, h = 0;
        if (decoder::probe_picture_size(frame.data(), frame.size(), &w, &h) &&
            (w != dec.width() || h != dec.height())) {
            const decoder::DecodeResult held = dec.Flush(dst);
            if (held.hasPicture()) emit(held);
        }
        const decoder::DecodeResult r = dec.Decode(frame, dst);
        if (r.status == decoder::DecodeStatus::kUnsupported) {
            ++unsupported;
            lastStatus = r.streamStatus;
            continue;
        }
        if (r.damaged()) ++damaged;
        if (r.hasPicture()) emit(r);
    }
    const decoder::DecodeResult last = dec.Flush(dst);
    if (last.hasPicture()) emit(last);
    if (yuv && std::fclose(yuv) != 0) writeFailed = true;
    std::fwrite(md5Lines.data(), 1, md5Lines.size(), stdout);
    if (frames.failed()) return FailFile(path, "could not be read to its end");
    if (writeFailed) return Fail("umvtool: writing the pictures failed");
    if (unsupported) {
        std::fprintf(stderr, "umvtool: %zu frame(s) of an unsupported stream: %s (status %d)\n",
                     unsupported, decoder::DescribeStreamStatus(lastStatus), lastStatus);
        return kExitFailure;
    }
    if (damaged) {
        std::fprintf(stderr, "umvtool: %zu damaged frame(s)\n", damaged);
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace umvtool
