#include "media/frame_index.h"

#include <algorithm>
#include <cstring>

#include "media/channel_clock.h"
#include "media/index_entry.h"
#include "media/wall_time.h"

namespace media {
namespace {

// Keeps the order as recorded when the stamp restarted or wrapped once: the part before the
// first descent is already ascending; the part after it is sorted on its own and stays behind.
template <typename Entry>
void OrderTwoRuns(std::vector<Entry>& list) {
    auto descent = std::adjacent_find(list.begin(), list.end(),
                                      [](const Entry& a, const Entry& b) { return b.key < a.key; });
    if (descent == list.end()) return;
    auto second = descent + 1;
    if (std::is_sorted(second, list.end(),
                       [](const Entry& a, const Entry& b) { return a.key < b.key; }))
        return;
    std::stable_sort(second, list.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
}

}  // namespace

bool CheckDataStream(std::span<const uint8_t> bytes, uint8_t* modelCode) {
    size_t offset = 0;
    for (int good = 0; good < 3; ++good) {
        if (bytes.size() < kFrameHeaderSize || offset > bytes.size() - kFrameHeaderSize)
            return false;
        const uint8_t* h = bytes.data() + offset;
        if (!IsWellFormed(h)) return false;
        if (modelCode) *modelCode = h[22];
        offset += RecordExtent(h);
    }
    return true;
}

FrameIndex::FrameIndex() {
    frames_.reserve(kFrameCapacity);
    audio_.reserve(kAudioCapacity);
}

void FrameIndex::Clear() {
    frames_.clear();
    audio_.clear();
    std::fill(std::begin(present_), std::end(present_), false);
    std::fill(std::begin(accepted_), std::end(accepted_), false);
    resultChannel_ = 0;
    several_ = false;
    audioChannel_ = -1;
    modelCode_ = 0;
    framesCut_ = audioCut_ = false;
    torn_ = 0;
}

bool FrameIndex::BuildFromIndex(std::span<const uint8_t> index, DataFileProbe* data,
                                const BuildProgress& progress) {
    const uint8_t model = modelCode_;
    Clear();
    modelCode_ = model;  // comes from the data file's check
    const size_t count = index.size() / kIndexEntrySize;
    torn_ = index.size() % kIndexEntrySize != 0 ? 1 : 0;
    const uint64_t dataSize = data ? data->DataSize() : UINT64_MAX;
    // Only records near the end can reach past it; their headers are read to find their extent.
    const uint64_t probeFrom = dataSize > kFrameHeaderSize + 65535 * 32 + kAudioPayloadSize
                                   ? dataSize - (kFrameHeaderSize + 65535 * 32 + kAudioPayloadSize)
                                   : 0;
    bool acceptedAny = false;
    ChannelClock clock;

    for (size_t i = 0; i < count; ++i) {
        if (progress && i % kProgressEvery == 0) progress(i, count);
        IndexEntry e = IndexEntry::Decode(index.data() + i * kIndexEntrySize);

        if (data && e.offset >= probeFrom) {
            uint8_t header[kFrameHeaderSize];
            if (uint64_t{e.offset} + kFrameHeaderSize > dataSize ||
                !data->ReadHeader(e.offset, header) ||
                uint64_t{e.offset} + RecordExtent(header) > dataSize) {
                ++torn_;
                continue;
            }
        }

        if (!acceptedAny) resultChannel_ = e.channel;
        if (e.channel >= kChannelCount) continue;
        if (e.kind == static_cast<uint8_t>(FrameKind::Audio)) {
            if (audio_.size() < kAudioCapacity)
                audio_.push_back({int64_t{e.stamp}, e.offset, e.stamp});
            else
                audioCut_ = true;
            audioChannel_ = e.channel;
            continue;
        }
        if (e.kind > 2) continue;
        present_[e.channel] = true;
        if (e.channel != resultChannel_) several_ = true;
        e.time = clock.Time(e.channel, e.kind, e.time);
        // Fields broken down from a 32-bit wall time always pass the plausibility test.
        if (!e.ZeroBytesClear()) {
            Clear();
            return false;
        }
        if (frames_.size() < kFrameCapacity) {
            frames_.push_back(
                {int64_t{e.stamp}, e.offset, 0, e.stamp, e.time, e.channel, e.kind, 0, 0});
            accepted_[e.channel] = true;
            acceptedAny = true;
        } else {
            framesCut_ = true;
        }
    }
    if (progress) progress(count, count);
    Order();
    return true;
}

void FrameIndex::BuildFromData(std::span<const uint8_t> data, const BuildProgress& progress) {
    Clear();
    bool acceptedAny = false;
    ChannelClock clock;
    size_t offset = 0;
    size_t records = 0;
    const size_t total = data.size();

    while (data.size() >= kFrameHeaderSize && offset <= data.size() - kFrameHeaderSize) {
        if (progress && records % kProgressEvery == 0) progress(offset, total);
        ++records;
        const uint8_t* raw = data.data() + offset;
        const size_t extent = RecordExtent(raw);
        if (extent > data.size() - offset) {
            ++torn_;  // the file ends inside this record
            break;
        }
        const size_t here = offset;
        offset += extent;

        if (!acceptedAny) {
            resultChannel_ = raw[0];
            modelCode_ = raw[22];
        }
        if (raw[0] >= kChannelCount) continue;
        FrameHeader h = FrameHeader::Decode(raw);
        if (h.IsAudio()) {
            if (audio_.size() < kAudioCapacity)
                audio_.push_back({int64_t{static_cast<int32_t>(h.stamp)}, here, h.stamp});
            else
                audioCut_ = true;
            audioChannel_ = h.channel;
            continue;
        }
        if (!h.IsVideo()) continue;
        present_[h.channel] = true;
        if (h.channel != resultChannel_) several_ = true;
        const PictureTime t = clock.Time(h);
        if (!t.plausible()) continue;
        if (frames_.size() < kFrameCapacity) {
            frames_.push_back({int64_t{static_cast<int32_t>(h.stamp)}, here,
                               static_cast<uint32_t>(extent - kFrameHeaderSize), h.stamp,
                               t.wall32(), h.channel, h.kind, h.flags, 1});
            accepted_[h.channel] = true;
            acceptedAny = true;
        } else {
            framesCut_ = true;
        }
    }
    if (torn_ == 0 && offset < data.size()) ++torn_;  // a header cut short at the end
    if (progress) progress(total, total);
    Order();
}

void FrameIndex::Order() {
    OrderTwoRuns(frames_);
    OrderTwoRuns(audio_);
}

}  // namespace media
