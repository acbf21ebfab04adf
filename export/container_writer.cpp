#include "export/container_writer.h"

#include <cstring>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace exporter {
namespace {

constexpr AVRational kTicks{1, 45000};

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace

int16_t ALawToLinear(uint8_t code) {
    const int a = code ^ 0x55;
    const int exponent = (a >> 4) & 7;
    int magnitude = ((a & 15) << 4) + 8;
    if (exponent > 0) magnitude = (magnitude + 256) << (exponent - 1);
    return static_cast<int16_t>((a & 0x80) ? magnitude : -magnitude);
}

ContainerWriter::~ContainerWriter() {
    Abort();
}

bool ContainerWriter::Open(const std::string& path, const ContainerSetup& setup,
                           std::string* error) {
    // The audio as recorded where the muxer takes A-law, else as 16-bit PCM; an MP4 muxer that
    // takes neither (libavformat 5) leaves the QuickTime form of the same file structure, which
    // keeps the A-law track as recorded. A muxer that refuses says so only when its header is
    // written, so each form is tried in turn, quietly but for the last.
    const std::string base = setup.kind == ContainerKind::kMatroska ? "matroska" : "mp4";
    std::vector<std::pair<std::string, AudioCarriage>> forms;
    if (!setup.audio) {
        forms.emplace_back(base, AudioCarriage::kNone);
    } else {
        forms.emplace_back(base, AudioCarriage::kALaw);
        forms.emplace_back(base, AudioCarriage::kPcm16);
        if (setup.kind == ContainerKind::kMp4) forms.emplace_back("mov", AudioCarriage::kALaw);
    }
    const int level = av_log_get_level();
    for (size_t i = 0; i < forms.size(); ++i) {
        const bool last = i + 1 == forms.size();
        av_log_set_level(last ? level : AV_LOG_QUIET);
        const bool opened = OpenAs(path, setup, forms[i].first, forms[i].second, error);
        av_log_set_level(level);
        if (opened) return true;
    }
    return false;
}

bool ContainerWriter::OpenAs(const std::string& path, const ContainerSetup& setup,
                             const std::string& muxer, AudioCarriage carriage, std::string* error) {
    Close();
    muxer_ = muxer;
    carriage_ = carriage;
    const AVOutputFormat* format = av_guess_format(muxer_.c_str(), nullptr, nullptr);
    if (!format) {
        *error = "this libavformat cannot write " + muxer_;
        return false;
    }
    int rc = avformat_alloc_output_context2(&context_, format, nullptr, path.c_str());
    if (rc < 0 || !context_) {
        *error = AvError(rc);
        return false;
    }
    video_ = avformat_new_stream(context_, nullptr);
    video_->time_base = kTicks;
    AVCodecParameters* v = video_->codecpar;
    v->codec_type = AVMEDIA_TYPE_VIDEO;
    v->codec_id = AV_CODEC_ID_MPEG4;
    v->width = setup.width;
    v->height = setup.height;
    v->format = 0;  // 4:2:0
    if (!setup.videoHeaders.empty()) {
        v->extradata = static_cast<uint8_t*>(
            av_mallocz(setup.videoHeaders.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        std::memcpy(v->extradata, setup.videoHeaders.data(), setup.videoHeaders.size());
        v->extradata_size = static_cast<int>(setup.videoHeaders.size());
    }
    if (carriage_ != AudioCarriage::kNone) {
        audio_ = avformat_new_stream(context_, nullptr);
        audio_->time_base = kTicks;
        AVCodecParameters* a = audio_->codecpar;
        a->codec_type = AVMEDIA_TYPE_AUDIO;
        const bool alaw = carriage_ == AudioCarriage::kALaw;
        a->codec_id = alaw ? AV_CODEC_ID_PCM_ALAW : AV_CODEC_ID_PCM_S16LE;
        a->sample_rate = 8000;
        av_channel_layout_default(&a->ch_layout, 1);
        a->bits_per_coded_sample = alaw ? 8 : 16;
        a->block_align = alaw ? 1 : 2;
        a->bit_rate = 8000LL * a->bits_per_coded_sample;
    }
    if (setup.subtitles && setup.kind == ContainerKind::kMatroska) {
        subtitles_ = avformat_new_stream(context_, nullptr);
        subtitles_->time_base = AVRational{1, 1000};
        subtitles_->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
        subtitles_->codecpar->codec_id = AV_CODEC_ID_SUBRIP;
    }
    rc = avio_open(&context_->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0) {
        *error = path + ": " + AvError(rc);
        Close();
        return false;
    }
    rc = avformat_write_header(context_, nullptr);
    if (rc < 0) {
        *error = path + ": " + AvError(rc);
        Close();
        return false;
    }
    packet_ = av_packet_alloc();
    return true;
}

bool ContainerWriter::Write(AVStream* stream, std::span<const uint8_t> bytes, int64_t pts,
                            int64_t dts, int64_t duration, bool key) {
    if (!context_ || !stream) return false;
    if (av_new_packet(packet_, static_cast<int>(bytes.size())) < 0) return false;
    std::memcpy(packet_->data, bytes.data(), bytes.size());
    const AVRational from = stream == subtitles_ ? AVRational{1, 45000} : kTicks;
    packet_->pts = av_rescale_q(pts, from, stream->time_base);
    packet_->dts = av_rescale_q(dts, from, stream->time_base);
    packet_->duration = av_rescale_q(duration, from, stream->time_base);
    packet_->stream_index = stream->index;
    if (key) packet_->flags |= AV_PKT_FLAG_KEY;
    const int rc = av_interleaved_write_frame(context_, packet_);
    if (rc < 0) lastError_ = AvError(rc);
    return rc >= 0;
}

bool ContainerWriter::WriteVideo(std::span<const uint8_t> picture, int64_t pts, int64_t dts,
                                 bool key) {
    return Write(video_, picture, pts, dts, 0, key);
}

bool ContainerWriter::WriteAudio(std::span<const uint8_t> alaw, int64_t pts) {
    const int64_t duration = static_cast<int64_t>(alaw.size()) * 45000 / 8000;
    if (carriage_ == AudioCarriage::kALaw) return Write(audio_, alaw, pts, pts, duration, true);
    pcm_.resize(alaw.size() * 2);
    for (size_t i = 0; i < alaw.size(); ++i) {
        const auto s = static_cast<uint16_t>(ALawToLinear(alaw[i]));
        pcm_[2 * i] = static_cast<uint8_t>(s & 0xFF);
        pcm_[2 * i + 1] = static_cast<uint8_t>(s >> 8);
    }
    return Write(audio_, pcm_, pts, pts, duration, true);
}

bool ContainerWriter::WriteSubtitle(const std::string& text, int64_t pts, int64_t duration) {
    return Write(subtitles_, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                 pts, pts, duration, true);
}

bool ContainerWriter::Finish(std::string* error) {
    if (!context_) return false;
    int rc = av_write_trailer(context_);
    if (rc >= 0) rc = avio_closep(&context_->pb);
    if (rc < 0) *error = AvError(rc);
    if (rc >= 0 && !lastError_.empty()) {
        *error = lastError_;
        rc = -1;
    }
    Close();
    return rc >= 0;
}

void ContainerWriter::Abort() {
    Close();
}

void ContainerWriter::Close() {
    if (packet_) av_packet_free(&packet_);
    if (context_) {
        if (context_->pb) avio_closep(&context_->pb);
        avformat_free_context(context_);
        context_ = nullptr;
    }
    video_ = audio_ = subtitles_ = nullptr;
}

}  // namespace exporter
