// Arbitrary bytes as a recording on the simulated recorder's disk: its files, event search
// answer, calendar and playbacks are built without reading outside the records.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "tools/dvrsim/disk.h"
#include "tools/dvrsim/playback.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    dvrsim::Disk disk;
    disk.AddData(std::span<const uint8_t>(data, size));
    const std::string lines = disk.Search(0, INT64_MAX, -1, 0);
    media::CalendarHeader header;
    if (disk.Calendar(header).size() < media::kCalendarHeaderSize) std::abort();
    for (const dvrsim::DiskFile& f : disk.files()) {
        if (f.first > f.last || f.last >= disk.records().size()) std::abort();
        if (disk.FindFile(f.path) == nullptr) std::abort();
    }
    if (disk.empty()) return 0;
    dvrsim::Playback p(disk, dvrsim::TimeRange(disk, disk.records().front().time));
    int steps = 0;
    for (int req : {3, 7, 8, 6, 2, 4, 5, 7}) {
        p.Control(req);
        for (int i = 0; i < 8 && p.Next() == dvrsim::Playback::Step::Record; ++i)
            if (p.index() >= disk.records().size()) std::abort();
        ++steps;
    }
    return steps == 8 ? 0 : 1;
}
