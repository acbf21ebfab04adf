#include "client/net/requests.h"

#include <cinttypes>
#include <cstdio>

namespace client {
namespace {

int StreamMode(StreamKind kind) {
    return kind == StreamKind::Live ? 0 : 2;
}

std::string Format(const char* format, auto... values) {
    const int n = std::snprintf(nullptr, 0, format, values...);
    std::string out(static_cast<size_t>(n < 0 ? 0 : n), '\0');
    std::snprintf(out.data(), out.size() + 1, format, values...);
    return out;
}

std::string TwelveDigits(const media::CivilTime& t) {
    return Format("%02d%02d%02d%02d%02d%02d", t.year - 2000, t.month, t.day, t.hour, t.minute,
                  t.second);
}

}  // namespace

std::string EncodeRequestText(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '#') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string StreamQuery(const StreamTarget& t) {
    const std::string id = EncodeRequestText(t.user);
    const std::string pw = EncodeRequestText(t.password);
    const int mode = StreamMode(t.kind);
    switch (t.kind) {
        case StreamKind::Live:
            return Format("MODE=%d&ID=%s&PW=%s&VER=2000&CH=FFFF", mode, id.c_str(), pw.c_str());
        case StreamKind::FilePlayback:
            return Format("MODE=%d&FILENAME=%s&ID=%s&PW=%s&VER=2000&CH=FFFF", mode,
                          EncodeRequestText(t.fileName).c_str(), id.c_str(), pw.c_str());
        case StreamKind::TimePlayback:
            return Format("MODE=%d&STARTTIME=%s&ID=%s&PW=%s&VER=2000&CH=FFFF", mode,
                          EncodeRequestText(t.startText).c_str(), id.c_str(), pw.c_str());
        case StreamKind::BackupDownload:
            return Format("MODE=%d&STARTTIME=%s&ENDTIME=%s&ID=%s&PW=%s&VER=2000&CH=%x", mode,
                          EncodeRequestText(t.startText).c_str(),
                          EncodeRequestText(t.endText).c_str(), id.c_str(), pw.c_str(),
                          t.backupMask);
    }
    return {};
}

std::string AudioQuery(const StreamTarget& t, ClientId clientId) {
    const int mode = t.kind == StreamKind::Live ? 1 : 3;
    return Format("MODE=%d&ID=%s&PW=%s&VER=2000&CH=FFFF&CID=%d", mode,
                  EncodeRequestText(t.user).c_str(), EncodeRequestText(t.password).c_str(),
                  clientId + kAudioClientOffset);
}

std::string BackupTimeText(const media::CivilTime& t) {
    return TwelveDigits(t);
}

bool ParseRangeTime(std::string_view text, media::CivilTime* out) {
    if (text.size() != 14) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    auto field = [&](size_t at, size_t n) {
        int v = 0;
        for (size_t i = at; i < at + n; ++i)
            v = v * 10 + (text[i] - '0');
        return v;
    };
    media::CivilTime t;
    t.year = field(0, 4);
    t.month = field(4, 2);
    t.day = field(6, 2);
    t.hour = field(8, 2);
    t.minute = field(10, 2);
    t.second = field(12, 2);
    if (t.year < 2000 || t.year > 2099 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 ||
        t.hour > 23 || t.minute > 59 || t.second > 59)
        return false;
    *out = t;
    return true;
}

std::string ControlBody(int selector, ClientId clientId, const ControlArgs& a) {
    const int cid = clientId;
    const int audioCid = cid + kAudioClientOffset;
    const std::string req(a.req);
    switch (selector) {
        case kSelectPlaybackLeave:
        case kSelectDvrRecord:
            return Format("MODE=%d&CID=%d&OP=%d", 5, cid, selector);
        case kSelectAudioLeave:
            return Format("MODE=%d&CID=%d&OP=%d", 5, audioCid, selector);
        case kSelectCamera:
            return Format("MODE=%d&CID=%d&OP=%d&CH=%d&LEN=1&REQ=%s", 5, cid, selector,
                          static_cast<int>(a.channel), req.c_str());
        case kSelectPlayback:
            return Format("MODE=%d&CID=%d&OP=%d&LEN=1&REQ=%s", 5, cid, selector, req.c_str());
        case kSelectAudioMask:
            return Format("MODE=%d&CID=%d&OP=%d&CH=%x&LEN=1&REQ=%s", 5, audioCid, 3, a.channel,
                          req.c_str());
        case kSelectVideoMask:
            return Format("MODE=%d&CID=%d&OP=%d&CH=%x&LEN=1&REQ=%s", 5, cid, 3, a.channel,
                          req.c_str());
        case kSelectUpgradeRamdisk:
        case kSelectUpgradeKernel: {
            const std::string upgradeReq =
                Format("%s|%" PRId64, std::string(a.path).c_str(), a.number);
            return Format("MODE=%d&OP=%d&LEN=%d&REQ=%s", 5, selector,
                          static_cast<int>(upgradeReq.size()), upgradeReq.c_str());
        }
        default:
            return {};
    }
}

std::string EventSearchBody(const media::CivilTime& start, const media::CivilTime& end, int channel,
                            int event) {
    return Format("MODE=%d&STARTTIME=%s&ENDTIME=%s&CH=%d&EVENT=%d", 4, TwelveDigits(start).c_str(),
                  TwelveDigits(end).c_str(), channel, event);
}

}  // namespace client
