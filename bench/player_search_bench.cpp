// The still search over a big folder listing: the name matcher against the C library's
// fnmatch(3) on the same names and patterns, and a whole search with its date rules and rows.
#include <benchmark/benchmark.h>
#include <fnmatch.h>

#include <atomic>
#include <string>
#include <vector>

#include "player/search/name_pattern.h"
#include "player/search/still_search.h"

namespace {

std::vector<std::string> Names() {
    std::vector<std::string> names;
    const char* recorders[] = {"Gate", "Yard", "Lobby", "Depot"};
    for (int i = 0; i < 100000; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s,%02d%02d%02d_%02d%02d%02d,%d,%s.jpg", recorders[i % 4],
                      8 + i % 10, 1 + i % 12, 1 + i % 28, i % 24, i % 60, (i / 60) % 60, 1 + i % 16,
                      i % 7 == 0 ? "door" : "");
        names.emplace_back(name);
    }
    return names;
}

const std::vector<std::string>& TheNames() {
    static const std::vector<std::string> names = Names();
    return names;
}

const char* kPatterns[] = {"*.jpg", "*,3,*.jpg", "Gate,?????????????,3,door.jpg", "*door.jpg"};

void BM_MatchNamePattern(benchmark::State& state) {
    const char* pattern = kPatterns[state.range(0)];
    for (auto _ : state) {
        size_t hits = 0;
        for (const std::string& n : TheNames())
            hits += player::MatchNamePattern(pattern, n);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * TheNames().size());
}
BENCHMARK(BM_MatchNamePattern)->DenseRange(0, 3);

void BM_Fnmatch(benchmark::State& state) {
    const char* pattern = kPatterns[state.range(0)];
    for (auto _ : state) {
        size_t hits = 0;
        for (const std::string& n : TheNames())
            hits += ::fnmatch(pattern, n.c_str(), FNM_CASEFOLD) == 0;
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * TheNames().size());
}
BENCHMARK(BM_Fnmatch)->DenseRange(0, 3);

void BM_StillSearchRun(benchmark::State& state) {
    player::StillCriteria criteria;
    criteria.channel = 3;
    criteria.date = player::StillDate{2010, 3, 3};
    std::atomic<bool> stop{false};
    for (auto _ : state) {
        auto result = player::StillSearch::Run("/stills/", TheNames(), criteria, stop);
        benchmark::DoNotOptimize(result.rows.size());
    }
    state.SetItemsProcessed(state.iterations() * TheNames().size());
}
BENCHMARK(BM_StillSearchRun);

}  // namespace
