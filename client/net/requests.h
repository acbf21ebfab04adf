// The texts of every request the client sends to "/cgi-bin/webapp.cgi": stream queries (GET),
// control bodies (MODE 5 POST) and query bodies (MODE 4 and 7 POST).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "client/net/protocol.h"
#include "media/wall_time.h"

namespace client {

inline constexpr const char* kCgiPath = "/cgi-bin/webapp.cgi";
inline constexpr int kProtocolVersion = 2000;

// The recorder reads IDs, passwords, file names and times unescaped. Only what cannot travel in
// an HTTP request line at all is percent-encoded: space, control characters, bytes above 0x7E
// and '#', which would end the request target.
std::string EncodeRequestText(std::string_view text);

// What a stream request asks for.
struct StreamTarget {
    StreamKind kind = StreamKind::Live;
    std::string user;
    std::string password;
    std::string fileName;     // FilePlayback
    std::string startText;    // TimePlayback (passed through), BackupDownload (12 digits)
    std::string endText;      // BackupDownload (12 digits)
    uint32_t backupMask = 0;  // BackupDownload: bit n for the channel numbered n + 1
};

// The query of a video stream (after "/cgi-bin/webapp.cgi?").
std::string StreamQuery(const StreamTarget& target);
// The query of the audio stream that goes with a video stream of `target.kind`: MODE 1 beside a
// live stream, MODE 3 otherwise, CID = ClientId + 100.
std::string AudioQuery(const StreamTarget& target, ClientId clientId);
// Backup start and end: two digits each of year - 2000, month, day, hour, minute, second.
std::string BackupTimeText(const media::CivilTime& t);
// A range time as the calendar dialog hands it over: "YYYYMMDDhhmmss", fields range-checked,
// years 2000..2099 (the request carries two digits). False when malformed.
bool ParseRangeTime(std::string_view fourteen, media::CivilTime* out);

// Control selectors (the operation number handed to SendControl).
enum ControlSelector : int {
    kSelectPlaybackLeave = 5,  // video client leaves (OP 5)
    kSelectCamera = 7,
    kSelectPlayback = 8,
    kSelectDvrRecord = 11,
    kSelectUpgradeRamdisk = 12,
    kSelectUpgradeKernel = 13,
    kSelectAudioLeave = 14,  // audio client leaves (OP 14)
    kSelectAudioMask = 17,
    kSelectVideoMask = 18,
};

struct ControlArgs {
    std::string_view req;   // REQ text (selectors 7, 8)
    uint32_t channel = 0;   // CH: channel (7, decimal) or channel mask (17, 18, hexadecimal)
    std::string_view path;  // remote file path (12, 13)
    int64_t number = 0;     // file size (12, 13)
};

// The MODE=5 body of a control selector; an unknown selector gives the empty body.
std::string ControlBody(int selector, ClientId clientId, const ControlArgs& args);
// True for the selectors that may be sent while no stream is up (the upgrade controls).
inline bool ControlNeedsStream(int selector) {
    return selector != kSelectUpgradeRamdisk && selector != kSelectUpgradeKernel;
}

// The MODE=4 event search body.
std::string EventSearchBody(const media::CivilTime& start, const media::CivilTime& end, int channel,
                            int event);
// The MODE=7 recording calendar body.
inline std::string CalendarBody() {
    return "MODE=7";
}

}  // namespace client
