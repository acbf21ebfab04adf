#include "media/frame_index.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/records.h"

namespace {

using media::FrameIndex;
using testsupport::Recording;
using testsupport::RecordSpec;

class MemoryProbe : public media::DataFileProbe {
  public:
    explicit MemoryProbe(const std::vector<uint8_t>& data) : data_(data) {}
    uint64_t DataSize() const override { return data_.size(); }
    bool ReadHeader(uint64_t offset, uint8_t* out) override {
        if (offset + 24 > data_.size()) return false;
        std::memcpy(out, data_.data() + offset, 24);
        return true;
    }

  private:
    const std::vector<uint8_t>& data_;
};

std::vector<uint32_t> Stamps(const FrameIndex& index) {
    std::vector<uint32_t> out;
    for (const auto& e : index.frames())
        out.push_back(e.stamp);
    return out;
}

// Every builder case runs on both sources: the index file and a walk of the data file alone.
class BothBuilders : public ::testing::TestWithParam<bool> {
  protected:
    bool Build(const Recording& r, FrameIndex* index) {
        if (GetParam()) {
            MemoryProbe probe(r.data);
            return index->BuildFromIndex(r.index, &probe);
        }
        index->BuildFromData(r.data);
        return true;
    }
};

TEST_P(BothBuilders, ResultChannelIsTheOnlyChannelOrSeveral) {
    Recording r;
    for (uint32_t s = 0; s < 4; ++s)
        r.Add({.channel = 5, .kind = s == 0 ? 0 : 1, .stamp = s});
    FrameIndex index;
    ASSERT_TRUE(Build(r, &index));
    EXPECT_EQ(index.resultChannel(), 5);
    r.Add({.channel = 6, .kind = 0, .stamp = 9});
    ASSERT_TRUE(Build(r, &index));
    EXPECT_EQ(index.resultChannel(), FrameIndex::kSeveralChannels);
    EXPECT_TRUE(index.channelAccepted(5));
    EXPECT_TRUE(index.channelAccepted(6));
    EXPECT_FALSE(index.channelAccepted(0));
}

TEST_P(BothBuilders, PredictedTakesTheTimeOfItsOwnChannelsLastIntra) {
    Recording r;
    r.Add({.channel = 0, .kind = 0, .stamp = 1, .second = 10});
    r.Add({.channel = 1, .kind = 0, .stamp = 2, .second = 20});
    r.Add({.channel = 0, .kind = 2, .stamp = 3, .second = 59});
    r.Add({.channel = 1, .kind = 1, .stamp = 4, .second = 30});  // Anchor keeps its own time
    FrameIndex index;
    ASSERT_TRUE(Build(r, &index));
    ASSERT_EQ(index.frameCount(), 4u);
    EXPECT_EQ(index.frames()[2].time, media::WallTimeOf(108, 5, 1, 10, 0, 10));
    EXPECT_EQ(index.frames()[3].time, media::WallTimeOf(108, 5, 1, 10, 0, 30));
}

TEST_P(BothBuilders, OrdersTwoRunsSeparately) {
    Recording r;
    for (uint32_t s : {10u, 20u, 5u, 30u, 1u})
        r.Add({.kind = 0, .stamp = s});
    r.Add({.kind = 3, .stamp = 50});
    r.Add({.kind = 3, .stamp = 40});
    r.Add({.kind = 3, .stamp = 45});
    FrameIndex index;
    ASSERT_TRUE(Build(r, &index));
    EXPECT_EQ(Stamps(index), (std::vector<uint32_t>{10, 20, 1, 5, 30}));
    ASSERT_EQ(index.audioCount(), 3u);
    EXPECT_EQ(index.audio()[0].stamp, 50u);
    EXPECT_EQ(index.audio()[1].stamp, 40u);
    EXPECT_EQ(index.audio()[2].stamp, 45u);
}

TEST_P(BothBuilders, SkipsHighChannelsAndImplausibleTimes) {
    Recording r;
    r.Add({.channel = 0, .kind = 0, .stamp = 1});
    r.Add({.channel = 200, .kind = 0, .stamp = 2, .length = 3});
    r.Add({.channel = 0, .kind = 1, .stamp = 3, .month = 13});
    r.Add({.channel = 0, .kind = 1, .stamp = 4, .hour = 24});
    r.Add({.channel = 0, .kind = 1, .stamp = 5, .month = 12});  // month 12 still passes
    r.Add({.channel = 0, .kind = 7, .stamp = 6});
    FrameIndex index;
    ASSERT_TRUE(Build(r, &index));
    // An index entry keeps a valid wall time whatever the record's fields were, so only the data
    // walk sees the implausible fields.
    if (GetParam())
        EXPECT_EQ(Stamps(index), (std::vector<uint32_t>{1, 3, 4, 5}));
    else
        EXPECT_EQ(Stamps(index), (std::vector<uint32_t>{1, 5}));
}

TEST_P(BothBuilders, CapacityCutsTheListsAndSaysSo) {
    Recording r;
    for (uint32_t s = 0; s < FrameIndex::kFrameCapacity + 5; ++s)
        r.Add({.kind = s % 10 == 0 ? 0 : 1, .stamp = s});
    for (uint32_t s = 0; s < FrameIndex::kAudioCapacity + 2; ++s)
        r.Add({.kind = 3, .stamp = s});
    FrameIndex index;
    ASSERT_TRUE(Build(r, &index));
    EXPECT_EQ(index.frameCount(), FrameIndex::kFrameCapacity);
    EXPECT_EQ(index.audioCount(), FrameIndex::kAudioCapacity);
    EXPECT_TRUE(index.framesCut());
    EXPECT_TRUE(index.audioCut());
    EXPECT_EQ(index.frames().back().stamp, FrameIndex::kFrameCapacity - 1);
}

TEST_P(BothBuilders, ARecordingCutShortOpensUpToItsLastWholeRecord) {
    Recording r;
    for (uint32_t s = 0; s < 6; ++s)
        r.Add({.kind = s == 0 ? 0 : 1, .stamp = s, .length = 40});
    r.Add({.kind = 3, .stamp = 99});
    const size_t audioRecord = 24 + 2048;
    for (size_t cut : {size_t{1}, size_t{100}, audioRecord, audioRecord + 5}) {
        Recording torn = r;
        torn.data.resize(torn.data.size() - cut);  // the data file ends inside a record
        FrameIndex index;
        ASSERT_TRUE(Build(torn, &index));
        EXPECT_EQ(index.frameCount(), cut > audioRecord ? 5u : 6u) << cut;
        EXPECT_EQ(index.audioCount(), 0u);
        EXPECT_EQ(index.tornRecords() > 0, cut != audioRecord || GetParam()) << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(Source, BothBuilders, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Index" : "Data"; });

TEST(FrameIndexFromIndex, NonZeroReservedBytesRejectTheIndex) {
    Recording r;
    r.Add({.kind = 0, .stamp = 1});
    r.Add({.kind = 1, .stamp = 2});
    r.index[20 + 19] = 1;
    FrameIndex index;
    EXPECT_FALSE(index.BuildFromIndex(r.index, nullptr));
    EXPECT_EQ(index.frameCount(), 0u);
}

TEST(FrameIndexFromIndex, HighChannelEntriesAreSkippedWhateverTheyHold) {
    Recording r;
    r.Add({.channel = 17, .kind = 0, .stamp = 1});
    r.index[19] = 0xAA;
    r.Add({.kind = 0, .stamp = 2});
    FrameIndex index;
    ASSERT_TRUE(index.BuildFromIndex(r.index, nullptr));
    EXPECT_EQ(Stamps(index), (std::vector<uint32_t>{2}));
}

TEST(FrameIndexFromIndex, StampsWidenZeroExtendedFromIndexSignExtendedFromData) {
    Recording r;
    r.Add({.kind = 0, .stamp = 0x80000000u});
    r.Add({.kind = 0, .stamp = 0x7FFFFFFFu});
    r.Add({.kind = 0, .stamp = 0x10u});
    FrameIndex fromIndex, fromData;
    ASSERT_TRUE(fromIndex.BuildFromIndex(r.index, nullptr));
    fromData.BuildFromData(r.data);
    // Index: 0x80000000 > 0x7FFFFFFF, a descent: run one is [0x80000000], run two sorted.
    EXPECT_EQ(Stamps(fromIndex), (std::vector<uint32_t>{0x80000000u, 0x10u, 0x7FFFFFFFu}));
    // Data: 0x80000000 is negative, so the first descent is after 0x7FFFFFFF.
    EXPECT_EQ(Stamps(fromData), (std::vector<uint32_t>{0x80000000u, 0x7FFFFFFFu, 0x10u}));
}

TEST(FrameIndexFromIndex, EntriesBeyondTheDataFileAndPartialEntriesAreLeftOut) {
    Recording r;
    for (uint32_t s = 0; s < 4; ++s)
        r.Add({.kind = 0, .stamp = s, .length = 10});
    std::vector<uint8_t> index = r.index;
    // An entry pointing far past the end, then half an entry.
    media::IndexEntry bogus;
    bogus.offset = 1u << 30;
    uint8_t raw[20];
    bogus.Encode(raw);
    index.insert(index.end(), raw, raw + 20);
    index.insert(index.end(), raw, raw + 7);
    MemoryProbe probe(r.data);
    FrameIndex built;
    ASSERT_TRUE(built.BuildFromIndex(index, &probe));
    EXPECT_EQ(built.frameCount(), 4u);
    EXPECT_EQ(built.tornRecords(), 2u);
}

TEST(FrameIndexFromData, ResultChannelAndModelFromTheFirstHeaders) {
    Recording r;
    r.Add({.channel = 3, .kind = 3, .stamp = 0, .model = 4});
    r.Add({.channel = 2, .kind = 0, .stamp = 1, .model = 4});
    r.Add({.channel = 2, .kind = 1, .stamp = 2, .model = 9});
    FrameIndex index;
    index.BuildFromData(r.data);
    EXPECT_EQ(index.resultChannel(), 2);
    EXPECT_EQ(index.modelCode(), 4);
    EXPECT_EQ(index.audioChannel(), 3);
    // Offsets are where the record's header starts, as in an index.
    EXPECT_EQ(index.frames()[0].offset, r.data.size() - 2 * (24 + 32));
    EXPECT_EQ(index.frames()[0].size, 32u);
}

TEST(CheckDataStream, NeedsThreeWellFormedHeaders) {
    Recording r;
    r.Add({.kind = 0, .stamp = 1});
    r.Add({.kind = 3, .stamp = 2});
    uint8_t model = 0;
    EXPECT_FALSE(media::CheckDataStream(r.data, &model));  // shorter than three records
    r.Add({.kind = 1, .stamp = 3, .model = 4});
    EXPECT_TRUE(media::CheckDataStream(r.data, &model));
    EXPECT_EQ(model, 4);
    Recording zeros;
    for (uint32_t s = 0; s < 3; ++s)
        zeros.Add({.stamp = s, .sync = 0x00});
    EXPECT_TRUE(media::CheckDataStream(zeros.data, nullptr));
    zeros.data[2 * (24 + 32) + 8] = 0xFF;
    EXPECT_FALSE(media::CheckDataStream(zeros.data, nullptr));
    std::vector<uint8_t> garbage(5000, 0x41);
    EXPECT_FALSE(media::CheckDataStream(garbage, nullptr));
    EXPECT_FALSE(media::CheckDataStream({}, nullptr));
}

TEST(FrameIndex, ReportsProgress) {
    Recording r;
    for (uint32_t s = 0; s < 10000; ++s)
        r.Add({.kind = 1, .stamp = s});
    FrameIndex index;
    size_t calls = 0, last = 0;
    ASSERT_TRUE(index.BuildFromIndex(r.index, nullptr, [&](size_t done, size_t total) {
        ++calls;
        EXPECT_LE(done, total);
        last = done;
    }));
    EXPECT_GE(calls, 3u);
    EXPECT_EQ(last, 10000u);
}

}  // namespace
