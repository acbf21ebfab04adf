#include "client/net/packet_scanner.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/client/net/packets.h"

namespace {

using client::PacketScanner;
using client::ScanVerdict;
using nettest::Collector;
using nettest::MediaPacket;
using nettest::Video;

void Append(std::vector<uint8_t>* to, const std::vector<uint8_t>& bytes) {
    to->insert(to->end(), bytes.begin(), bytes.end());
}

// Feeds `stream` in chunks of the given sizes (the last one takes the rest).
void Feed(PacketScanner& scanner, const std::vector<uint8_t>& stream, std::vector<size_t> sizes) {
    size_t at = 0;
    for (size_t size : sizes) {
        size = std::min(size, stream.size() - at);
        scanner.Scan({stream.data() + at, size});
        at += size;
    }
    if (at < stream.size()) scanner.Scan({stream.data() + at, stream.size() - at});
}

struct ScannerTest : ::testing::Test {
    Collector got;
    PacketScanner scanner{got};
};

TEST_F(ScannerTest, FindsEveryPacketOfOneChunk) {
    std::vector<uint8_t> stream;
    Append(&stream, [] {
        std::vector<uint8_t> p;
        nettest::PutPacket(&p, 3, client::kClassChannelInfo,
                           nettest::ChannelInfoPayload(4, {"Door", "Yard"}));
        return p;
    }());
    const auto a = Video(0, 0, 1), b = Video(1, 1, 2, 40), c = Video(2, 2, 3, 0);
    Append(&stream, MediaPacket(a, 9));
    Append(&stream, MediaPacket(b, 9));
    Append(&stream, MediaPacket(c, 9));
    EXPECT_EQ(scanner.Scan(stream), ScanVerdict::Continue);
    ASSERT_EQ(got.infos.size(), 1u);
    EXPECT_EQ(got.infos[0].size(), 54u);
    EXPECT_EQ(got.media, (std::vector<std::vector<uint8_t>>{a, b, c}));
    EXPECT_EQ(got.lastClientId, 9);
    EXPECT_EQ(scanner.carrySize(), 0u);
}

TEST_F(ScannerTest, SevenByteChunksLoseNothing) {
    std::vector<uint8_t> stream;
    std::vector<std::vector<uint8_t>> sent;
    for (uint32_t i = 0; i < 20; ++i) {
        sent.push_back(Video(static_cast<int>(i % 4), 1, i, static_cast<uint16_t>(i % 5)));
        Append(&stream, MediaPacket(sent.back()));
    }
    for (size_t at = 0; at < stream.size(); at += 7)
        scanner.Scan({stream.data() + at, std::min<size_t>(7, stream.size() - at)});
    EXPECT_EQ(got.media, sent);
}

TEST_F(ScannerTest, HeadInTheLastTenBytesIsFoundWithTheNextChunk) {
    const auto a = Video(0, 0, 1), b = Video(0, 1, 2);
    std::vector<uint8_t> stream = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    Append(&stream, MediaPacket(a));
    Append(&stream, MediaPacket(b));
    // Cut so that the first head starts 6 bytes, then 1 byte, before the chunk end.
    for (size_t keep : {6u, 1u, 9u, 10u}) {
        Collector c;
        PacketScanner s(c);
        const size_t cut = 12 + keep;
        s.Scan({stream.data(), cut});
        EXPECT_TRUE(c.media.empty());
        s.Scan({stream.data() + cut, stream.size() - cut});
        EXPECT_EQ(c.media, (std::vector<std::vector<uint8_t>>{a, b})) << "head cut after " << keep;
    }
}

TEST_F(ScannerTest, PacketOverThreeChunksIsHandledOnceAndTheNextIsFoundAtOnce) {
    const auto big = Video(0, 0, 1, 600);  // 19,224 bytes
    const auto next = Video(1, 0, 2);
    std::vector<uint8_t> stream = MediaPacket(big);
    const size_t firstEnd = stream.size();
    Append(&stream, MediaPacket(next));
    scanner.Scan({stream.data(), 8000});
    EXPECT_TRUE(scanner.inPacket());
    scanner.Scan({stream.data() + 8000, 8000});
    EXPECT_TRUE(got.media.empty());
    scanner.Scan({stream.data() + 16000, stream.size() - 16000});
    ASSERT_EQ(got.media.size(), 2u);
    EXPECT_EQ(got.media[0], big);
    EXPECT_EQ(got.media[1], next);
    EXPECT_GT(stream.size(), firstEnd);
}

TEST_F(ScannerTest, MissingEndMarkerCostsOnlyThatPacket) {
    const auto a = Video(0, 0, 1), bad = Video(1, 0, 2, 3), c = Video(2, 0, 3);
    std::vector<uint8_t> stream = MediaPacket(a);
    nettest::PutPacket(&stream, 7, 0, bad, /*endMarker=*/false);
    Append(&stream, MediaPacket(c));
    // In one chunk, and with the damaged packet assembled over several chunks.
    for (size_t chunk : {stream.size(), size_t{50}, size_t{13}}) {
        Collector col;
        PacketScanner s(col);
        for (size_t at = 0; at < stream.size(); at += chunk)
            s.Scan({stream.data() + at, std::min(chunk, stream.size() - at)});
        EXPECT_EQ(col.media, (std::vector<std::vector<uint8_t>>{a, c})) << "chunk " << chunk;
        EXPECT_EQ(s.stats().damagedPackets, 1u);
    }
}

TEST_F(ScannerTest, PacketsInsideADamagedPacketsLengthAreFound) {
    // A packet cut short by the recorder: its length covers the packets that follow it.
    const auto a = Video(0, 0, 1), b = Video(1, 0, 2), c = Video(2, 0, 3);
    std::vector<uint8_t> stream = MediaPacket(a);
    const std::vector<uint8_t> cut = MediaPacket(Video(3, 0, 9, 100));
    stream.insert(stream.end(), cut.begin(), cut.begin() + 200);
    Append(&stream, MediaPacket(b));
    Append(&stream, MediaPacket(c));
    stream.resize(stream.size() + 4000, 0x11);  // the recorder goes on sending
    for (size_t chunk : {stream.size(), size_t{1000}, size_t{97}}) {
        Collector col;
        PacketScanner s(col);
        for (size_t at = 0; at < stream.size(); at += chunk)
            s.Scan({stream.data() + at, std::min(chunk, stream.size() - at)});
        EXPECT_EQ(col.media, (std::vector<std::vector<uint8_t>>{a, b, c})) << "chunk " << chunk;
    }
}

TEST_F(ScannerTest, OversizedPacketIsSkippedAndScanningGoesOn) {
    const auto a = Video(0, 0, 1);
    std::vector<uint8_t> stream;
    nettest::PutPacket(&stream, 7, 0, std::vector<uint8_t>(client::kMaxMediaPayload + 1, 0x22));
    Append(&stream, MediaPacket(a));
    Feed(scanner, stream, {5000, 5000});
    EXPECT_EQ(got.media, (std::vector<std::vector<uint8_t>>{a}));
    EXPECT_EQ(scanner.stats().oversizedPackets, 1u);

    // The largest payload the recorder may send still passes.
    Collector col;
    PacketScanner s(col);
    const std::vector<uint8_t> largest(client::kMaxMediaPayload, 0x33);
    s.Scan(MediaPacket(largest));
    ASSERT_EQ(col.media.size(), 1u);
}

TEST_F(ScannerTest, ChannelInfoOfEverySize) {
    for (int n : {4, 8, 16}) {
        Collector col;
        PacketScanner s(col);
        std::vector<uint8_t> stream;
        nettest::PutPacket(&stream, 1, client::kClassChannelInfo,
                           nettest::ChannelInfoPayload(n, {}));
        Append(&stream, MediaPacket(Video(0, 0, 1)));
        // Split inside the payload: the packet is kept until it is whole.
        Feed(s, stream, {30});
        ASSERT_EQ(col.infos.size(), 1u) << n;
        EXPECT_EQ(col.infos[0].size(), 2u + 13u * static_cast<size_t>(n));
        EXPECT_EQ(col.media.size(), 1u);
    }
    for (uint32_t odd : {1u, 53u, 80u, 211u}) {
        Collector col;
        PacketScanner s(col);
        std::vector<uint8_t> stream;
        nettest::PutPacket(&stream, 1, client::kClassChannelInfo, std::vector<uint8_t>(odd, 0));
        EXPECT_EQ(s.Scan(stream), ScanVerdict::Stop);
        EXPECT_EQ(col.unsupported, std::vector<uint32_t>{odd});
    }
}

TEST_F(ScannerTest, ResultPacketEndsTheScanEvenWhenItsHeadIsCut) {
    std::vector<uint8_t> stream = MediaPacket(Video(0, 0, 1));
    Append(&stream, nettest::ResultPacket(2));
    const size_t cut = stream.size() - 5;  // the code byte arrives with the next chunk
    EXPECT_EQ(scanner.Scan({stream.data(), cut}), ScanVerdict::Continue);
    EXPECT_EQ(scanner.Scan({stream.data() + cut, 5}), ScanVerdict::Stop);
    EXPECT_EQ(got.results, std::vector<uint8_t>{2});
    EXPECT_EQ(got.media.size(), 1u);
}

TEST(ScannerStop, StopRequestEndsTheScan) {
    std::atomic<bool> stop{false};
    Collector col;
    PacketScanner s(col, &stop);
    stop = true;
    EXPECT_EQ(s.Scan(MediaPacket(Video(0, 0, 1))), ScanVerdict::Stop);
    EXPECT_TRUE(col.media.empty());
}

// Any stream cut at any points yields exactly the valid packets it holds, in order.
TEST(ScannerProperty, RandomCutsYieldExactlyTheValidPackets) {
    int judged = 0;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        std::vector<uint8_t> stream;
        std::vector<std::vector<uint8_t>> valid;
        std::vector<std::vector<uint8_t>> infos;
        std::vector<size_t> cutShort;
        auto noise = [&](int n) {
            for (int i = 0; i < n; ++i)
                stream.push_back(static_cast<uint8_t>(pick(0, 0xFA)));
        };
        for (int i = 0; i < 60; ++i) {
            switch (pick(0, 9)) {
                case 0:
                    noise(pick(1, 40));
                    break;
                case 1: {  // end marker missing
                    std::vector<uint8_t> r =
                        Video(pick(0, 15), 1, 1000u + i, static_cast<uint16_t>(pick(0, 50)));
                    std::fill(r.begin() + 24, r.end(), 0x44);
                    nettest::PutPacket(&stream, 5, 0, r, false);
                    break;
                }
                case 2: {  // cut short: its length covers what follows
                    const std::vector<uint8_t> p = MediaPacket(Video(0, 0, 1, 30));
                    const int keep = pick(10, 500);
                    cutShort.push_back(stream.size() + p.size() - 4);
                    stream.insert(stream.end(), p.begin(), p.begin() + keep);
                    std::fill(stream.end() - (keep - 10), stream.end(), 0x55);
                    break;
                }
                case 3: {
                    const int n = std::array<int, 3>{4, 8, 16}[static_cast<size_t>(pick(0, 2))];
                    infos.push_back(nettest::ChannelInfoPayload(n, {"A", "B"}));
                    nettest::PutPacket(&stream, 5, client::kClassChannelInfo, infos.back());
                    break;
                }
                default: {
                    valid.push_back(Video(pick(0, 15), pick(0, 2), 2000u + i,
                                          static_cast<uint16_t>(pick(0, pick(0, 1) ? 20 : 700))));
                    Append(&stream, MediaPacket(valid.back()));
                }
            }
        }
        // The recorder keeps sending: enough for any cut-short packet to be judged.
        stream.resize(stream.size() + 1200, 0x66);
        // Where a cut-short packet's end marker would be, a real one may stand by chance; such
        // a stream frames differently and is not a fair case.
        bool ambiguous = false;
        for (size_t end : cutShort)
            ambiguous = ambiguous || std::equal(client::kEndMarker, client::kEndMarker + 4,
                                                stream.begin() + static_cast<ptrdiff_t>(end));
        if (ambiguous) continue;
        ++judged;

        Collector col;
        PacketScanner s(col);
        size_t at = 0;
        while (at < stream.size()) {
            const int mode = pick(0, 3);
            size_t n = mode == 0 ? pick(1, 12) : mode == 1 ? pick(1, 200) : pick(1, 12000);
            n = std::min(n, stream.size() - at);
            s.Scan({stream.data() + at, n});
            at += n;
        }
        ASSERT_EQ(col.media.size(), valid.size()) << "seed " << seed;
        EXPECT_EQ(col.media, valid) << "seed " << seed;
        EXPECT_EQ(col.infos, infos) << "seed " << seed;
    }
    EXPECT_GE(judged, 50);
}

}  // namespace
