// The file lists' folder walk: rows of a folder of 20,000 stills and recordings, against the
// still search's bare listing of the same folder (the smallest work a walk must do).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>

#include "player/qt/file_rows.h"
#include "player/search/still_search.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string dir =
            (std::filesystem::temp_directory_path() / "dvr_file_rows_bench/").string();
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        char name[64];
        for (int i = 0; i < 20000; ++i) {
            if (i % 4 == 0)
                std::snprintf(name, sizeof name, "2026%04d_%06d.idx", 101 + i % 1200, i % 235959);
            else
                std::snprintf(name, sizeof name, "Gate,26%04d_%06d,%d,door.jpg", 101 + i % 1200,
                              i % 235959, 1 + i % 16);
            std::FILE* f = std::fopen((dir + name).c_str(), "w");
            if (f != nullptr) std::fclose(f);
        }
        return dir;
    }();
    return folder;
}

void BM_WalkFolder(benchmark::State& state) {
    std::atomic<bool> stop{false};
    Folder();  // made once, outside the timing
    for (auto _ : state)
        benchmark::DoNotOptimize(player::WalkFolder(Folder(), stop).rows.size());
}
BENCHMARK(BM_WalkFolder)->Unit(benchmark::kMillisecond);

void BM_ListStillFiles(benchmark::State& state) {
    Folder();
    for (auto _ : state)
        benchmark::DoNotOptimize(player::ListStillFiles(Folder()).size());
}
BENCHMARK(BM_ListStillFiles)->Unit(benchmark::kMillisecond);

}  // namespace
