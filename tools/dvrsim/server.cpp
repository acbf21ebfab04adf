#include "tools/dvrsim/server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>
#include <set>

#include "platform/hex_digest.h"
#include "tools/dvrsim/disk.h"
#include "tools/dvrsim/playback.h"

namespace dvrsim {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kStart[4] = {0xFB, 0xFB, 0xFB, 0xFC};
constexpr uint8_t kEnd[4] = {0xFB, 0xFB, 0xFB, 0xFD};
constexpr uint8_t kBadEnd[4] = {0xFB, 0xFB, 0xFB, 0xFE};
constexpr uint32_t kOversizedLength = 300000;

void PutBig32(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(static_cast<uint8_t>(v >> 24));
    out->push_back(static_cast<uint8_t>(v >> 16));
    out->push_back(static_cast<uint8_t>(v >> 8));
    out->push_back(static_cast<uint8_t>(v));
}

void AppendPacket(std::vector<uint8_t>* out, uint8_t cid, uint8_t cls, const uint8_t* payload,
                  size_t length, const uint8_t* endMarker = kEnd) {
    out->insert(out->end(), kStart, kStart + 4);
    out->push_back(cid);
    out->push_back(cls);
    PutBig32(out, static_cast<uint32_t>(length));
    out->insert(out->end(), payload, payload + length);
    out->insert(out->end(), endMarker, endMarker + 4);
}

std::map<std::string, std::string> ParseForm(const std::string& body) {
    std::map<std::string, std::string> fields;
    size_t at = 0;
    while (at <= body.size()) {
        size_t amp = body.find('&', at);
        if (amp == std::string::npos) amp = body.size();
        const std::string pair = body.substr(at, amp - at);
        const size_t eq = pair.find('=');
        if (!pair.empty()) {
            if (eq == std::string::npos)
                fields[pair] = "";
            else
                fields[pair.substr(0, eq)] = pair.substr(eq + 1);
        }
        at = amp + 1;
    }
    return fields;
}

int ToInt(const std::map<std::string, std::string>& m, const char* key, int fallback) {
    auto it = m.find(key);
    if (it == m.end() || it->second.empty()) return fallback;
    char* end = nullptr;
    const long v = std::strtol(it->second.c_str(), &end, 10);
    return *end == '\0' ? static_cast<int>(v) : fallback;
}

}  // namespace

struct Stream;

// One playback of the disk for a client (MODE 2), shared by its video stream, the client's
// recorded-audio stream (MODE 3) and the playback controls (MODE 5, OP 8).
struct PlaySession {
    PlaySession(const Disk& disk, const PlayRange& range) : playback(disk, range) {}
    Playback playback;  // guarded by the server's mutex
    std::atomic<size_t> reached{0};
    std::atomic<bool> ended{false};
};

struct Server::Impl {
    Options options;
    Source source;
    Disk disk;
    std::map<int, std::shared_ptr<PlaySession>> sessions;  // by ClientId
    std::shared_ptr<PlaySession> latestSession;
    MHD_Daemon* daemon = nullptr;
    uint16_t port = 0;
    std::atomic<bool> stopping{false};

    mutable std::mutex mutex;  // everything below
    std::condition_variable wake;
    std::set<int> leftClients;  // CIDs that sent their leave operation
    std::vector<std::string> controls;
    int liveClients = 0;
    int liveStreams = 0;  // video stream requests so far, live and recorded (fault selection)
    int streamsServed = 0;
    int nextClientId = 1;
    FILE* controlLog = nullptr;
    FILE* recordLog = nullptr;
    uint64_t loopTicks = 0;
    uint64_t audioLoopTicks = 0;

    int totalChannels() const {
        return std::max(options.channels, source.channelCount()) > 8   ? 16
               : std::max(options.channels, source.channelCount()) > 4 ? 8
                                                                       : 4;
    }
    bool Left(int cid) const {
        std::lock_guard lock(mutex);
        return leftClients.count(cid) > 0;
    }
    // Waits until `until`; false when the server stops or the client left first.
    bool SleepUntil(Clock::time_point until, int cid) {
        std::unique_lock lock(mutex);
        return !wake.wait_until(lock, until,
                                [&] { return stopping.load() || leftClients.count(cid) > 0; });
    }
    void LogRecord(int mode, const std::string& hash) {
        std::lock_guard lock(mutex);
        if (!recordLog) return;
        std::fprintf(recordLog, "%d %s\n", mode, hash.c_str());
        std::fflush(recordLog);
    }
};

// One streaming answer: live video (MODE 0), live audio (MODE 1), recorded video (MODE 2),
// recorded audio (MODE 3), or a lone result packet.
struct Stream {
    Server::Impl* impl = nullptr;
    int mode = 0;
    int cid = 0;  // the id the stream is addressed by (ClientId, or ClientId + 100 for audio)
    bool faulty = false;
    bool live = false;  // counts as a live client
    std::vector<uint8_t> out;
    size_t outPos = 0;
    bool endAfterOut = false;
    std::string pendingHash;
    int64_t sent = 0;
    bool stalled = false;
    bool started = false;
    int64_t recordNo = 0;
    size_t index = 0;
    int replica = 0;
    uint64_t loops = 0;
    Clock::time_point t0;
    std::time_t wall0 = 0;
    uint32_t stampBase = 0;
    std::mt19937 random{12345};
    std::shared_ptr<PlaySession> play;  // MODE 2: its playback; MODE 3: the one it follows
    size_t audioPos = 0;
    bool audioPosSet = false;
    Clock::time_point due;

    const std::vector<SourceRecord>& records() const {
        return mode == 0 ? impl->source.video() : impl->source.audio();
    }
    bool NextPacket();
    bool NextLive();
    bool NextPlayback();
    bool NextRecordedAudio();
    void ChannelInfoPacket();
    // Appends one media record (the header with `payloadSize` bytes, copied from `payload` and
    // zero-padded) with the faults this stream shows, and notes its hash for the record log.
    void EmitRecord(media::FrameHeader h, const uint8_t* payload, size_t available,
                    size_t payloadSize);
};

void Stream::ChannelInfoPacket() {
    const int n = impl->totalChannels();
    std::vector<uint8_t> info(2 + 13 * static_cast<size_t>(n), 0);
    info[0] = static_cast<uint8_t>(n);
    for (int c = 0; c < n; ++c) {
        std::string title = c < static_cast<int>(impl->options.titles.size())
                                ? impl->options.titles[static_cast<size_t>(c)]
                                : "CAMERA " + std::to_string(c + 1);
        title.resize(std::min<size_t>(title.size(), 13));
        std::memcpy(info.data() + 2 + 13 * c, title.data(), title.size());
    }
    AppendPacket(&out, static_cast<uint8_t>(cid), 20, info.data(), info.size());
}

bool Stream::NextPacket() {
    out.clear();
    outPos = 0;
    pendingHash.clear();
    if (!started) {
        started = true;
        t0 = due = Clock::now();
        wall0 = std::time(nullptr);
        stampBase = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::system_clock::now().time_since_epoch())
                                              .count() *
                                          45);
        if (mode == 0 || mode == 2) {
            ChannelInfoPacket();
            return true;
        }
    }
    const Faults& f = impl->options.faults;
    if (faulty && recordNo == f.resultAt) {
        const uint8_t code = static_cast<uint8_t>(f.resultCode);
        AppendPacket(&out, static_cast<uint8_t>(cid), 1, &code, 1);
        endAfterOut = true;
        return true;
    }
    if (mode == 2) return NextPlayback();
    if (mode == 3) return NextRecordedAudio();
    return NextLive();
}

bool Stream::NextLive() {
    const std::vector<SourceRecord>& list = records();
    if (list.empty()) {
        // Nothing to send (a recording without audio): keep the stream open and quiet.
        impl->SleepUntil(Clock::now() + std::chrono::seconds(1), cid);
        return true;
    }
    const SourceRecord& rec = list[index];
    const uint32_t first = list.front().header.stamp;
    const uint64_t loopTicks = mode == 0 ? impl->loopTicks : impl->audioLoopTicks;
    const uint64_t offset =
        uint64_t{static_cast<uint32_t>(rec.header.stamp - first)} + loops * loopTicks;
    if (impl->options.speed > 0) {
        const auto at =
            t0 + std::chrono::microseconds(static_cast<int64_t>(
                     static_cast<double>(offset) * 1000.0 / 45.0 / impl->options.speed));
        if (!impl->SleepUntil(at, cid)) return false;
    }

    media::FrameHeader h = rec.header;
    const int sourceChannels = impl->source.channelCount();
    h.channel = static_cast<uint8_t>(rec.header.channel + replica * sourceChannels);
    h.stamp = stampBase + static_cast<uint32_t>(offset);
    const std::time_t when = wall0 + static_cast<std::time_t>(offset / 45000);
    std::tm tm{};
    localtime_r(&when, &tm);
    h.year = static_cast<uint8_t>(tm.tm_year);
    h.month = static_cast<uint8_t>(tm.tm_mon);
    h.day = static_cast<uint8_t>(tm.tm_mday);
    h.hour = static_cast<uint8_t>(tm.tm_hour);
    h.minute = static_cast<uint8_t>(tm.tm_min);
    h.second = static_cast<uint8_t>(tm.tm_sec);
    if (impl->totalChannels() > sourceChannels) h.modelCode = impl->totalChannels() == 8 ? 4 : 5;
    size_t payloadSize = rec.payload.size();
    if (mode == 0 && impl->options.padTo > payloadSize) {
        payloadSize = (impl->options.padTo + 31) / 32 * 32;
        h.length = static_cast<uint16_t>(std::min<size_t>(payloadSize / 32, 0xFFFF));
        payloadSize = size_t{h.length} * 32;
    }
    EmitRecord(h, rec.payload.data(), rec.payload.size(), payloadSize);

    if (mode == 0 && (replica + 2) * sourceChannels <= impl->totalChannels()) {
        ++replica;
    } else {
        replica = 0;
        if (++index == list.size()) {
            index = 0;
            ++loops;
            if (!impl->options.loop) endAfterOut = true;
        }
    }
    return true;
}

void Stream::EmitRecord(media::FrameHeader h, const uint8_t* payload, size_t available,
                        size_t payloadSize) {
    const Faults& f = impl->options.faults;
    for (uint8_t& s : h.sync)
        s = 0xFF;
    bool damaged = false;
    if (faulty && recordNo == f.badSyncAt) {
        h.sync[1] = 0x00;
        damaged = true;
    }
    if (faulty && recordNo == f.model2At) {
        h.modelCode = 2;
        damaged = true;
    }
    std::vector<uint8_t> record(media::kFrameHeaderSize + payloadSize, 0);
    h.Encode(record.data());
    std::memcpy(record.data() + media::kFrameHeaderSize, payload, std::min(available, payloadSize));

    if (faulty && f.garbageBytes > 0) {
        std::uniform_int_distribution<int> byte(0, 0xFA);
        for (int i = 0; i < f.garbageBytes; ++i)
            out.push_back(static_cast<uint8_t>(byte(random)));
    }
    if (faulty && recordNo == f.oversizedAt) {
        std::vector<uint8_t> big(kOversizedLength, 0);
        AppendPacket(&out, static_cast<uint8_t>(cid), 0, big.data(), big.size());
    }
    const bool badEnd = faulty && recordNo == f.badEndAt;
    AppendPacket(&out, static_cast<uint8_t>(cid), 0, record.data(), record.size(),
                 badEnd ? kBadEnd : kEnd);
    if (!damaged && !badEnd) pendingHash = platform::Sha256Hex(record.data(), record.size());
    ++recordNo;
}

bool Stream::NextPlayback() {
    size_t i = 0;
    int state = 0;
    double delay = 0;
    {
        std::unique_lock lock(impl->mutex);
        for (;;) {
            if (impl->stopping.load() || impl->leftClients.count(cid)) return false;
            const Playback::Step step = play->playback.Next();
            if (step == Playback::Step::Record) break;
            if (step == Playback::Step::Wait) {
                // Paused: nothing is sent until a control arrives.
                impl->wake.wait_for(lock, std::chrono::milliseconds(200));
                due = Clock::now();
                continue;
            }
            play->ended.store(true);
            impl->wake.notify_all();
            if (step == Playback::Step::Stopped) return false;
            const uint8_t code = 10;  // no more video
            AppendPacket(&out, static_cast<uint8_t>(cid), 1, &code, 1);
            endAfterOut = true;
            return true;
        }
        i = play->playback.index();
        state = play->playback.state();
        delay = play->playback.delaySeconds();
    }
    if (impl->options.speed > 0 && delay > 0) {
        due += std::chrono::microseconds(static_cast<int64_t>(delay * 1e6 / impl->options.speed));
        // A client that fell behind is not sent a burst to catch up.
        due = std::max(due, Clock::now() - std::chrono::seconds(1));
        if (!impl->SleepUntil(due, cid)) return false;
    }
    const DiskRecord& r = impl->disk.records()[i];
    media::FrameHeader h = r.header;
    h.cause = static_cast<uint8_t>((h.cause & 7) | (state << 3));
    EmitRecord(h, r.payload.data(), r.payload.size(), r.payload.size());
    play->reached.store(std::max(play->reached.load(), i));
    impl->wake.notify_all();
    return true;
}

bool Stream::NextRecordedAudio() {
    if (!play) {
        {
            std::lock_guard lock(impl->mutex);
            auto it = impl->sessions.find(cid - 100);
            play = it != impl->sessions.end() ? it->second : impl->latestSession;
        }
        if (!play) {
            // No playback to follow yet: keep the stream open and quiet.
            impl->SleepUntil(Clock::now() + std::chrono::milliseconds(200), cid);
            return true;
        }
    }
    const PlayRange range = [&] {
        std::lock_guard lock(impl->mutex);
        return play->playback.range();
    }();
    if (!audioPosSet) {
        audioPos = range.start;
        audioPosSet = true;
    }
    const auto& records = impl->disk.records();
    for (;;) {
        // Audio of the playback's channels, as far as its pictures have come.
        const size_t reached = play->reached.load();
        while (audioPos <= reached && audioPos < records.size()) {
            const DiskRecord& r = records[audioPos++];
            if (r.header.IsAudio() && (range.channels & (1u << r.header.channel))) {
                EmitRecord(r.header, r.payload.data(), r.payload.size(), r.payload.size());
                return true;
            }
        }
        if (play->ended.load()) return false;
        std::unique_lock lock(impl->mutex);
        if (impl->stopping.load() || impl->leftClients.count(cid)) return false;
        impl->wake.wait_for(lock, std::chrono::milliseconds(100));
    }
}

namespace {

ssize_t ReadStream(void* cls, uint64_t, char* buf, size_t max) {
    auto* s = static_cast<Stream*>(cls);
    Server::Impl* impl = s->impl;
    for (;;) {
        if (impl->stopping.load()) return MHD_CONTENT_READER_END_WITH_ERROR;
        if (s->outPos < s->out.size()) break;
        if (s->endAfterOut || (s->mode >= 0 && s->started && impl->Left(s->cid)))
            return MHD_CONTENT_READER_END_OF_STREAM;
        if (!s->NextPacket()) {
            return impl->stopping.load() ? MHD_CONTENT_READER_END_WITH_ERROR
                                         : MHD_CONTENT_READER_END_OF_STREAM;
        }
    }
    size_t n = std::min(max, s->out.size() - s->outPos);
    const Faults& f = impl->options.faults;
    if (s->faulty && f.closeAfterBytes >= 0) {
        if (s->sent >= f.closeAfterBytes) return MHD_CONTENT_READER_END_WITH_ERROR;
        n = std::min<size_t>(n, static_cast<size_t>(f.closeAfterBytes - s->sent));
    }
    if (s->faulty && f.stallAfterBytes >= 0 && !s->stalled) {
        if (s->sent >= f.stallAfterBytes) {
            s->stalled = true;
            const auto until = Clock::now() + std::chrono::microseconds(
                                                  static_cast<int64_t>(f.stallSeconds * 1e6));
            if (!impl->SleepUntil(until, -1000)) return MHD_CONTENT_READER_END_WITH_ERROR;
            // Pacing starts over after the stall, as a recorder's live feed would.
            s->t0 += std::chrono::microseconds(static_cast<int64_t>(f.stallSeconds * 1e6));
        } else {
            n = std::min<size_t>(n, static_cast<size_t>(f.stallAfterBytes - s->sent));
        }
    }
    std::memcpy(buf, s->out.data() + s->outPos, n);
    s->outPos += n;
    s->sent += static_cast<int64_t>(n);
    if (s->outPos == s->out.size() && !s->pendingHash.empty()) {
        impl->LogRecord(s->mode, s->pendingHash);
        s->pendingHash.clear();
    }
    return static_cast<ssize_t>(n);
}

void FreeStream(void* cls) {
    auto* s = static_cast<Stream*>(cls);
    {
        std::lock_guard lock(s->impl->mutex);
        if (s->live) --s->impl->liveClients;
        if (s->mode == 2 && s->play) {
            s->play->ended.store(true);
            auto it = s->impl->sessions.find(s->cid);
            if (it != s->impl->sessions.end() && it->second == s->play) s->impl->sessions.erase(it);
        }
    }
    s->impl->wake.notify_all();
    delete s;
}

MHD_Result Respond(MHD_Connection* connection, unsigned status, const std::string& text) {
    MHD_Response* r = MHD_create_response_from_buffer(text.size(), const_cast<char*>(text.data()),
                                                      MHD_RESPMEM_MUST_COPY);
    const MHD_Result ok = MHD_queue_response(connection, status, r);
    MHD_destroy_response(r);
    return ok;
}

MHD_Result RespondStream(MHD_Connection* connection, Stream* s) {
    MHD_Response* r =
        MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 32 * 1024, &ReadStream, s, &FreeStream);
    MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_TYPE, "application/octet-stream");
    const MHD_Result ok = MHD_queue_response(connection, MHD_HTTP_OK, r);
    MHD_destroy_response(r);
    return ok;
}

MHD_Result RespondResult(Server::Impl* impl, MHD_Connection* connection, int cid, int code) {
    auto* s = new Stream;
    s->impl = impl;
    s->mode = -1;
    s->started = true;
    const uint8_t c = static_cast<uint8_t>(code);
    AppendPacket(&s->out, static_cast<uint8_t>(cid), 1, &c, 1);
    s->endAfterOut = true;
    return RespondStream(connection, s);
}

// The account check every stream request passes: 0 when allowed, else the result code.
int CheckLogin(const Options& o, const Request& r) {
    auto get = [&](const char* k) {
        auto it = r.args.find(k);
        return it == r.args.end() ? std::string() : it->second;
    };
    const std::string id = get("ID");
    if (id != "admin" && id != "user") return 1;
    if (get("PW") != (id == "admin" ? o.adminPassword : o.userPassword)) return 2;
    if (get("VER") != "2000") return 3;
    return 0;
}

// An audio stream (live MODE 1 or recorded MODE 3) addressed by its CID.
MHD_Result ServeAudioStream(Server::Impl* impl, MHD_Connection* connection, const Request& r,
                            int mode) {
    if (const int login = CheckLogin(impl->options, r))
        return RespondResult(impl, connection, 0, login);
    auto* s = new Stream;
    s->impl = impl;
    s->mode = mode;
    s->cid = ToInt(r.args, "CID", 0);
    {
        std::lock_guard lock(impl->mutex);
        impl->leftClients.erase(s->cid);
        ++impl->streamsServed;
    }
    return RespondStream(connection, s);
}

// A video stream request (live or recorded) that passed its login and found room: the stream,
// with its ClientId. Otherwise the answer (HTTP status or result packet) has been queued.
Stream* AdmitVideoClient(Server::Impl* impl, MHD_Connection* connection, const Request& r, int mode,
                         MHD_Result* answer) {
    const int login = CheckLogin(impl->options, r);
    int cid = 0;
    bool faulty = false;
    int status = 200;
    {
        std::lock_guard lock(impl->mutex);
        const int n = impl->liveStreams++;
        faulty = impl->options.faults.streams == 0 || n < impl->options.faults.streams;
        status = faulty ? impl->options.faults.httpStatus : 200;
        if (status == 200 && login == 0 && impl->liveClients < impl->options.maxClients) {
            cid = impl->nextClientId;
            impl->nextClientId = impl->nextClientId % 99 + 1;
            impl->leftClients.erase(cid);
            ++impl->liveClients;
            ++impl->streamsServed;
        }
    }
    if (status != 200) {
        *answer = Respond(connection, static_cast<unsigned>(status), "unavailable\n");
        return nullptr;
    }
    if (login != 0 || cid == 0) {
        *answer = RespondResult(impl, connection, 0, login != 0 ? login : 4);
        return nullptr;
    }
    auto* s = new Stream;
    s->impl = impl;
    s->mode = mode;
    s->cid = cid;
    s->faulty = faulty;
    s->live = true;
    return s;
}

MHD_Result ServeLive(Server::Impl* impl, MHD_Connection* connection, const Request& r) {
    MHD_Result answer = MHD_NO;
    Stream* s = AdmitVideoClient(impl, connection, r, 0, &answer);
    return s ? RespondStream(connection, s) : answer;
}

std::string Arg(const Request& r, const char* key) {
    auto it = r.args.find(key);
    return it == r.args.end() ? std::string() : it->second;
}

// MODE 2: one recorder file (FILENAME), from a start time (STARTTIME), or a backup of a range of
// channels (STARTTIME, ENDTIME, CH as a hexadecimal mask). Ends with result code 10; a request
// with nothing to play gets result code 6.
MHD_Result ServeRecorded(Server::Impl* impl, MHD_Connection* connection, const Request& r) {
    const Disk& disk = impl->disk;
    PlayRange range{1, 0, 0};
    bool valid = true;
    const std::string file = Arg(r, "FILENAME");
    const std::string start = Arg(r, "STARTTIME");
    const std::string end = Arg(r, "ENDTIME");
    int64_t from = 0, to = 0;
    if (!file.empty()) {
        if (const DiskFile* f = disk.FindFile(file)) range = FileRange(disk, *f);
    } else if (!end.empty()) {
        const std::string channels = Arg(r, "CH");
        char* tail = nullptr;
        const unsigned long mask = std::strtoul(channels.c_str(), &tail, 16);
        valid = ParseRecorderTime(start, &from) && ParseRecorderTime(end, &to) && *tail == '\0';
        if (valid) range = BackupRange(disk, from, to, static_cast<uint16_t>(mask));
    } else {
        valid = ParseRecorderTime(start, &from);
        if (valid) range = TimeRange(disk, from);
    }
    if (!valid) return RespondResult(impl, connection, 0, 8);
    bool any = false;
    for (size_t i = range.start; !any && i <= range.last && i < disk.records().size(); ++i)
        any = disk.records()[i].header.IsVideo() &&
              (range.channels & (1u << disk.records()[i].header.channel));
    if (!any) {
        if (const int login = CheckLogin(impl->options, r))
            return RespondResult(impl, connection, 0, login);
        return RespondResult(impl, connection, 0, 6);
    }
    MHD_Result answer = MHD_NO;
    Stream* s = AdmitVideoClient(impl, connection, r, 2, &answer);
    if (!s) return answer;
    s->play = std::make_shared<PlaySession>(disk, range);
    s->play->reached.store(range.start);
    {
        std::lock_guard lock(impl->mutex);
        impl->sessions[s->cid] = s->play;
        impl->latestSession = s->play;
    }
    return RespondStream(connection, s);
}

// MODE 3: the audio of the client's playback (CID = its ClientId + 100).
MHD_Result ServeRecordedAudio(Server::Impl* impl, MHD_Connection* connection, const Request& r) {
    return ServeAudioStream(impl, connection, r, 3);
}

// MODE 4: the event search.
MHD_Result ServeSearch(Server::Impl* impl, MHD_Connection* connection, const Request& r) {
    int64_t from = 0, to = 0;
    if (!ParseRecorderTime(Arg(r, "STARTTIME"), &from) ||
        !ParseRecorderTime(Arg(r, "ENDTIME"), &to))
        return Respond(connection, MHD_HTTP_OK, "");
    return Respond(connection, MHD_HTTP_OK,
                   impl->disk.Search(from, to, ToInt(r.args, "CH", -1), ToInt(r.args, "EVENT", 0)));
}

// MODE 7: the recording calendar, as a calendar file of the whole disk.
MHD_Result ServeCalendar(Server::Impl* impl, MHD_Connection* connection, const Request&) {
    media::CalendarHeader header;
    header.channels = impl->disk.channelCount();
    header.recorderName = impl->options.name;
    for (int c = 0; c < media::kCalendarChannels; ++c)
        header.titles[static_cast<size_t>(c)] = c < static_cast<int>(impl->options.titles.size())
                                                    ? impl->options.titles[static_cast<size_t>(c)]
                                                    : "CAMERA " + std::to_string(c + 1);
    const std::vector<uint8_t> body = impl->disk.Calendar(header);
    MHD_Response* response = MHD_create_response_from_buffer(
        body.size(), const_cast<uint8_t*>(body.data()), MHD_RESPMEM_MUST_COPY);
    const MHD_Result ok = MHD_queue_response(connection, MHD_HTTP_OK, response);
    MHD_destroy_response(response);
    return ok;
}

MHD_Result ServeAudio(Server::Impl* impl, MHD_Connection* connection, const Request& r) {
    return ServeAudioStream(impl, connection, r, 1);
}

MHD_Result ServeControl(Server::Impl* impl, MHD_Connection* connection, const Request& r) {
    {
        std::lock_guard lock(impl->mutex);
        impl->controls.push_back(r.body);
        if (impl->controlLog) {
            std::fprintf(impl->controlLog, "%s\n", r.body.c_str());
            std::fflush(impl->controlLog);
        }
        const int op = ToInt(r.args, "OP", -1);
        const int cid = ToInt(r.args, "CID", -1);
        // A client that leaves ends its stream.
        if ((op == 5 || op == 14) && cid >= 0) impl->leftClients.insert(cid);
        // Playback controls steer the client's playback.
        if (op == 8) {
            auto it = impl->sessions.find(cid);
            if (it != impl->sessions.end()) it->second->playback.Control(ToInt(r.args, "REQ", 0));
        }
    }
    impl->wake.notify_all();
    return Respond(connection, MHD_HTTP_OK, "");
}

// The modes this recorder answers.
using ModeHandler = MHD_Result (*)(Server::Impl*, MHD_Connection*, const Request&);
const std::map<int, ModeHandler>& ModeTable() {
    static const std::map<int, ModeHandler> table = {
        {0, &ServeLive},   {1, &ServeAudio},   {2, &ServeRecorded}, {3, &ServeRecordedAudio},
        {4, &ServeSearch}, {5, &ServeControl}, {7, &ServeCalendar},
    };
    return table;
}

MHD_Result CollectArg(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* args = static_cast<std::map<std::string, std::string>*>(cls);
    (*args)[key] = value ? value : "";
    return MHD_YES;
}

struct PostBody {
    std::string data;
};

MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                     const char*, const char* uploadData, size_t* uploadSize, void** conCls) {
    auto* impl = static_cast<Server::Impl*>(cls);
    const bool post = std::strcmp(method, "POST") == 0;
    if (post) {
        if (*conCls == nullptr) {
            *conCls = new PostBody;
            return MHD_YES;
        }
        auto* body = static_cast<PostBody*>(*conCls);
        if (*uploadSize > 0) {
            body->data.append(uploadData, *uploadSize);
            *uploadSize = 0;
            return MHD_YES;
        }
    }
    if (std::strcmp(url, "/cgi-bin/webapp.cgi") != 0)
        return Respond(connection, 404, "not found\n");
    Request request;
    request.post = post;
    if (post) {
        request.body = static_cast<PostBody*>(*conCls)->data;
        request.args = ParseForm(request.body);
    } else if (std::strcmp(method, "GET") == 0) {
        MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &CollectArg, &request.args);
    } else {
        return Respond(connection, 405, "method not allowed\n");
    }
    request.mode = ToInt(request.args, "MODE", -1);
    const auto& table = ModeTable();
    const auto it = table.find(request.mode);
    if (it == table.end()) {
        if (post) return Respond(connection, MHD_HTTP_OK, "");
        return RespondResult(impl, connection, 0, 8);
    }
    return it->second(impl, connection, request);
}

void OnCompleted(void*, MHD_Connection*, void** conCls, MHD_RequestTerminationCode) {
    delete static_cast<PostBody*>(*conCls);
    *conCls = nullptr;
}

}  // namespace

Server::Server() : impl_(std::make_unique<Impl>()) {}

Server::~Server() {
    Stop();
}

bool Server::Start(const Options& options, std::string* error) {
    Impl& impl = *impl_;
    impl.options = options;
    if (!impl.source.Load(options.source, error)) return false;
    if (!impl.disk.Load(options.disk.empty() ? options.source : options.disk, error)) return false;
    auto loopOf = [](const std::vector<SourceRecord>& list) -> uint64_t {
        if (list.empty()) return 0;
        const uint32_t span = list.back().header.stamp - list.front().header.stamp;
        std::set<uint32_t> stamps;
        for (const SourceRecord& r : list)
            stamps.insert(r.header.stamp);
        const uint64_t step = stamps.size() > 1 ? span / (stamps.size() - 1) : 3000;
        return uint64_t{span} + std::max<uint64_t>(step, 1);
    };
    impl.loopTicks = loopOf(impl.source.video());
    impl.audioLoopTicks = loopOf(impl.source.audio());
    if (!options.controlLog.empty() &&
        !(impl.controlLog = std::fopen(options.controlLog.c_str(), "w"))) {
        *error = "cannot write " + options.controlLog;
        return false;
    }
    if (!options.recordLog.empty() &&
        !(impl.recordLog = std::fopen(options.recordLog.c_str(), "w"))) {
        *error = "cannot write " + options.recordLog;
        return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(options.port);
    if (inet_pton(AF_INET, options.bindAddress.c_str(), &addr.sin_addr) != 1) {
        *error = "bad address " + options.bindAddress;
        return false;
    }
    impl.daemon = MHD_start_daemon(
        MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD, options.port, nullptr,
        nullptr, &OnRequest, &impl, MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&addr),
        MHD_OPTION_NOTIFY_COMPLETED, &OnCompleted, nullptr, MHD_OPTION_END);
    if (!impl.daemon) {
        *error = "cannot listen on " + options.bindAddress + ":" + std::to_string(options.port);
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(impl.daemon, MHD_DAEMON_INFO_BIND_PORT);
    impl.port = info ? info->port : options.port;
    return true;
}

void Server::Stop() {
    Impl& impl = *impl_;
    impl.stopping.store(true);
    {
        std::lock_guard lock(impl.mutex);
        impl.wake.notify_all();
    }
    if (impl.daemon) {
        MHD_stop_daemon(impl.daemon);
        impl.daemon = nullptr;
    }
    if (impl.controlLog) std::fclose(impl.controlLog);
    if (impl.recordLog) std::fclose(impl.recordLog);
    impl.controlLog = impl.recordLog = nullptr;
}

uint16_t Server::port() const {
    return impl_->port;
}

std::vector<std::string> Server::controls() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->controls;
}

int Server::liveClients() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->liveClients;
}

int Server::streamsServed() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->streamsServed;
}

}  // namespace dvrsim
