// The recorder stream on the client side: the packet scanner over a large in-memory stream
// (peer: a plain copy of the same bytes), and the client's CPU use while it receives 16 channels
// of D1 at 30 pictures per second from dvrsim without decoding, and while it records them.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "client/net/dvr_connection.h"
#include "client/net/packet_scanner.h"
#include "tests/support/records.h"

extern char** environ;

namespace {

using namespace client;

// About 64 MiB of media packets: D1 pictures of 2 to 40 KB (I pictures larger), 16 channels.
const std::vector<uint8_t>& LargeStream() {
    static const std::vector<uint8_t> stream = [] {
        std::vector<uint8_t> s;
        s.reserve(size_t{68} << 20);
        std::mt19937 rng(7);
        uint32_t stamp = 1000;
        for (uint32_t i = 0; s.size() < (size_t{64} << 20); ++i) {
            const bool intra = i % 240 < 16;
            const uint16_t units =
                static_cast<uint16_t>(intra ? 800 + rng() % 450 : 60 + rng() % 300);
            const auto record = testsupport::MakeRecord({.channel = static_cast<int>(i % 16),
                                                         .kind = intra ? 0 : 1,
                                                         .stamp = stamp += 94,
                                                         .length = units,
                                                         .fill = static_cast<uint8_t>(rng())});
            s.insert(s.end(), kStartMarker, kStartMarker + 4);
            s.push_back(1);
            s.push_back(0);
            const uint32_t n = static_cast<uint32_t>(record.size());
            for (int shift = 24; shift >= 0; shift -= 8)
                s.push_back(static_cast<uint8_t>(n >> shift));
            s.insert(s.end(), record.begin(), record.end());
            s.insert(s.end(), kEndMarker, kEndMarker + 4);
        }
        return s;
    }();
    return stream;
}

class CountPackets final : public PacketHandler {
  public:
    ScanVerdict OnResult(ClientId, uint8_t) override { return ScanVerdict::Stop; }
    ScanVerdict OnChannelInfo(ClientId, std::span<const uint8_t>) override {
        return ScanVerdict::Continue;
    }
    void OnUnsupportedChannelInfo(ClientId, uint32_t) override {}
    ScanVerdict OnMedia(ClientId, std::span<const uint8_t> r) override {
        ++packets;
        bytes += r.size();
        return ScanVerdict::Continue;
    }
    uint64_t packets = 0;
    uint64_t bytes = 0;
};

void BM_ScanStream(benchmark::State& state) {
    const std::vector<uint8_t>& stream = LargeStream();
    const size_t chunk = static_cast<size_t>(state.range(0));
    CountPackets count;
    PacketScanner scanner(count);
    for (auto _ : state) {
        scanner.Reset();
        for (size_t at = 0; at < stream.size(); at += chunk)
            scanner.Scan({stream.data() + at, std::min(chunk, stream.size() - at)});
        benchmark::DoNotOptimize(count.packets);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
// 10,000 bytes is what the reader hands over at most; 1,460 a typical TCP segment.
BENCHMARK(BM_ScanStream)->Arg(1460)->Arg(10000)->Arg(65536)->Unit(benchmark::kMillisecond);

void BM_CopyPeer(benchmark::State& state) {
    const std::vector<uint8_t>& stream = LargeStream();
    std::vector<uint8_t> out(10000);
    for (auto _ : state) {
        for (size_t at = 0; at < stream.size(); at += out.size()) {
            const size_t n = std::min(out.size(), stream.size() - at);
            std::memcpy(out.data(), stream.data() + at, n);
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_CopyPeer)->Unit(benchmark::kMillisecond);

// Sinks that take everything and do nothing with it (no decoding).
class NullSinks final : public FrameSink, public AudioSink, public Notifier {
  public:
    void ShowPicture(int, CellPicture) override {}
    void SetTitle(int, std::string_view) override {}
    void SetChannelInfo(const ChannelInfo&) override {}
    void SetMark(int, CellMark, bool) override {}
    void SetSizeCode(int) override {}
    void Picture(int, const media::FrameHeader&, std::span<const uint8_t> r) override {
        pictures.fetch_add(1, std::memory_order_relaxed);
        bytes.fetch_add(r.size(), std::memory_order_relaxed);
    }
    void AudioStarted(int) override {}
    bool PlayBlock(int, uint32_t, std::span<const uint8_t>) override { return true; }
    void Pause() override {}
    void AudioStopped() override {}
    void Post(client::Notification, int) override {}
    void ShowMessage(int, std::string_view) override {}
    void ShowTime(std::string_view) override {}
    std::atomic<uint64_t> pictures{0};
    std::atomic<uint64_t> bytes{0};
};

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// dvrsim in its own process (16 channels of the D1 sample at 30 pictures per second, each
// picture padded to `pad` bytes), so only the client's work is counted here.
class SpawnedDvrsim {
  public:
    SpawnedDvrsim(const std::string& pad, const std::string& recordLog) {
        std::vector<std::string> args = {DVRSIM_PATH,
                                         "--port",
                                         "0",
                                         "--source",
                                         std::string(DVR_SOURCE_DIR) + "/samples/d1_4ch",
                                         "--channels",
                                         "16",
                                         "--speed",
                                         "2",
                                         "--pad-to",
                                         pad};
        if (!recordLog.empty()) args.insert(args.end(), {"--record-log", recordLog});
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const int spawned =
            posix_spawn(&pid_, DVRSIM_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        FILE* in = fdopen(out[0], "r");
        unsigned port = 0;
        if (spawned == 0 && in && std::fscanf(in, "port %u", &port) == 1)
            port_ = static_cast<uint16_t>(port);
        if (in) std::fclose(in);
    }
    ~SpawnedDvrsim() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    uint16_t port() const { return port_; }
    ConnectionParams Params() const {
        ConnectionParams p;
        p.host = "127.0.0.1";
        p.port = port_;
        p.user = "admin";
        p.password = "admin";
        p.dvrName = "Bench";
        return p;
    }

  private:
    pid_t pid_ = -1;
    uint16_t port_ = 0;
};

// Receives for ten seconds after one second to settle; the client's CPU use and throughput.
void MeasureClient(benchmark::State& state, DvrConnection& connection, NullSinks& sinks) {
    std::this_thread::sleep_for(std::chrono::seconds(1));  // settle
    const uint64_t pictures0 = sinks.pictures.load(), bytes0 = sinks.bytes.load();
    const double cpu0 = CpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double cpu = CpuSeconds() - cpu0;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    connection.stream().Stop(true);
    connection.stream().WaitStopped();
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["pictures_per_s"] =
        static_cast<double>(sinks.pictures.load() - pictures0) / wall;
    state.counters["MB_per_s"] = static_cast<double>(sinks.bytes.load() - bytes0) / wall / 1e6;
}

void BM_LiveClientCpu16xD1(benchmark::State& state) {
    SpawnedDvrsim sim(std::to_string(state.range(0)), "");
    if (!sim.port()) return state.SkipWithError("dvrsim did not start");
    NullSinks sinks;
    for (auto _ : state) {
        DvrConnection connection(sinks, sinks, sinks);
        connection.ConnectLive(sim.Params());
        MeasureClient(state, connection, sinks);
    }
}
// Pictures as the sample recording has them (about 2 KB), and padded to 8 KB (about 2 Mbit/s per
// channel, a busy D1 camera).
BENCHMARK(BM_LiveClientCpu16xD1)
    ->Arg(0)
    ->Arg(8192)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// The same stream recorded to local files as the client records it: the CPU use includes the
// writes, the per-minute syncs and the free-space checks. Every picture received must be in
// the files (dropped = received - written) and every picture dvrsim sent must have arrived.
void BM_RecordingCpu16xD1(benchmark::State& state) {
    char pattern[] = "/tmp/dvrbench-XXXXXX";
    const std::string dir = std::string(mkdtemp(pattern)) + "/";
    SpawnedDvrsim sim(std::to_string(state.range(0)), dir + "records.log");
    if (!sim.port()) return state.SkipWithError("dvrsim did not start");
    NullSinks sinks;
    for (auto _ : state) {
        DvrConnection connection(sinks, sinks, sinks);
        RecorderSettings settings;
        settings.recordRoot = dir + "rec/";
        connection.recorder().Configure(settings);
        connection.SetParams(sim.Params());
        connection.StartRecording(0xFFFF);
        connection.ConnectLive(sim.Params());
        MeasureClient(state, connection, sinks);
        connection.recorder().Stop();
        connection.recorder().Flush();
        const RecorderStats stats = connection.recorder().stats();
        state.counters["written_per_s"] = static_cast<double>(stats.videoWritten) / 11.0;
        state.counters["dropped"] =
            static_cast<double>(sinks.pictures.load()) - static_cast<double>(stats.videoWritten);
        state.counters["refused"] = static_cast<double>(stats.refused);
        state.counters["queue_peak"] = static_cast<double>(stats.queuePeak);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_RecordingCpu16xD1)
    ->Arg(0)
    ->Arg(8192)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// Two minutes of four channels at 15 pictures per second (an Intra every second), about 8 KB a
// picture: what the recorder gets from the frame dispatch.
const std::vector<std::vector<uint8_t>>& RecordedMinutes() {
    static const std::vector<std::vector<uint8_t>> records = [] {
        std::vector<std::vector<uint8_t>> out;
        uint32_t stamp = 1000;
        for (int second = 0; second < 120; ++second)
            for (int picture = 0; picture < 15; ++picture)
                for (int channel = 0; channel < 4; ++channel)
                    out.push_back(testsupport::MakeRecord({.channel = channel,
                                                           .kind = picture == 0 ? 0 : 1,
                                                           .stamp = stamp += 3000,
                                                           .minute = second / 60,
                                                           .second = second % 60,
                                                           .length = 256}));
        return out;
    }();
    return records;
}

// The longest single call, in microseconds: how long a reader thread can be held up at once.
class LongestCall {
  public:
    template <class F>
    void Time(F&& call) {
        const auto t0 = std::chrono::steady_clock::now();
        call();
        const auto us =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count();
        longest_ = std::max(longest_, us);
    }
    double longest() const { return longest_; }

  private:
    double longest_ = 0;
};

std::string BenchFolder() {
    char pattern[] = "/tmp/dvrbench-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/";
}

// The reader thread's share of recording: each record is handed to the recorder's queue. The
// writer thread's files, syncs included, are finished outside the timing (Flush).
void BM_RecordReaderSide(benchmark::State& state) {
    const std::string dir = BenchFolder();
    NullSinks sinks;
    MessageTable messages;
    LocalRecorder recorder(sinks, messages);
    RecorderSettings settings;
    settings.recordRoot = dir;
    settings.probe = [](const std::string&) { return std::optional<uint64_t>(uint64_t{1} << 40); };
    settings.queueRecords = size_t{1} << 20;
    settings.queueBytes = size_t{1} << 32;
    recorder.Configure(settings);
    const ChannelInfo info;
    LongestCall longest;
    for (auto _ : state) {
        recorder.Start(RecordingKind::Local, "Bench", 0xFFFF);
        for (const auto& r : RecordedMinutes())
            longest.Time([&] { recorder.WriteVideo(r, info); });
        state.PauseTiming();
        recorder.Stop();
        recorder.Flush();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(RecordedMinutes().size()));
    state.counters["longest_call_us"] = longest.longest();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_RecordReaderSide)->Unit(benchmark::kMillisecond)->UseRealTime();

// The peer: the same records written on the calling thread, as the reader used to, with the
// per-minute syncs and the pair's closing sync.
void BM_RecordOnTheCallingThread(benchmark::State& state) {
    const std::string dir = BenchFolder();
    LongestCall longest;
    for (auto _ : state) {
        media::RecordingSession session(dir, "Bench");
        for (const auto& r : RecordedMinutes())
            longest.Time([&] { session.WriteVideo(r.data(), r.size()); });
        session.Stop();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(RecordedMinutes().size()));
    state.counters["longest_call_us"] = longest.longest();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_RecordOnTheCallingThread)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
