#include "media/recording_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <thread>

#include "media/recording_pair_writer.h"
#include "tests/support/records.h"
#include "tests/support/temp_dir.h"

namespace {

using media::OpenError;
using media::RecordingFile;
using media::RecordingPairWriter;
using media::WriteError;
using testsupport::MakeRecord;
using testsupport::RecordSpec;

std::vector<std::vector<uint8_t>> SampleRecords() {
    std::vector<std::vector<uint8_t>> records;
    records.push_back(
        MakeRecord({.channel = 0, .kind = 0, .stamp = 100, .length = 5, .flags = 0x0D}));
    records.push_back(MakeRecord({.channel = 1, .kind = 0, .stamp = 110, .length = 2}));
    records.push_back(MakeRecord({.channel = 0, .kind = 3, .stamp = 120, .fill = 0x55}));
    records.push_back(MakeRecord({.channel = 0, .kind = 2, .stamp = 130, .second = 40}));
    records.push_back(
        MakeRecord({.channel = 1, .kind = 1, .stamp = 140, .length = 9, .flags = 0x50}));
    return records;
}

class RecordingFileTest : public ::testing::Test {
  protected:
    void WritePair(const std::vector<std::vector<uint8_t>>& records) {
        RecordingPairWriter writer;
        ASSERT_EQ(writer.Open(dir.path(), "20080601_100000"), WriteError::kNone);
        for (const auto& r : records)
            ASSERT_EQ(writer.Append(r.data(), r.size()), WriteError::kNone);
        ASSERT_EQ(writer.Close(), WriteError::kNone);
    }
    std::string idx() const { return dir / "20080601_100000.idx"; }
    std::string umv() const { return dir / "20080601_100000.umv"; }

    testsupport::TempDir dir;
};

TEST_F(RecordingFileTest, PairAndDataFileAloneReadTheSameRecords) {
    const auto records = SampleRecords();
    WritePair(records);
    for (const std::string& path : {idx(), umv()}) {
        RecordingFile file;
        ASSERT_EQ(file.Open(path), OpenError::kNone) << path;
        EXPECT_EQ(file.isPair(), path == idx());
        const auto& index = file.index();
        ASSERT_EQ(index.frameCount(), 4u);
        ASSERT_EQ(index.audioCount(), 1u);
        EXPECT_EQ(index.modelCode(), 5);
        EXPECT_EQ(index.resultChannel(), media::FrameIndex::kSeveralChannels);
        std::vector<uint8_t> buffer(media::kMaxPayloadSize);
        const size_t order[] = {0, 1, 3, 4};  // records in stamp order, audio aside
        for (size_t i = 0; i < 4; ++i) {
            media::FrameHeader header;
            size_t size = 0;
            ASSERT_TRUE(file.ReadVideo(i, &header, buffer.data(), &size));
            const auto& expect = records[order[i]];
            ASSERT_EQ(size + 24, expect.size());
            EXPECT_EQ(0, memcmp(buffer.data(), expect.data() + 24, size));
            EXPECT_EQ(header.stamp, media::FrameHeader::Decode(expect.data()).stamp);
            EXPECT_EQ(file.ReadFlags(i), expect[3]);
        }
        uint8_t audio[2048];
        EXPECT_EQ(file.ReadAudio(0, audio), 0);
        EXPECT_EQ(audio[0], 0x55);
        EXPECT_EQ(audio[2047], 0x55);
        EXPECT_FALSE(file.ReadVideo(4, nullptr, buffer.data(), nullptr));
        EXPECT_EQ(file.ReadAudio(1, audio), -1);
        EXPECT_EQ(file.ReadFlags(99), -1);
    }
}

TEST_F(RecordingFileTest, OpenErrorsNameTheRightMessage) {
    RecordingFile file;
    EXPECT_EQ(file.Open(dir / "none.idx"), OpenError::kCantOpen);
    EXPECT_EQ(file.Open(dir / "none.umv"), OpenError::kCantOpen);
    WritePair(SampleRecords());
    // Empty index: cannot be mapped.
    testsupport::WriteFile(idx(), {});
    EXPECT_EQ(file.Open(idx()), OpenError::kCantOpen);
    // A data file that is not a recording.
    testsupport::WriteFile(dir / "junk.umv", std::vector<uint8_t>(10000, 'x'));
    testsupport::WriteFile(dir / "junk.idx", std::vector<uint8_t>(40, 0));
    EXPECT_EQ(file.Open(dir / "junk.umv"), OpenError::kImproperType);
    EXPECT_EQ(file.Open(dir / "junk.idx"), OpenError::kImproperType);
    EXPECT_FALSE(file.isOpen());
    // Upper-case extension still names the pair.
    EXPECT_EQ(file.Open(dir / "20080601_100000.IDX"), OpenError::kCantOpen);  // no such file
}

TEST_F(RecordingFileTest, TheWriterNeverReplacesAnExistingPair) {
    WritePair(SampleRecords());
    const auto data = testsupport::ReadFile(umv());
    const auto index = testsupport::ReadFile(idx());
    RecordingPairWriter writer;
    EXPECT_EQ(writer.Open(dir.path(), "20080601_100000"), WriteError::kExists);
    EXPECT_FALSE(writer.isOpen());
    // Only the index left: the data file the failed open made is gone again.
    std::filesystem::remove(umv());
    EXPECT_EQ(writer.Open(dir.path(), "20080601_100000"), WriteError::kExists);
    EXPECT_FALSE(std::filesystem::exists(umv()));
    EXPECT_EQ(testsupport::ReadFile(idx()), index);
    testsupport::WriteFile(umv(), data);
    RecordingFile file;
    ASSERT_EQ(file.Open(idx()), OpenError::kNone);
    EXPECT_EQ(file.index().frameCount(), 4u);
}

TEST_F(RecordingFileTest, ReaderNeverReadsBeyondATruncatedDataFile) {
    WritePair(SampleRecords());
    auto data = testsupport::ReadFile(umv());
    data.resize(data.size() - 100);  // the last record is cut; the index still names it
    testsupport::WriteFile(umv(), data);
    RecordingFile file;
    ASSERT_EQ(file.Open(idx()), OpenError::kNone);
    EXPECT_EQ(file.index().frameCount(), 3u);
    EXPECT_EQ(file.index().tornRecords(), 1u);
    std::vector<uint8_t> buffer(media::kMaxPayloadSize);
    size_t size = 0;
    for (size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(file.ReadVideo(i, nullptr, buffer.data(), &size));
}

TEST_F(RecordingFileTest, WriterRefusesPartialRecordsAndKeepsItsOffsets) {
    RecordingPairWriter writer;
    EXPECT_EQ(writer.Append(nullptr, 0), WriteError::kNotOpen);
    ASSERT_EQ(writer.Open(dir.path(), "x"), WriteError::kNone);
    auto record = MakeRecord({.kind = 0, .stamp = 1, .length = 4});
    EXPECT_EQ(writer.Append(record.data(), record.size() - 1), WriteError::kBadRecord);
    EXPECT_EQ(writer.Append(record.data(), 10), WriteError::kBadRecord);
    ASSERT_EQ(writer.Append(record.data(), record.size()), WriteError::kNone);
    ASSERT_EQ(writer.Append(record.data(), record.size()), WriteError::kNone);
    EXPECT_EQ(writer.dataSize(), 2 * record.size());
    ASSERT_EQ(writer.Close(), WriteError::kNone);
    const auto index = testsupport::ReadFile(dir / "x.idx");
    ASSERT_EQ(index.size(), 40u);
    EXPECT_EQ(media::IndexEntry::Decode(index.data() + 20).offset, record.size());
    EXPECT_EQ(writer.Open(dir / "no/such/folder/", "x"), WriteError::kCannotCreate);
}

TEST_F(RecordingFileTest, ConcurrentWritersInterleaveWholeRecords) {
    // The video reader and the audio reader append to the same pair from two threads.
    RecordingPairWriter writer;
    ASSERT_EQ(writer.Open(dir.path(), "20080601_100000"), WriteError::kNone);
    auto video = MakeRecord({.kind = 0, .stamp = 1, .length = 100});
    auto audio = MakeRecord({.kind = 3, .stamp = 2});
    std::thread a([&] {
        for (int i = 0; i < 500; ++i)
            writer.Append(video.data(), video.size());
    });
    std::thread b([&] {
        for (int i = 0; i < 500; ++i)
            writer.Append(audio.data(), audio.size());
    });
    a.join();
    b.join();
    ASSERT_EQ(writer.Close(), WriteError::kNone);
    RecordingFile file;
    ASSERT_EQ(file.Open(idx()), OpenError::kNone);
    EXPECT_EQ(file.index().frameCount(), 500u);
    EXPECT_EQ(file.index().audioCount(), 500u);
    EXPECT_EQ(file.index().tornRecords(), 0u);
}

TEST(PairBaseName, FormatsTheFirstRecordsTime) {
    EXPECT_EQ(media::PairBaseName(108, 5, 1, 9, 5, 7), "20080601_090507");
}

}  // namespace
