// Cuts a recorder stream body into packets, whatever the sizes of the chunks the network hands
// over: a packet may start anywhere in a chunk and end chunks later. Bytes that cannot yet be
// judged (a head cut by the chunk end) are carried into the next chunk; a media packet longer
// than the chunk is assembled; a damaged packet costs only itself because scanning resumes at
// the next start marker behind its own.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "client/net/protocol.h"

namespace client {

enum class ScanVerdict { Continue, Stop };

// Receives the packets the scanner finds, in stream order.
class PacketHandler {
  public:
    virtual ~PacketHandler() = default;
    // A result packet (class 1, length 1). Scanning of the chunk ends here whatever the verdict.
    virtual ScanVerdict OnResult(ClientId clientId, uint8_t code) = 0;
    // A channel-information packet (class 20, length 54, 106 or 210).
    virtual ScanVerdict OnChannelInfo(ClientId clientId, std::span<const uint8_t> payload) = 0;
    // Class 20 with any other length: the recorder model is not supported. Scanning stops.
    virtual void OnUnsupportedChannelInfo(ClientId clientId, uint32_t length) = 0;
    // A complete media packet whose end marker was found: one frame record.
    virtual ScanVerdict OnMedia(ClientId clientId, std::span<const uint8_t> record) = 0;
};

struct ScanStats {
    uint64_t mediaPackets = 0;
    uint64_t damagedPackets = 0;    // end marker missing: dropped, scanning resynchronised
    uint64_t oversizedPackets = 0;  // declared length above the largest media payload
};

class PacketScanner {
  public:
    // `stop` (optional) is checked between packets; when set the scan returns Stop.
    explicit PacketScanner(PacketHandler& handler, const std::atomic<bool>* stop = nullptr);
    PacketScanner(const PacketScanner&) = delete;
    PacketScanner& operator=(const PacketScanner&) = delete;

    // Scans one chunk. Returns Stop when a handler said so, a result packet ended the stream,
    // the model is not supported, or stop was requested.
    ScanVerdict Scan(std::span<const uint8_t> chunk);
    // Forgets the carry and any partial packet (a new stream starts).
    void Reset();

    const ScanStats& stats() const { return stats_; }
    bool inPacket() const { return inPacket_; }
    size_t carrySize() const { return carry_.size(); }

  private:
    ScanVerdict ScanBytes(const uint8_t* data, size_t n);
    ScanVerdict ContinuePacket(const uint8_t* data, size_t n);
    bool StopRequested() const { return stop_ && stop_->load(std::memory_order_relaxed); }
    void Keep(const uint8_t* data, size_t n);

    PacketHandler& handler_;
    const std::atomic<bool>* stop_;
    std::vector<uint8_t> carry_;  // bytes not yet scanned (a head cut by the chunk end)
    // Partial media packet: its 6 head bytes, then payload and end marker as they arrive.
    std::vector<uint8_t> partial_;
    size_t partialHeld_ = 0;
    size_t partialNeeded_ = 0;
    bool inPacket_ = false;
    std::vector<uint8_t> work_;  // carry + chunk, or a damaged packet's bytes rescanned
    ScanStats stats_;
};

}  // namespace client
