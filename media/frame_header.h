// The media frame record: a 24-byte big-endian header followed by one MPEG-4 picture or one
// block of 2,048 A-law samples. The same bytes travel on the recorder's streams, in ".umv" data
// files and in ".ums" single-frame files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace media {

inline constexpr size_t kFrameHeaderSize = 24;
inline constexpr size_t kAudioPayloadSize = 2048;
// The frame buffer of the player: a larger video payload cannot be played.
inline constexpr size_t kMaxPayloadSize = 262144;
inline constexpr int kChannelCount = 16;
// Stamps count 1/45,000-second ticks.
inline constexpr uint32_t kStampTicksPerSecond = 45000;

enum class FrameKind : uint8_t { Intra = 0, Anchor = 1, Predicted = 2, Audio = 3 };

// Header flag bits.
inline constexpr uint8_t kFlagHasAudio = 0x01;
inline constexpr uint8_t kFlagMotion = 0x08;
inline constexpr uint8_t kFlagSensor = 0x10;
inline constexpr uint8_t kFlagLiveState = 0x20;

struct FrameHeader {
    uint8_t channel = 0;  // 0..15; 16 or more marks a record every reader steps over
    uint8_t kind = 0;     // FrameKind; other values carry no payload
    uint8_t flags = 0;
    uint16_t length = 0;  // payload length in units of 32 bytes (ignored for Audio)
    uint8_t year = 0;     // since 1900
    uint8_t month = 0;    // 0 = January
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    uint8_t cause = 0;  // bits 0..2 record cause, bits 3..7 the recorder's playback state
    uint32_t stamp = 0;
    uint16_t videoLoss = 0;  // bit n: channel n has no camera signal
    uint8_t modelCode = 0;
    uint8_t reserved = 0;
    uint8_t sync[4] = {0xFF, 0xFF, 0xFF, 0xFF};  // bytes 2, 8, 11 and 14 as found

    static FrameHeader Decode(const uint8_t* bytes);
    void Encode(uint8_t* bytes) const;

    bool IsVideo() const { return kind <= 2; }
    bool IsAudio() const { return kind == 3; }
    bool IsSkipped() const { return channel >= kChannelCount; }
    int sizeCode() const { return ((flags >> 6) & 1) * 4 + ((flags >> 1) & 3); }
    bool hasAudio() const { return flags & kFlagHasAudio; }
    bool motion() const { return flags & kFlagMotion; }
    bool sensor() const { return flags & kFlagSensor; }
    bool liveState() const { return flags & kFlagLiveState; }
    int recordCause() const { return cause & 7; }
    int playbackState() const { return cause >> 3; }
    // Payload bytes that follow this header (see RecordExtent).
    size_t payloadSize() const;
    size_t extent() const { return kFrameHeaderSize + payloadSize(); }
};

// Bytes from the start of the header at `header` to the start of the next record:
// 24 + 2,048 for Audio, 24 + length x 32 for video kinds and skipped channels, 24 otherwise.
size_t RecordExtent(const uint8_t* header);

// modelCode of at least 3, and sync bytes 2, 8, 11, 14 all 0x00 or all 0xFF.
bool IsWellFormed(const uint8_t* header);

// The stamp of a raw header: bytes 16-17 high, 20-21 low (18-19 are the video-loss mask).
inline uint32_t StampOf(const uint8_t* h) {
    return (uint32_t{h[16]} << 24) | (uint32_t{h[17]} << 16) | (uint32_t{h[20]} << 8) | h[21];
}

struct PictureSize {
    int width;
    int height;
    bool known;  // false: "Unknown image size. We will assume the maximum size." and 704 x 576
};
PictureSize PictureSizeOf(int sizeCode);
// The size code of a picture size the recorders use, or -1.
int SizeCodeOf(int width, int height);
// Flags bits 1, 2 and 6 for `sizeCode`.
uint8_t SizeCodeFlags(int sizeCode);

}  // namespace media
