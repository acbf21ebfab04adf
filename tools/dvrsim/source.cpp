#include "tools/dvrsim/source.h"

#include <algorithm>
#include <filesystem>

#include "media/recording_file.h"

namespace dvrsim {
namespace fs = std::filesystem;

namespace {

std::string FindIndex(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file()) continue;
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (ext == ".idx") found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    return found.empty() ? std::string() : found.front();
}

}  // namespace

int Source::channelCount() const {
    return modelCode_ == 3 ? 4 : modelCode_ == 4 ? 8 : 16;
}

bool Source::Load(const std::string& path, std::string* error) {
    std::string file = path;
    if (fs::is_directory(path)) {
        file = FindIndex(path);
        if (file.empty()) {
            *error = "no recording (.idx) under " + path;
            return false;
        }
    }
    media::RecordingFile recording;
    if (recording.Open(file) != media::OpenError::kNone) {
        *error = "cannot open the recording " + file;
        return false;
    }
    path_ = file;
    video_.clear();
    audio_.clear();
    std::vector<uint8_t> buffer(media::kMaxPayloadSize);
    const media::FrameIndex& index = recording.index();
    for (size_t i = 0; i < index.frameCount(); ++i) {
        media::FrameHeader header;
        size_t size = 0;
        if (!recording.ReadVideo(i, &header, buffer.data(), &size)) continue;
        SourceRecord r;
        r.header = header;
        r.payload.assign(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(size));
        r.payload.resize(header.payloadSize());
        video_.push_back(std::move(r));
    }
    for (size_t j = 0; j < index.audioCount(); ++j) {
        SourceRecord r;
        r.payload.resize(media::kAudioPayloadSize);
        const int channel = recording.ReadAudio(j, r.payload.data());
        if (channel < 0) continue;
        r.header.channel = static_cast<uint8_t>(channel);
        r.header.kind = static_cast<uint8_t>(media::FrameKind::Audio);
        r.header.length = media::kAudioPayloadSize / 32;
        r.header.stamp = index.audio()[j].stamp;
        audio_.push_back(std::move(r));
    }
    if (video_.empty()) {
        *error = "the recording " + file + " holds no pictures";
        return false;
    }
    modelCode_ = std::max<uint8_t>(video_.front().header.modelCode, 3);
    for (SourceRecord& r : audio_)
        r.header.modelCode = modelCode_;
    return true;
}

}  // namespace dvrsim
