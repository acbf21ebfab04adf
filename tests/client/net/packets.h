// Building recorder stream bodies and collecting what a scanner finds, for the network tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "client/net/packet_scanner.h"
#include "client/net/protocol.h"
#include "tests/support/records.h"

namespace nettest {

inline void PutPacket(std::vector<uint8_t>* out, uint8_t cid, uint8_t cls,
                      const std::vector<uint8_t>& payload, bool endMarker = true) {
    out->insert(out->end(), client::kStartMarker, client::kStartMarker + 4);
    out->push_back(cid);
    out->push_back(cls);
    const uint32_t n = static_cast<uint32_t>(payload.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<uint8_t>(n >> shift));
    out->insert(out->end(), payload.begin(), payload.end());
    static const uint8_t kBroken[4] = {0xFB, 0xFB, 0xFB, 0x00};
    const uint8_t* tail = endMarker ? client::kEndMarker : kBroken;
    out->insert(out->end(), tail, tail + 4);
}

inline std::vector<uint8_t> MediaPacket(const std::vector<uint8_t>& record, uint8_t cid = 7) {
    std::vector<uint8_t> out;
    PutPacket(&out, cid, 0, record);
    return out;
}

inline std::vector<uint8_t> ChannelInfoPayload(int channels, const std::vector<std::string>& names,
                                               bool terminate = true) {
    std::vector<uint8_t> p(2 + 13 * static_cast<size_t>(channels), terminate ? 0 : 'x');
    p[0] = static_cast<uint8_t>(channels);
    p[1] = 0;
    for (size_t c = 0; c < names.size() && c < static_cast<size_t>(channels); ++c) {
        std::fill(p.begin() + 2 + 13 * static_cast<ptrdiff_t>(c),
                  p.begin() + 2 + 13 * static_cast<ptrdiff_t>(c + 1), terminate ? 0 : 'x');
        std::copy(names[c].begin(), names[c].begin() + std::min<ptrdiff_t>(13, names[c].size()),
                  p.begin() + 2 + 13 * static_cast<ptrdiff_t>(c));
    }
    return p;
}

inline std::vector<uint8_t> ResultPacket(uint8_t code, uint8_t cid = 7) {
    std::vector<uint8_t> out;
    PutPacket(&out, cid, client::kClassResult, {code});
    return out;
}

// A video record of `payloadUnits` x 32 bytes, identified by its stamp.
inline std::vector<uint8_t> Video(int channel, int kind, uint32_t stamp,
                                  uint16_t payloadUnits = 2) {
    testsupport::RecordSpec s;
    s.channel = channel;
    s.kind = kind;
    s.stamp = stamp;
    s.length = payloadUnits;
    return testsupport::MakeRecord(s);
}

// Everything a scanner reports, in order.
class Collector : public client::PacketHandler {
  public:
    client::ScanVerdict OnResult(client::ClientId, uint8_t code) override {
        results.push_back(code);
        return client::ScanVerdict::Stop;
    }
    client::ScanVerdict OnChannelInfo(client::ClientId, std::span<const uint8_t> payload) override {
        infos.emplace_back(payload.begin(), payload.end());
        return client::ScanVerdict::Continue;
    }
    void OnUnsupportedChannelInfo(client::ClientId, uint32_t length) override {
        unsupported.push_back(length);
    }
    client::ScanVerdict OnMedia(client::ClientId cid, std::span<const uint8_t> record) override {
        media.emplace_back(record.begin(), record.end());
        lastClientId = cid;
        return client::ScanVerdict::Continue;
    }

    std::vector<std::vector<uint8_t>> media;
    std::vector<std::vector<uint8_t>> infos;
    std::vector<uint8_t> results;
    std::vector<uint32_t> unsupported;
    client::ClientId lastClientId = 0;
};

}  // namespace nettest
