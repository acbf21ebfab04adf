#include "client/net/packet_scanner.h"

#include <algorithm>
#include <cstring>

namespace client {
namespace {

constexpr size_t kHeadBytes = kPacketHeadSize - 4;  // client id, class, length
constexpr size_t kLargestChannelInfo = 210;
constexpr size_t kNotFound = static_cast<size_t>(-1);

uint32_t ReadBig32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The first start marker at or after `from` whose whole 10-byte head lies inside the n bytes.
size_t FindHead(const uint8_t* d, size_t n, size_t from) {
    if (n < kPacketHeadSize) return kNotFound;
    const size_t last = n - kPacketHeadSize;  // the last position a whole head fits at
    size_t q = from;
    while (q <= last) {
        const void* hit = std::memchr(d + q, kStartMarker[0], last + 1 - q);
        if (!hit) return kNotFound;
        q = static_cast<size_t>(static_cast<const uint8_t*>(hit) - d);
        if (d[q + 1] == kStartMarker[1] && d[q + 2] == kStartMarker[2] &&
            d[q + 3] == kStartMarker[3])
            return q;
        ++q;
    }
    return kNotFound;
}

bool IsChannelInfoLength(uint32_t length) {
    return length == 54 || length == 106 || length == 210;
}

}  // namespace

PacketScanner::PacketScanner(PacketHandler& handler, const std::atomic<bool>* stop)
    : handler_(handler), stop_(stop) {
    carry_.reserve(kPacketHeadSize + kLargestChannelInfo + kPacketTailSize);
    partial_.resize(kHeadBytes + kMaxMediaPayload + kPacketTailSize);
    work_.reserve(partial_.size() + kReadChunkSize + carry_.capacity());
}

void PacketScanner::Reset() {
    carry_.clear();
    inPacket_ = false;
    partialHeld_ = partialNeeded_ = 0;
}

void PacketScanner::Keep(const uint8_t* data, size_t n) {
    carry_.assign(data, data + n);
}

ScanVerdict PacketScanner::Scan(std::span<const uint8_t> chunk) {
    if (StopRequested()) return ScanVerdict::Stop;
    if (inPacket_) return ContinuePacket(chunk.data(), chunk.size());
    if (!carry_.empty()) {
        work_.assign(carry_.begin(), carry_.end());
        work_.insert(work_.end(), chunk.begin(), chunk.end());
        carry_.clear();
        return ScanBytes(work_.data(), work_.size());
    }
    return ScanBytes(chunk.data(), chunk.size());
}

ScanVerdict PacketScanner::ContinuePacket(const uint8_t* d, size_t n) {
    const size_t take = std::min(partialNeeded_ - partialHeld_, n);
    std::memcpy(partial_.data() + partialHeld_, d, take);
    partialHeld_ += take;
    if (partialHeld_ < partialNeeded_) return ScanVerdict::Continue;

    inPacket_ = false;
    const size_t length = partialNeeded_ - kHeadBytes - kPacketTailSize;
    const uint8_t* payload = partial_.data() + kHeadBytes;
    if (std::memcmp(payload + length, kEndMarker, 4) == 0) {
        ++stats_.mediaPackets;
        if (handler_.OnMedia(partial_[0], {payload, length}) == ScanVerdict::Stop)
            return ScanVerdict::Stop;
        return ScanBytes(d + take, n - take);
    }
    // The end marker is missing: the packet is dropped, and its bytes behind the start marker are
    // scanned again with the rest of the chunk, so a packet that began inside it is still found.
    ++stats_.damagedPackets;
    work_.assign(partial_.begin(), partial_.begin() + static_cast<ptrdiff_t>(partialHeld_));
    work_.insert(work_.end(), d + take, d + n);
    return ScanBytes(work_.data(), work_.size());
}

ScanVerdict PacketScanner::ScanBytes(const uint8_t* d, size_t n) {
    size_t p = 0;
    for (;;) {
        if (StopRequested()) return ScanVerdict::Stop;
        const size_t q = FindHead(d, n, p);
        if (q == kNotFound) {
            // A head may start in the last nine bytes: keep them for the next chunk.
            const size_t from =
                n > kPacketHeadSize - 1 ? std::max(p, n - (kPacketHeadSize - 1)) : p;
            Keep(d + from, n - from);
            return ScanVerdict::Continue;
        }
        const uint8_t* head = d + q + 4;
        const ClientId clientId = head[0];
        const uint8_t cls = head[1];
        const uint32_t length = ReadBig32(head + 2);
        const size_t body = q + kPacketHeadSize;
        const size_t available = n - body;

        if (cls == kClassResult && length == 1) {
            if (available < 1) {
                Keep(d + q, n - q);
                return ScanVerdict::Continue;
            }
            return handler_.OnResult(clientId, d[body]);
        }
        if (cls == kClassChannelInfo) {
            if (!IsChannelInfoLength(length)) {
                handler_.OnUnsupportedChannelInfo(clientId, length);
                return ScanVerdict::Stop;
            }
            if (available < length + kPacketTailSize) {
                Keep(d + q, n - q);
                return ScanVerdict::Continue;
            }
            if (handler_.OnChannelInfo(clientId, {d + body, length}) == ScanVerdict::Stop)
                return ScanVerdict::Stop;
            p = body + length + kPacketTailSize;
            continue;
        }
        if (length > kMaxMediaPayload) {
            // Not a packet the recorder can send: resynchronise behind its start marker.
            ++stats_.oversizedPackets;
            p = q + 4;
            continue;
        }
        const size_t needed = length + kPacketTailSize;
        if (available < needed) {
            std::memcpy(partial_.data(), head, kHeadBytes);
            std::memcpy(partial_.data() + kHeadBytes, d + body, available);
            partialHeld_ = kHeadBytes + available;
            partialNeeded_ = kHeadBytes + needed;
            inPacket_ = true;
            return ScanVerdict::Continue;
        }
        if (std::memcmp(d + body + length, kEndMarker, 4) == 0) {
            ++stats_.mediaPackets;
            if (handler_.OnMedia(clientId, {d + body, length}) == ScanVerdict::Stop)
                return ScanVerdict::Stop;
            p = body + needed;
        } else {
            ++stats_.damagedPackets;
            p = q + 4;
        }
    }
}

}  // namespace client
