// Shared vocabulary of the recorder protocol: stream kinds, the packet envelope, and the time
// constants of the stream reader (injectable so tests need not wait for them).
#pragma once

#include <cstddef>
#include <cstdint>

namespace client {

enum class StreamKind : int { Live = 1, FilePlayback = 2, TimePlayback = 3, BackupDownload = 4 };

// The recorder assigns this byte to the video stream; the audio stream and the controls meant
// for it use ClientId + 100.
using ClientId = uint8_t;
inline constexpr int kAudioClientOffset = 100;

// Packet envelope: start marker, client id, class, 32-bit length, payload, end marker.
inline constexpr uint8_t kStartMarker[4] = {0xFB, 0xFB, 0xFB, 0xFC};
inline constexpr uint8_t kEndMarker[4] = {0xFB, 0xFB, 0xFB, 0xFD};
inline constexpr size_t kPacketHeadSize = 10;
inline constexpr size_t kPacketTailSize = 4;
inline constexpr uint8_t kClassResult = 1;
inline constexpr uint8_t kClassChannelInfo = 20;
// Largest media payload a packet may carry: a 24-byte header plus the 262,144-byte frame buffer.
inline constexpr uint32_t kMaxMediaPayload = 262168;
// The reader reads at most this many bytes at a time.
inline constexpr size_t kReadChunkSize = 10000;

// Recorder result codes with a meaning of their own to the client.
inline constexpr int kResultNoMoreVideo = 10;

// Time constants of the connection. Defaults are the recorder client's; tests shrink them.
struct NetTimings {
    int controlTimeoutMs = 60000;   // a control or query post
    int leaveTimeoutMs = 2000;      // each leave operation when a stream stops
    int connectTimeoutMs = 60000;   // opening a stream
    int watchdogMs = 30000;         // no data on the stream: show it as lost
    int readRetryPauseMs = 1000;    // after a read that brought nothing
    int audioRetryPauseMs = 60000;  // the audio stream after a result packet or lost data
    int stopWaitMs = 100;           // what Stop allows the reader threads
    int readFailureLimit = 11;      // reads in a row that bring nothing end the reader
    int reopenAttempts = 3;         // opens in a row after the stream ended
};

}  // namespace client
