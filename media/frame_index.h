// The player's in-memory index of one opened recording, built from a ".idx" file or by walking a
// ".umv" data file alone, and ordered by stamp in (at most) two runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "media/frame_header.h"

namespace media {

struct FrameEntry {
    int64_t key;      // stamp widened for sorting (zero-extended from an index, sign-extended
                      // from a data walk)
    uint64_t offset;  // where the record's header starts in the data file; its payload follows
    uint32_t size;    // payload bytes (data file alone); 0 for a pair, read from the header
    uint32_t stamp;
    uint32_t time;  // wall time; a Predicted picture carries its channel's last Intra time
    uint8_t channel;
    uint8_t kind;
    uint8_t flags;     // header flags (data file alone); see hasFlags
    uint8_t hasFlags;  // 1 when `flags` was read with the entry
};

struct AudioEntry {
    int64_t key;
    uint64_t offset;  // where the record's header starts in the data file
    uint32_t stamp;
};

// Called now and then while an index is built: records done so far and in all.
using BuildProgress = std::function<void(size_t done, size_t total)>;

// Reads headers of the data file that belongs to an index, so entries whose record does not lie
// wholly inside the data file (a recording cut short) can be left out.
class DataFileProbe {
  public:
    virtual ~DataFileProbe() = default;
    virtual uint64_t DataSize() const = 0;
    virtual bool ReadHeader(uint64_t offset, uint8_t* header24) = 0;
};

// Answers whether the bytes start like a recording: three well-formed headers in a row.
// `modelCode` receives the model code of the last header checked.
bool CheckDataStream(std::span<const uint8_t> bytes, uint8_t* modelCode);
// How much of a ".umv" file the pair opener hands to CheckDataStream.
inline constexpr size_t kDataCheckBytes = 1310720;

class FrameIndex {
  public:
    static constexpr size_t kFrameCapacity = 75000;
    static constexpr size_t kAudioCapacity = 3000;
    static constexpr int kSeveralChannels = 255;
    static constexpr size_t kProgressEvery = 4096;

    FrameIndex();

    // Fills the index from a ".idx" file. False when the index is rejected (an accepted video
    // entry with non-zero bytes 14..19): "Improper file type.". `data` may be null.
    bool BuildFromIndex(std::span<const uint8_t> index, DataFileProbe* data,
                        const BuildProgress& progress = {});
    // Fills the index by walking the records of a ".umv" file opened alone.
    void BuildFromData(std::span<const uint8_t> data, const BuildProgress& progress = {});
    void Clear();

    std::span<const FrameEntry> frames() const { return frames_; }
    std::span<const AudioEntry> audio() const { return audio_; }
    size_t frameCount() const { return frames_.size(); }
    size_t audioCount() const { return audio_.size(); }

    // The channel of the first video record when only one channel occurs, else 255.
    int resultChannel() const { return several_ ? kSeveralChannels : resultChannel_; }
    int audioChannel() const { return audioChannel_; }
    uint8_t modelCode() const { return modelCode_; }
    void setModelCode(uint8_t code) { modelCode_ = code; }
    bool channelPresent(int channel) const { return present_[channel & 15]; }
    bool channelAccepted(int channel) const { return accepted_[channel & 15]; }

    // Capacity warnings: entries beyond 75,000 pictures or 3,000 audio blocks were not stored.
    bool framesCut() const { return framesCut_; }
    bool audioCut() const { return audioCut_; }
    // Records left out because they do not lie wholly inside the data file (torn tail), plus a
    // trailing partial index entry.
    size_t tornRecords() const { return torn_; }

  private:
    void Order();

    std::vector<FrameEntry> frames_;
    std::vector<AudioEntry> audio_;
    bool present_[kChannelCount] = {};
    bool accepted_[kChannelCount] = {};
    int resultChannel_ = 0;
    bool several_ = false;
    int audioChannel_ = -1;
    uint8_t modelCode_ = 0;
    bool framesCut_ = false;
    bool audioCut_ = false;
    size_t torn_ = 0;
};

}  // namespace media
