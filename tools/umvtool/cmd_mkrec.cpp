// mkrec: builds recording folders from MPEG-4 elementary streams, as a recorder would have
// recorded them: kinds from the VOP coding type, VO+VOL headers in front of every Intra picture,
// 45 kHz stamps in decode order, date and time from a start time and the frame rate, audio
// blocks of 2,048 A-law bytes interleaved by stamp, pairs split every five minutes, and the
// folder's calendar file with one entry per recorded minute (causes from the records).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "media/frame_header.h"
#include "media/recording_session.h"
#include "media/wall_time.h"
#include "platform/regular_file.h"
#include "player/player_strings.h"
#include "tools/umvtool/command.h"
#include "tools/umvtool/elementary_stream.h"
#include "tools/umvtool/printable.h"

namespace umvtool {
namespace {

struct Span {
    int channel;  // 0-based
    double from;  // seconds after the start
    double to;
};

struct PendingRecord {
    uint32_t stampOffset;  // ticks after the first stamp (sorting key)
    int order;             // tie-break: video before audio, then channel
    std::vector<uint8_t> bytes;
};

bool ReadFile(const std::string& path, std::vector<uint8_t>* out) {
    return platform::ReadRegularFile(path, out);
}

std::string CantOpenText() {
    return player::PlayerStrings().Str(player::kTextFileCantOpened);
}

bool ParseChannelSpan(const std::string& text, Span* span) {
    int channel = 0;
    double from = 0, to = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d:%lf-%lf%c", &channel, &from, &to, &tail) != 3) return false;
    if (channel < 1 || channel > media::kChannelCount || to < from) return false;
    *span = {channel - 1, from, to};
    return true;
}

// "CH:TEXT" with CH 1..16: the 0-based channel and the text.
bool ParseChannelWord(const std::string& word, int* channel, std::string* text) {
    const size_t colon = word.find(':');
    if (colon == std::string::npos) return false;
    *channel = std::atoi(word.substr(0, colon).c_str()) - 1;
    *text = word.substr(colon + 1);
    return *channel >= 0 && *channel < media::kChannelCount;
}

bool Within(const std::vector<Span>& spans, int channel, double t) {
    for (const Span& s : spans)
        if (s.channel == channel && t >= s.from && t < s.to) return true;
    return false;
}

}  // namespace

int RunMkrec(std::span<char* const> words) {
    Args args(
        words,
        {"out", "start", "dvr-name", "fps", "model", "stamp", "audio", "motion", "sensor", "title"},
        {});
    if (!args.ok()) return UsageError("mkrec", args.error());
    const auto out = args.value("out");
    const auto startText = args.value("start");
    media::CivilTime start;
    if (!out || !startText) return UsageError("mkrec", "--out and --start are required");
    if (!media::ParseCivil(*startText, &start))
        return UsageError("mkrec", "--start wants \"YYYY-MM-DD hh:mm:ss\"");
    const std::vector<std::string>& streams = args.positional();
    if (streams.empty() || streams.size() > media::kChannelCount)
        return UsageError("mkrec", "expected 1 to 16 streams (\"-\" for a channel without video)");
    const double fps = std::atof(args.value("fps").value_or("30").c_str());
    if (!(fps > 0 && fps <= 120)) return UsageError("mkrec", "--fps must be in (0, 120]");
    const int channels = static_cast<int>(streams.size());
    int model = channels <= 4 ? 3 : channels <= 8 ? 4 : 5;
    if (auto m = args.value("model")) model = std::atoi(m->c_str());
    if (model < 3 || model > 255) return UsageError("mkrec", "--model must be 3 or more");
    const uint32_t stamp0 = static_cast<uint32_t>(
        std::strtoul(args.value("stamp").value_or("1000000").c_str(), nullptr, 0));
    std::vector<Span> motion, sensor;
    for (const auto& [option, list] :
         {std::pair{"motion", &motion}, std::pair{"sensor", &sensor}}) {
        for (const std::string& text : args.values(option)) {
            Span s;
            if (!ParseChannelSpan(text, &s))
                return UsageError("mkrec", std::string("--") + option + " wants CH:FROM-TO");
            list->push_back(s);
        }
    }
    // Channel titles as the recorder announces them: "CAM n" for each of its channels unless
    // given.
    const int recorderChannels = model == 3 ? 4 : model == 4 ? 8 : 16;
    std::array<std::string, media::kCalendarChannels> titles;
    for (int c = 0; c < recorderChannels; ++c)
        titles[c] = "CAM " + std::to_string(c + 1);
    for (const std::string& word : args.values("title")) {
        int channel;
        std::string text;
        if (!ParseChannelWord(word, &channel, &text))
            return UsageError("mkrec", "--title wants CH:TEXT");
        titles[channel] = text;
    }
    struct AudioSource {
        int channel;
        std::vector<uint8_t> bytes;
    };
    std::vector<AudioSource> audio;
    uint16_t audioChannels = 0;
    for (const std::string& word : args.values("audio")) {
        int channel;
        std::string file;
        if (!ParseChannelWord(word, &channel, &file))
            return UsageError("mkrec", "--audio wants CH:FILE");
        AudioSource source{channel, {}};
        if (!ReadFile(file, &source.bytes)) return FailFile(file, CantOpenText());
        audioChannels |= static_cast<uint16_t>(1u << source.channel);
        audio.push_back(std::move(source));
    }

    const int64_t startWall = media::WallTimeOf(start.year - 1900, start.month - 1, start.day,
                                                start.hour, start.minute, start.second);
    auto fillHeader = [&](media::FrameHeader* h, int channel, double seconds, uint32_t offset) {
        const media::CivilTime t =
            media::BreakWallTime(startWall + static_cast<int64_t>(std::floor(seconds)));
        h->channel = static_cast<uint8_t>(channel);
        h->year = static_cast<uint8_t>(t.year - 1900);
        h->month = static_cast<uint8_t>(t.month - 1);
        h->day = static_cast<uint8_t>(t.day);
        h->hour = static_cast<uint8_t>(t.hour);
        h->minute = static_cast<uint8_t>(t.minute);
        h->second = static_cast<uint8_t>(t.second);
        h->stamp = stamp0 + offset;
        h->modelCode = static_cast<uint8_t>(model);
        if (audioChannels & (1u << channel)) h->flags |= media::kFlagHasAudio;
        if (Within(sensor, channel, seconds)) {
            h->flags |= media::kFlagSensor;
            h->cause = 2;
        } else if (Within(motion, channel, seconds)) {
            h->flags |= media::kFlagMotion;
            h->cause = 1;
        }
    };

    std::vector<PendingRecord> records;
    for (int channel = 0; channel < channels; ++channel) {
        if (streams[channel] == "-") continue;
        std::vector<uint8_t> stream;
        if (!ReadFile(streams[channel], &stream)) return FailFile(streams[channel], CantOpenText());
        VolInfo vol;
        if (!FindVolInfo(stream, &vol))
            return Fail("umvtool: " + streams[channel] + " has no readable video object layer");
        const int sizeCode = media::SizeCodeOf(vol.width, vol.height);
        if (sizeCode < 0)
            return Fail("umvtool: " + streams[channel] + ": picture size " +
                        std::to_string(vol.width) + "x" + std::to_string(vol.height) +
                        " is not a recorder size");
        const std::vector<uint8_t> headers = VoVolHeaders(stream);
        const std::vector<EsFrame> frames = SplitElementaryStream(stream);
        for (size_t i = 0; i < frames.size(); ++i) {
            const EsFrame& f = frames[i];
            if (f.vopType > 2) return Fail("umvtool: sprite VOPs cannot be recorded");
            std::vector<uint8_t> payload;
            if (f.vopType == 0 && !f.hasVol) payload = headers;
            payload.insert(payload.end(), stream.begin() + static_cast<ptrdiff_t>(f.begin),
                           stream.begin() + static_cast<ptrdiff_t>(f.end));
            payload.resize((payload.size() + 31) / 32 * 32, 0);
            if (payload.size() > media::kMaxPayloadSize || payload.size() / 32 > 0xFFFF)
                return Fail("umvtool: a picture of " + streams[channel] + " is too large");
            const double seconds = static_cast<double>(i) / fps;
            const auto offset = static_cast<uint32_t>(std::llround(seconds * 45000.0));
            media::FrameHeader h;
            h.kind = static_cast<uint8_t>(f.vopType);  // I Intra, P Anchor, B Predicted
            h.flags = media::SizeCodeFlags(sizeCode);
            h.length = static_cast<uint16_t>(payload.size() / 32);
            fillHeader(&h, channel, seconds, offset);
            PendingRecord r{offset, channel, std::vector<uint8_t>(media::kFrameHeaderSize)};
            h.Encode(r.bytes.data());
            r.bytes.insert(r.bytes.end(), payload.begin(), payload.end());
            records.push_back(std::move(r));
        }
    }
    for (const AudioSource& source : audio) {
        const size_t blocks = source.bytes.size() / media::kAudioPayloadSize;
        for (size_t j = 0; j < blocks; ++j) {
            const uint32_t offset = static_cast<uint32_t>(j * media::kAudioPayloadSize * 45 / 8);
            media::FrameHeader h;
            h.kind = static_cast<uint8_t>(media::FrameKind::Audio);
            h.length = media::kAudioPayloadSize / 32;
            fillHeader(&h, source.channel, offset / 45000.0, offset);
            h.flags &= static_cast<uint8_t>(~(media::kFlagMotion | media::kFlagSensor));
            h.cause = 0;
            PendingRecord r{offset, 100 + source.channel,
                            std::vector<uint8_t>(media::kFrameHeaderSize)};
            h.Encode(r.bytes.data());
            const uint8_t* block = source.bytes.data() + j * media::kAudioPayloadSize;
            r.bytes.insert(r.bytes.end(), block, block + media::kAudioPayloadSize);
            records.push_back(std::move(r));
        }
    }
    std::stable_sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
        return a.stampOffset != b.stampOffset ? a.stampOffset < b.stampOffset : a.order < b.order;
    });

    media::RecordingSession session(*out, args.value("dvr-name").value_or("DVR"));
    session.setChannelInfo(recorderChannels, titles);
    size_t written = 0;
    for (const PendingRecord& r : records) {
        const bool isAudio = r.bytes[1] == static_cast<uint8_t>(media::FrameKind::Audio);
        auto result = isAudio ? session.WriteAudio(r.bytes.data(), r.bytes.size())
                              : session.WriteVideo(r.bytes.data(), r.bytes.size());
        if (result == media::RecordingSession::Result::kError)
            return Fail("umvtool: cannot write the recording under " + *out);
        if (result == media::RecordingSession::Result::kWritten) ++written;
    }
    const std::string folder = session.folder();
    const int pairs = session.pairsOpened();
    session.Stop();
    if (session.error() != media::WriteError::kNone)
        return Fail("umvtool: cannot finish the recording under " + *out);
    if (session.calendarFailed())
        return Fail("umvtool: cannot write the calendar file under " + *out);
    std::printf("folder: %s\npairs: %d\nrecords: %zu\n", Printable(folder).c_str(), pairs, written);
    return kExitOk;
}

}  // namespace umvtool
