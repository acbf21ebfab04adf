// Arbitrary bytes as a stream file: the first byte picks the size of the pieces the file is read
// in; the frames (offsets, types, bytes) must be the ones the in-memory splitter cuts, and the
// VOL and header readers must stay within the bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/umvtool/elementary_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t piece = 1 + data[0] % 64;
    std::vector<uint8_t> stream(data + 1, data + size);
    const std::vector<umvtool::EsFrame> whole = umvtool::SplitElementaryStream(stream);

    std::FILE* file = fmemopen(stream.empty() ? nullptr : stream.data(), stream.size(), "rb");
    if (file == nullptr) return 0;  // fmemopen refuses an empty buffer
    umvtool::EsFileSplitter split(file, piece);
    size_t n = 0;
    for (umvtool::EsFrame f; split.Next(&f); ++n) {
        if (n >= whole.size() || f.begin != whole[n].begin || f.end != whole[n].end ||
            f.vopType != whole[n].vopType || f.hasVol != whole[n].hasVol)
            std::abort();
        const auto bytes = split.Bytes(f);
        if (bytes.size() != f.end - f.begin ||
            (!bytes.empty() && std::memcmp(bytes.data(), stream.data() + f.begin, bytes.size())))
            std::abort();
    }
    if (n != whole.size() || split.failed()) std::abort();
    std::fclose(file);

    umvtool::VolInfo info;
    umvtool::FindVolInfo(stream, &info);
    umvtool::VoVolHeaders(stream);
    return 0;
}
