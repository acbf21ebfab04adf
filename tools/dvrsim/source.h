// The recordings a simulated recorder serves: every record of one recording file pair, held in
// memory in stream order, video and audio apart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/frame_header.h"

namespace dvrsim {

struct SourceRecord {
    media::FrameHeader header;
    std::vector<uint8_t> payload;
};

class Source {
  public:
    // Opens `path`: an ".idx" or ".umv" file, or a folder searched (recursively) for the first
    // ".idx" file in name order. False with a reason when nothing usable is found.
    bool Load(const std::string& path, std::string* error);

    const std::vector<SourceRecord>& video() const { return video_; }
    const std::vector<SourceRecord>& audio() const { return audio_; }
    // Channels of the recorder the recording came from: 4, 8 or 16 by its model code.
    int channelCount() const;
    uint8_t modelCode() const { return modelCode_; }
    const std::string& path() const { return path_; }

  private:
    std::vector<SourceRecord> video_;
    std::vector<SourceRecord> audio_;
    uint8_t modelCode_ = 5;
    std::string path_;
};

}  // namespace dvrsim
