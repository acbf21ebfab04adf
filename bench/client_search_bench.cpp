// The remote client's search: the result list's rows of a 10,000-line answer, against the bare
// parse of the same answer, and the calendar search of a recorder that recorded every minute of
// a year (its answer read, a month's marks, a day's slots).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "client/app/search/calendar_search.h"
#include "client/app/search/search_results.h"
#include "media/wall_time.h"

namespace {

std::string SearchAnswer(int lines) {
    std::string body;
    char line[128];
    for (int i = 0; i < lines; ++i) {
        const int minute = i % 1440;
        std::snprintf(line, sizeof line,
                      "/hdda/recs/20260314/ch%02d/260314_%02d%02d00_%02d_M.umv,2603141%05d,%d\n",
                      i % 16, minute / 60, minute % 60, i % 16, i % 100000, i % 4);
        body += line;
    }
    return body;
}

void BM_ParseEventSearch(benchmark::State& state) {
    const std::string body = SearchAnswer(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(client::ParseEventSearch(body));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseEventSearch)->Arg(10000);

void BM_ResultRows(benchmark::State& state) {
    const std::string body = SearchAnswer(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(client::search::ResultRows(body));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ResultRows)->Arg(10000);

// A year of minutes, every one recorded on four channels.
std::vector<uint8_t> YearAnswer() {
    std::vector<uint8_t> bytes(media::kCalendarHeaderSize);
    media::CalendarHeader header;
    header.channels = 4;
    header.Encode(bytes.data());
    const int64_t start = media::WallTimeOf(126, 0, 1, 0, 0, 0);
    bytes.reserve(bytes.size() + 366u * 1440u * media::kDayEntrySize);
    for (int64_t m = 0; m < 365 * 1440; ++m) {
        media::DayEntry e;
        e.minute = static_cast<int32_t>(start + m * 60);
        for (int c = 0; c < 4; ++c)
            e.Note(c, static_cast<int>((m + c) % 3));
        uint8_t raw[media::kDayEntrySize];
        e.Encode(raw);
        bytes.insert(bytes.end(), raw, raw + sizeof raw);
    }
    return bytes;
}

void BM_CalendarAnswerOfAYear(benchmark::State& state) {
    const std::vector<uint8_t> answer = YearAnswer();
    for (auto _ : state) {
        client::search::CalendarSearch search;
        benchmark::DoNotOptimize(search.SetCalendarData(answer));
    }
}
BENCHMARK(BM_CalendarAnswerOfAYear)->Unit(benchmark::kMillisecond);

void BM_DayAndMonthOfAYear(benchmark::State& state) {
    client::search::CalendarSearch search;
    search.SetCalendarData(YearAnswer());
    int day = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(search.Marks(2026, 1 + day % 12));
        benchmark::DoNotOptimize(search.DaySlots({2026, 1 + day % 12, 1 + day % 28}));
        ++day;
    }
}
BENCHMARK(BM_DayAndMonthOfAYear)->Unit(benchmark::kMicrosecond);

}  // namespace
