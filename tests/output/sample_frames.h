// The pictures of a bundled sample recording, read once, in play order.
#pragma once

#include <string>
#include <vector>

#include "media/frame_header.h"
#include "media/recording_file.h"

namespace testsupport {

struct SampleFrame {
    int channel = 0;
    int kind = 0;
    media::FrameHeader header;
    std::vector<uint8_t> bytes;
};

struct SampleRecording {
    std::vector<SampleFrame> frames;
    int sizeCode = -1;
};

// `relative`: a path below samples/ ("cif_16ch/Depot_20260314_095952/20260314_095952.idx").
inline SampleRecording LoadSample(const std::string& relative) {
    SampleRecording s;
    media::RecordingFile file;
    if (file.Open(std::string(DVR_SOURCE_DIR) + "/samples/" + relative) != media::OpenError::kNone)
        return s;
    std::vector<uint8_t> buffer(media::kMaxPayloadSize);
    for (size_t i = 0; i < file.index().frameCount(); ++i) {
        SampleFrame f;
        size_t size = 0;
        if (!file.ReadVideo(i, &f.header, buffer.data(), &size)) continue;
        f.channel = f.header.channel;
        f.kind = f.header.kind;
        f.bytes.assign(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(size));
        if (s.sizeCode < 0) s.sizeCode = f.header.sizeCode();
        s.frames.push_back(std::move(f));
    }
    return s;
}

inline const char* kCifSample = "cif_16ch/Depot_20260314_095952/20260314_095952.idx";
inline const char* kD1Sample = "d1_4ch/Lobby_20260314_095952/20260314_095952.idx";

}  // namespace testsupport
