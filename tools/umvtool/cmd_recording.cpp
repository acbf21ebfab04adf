// info, frames, reindex: reading recordings.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "media/frame_index.h"
#include "media/index_entry.h"
#include "media/recording_file.h"
#include "media/wall_time.h"
#include "platform/mapped_file.h"
#include "player/player_strings.h"
#include "tools/umvtool/command.h"

namespace umvtool {
namespace {

std::string OpenErrorText(media::OpenError error) {
    return player::PlayerStrings().Str(error == media::OpenError::kCantOpen
                                           ? player::kTextFileCantOpened
                                           : player::kTextImproperFileType);
}

// Opens the recording named by a command's single PATH argument; prints why when it fails.
int OpenFromArgs(const char* command, std::span<char* const> words, media::RecordingFile* file) {
    Args args(words, {}, {});
    if (!args.ok()) return UsageError(command, args.error());
    if (args.positional().size() != 1) return UsageError(command, "expected one PATH");
    const std::string& path = args.positional()[0];
    media::OpenError error = file->Open(path);
    if (error != media::OpenError::kNone) return FailFile(path, OpenErrorText(error));
    return kExitOk;
}

}  // namespace

void WarnAboutIndex(const media::FrameIndex& index) {
    if (index.framesCut())
        std::fprintf(stderr, "warning: the recording was cut at %zu pictures\n",
                     media::FrameIndex::kFrameCapacity);
    if (index.audioCut())
        std::fprintf(stderr, "warning: the recording was cut at %zu audio blocks\n",
                     media::FrameIndex::kAudioCapacity);
    if (index.tornRecords() > 0)
        std::fprintf(stderr,
                     "warning: the recording ends inside a record; %zu incomplete record(s) left "
                     "out\n",
                     index.tornRecords());
}

namespace {}  // namespace

int RunInfo(std::span<char* const> words) {
    media::RecordingFile file;
    if (int status = OpenFromArgs("info", words, &file); status != kExitOk) return status;
    const media::FrameIndex& index = file.index();
    std::printf("frames: %zu\n", index.frameCount());
    std::printf("audio: %zu\n", index.audioCount());
    std::printf("channels:");
    for (int c = 0; c < media::kChannelCount; ++c)
        if (index.channelAccepted(c)) std::printf(" %d", c + 1);
    std::printf("\nmodel: %d\n", index.modelCode());
    if (index.frameCount() > 0) {
        std::printf("first: %s\n", media::FormatWallTime(index.frames().front().time).c_str());
        std::printf("last: %s\n", media::FormatWallTime(index.frames().back().time).c_str());
    } else {
        std::printf("first: none\nlast: none\n");
    }
    std::fflush(stdout);
    WarnAboutIndex(index);
    return kExitOk;
}

int RunFrames(std::span<char* const> words) {
    media::RecordingFile file;
    if (int status = OpenFromArgs("frames", words, &file); status != kExitOk) return status;
    const auto frames = file.index().frames();
    std::string out;
    out.reserve(frames.size() * 48);
    char line[96];
    for (size_t i = 0; i < frames.size(); ++i) {
        const media::FrameEntry& e = frames[i];
        std::snprintf(line, sizeof line, "%zu %d %d %u %s\n", i, e.channel + 1, e.kind, e.stamp,
                      media::FormatWallTime(e.time).c_str());
        out += line;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kExitOk;
}

int RunReindex(std::span<char* const> words) {
    Args args(words, {}, {"force"});
    if (!args.ok()) return UsageError("reindex", args.error());
    if (args.positional().size() != 1) return UsageError("reindex", "expected one FILE.umv");
    const std::string dataPath = args.positional()[0];
    const std::string indexPath = media::IndexPathForData(dataPath);
    std::error_code ec;
    if (std::filesystem::exists(indexPath, ec) && !args.has("force"))
        return FailFile(indexPath, "exists; use --force to replace it");

    platform::MappedFile data;
    if (data.Open(dataPath) != platform::MapError::kNone)
        return FailFile(dataPath, OpenErrorText(media::OpenError::kCantOpen));
    if (!media::CheckDataStream(data.bytes(), nullptr))
        return FailFile(dataPath, OpenErrorText(media::OpenError::kImproperType));

    // One entry per whole record, exactly as the writer appends them; a torn tail is left out.
    // An index entry holds a 32-bit offset: records that start past 4 GiB cannot be indexed.
    std::vector<uint8_t> entries;
    size_t offset = 0;
    size_t records = 0;
    size_t unaddressable = 0;
    while (data.size() - offset >= media::kFrameHeaderSize) {
        const uint8_t* h = data.data() + offset;
        const size_t extent = media::RecordExtent(h);
        if (extent > data.size() - offset) break;
        if (offset > UINT32_MAX) {
            ++unaddressable;
        } else {
            uint8_t entry[media::kIndexEntrySize];
            media::IndexEntry::ForRecord(media::FrameHeader::Decode(h),
                                         static_cast<uint32_t>(offset))
                .Encode(entry);
            entries.insert(entries.end(), entry, entry + sizeof entry);
            ++records;
        }
        offset += extent;
    }
    const std::string temp = indexPath + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0 &&
              ::write(fd, entries.data(), entries.size()) == static_cast<ssize_t>(entries.size());
    if (fd >= 0) ok = ::fsync(fd) == 0 && ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), indexPath.c_str()) != 0) {
        ::unlink(temp.c_str());
        return FailFile(indexPath, "cannot write the index");
    }
    std::printf("records: %zu\n", records);
    std::fflush(stdout);
    if (unaddressable > 0)
        std::fprintf(stderr,
                     "warning: the index format cannot address records past 4 GiB; %zu record(s) "
                     "after it left out\n",
                     unaddressable);
    if (offset < data.size())
        std::fprintf(stderr, "warning: %zu bytes after the last complete record left out\n",
                     data.size() - offset);
    return kExitOk;
}

}  // namespace umvtool
