#include "export/clip_export.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "export/manifest.h"
#include "export/wall_time_cues.h"
#include "media/calendar_file.h"
#include "media/wall_time.h"
#include "platform/regular_file.h"

namespace exporter {
namespace {

namespace fs = std::filesystem;

bool Cancelled(const ExportCallbacks& cb) {
    return cb.cancelled && cb.cancelled();
}

// Reports progress as parts of a thousand, `phase` of `phases` equal phases.
void Report(const ExportCallbacks& cb, int phase, int phases, uint64_t done, uint64_t total) {
    if (!cb.progress || total == 0) return;
    const uint64_t share = 1000 / static_cast<uint64_t>(phases);
    cb.progress(share * static_cast<uint64_t>(phase) + share * std::min(done, total) / total, 1000);
}

std::string Errno(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

// A name in the same folder as `path`, hidden and unique to this process.
std::string TemporaryName(const std::string& path) {
    static int counter = 0;
    const fs::path p(path);
    return (p.parent_path() / ("." + p.filename().string() + ".partial-" +
                               std::to_string(::getpid()) + "-" + std::to_string(++counter)))
        .string();
}

// Moves a finished file or folder to its name, never over something that is there.
bool Publish(const std::string& from, const std::string& to, std::string* error) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        *error = errno == EEXIST ? to + ": already exists" : Errno(to);
        return false;
    }
    return true;
}

// A message about a temporary name, told with the name the user gave.
std::string NameFinal(std::string message, const std::string& temp, const std::string& final) {
    for (size_t at = message.find(temp); at != std::string::npos; at = message.find(temp, at))
        message.replace(at, temp.size(), final);
    return message;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool WriteNewFile(const std::string& path, const void* data, size_t size, std::string* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = Errno(path);
        return false;
    }
    const auto* p = static_cast<const uint8_t*>(data);
    size_t left = size;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n <= 0) {
            *error = Errno(path);
            ::close(fd);
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        *error = Errno(path);
        return false;
    }
    return true;
}

// The VO/VOL headers in front of the first Intra picture's VOP start code.
std::vector<uint8_t> VideoHeaders(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 3 < size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && data[i + 3] == 0xB6)
            return std::vector<uint8_t>(data, data + i);
    }
    return {};
}

// Writes the clip into `path` as `kind`; `phase` places it in the progress.
bool WriteContainer(ClipPlan& plan, const std::string& path, ContainerKind kind,
                    const ExportCallbacks& cb, int phase, int phases, ExportResult* result) {
    auto& files = plan.files();
    const auto& pictures = plan.pictures();
    std::vector<uint8_t> buffer(media::kMaxPayloadSize);
    media::FrameHeader header;
    size_t size = 0;
    const ClipPicture& first = pictures.front();
    if (!files[first.file].recording->ReadVideo(first.entry, &header, buffer.data(), &size)) {
        result->error = files[first.file].dataPath + ": the first picture cannot be read";
        return false;
    }
    ContainerSetup setup;
    setup.kind = kind;
    const media::PictureSize picture = media::PictureSizeOf(header.sizeCode());
    setup.width = picture.width;
    setup.height = picture.height;
    setup.videoHeaders = VideoHeaders(buffer.data(), size);
    setup.audio = !plan.audio().empty();
    setup.subtitles = kind == ContainerKind::kMatroska;
    ContainerWriter writer;
    if (!writer.Open(path, setup, &result->error)) return false;
    result->audio = writer.audioCarriage();
    result->muxer = writer.muxer();

    const std::vector<WallTimeCue> cues =
        setup.subtitles ? WallTimeCues(plan) : std::vector<WallTimeCue>{};
    const auto& audio = plan.audio();
    size_t nextAudio = 0;
    size_t nextCue = 0;
    std::vector<uint8_t> block(media::kAudioPayloadSize);
    auto writeUntil = [&](int64_t time) {
        for (; nextAudio < audio.size() && audio[nextAudio].pts <= time; ++nextAudio) {
            const ClipAudio& a = audio[nextAudio];
            if (files[a.file].recording->ReadAudio(a.entry, block.data()) < 0) return false;
            if (!writer.WriteAudio(block, a.pts)) return false;
            ++result->audioBlocks;
        }
        for (; nextCue < cues.size() && cues[nextCue].start <= time; ++nextCue) {
            const WallTimeCue& c = cues[nextCue];
            if (!writer.WriteSubtitle(media::FormatWallTime(c.wall), c.start, c.end - c.start))
                return false;
        }
        return true;
    };
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (Cancelled(cb)) {
            result->cancelled = true;
            return false;
        }
        const ClipPicture& p = pictures[i];
        if (!files[p.file].recording->ReadVideo(p.entry, &header, buffer.data(), &size)) {
            result->error = files[p.file].dataPath + ": a picture of the clip cannot be read";
            return false;
        }
        // Records pad a picture with zero bytes to a multiple of 32; the padding is no part of
        // the picture (a decoder reads zeros past its end anyway) and other decoders stumble
        // over it, so it stays out.
        while (size > 0 && buffer[size - 1] == 0)
            --size;
        if (!writeUntil(p.dts) ||
            !writer.WriteVideo(std::span(buffer.data(), size), p.pts, p.dts,
                               p.kind == static_cast<uint8_t>(media::FrameKind::Intra))) {
            result->error = path + ": writing failed";
            return false;
        }
        ++result->pictures;
        if ((i & 63) == 0) Report(cb, phase, phases, i, pictures.size());
    }
    if (!writeUntil(INT64_MAX)) {
        result->error = path + ": writing failed";
        return false;
    }
    std::string error;
    if (!writer.Finish(&error)) {
        result->error = path + ": " + error;
        return false;
    }
    Report(cb, phase, phases, 1, 1);
    return true;
}

void RemoveAll(const std::vector<std::string>& paths) {
    std::error_code ec;
    for (const std::string& p : paths)
        fs::remove_all(p, ec);
}

void FillTimes(const ClipPlan& plan, ExportResult* result) {
    const std::vector<WallTimeCue> cues = WallTimeCues(plan);
    result->durationTicks = plan.durationTicks();
    if (!cues.empty()) {
        result->firstWall = cues.front().wall;
        result->lastWall = cues.back().wall;
    }
}

// Copies a file byte for byte into `to` (which must not exist), and checks that what landed
// there reads back the same.
bool CopyExactly(const std::string& from, const std::string& to, const ExportCallbacks& cb,
                 uint64_t* done, uint64_t total, ExportResult* result) {
    const int in = platform::OpenRegularFile(from);
    if (in < 0) {
        result->error = from + ": cannot be read";
        return false;
    }
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        result->error = Errno(to);
        ::close(in);
        return false;
    }
    std::vector<uint8_t> buffer(1 << 20);
    bool ok = true;
    while (ok) {
        if (Cancelled(cb)) {
            result->cancelled = true;
            ok = false;
            break;
        }
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            result->error = Errno(from);
            ok = false;
        }
        if (n <= 0) break;
        if (::write(out, buffer.data(), static_cast<size_t>(n)) != n) {
            result->error = Errno(to);
            ok = false;
        }
        *done += static_cast<uint64_t>(n);
        Report(cb, 0, 2, *done, total);
    }
    ::close(in);
    if (::fsync(out) != 0) ok = false;
    if (::close(out) != 0) ok = false;
    if (!ok) {
        if (result->error.empty() && !result->cancelled) result->error = Errno(to);
        return false;
    }
    std::string a, b;
    uint64_t sa = 0, sb = 0;
    if (!HashFile(from, &a, &sa) || !HashFile(to, &b, &sb) || a != b || sa != sb) {
        result->error = to + ": the copy differs from " + from;
        return false;
    }
    return true;
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    return media::FormatWallTime(static_cast<int64_t>(now)) + " UTC";
}

}  // namespace

bool ContainerForName(const std::string& path, ContainerKind* kind) {
    std::string ext = fs::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".mp4")
        *kind = ContainerKind::kMp4;
    else if (ext == ".mkv")
        *kind = ContainerKind::kMatroska;
    else
        return false;
    return true;
}

std::string SidePath(const std::string& path, const char* extension) {
    return fs::path(path).replace_extension(extension).string();
}

std::string AudioCarriageText(AudioCarriage carriage) {
    switch (carriage) {
        case AudioCarriage::kALaw:
            return "A-law 8000 Hz mono, as recorded";
        case AudioCarriage::kPcm16:
            return "16-bit PCM 8000 Hz mono, expanded from A-law";
        case AudioCarriage::kNone:
            break;
    }
    return "none";
}

ExportResult ExportClip(ClipPlan& plan, const std::string& out, const ExportCallbacks& callbacks) {
    ExportResult result;
    ContainerKind kind;
    if (!ContainerForName(out, &kind)) {
        result.error = out + ": the name must end in .mp4 or .mkv";
        return result;
    }
    const std::string finals[3] = {out, SidePath(out, ".srt"), SidePath(out, ".vtt")};
    for (const std::string& f : finals) {
        if (Exists(f)) {
            result.error = f + ": already exists";
            return result;
        }
    }
    std::vector<std::string> temps;
    for (const std::string& f : finals)
        temps.push_back(TemporaryName(f));
    FillTimes(plan, &result);
    const std::vector<WallTimeCue> cues = WallTimeCues(plan);
    const std::string srt = SubRipText(cues, plan.firstPts());
    const std::string vtt = WebVttText(cues, plan.firstPts());
    bool ok = WriteContainer(plan, temps[0], kind, callbacks, 0, 1, &result) &&
              WriteNewFile(temps[1], srt.data(), srt.size(), &result.error) &&
              WriteNewFile(temps[2], vtt.data(), vtt.size(), &result.error);
    std::vector<std::string> published;
    for (int i = 0; ok && i < 3; ++i) {
        ok = Publish(temps[i], finals[i], &result.error);
        if (ok) published.push_back(finals[i]);
    }
    if (!ok) {
        RemoveAll(temps);
        RemoveAll(published);
        for (int i = 0; i < 3; ++i)
            result.error = NameFinal(result.error, temps[i], finals[i]);
        return result;
    }
    result.ok = true;
    result.written.assign(std::begin(finals), std::end(finals));
    return result;
}

ExportResult ExportEvidence(ClipPlan& plan, const std::string& dir, const std::string& program,
                            const ExportCallbacks& callbacks) {
    ExportResult result;
    std::string target = dir;
    while (target.size() > 1 && target.back() == '/')
        target.pop_back();
    if (Exists(target)) {
        result.error = target + ": already exists";
        return result;
    }
    const std::string temp = TemporaryName(target);
    if (::mkdir(temp.c_str(), 0755) != 0) {
        result.error = Errno(target);
        return result;
    }
    FillTimes(plan, &result);
    // The recording files that hold the clip's pictures, and the calendar of their folder.
    std::vector<std::string> sources;
    for (size_t f : plan.filesUsed()) {
        const ClipFile& file = plan.files()[f];
        if (!file.indexPath.empty()) sources.push_back(file.indexPath);
        sources.push_back(file.dataPath);
    }
    const std::string folder = fs::path(plan.files().front().dataPath).parent_path().string();
    const std::string calendarPath = media::Calendar::FindInFolder(folder.empty() ? "." : folder);
    if (!calendarPath.empty()) sources.push_back(calendarPath);
    uint64_t total = 0;
    for (const std::string& s : sources) {
        std::error_code ec;
        total += fs::file_size(s, ec);
    }
    uint64_t done = 0;
    bool ok = true;
    for (const std::string& s : sources) {
        ok = CopyExactly(s, (fs::path(temp) / fs::path(s).filename()).string(), callbacks, &done,
                         total, &result);
        if (!ok) break;
    }
    const std::string clip = (fs::path(temp) / "clip.mp4").string();
    ok = ok && WriteContainer(plan, clip, ContainerKind::kMp4, callbacks, 1, 2, &result);
    const std::vector<WallTimeCue> cues = WallTimeCues(plan);
    const std::string srt = SubRipText(cues, plan.firstPts());
    const std::string vtt = WebVttText(cues, plan.firstPts());
    ok = ok && WriteNewFile((fs::path(temp) / "clip.srt").string(), srt.data(), srt.size(),
                            &result.error);
    ok = ok && WriteNewFile((fs::path(temp) / "clip.vtt").string(), vtt.data(), vtt.size(),
                            &result.error);
    if (ok) {
        media::Calendar calendar;
        const std::string recorder = !calendarPath.empty() && calendar.LoadFile(calendarPath)
                                         ? calendar.header().recorderName
                                         : std::string("unknown");
        Manifest manifest;
        manifest.facts = {
            {"recorder", recorder},
            {"channel", std::to_string(plan.request().channel + 1)},
            {"from", plan.request().from ? media::FormatWallTime(*plan.request().from) : "-"},
            {"to", plan.request().to ? media::FormatWallTime(*plan.request().to) : "-"},
            {"first", media::FormatWallTime(result.firstWall)},
            {"last", media::FormatWallTime(result.lastWall)},
            {"pictures", std::to_string(result.pictures)},
            {"audio-blocks", std::to_string(result.audioBlocks)},
            {"audio", AudioCarriageText(result.audio)},
            {"program", program},
            {"exported", UtcNow()},
        };
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(temp))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            ManifestFile file;
            file.name = name;
            if (!HashFile((fs::path(temp) / name).string(), &file.sha256, &file.size)) {
                result.error = name + ": cannot be read back";
                ok = false;
                break;
            }
            manifest.files.push_back(std::move(file));
        }
        const std::string text = FormatManifest(manifest);
        ok = ok && WriteNewFile((fs::path(temp) / kManifestName).string(), text.data(), text.size(),
                                &result.error);
    }
    if (ok) {
        const int fd = ::open(temp.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        ok = Publish(temp, target, &result.error);
    }
    if (!ok) {
        RemoveAll({temp});
        result.error = NameFinal(result.error, temp, target);
        result.pictures = result.audioBlocks = 0;
        return result;
    }
    result.ok = true;
    result.written = {target};
    return result;
}

}  // namespace exporter
