// Writes a clip into an MP4 or Matroska file through libavformat: the recorded MPEG-4 pictures
// as they are, the channel's audio, and in Matroska the wall-time subtitles. Nothing is
// encoded or decoded here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVStream;
struct AVPacket;

namespace exporter {

enum class ContainerKind { kMp4, kMatroska };

// What became of the recorded A-law samples.
enum class AudioCarriage {
    kNone,   // the clip has no audio
    kALaw,   // stored as recorded
    kPcm16,  // expanded to 16-bit linear samples
};

struct ContainerSetup {
    ContainerKind kind = ContainerKind::kMp4;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> videoHeaders;  // the VO/VOL headers: the codec's extra data
    bool audio = false;
    bool subtitles = false;  // Matroska only
};

class ContainerWriter {
  public:
    ContainerWriter() = default;
    ~ContainerWriter();
    ContainerWriter(const ContainerWriter&) = delete;
    ContainerWriter& operator=(const ContainerWriter&) = delete;

    // Creates `path` (which must not exist yet) and writes the container's header.
    bool Open(const std::string& path, const ContainerSetup& setup, std::string* error);
    // Times in 1/45,000-second ticks.
    bool WriteVideo(std::span<const uint8_t> picture, int64_t pts, int64_t dts, bool key);
    bool WriteAudio(std::span<const uint8_t> alaw, int64_t pts);
    bool WriteSubtitle(const std::string& text, int64_t pts, int64_t duration);
    // Writes the trailer and closes the file.
    bool Finish(std::string* error);
    // Closes without finishing (the caller removes the file).
    void Abort();

    AudioCarriage audioCarriage() const { return carriage_; }
    // The libavformat muxer in use ("mp4", "mov", "matroska").
    const std::string& muxer() const { return muxer_; }

  private:
    bool OpenAs(const std::string& path, const ContainerSetup& setup, const std::string& muxer,
                AudioCarriage carriage, std::string* error);
    bool Write(AVStream* stream, std::span<const uint8_t> bytes, int64_t pts, int64_t dts,
               int64_t duration, bool key);
    void Close();

    AVFormatContext* context_ = nullptr;
    AVStream* video_ = nullptr;
    AVStream* audio_ = nullptr;
    AVStream* subtitles_ = nullptr;
    AVPacket* packet_ = nullptr;
    AudioCarriage carriage_ = AudioCarriage::kNone;
    std::string muxer_;
    std::vector<uint8_t> pcm_;
    std::string lastError_;
};

// G.711 A-law to 16-bit linear.
int16_t ALawToLinear(uint8_t code);

}  // namespace exporter
