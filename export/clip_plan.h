// Which records of a recording make up an exported clip of one channel, and where each lands on
// the clip's time line: pictures in decode order with decode and presentation times, and the
// channel's audio blocks, all in 1/45,000-second ticks from the clip's first decode time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/recording_file.h"

namespace exporter {

inline constexpr int64_t kTicksPerSecond = 45000;
// Audio blocks hold 2,048 A-law samples at 8,000 samples per second.
inline constexpr int kAudioSampleRate = 8000;
inline constexpr int64_t kAudioBlockTicks = 2048 * kTicksPerSecond / kAudioSampleRate;

struct ClipRequest {
    std::string path;  // a ".idx" (pair), a ".umv" (data file alone) or a recording folder
    int channel = 0;   // 0..15
    std::optional<int64_t> from;  // wall time: the clip starts at the last Intra at or before it
    std::optional<int64_t> to;    // wall time: the last picture taken at or before it
};

struct ClipPicture {
    size_t file;   // into ClipPlan::files
    size_t entry;  // into that file's index().frames()
    int64_t dts;
    int64_t pts;
    uint32_t wall;  // the recorder's time of the picture (an Intra's for the pictures it leads)
    uint8_t kind;   // media::FrameKind
};

struct ClipAudio {
    size_t file;
    size_t entry;  // into that file's index().audio()
    int64_t pts;
};

struct ClipFile {
    std::string path;       // as opened
    std::string indexPath;  // "" for a data file alone
    std::string dataPath;
    std::unique_ptr<media::RecordingFile> recording;
};

class ClipPlan {
  public:
    // Opens the recording and picks the clip's records. False with a one-line `error` when the
    // recording cannot be read, lacks the channel or has no picture in the range.
    bool Build(const ClipRequest& request, std::string* error);

    const ClipRequest& request() const { return request_; }
    std::vector<ClipFile>& files() { return files_; }
    const std::vector<ClipFile>& files() const { return files_; }
    // Decode order; decode times rise strictly, presentation times never precede them.
    const std::vector<ClipPicture>& pictures() const { return pictures_; }
    const std::vector<ClipAudio>& audio() const { return audio_; }
    // The usual distance between two pictures (the median step), at least one tick.
    int64_t frameTicks() const { return frameTicks_; }
    // From the first presentation time to the end of the last picture shown.
    int64_t durationTicks() const;
    int64_t firstPts() const { return firstPts_; }
    // The files of the folder (or the one file) that hold at least one picture of the clip.
    std::vector<size_t> filesUsed() const;

    // Pictures in display order (indices into pictures()).
    std::vector<size_t> DisplayOrder() const;

  private:
    bool OpenFiles(std::string* error);
    void CollectChannel();
    bool CutToRange(std::string* error);
    void PlaceInTime();
    void CollectAudio();

    ClipRequest request_;
    std::vector<ClipFile> files_;
    std::vector<ClipPicture> pictures_;
    std::vector<ClipAudio> audio_;
    int64_t frameTicks_ = 1;
    int64_t firstPts_ = 0;
};

}  // namespace exporter
