// The recording write path: records of four channels through a RecordingSession (pair, minute
// entries in the calendar, the channel clock, the syncs at each minute's end) against the bare
// pair writer appending the same records (peer). Rebuilding a folder's calendar from its pairs
// against the index walk of the same data file (peer). Files go to a temporary folder.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/calendar_rebuild.h"
#include "media/frame_index.h"
#include "media/recording_pair_writer.h"
#include "media/recording_session.h"
#include "platform/mapped_file.h"
#include "tests/support/records.h"

namespace {

// Two minutes of four channels at 15 pictures per second, pictures of 4 KB.
const std::vector<std::vector<uint8_t>>& Records() {
    static const std::vector<std::vector<uint8_t>> records = [] {
        std::vector<std::vector<uint8_t>> out;
        uint32_t stamp = 0;
        for (int i = 0; i < 2 * 60 * 15; ++i) {
            for (int channel = 0; channel < 4; ++channel) {
                const int kind = i % 15 == 0 ? 0 : (i % 3 ? 2 : 1);
                out.push_back(testsupport::MakeRecord({.channel = channel,
                                                       .kind = kind,
                                                       .stamp = stamp += 750,
                                                       .minute = i / 900,
                                                       .second = i / 15 % 60,
                                                       .length = 128}));
            }
        }
        return out;
    }();
    return records;
}

std::string TempRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dvrbench-XXXXXX").string();
    return std::string(mkdtemp(pattern.data())) + "/";
}

// Times `writeAll(root, records)` per iteration; the written files are removed between runs,
// untimed.
template <typename WriteAll>
void TimeWrites(benchmark::State& state, WriteAll writeAll) {
    const auto& records = Records();
    const std::string root = TempRoot();
    for (auto _ : state) {
        writeAll(root, records);
        state.PauseTiming();
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        state.ResumeTiming();
    }
    std::filesystem::remove_all(root);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records.size()));
}

void BM_SessionWrite(benchmark::State& state) {
    TimeWrites(state, [](const std::string& root, const auto& records) {
        media::RecordingSession session(root, "Bench");
        for (const auto& r : records)
            session.WriteVideo(r.data(), r.size());
        session.Stop();
    });
}
BENCHMARK(BM_SessionWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PairWriterAppend(benchmark::State& state) {
    TimeWrites(state, [](const std::string& root, const auto& records) {
        media::RecordingPairWriter writer;
        writer.Open(root, "pair");
        for (const auto& r : records)
            writer.Append(r.data(), r.size());
        writer.Close();
    });
}
BENCHMARK(BM_PairWriterAppend)->Unit(benchmark::kMillisecond)->UseRealTime();

// A recording folder of the records above, written once and removed when the program ends.
struct RecordedRoot {
    RecordedRoot() : root(TempRoot()) {
        media::RecordingSession session(root, "Bench");
        for (const auto& r : Records())
            session.WriteVideo(r.data(), r.size());
        folder = session.folder();
        session.Stop();
    }
    ~RecordedRoot() { std::filesystem::remove_all(root); }
    std::string root;
    std::string folder;
};

const std::string& RecordedFolder() {
    static const RecordedRoot recorded;
    return recorded.folder;
}

void BM_CalendarRebuild(benchmark::State& state) {
    const std::string& folder = RecordedFolder();
    for (auto _ : state) {
        const media::RebuildResult r = media::RebuildCalendar(folder);
        benchmark::DoNotOptimize(r.minutes);
    }
}
BENCHMARK(BM_CalendarRebuild)->Unit(benchmark::kMillisecond);

void BM_IndexWalkPeer(benchmark::State& state) {
    const std::string& folder = RecordedFolder();
    media::FrameIndex index;
    for (auto _ : state) {
        platform::MappedFile data;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            if (e.path().extension() != ".umv" ||
                data.Open(e.path().string()) != platform::MapError::kNone)
                continue;
            index.BuildFromData(data.bytes());
            benchmark::DoNotOptimize(index.frameCount());
        }
    }
}
BENCHMARK(BM_IndexWalkPeer)->Unit(benchmark::kMillisecond);

}  // namespace
