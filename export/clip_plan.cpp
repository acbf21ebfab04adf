#include "export/clip_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "media/channel_cursor.h"
#include "media/wall_time.h"

namespace exporter {
namespace {

bool HasSuffix(const std::string& name, const char* suffix) {
    const std::string s(suffix);
    if (name.size() < s.size()) return false;
    return std::equal(
        s.begin(), s.end(), name.end() - static_cast<ptrdiff_t>(s.size()),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(b)) == a; });
}

// The recording files of a folder in time order (their names begin with the start time): the
// pairs by their ".idx", or the data files when the folder has no index at all.
std::vector<std::string> FolderRecordings(const std::string& folder) {
    std::vector<std::string> indexes, data;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string name = entry.path().filename().string();
        if (HasSuffix(name, ".idx")) indexes.push_back(entry.path().string());
        if (HasSuffix(name, ".umv")) data.push_back(entry.path().string());
    }
    std::vector<std::string>& chosen = indexes.empty() ? data : indexes;
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

bool IsIntra(uint8_t kind) {
    return kind == static_cast<uint8_t>(media::FrameKind::Intra);
}
bool IsBidirectional(uint8_t kind) {
    return kind == static_cast<uint8_t>(media::FrameKind::Predicted);
}

}  // namespace

bool ClipPlan::Build(const ClipRequest& request, std::string* error) {
    request_ = request;
    files_.clear();
    pictures_.clear();
    audio_.clear();
    if (request.channel < 0 || request.channel >= media::kChannelCount) {
        *error = "channel " + std::to_string(request.channel + 1) + " does not exist";
        return false;
    }
    if (!OpenFiles(error)) return false;
    CollectChannel();
    if (pictures_.empty()) {
        *error = request.path + ": channel " + std::to_string(request.channel + 1) +
                 " has no pictures in this recording";
        return false;
    }
    CollectAudio();
    if (!CutToRange(error)) return false;
    PlaceInTime();
    return true;
}

bool ClipPlan::OpenFiles(std::string* error) {
    std::vector<std::string> paths;
    struct stat st {};
    if (::stat(request_.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        paths = FolderRecordings(request_.path);
        if (paths.empty()) {
            *error = request_.path + ": the folder holds no recording";
            return false;
        }
    } else {
        paths.push_back(request_.path);
    }
    for (const std::string& path : paths) {
        ClipFile file;
        file.path = path;
        file.recording = std::make_unique<media::RecordingFile>();
        const media::OpenError opened = file.recording->Open(path);
        if (opened != media::OpenError::kNone) {
            *error = path + (opened == media::OpenError::kCantOpen ? ": cannot be opened"
                                                                   : ": not a recording");
            return false;
        }
        file.dataPath = file.recording->dataPath();
        if (file.recording->isPair()) file.indexPath = path;
        files_.push_back(std::move(file));
    }
    return true;
}

// Every picture of the channel in play order, with its time on one line of ticks across all
// files. Stamps step by their difference modulo 2^32; where they restart, or jump much further
// than the wall times do (another file, a reset recorder), the wall times give the step, so a
// gap in the recording stays a gap of the same length.
void ClipPlan::CollectChannel() {
    int64_t ticks = 0;
    uint32_t lastStamp = 0;
    uint32_t lastWall = 0;
    bool first = true;
    std::vector<int64_t> steps;
    for (size_t f = 0; f < files_.size(); ++f) {
        const media::FrameIndex& index = files_[f].recording->index();
        media::ChannelCursor cursor(index, request_.channel);
        if (cursor.empty()) continue;
        do {
            const media::FrameEntry& e = cursor.entry();
            if (!first) {
                int64_t step = static_cast<int32_t>(e.stamp - lastStamp);
                const int64_t wallStep =
                    std::abs(static_cast<int64_t>(e.time) - static_cast<int64_t>(lastWall));
                if (step <= 0 || step > (wallStep + 2) * kTicksPerSecond) {
                    const int64_t usual = steps.empty() ? 1 : steps[steps.size() / 2];
                    step = std::max(wallStep * kTicksPerSecond, usual);
                } else {
                    steps.push_back(step);
                }
                ticks += step;
            }
            first = false;
            lastStamp = e.stamp;
            // A Predicted picture carries its Intra's time: only the others move the wall clock.
            if (e.kind != static_cast<uint8_t>(media::FrameKind::Predicted)) lastWall = e.time;
            pictures_.push_back({f, cursor.position(), ticks, 0, e.time, e.kind});
        } while (cursor.Next());
    }
    if (!steps.empty()) {
        std::nth_element(steps.begin(), steps.begin() + static_cast<ptrdiff_t>(steps.size() / 2),
                         steps.end());
        frameTicks_ = std::max<int64_t>(1, steps[steps.size() / 2]);
    }
}

// The channel's audio blocks, each placed against the picture of its file recorded just
// before it (both on the recorder's one clock).
void ClipPlan::CollectAudio() {
    std::vector<uint8_t> block(media::kAudioPayloadSize);
    size_t p = 0;
    for (size_t f = 0; f < files_.size(); ++f) {
        while (p < pictures_.size() && pictures_[p].file < f)
            ++p;
        if (p == pictures_.size() || pictures_[p].file != f) continue;
        size_t ref = p;
        media::RecordingFile& recording = *files_[f].recording;
        const auto audio = recording.index().audio();
        const auto frames = recording.index().frames();
        for (size_t j = 0; j < audio.size(); ++j) {
            if (recording.ReadAudio(j, block.data()) != request_.channel) continue;
            while (ref + 1 < pictures_.size() && pictures_[ref + 1].file == f &&
                   static_cast<int32_t>(frames[pictures_[ref + 1].entry].stamp - audio[j].stamp) <=
                       0)
                ++ref;
            const int64_t offset =
                static_cast<int32_t>(audio[j].stamp - frames[pictures_[ref].entry].stamp);
            audio_.push_back({f, j, pictures_[ref].dts + offset});
        }
    }
}

bool ClipPlan::CutToRange(std::string* error) {
    size_t begin = 0;
    if (request_.from) {
        while (begin < pictures_.size() && pictures_[begin].wall < *request_.from)
            ++begin;
    }
    size_t end = pictures_.size();
    if (request_.to) {
        end = begin;
        while (end < pictures_.size() && pictures_[end].wall <= *request_.to)
            ++end;
    }
    // Back to the Intra that the first picture needs; without one, forward to the first.
    size_t start = begin;
    while (start < end && start > 0 && !IsIntra(pictures_[start].kind))
        --start;
    if (start < end && !IsIntra(pictures_[start].kind)) {
        while (start < end && !IsIntra(pictures_[start].kind))
            ++start;
    }
    if (start >= end) {
        std::string range = request_.from ? media::FormatWallTime(*request_.from) : "the start";
        range += " to ";
        range += request_.to ? media::FormatWallTime(*request_.to) : "the end";
        *error =
            "channel " + std::to_string(request_.channel + 1) + " has no pictures from " + range;
        return false;
    }
    std::vector<ClipPicture> kept;
    kept.push_back(pictures_[start]);
    size_t i = start + 1;
    // Bidirectional pictures right after the first Intra are shown before it and refer to an
    // anchor the clip does not hold (open groups): they stay out.
    if (start > 0) {
        while (i < end && IsBidirectional(pictures_[i].kind))
            ++i;
    }
    kept.insert(kept.end(), pictures_.begin() + static_cast<ptrdiff_t>(i),
                pictures_.begin() + static_cast<ptrdiff_t>(end));
    pictures_ = std::move(kept);
    return true;
}

std::vector<size_t> ClipPlan::DisplayOrder() const {
    std::vector<size_t> order;
    order.reserve(pictures_.size());
    std::optional<size_t> pending;
    for (size_t i = 0; i < pictures_.size(); ++i) {
        if (IsBidirectional(pictures_[i].kind)) {
            order.push_back(i);
            continue;
        }
        if (pending) order.push_back(*pending);
        pending = i;
    }
    if (pending) order.push_back(*pending);
    return order;
}

// Pictures are shown in display order at the recorded times, the k-th shown at the k-th
// stamp; when reordering would show a picture before it is decoded, everything is shown later
// by the smallest delay that avoids it.
void ClipPlan::PlaceInTime() {
    const int64_t origin = pictures_.front().dts;
    for (ClipPicture& p : pictures_)
        p.dts -= origin;
    const std::vector<size_t> order = DisplayOrder();
    int64_t delay = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        pictures_[order[k]].pts = pictures_[k].dts;
        delay = std::max(delay, pictures_[order[k]].dts - pictures_[k].dts);
    }
    for (ClipPicture& p : pictures_)
        p.pts += delay;
    firstPts_ = delay;
    const int64_t end = firstPts_ + durationTicks();
    std::vector<ClipAudio> kept;
    int64_t next = firstPts_;
    for (ClipAudio a : audio_) {
        a.pts += delay - origin;
        if (a.pts < firstPts_ || a.pts >= end) continue;
        a.pts = std::max(a.pts, next);
        next = a.pts + 1;
        kept.push_back(a);
    }
    audio_ = std::move(kept);
}

int64_t ClipPlan::durationTicks() const {
    if (pictures_.empty()) return 0;
    int64_t last = 0;
    for (const ClipPicture& p : pictures_)
        last = std::max(last, p.pts);
    return last + frameTicks_ - firstPts_;
}

std::vector<size_t> ClipPlan::filesUsed() const {
    std::vector<size_t> used;
    for (const ClipPicture& p : pictures_)
        if (used.empty() || used.back() != p.file) used.push_back(p.file);
    return used;
}

}  // namespace exporter
