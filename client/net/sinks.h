// What a connection does to the screen, the speaker and the main window goes through these three
// interfaces. The windows implement them later (posting queued events to the GUI thread); tests
// and tools implement them now. Every call comes from a reader thread unless noted.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "client/net/channel_info.h"
#include "client/net/notification.h"
#include "media/frame_header.h"

namespace client {

// Pictures a cell shows instead of video.
enum class CellPicture { Idle, Connecting, Disconnected, NoVideo };

enum class CellMark { Motion, Sensor, LiveState };

inline constexpr int kAllChannels = -1;

class FrameSink {
  public:
    virtual ~FrameSink() = default;
    // A still picture in one cell, or in every cell for kAllChannels.
    virtual void ShowPicture(int channel, CellPicture picture) = 0;
    // The title of a cell (the recorder's channel name), given with every Intra picture.
    virtual void SetTitle(int channel, std::string_view title) = 0;
    // A motion, sensor or live-state mark of a cell changed.
    virtual void SetMark(int channel, CellMark mark, bool on) = 0;
    // The recorder announced its channel count and names.
    virtual void SetChannelInfo(const ChannelInfo& info) = 0;
    // The pictures of the stream have a new size code (from the header flags).
    virtual void SetSizeCode(int sizeCode) = 0;
    // One video record of a channel to decode and draw: the 24-byte header and its payload.
    virtual void Picture(int channel, const media::FrameHeader& header,
                         std::span<const uint8_t> record) = 0;
};

class AudioSink {
  public:
    virtual ~AudioSink() = default;
    // Live audio of `channel` starts (the audio stream opened).
    virtual void AudioStarted(int channel) = 0;
    // One block of 2,048 A-law samples with its stamp. False when the device cannot take it now
    // (the block then waits in the stream's ring).
    virtual bool PlayBlock(int channel, uint32_t stamp, std::span<const uint8_t> alaw) = 0;
    // The channel is muted: playing pauses.
    virtual void Pause() = 0;
    // The audio stream ended: stop and close the device.
    virtual void AudioStopped() = 0;
};

class Notifier {
  public:
    virtual ~Notifier() = default;
    // One of the numbered notifications (kNotify...) with its parameter.
    virtual void Post(Notification message, int parameter) = 0;
    // A message the user sees: the string id and its text in the current language.
    virtual void ShowMessage(int stringId, std::string_view text) = 0;
    // The main window's time field: "%04d-%02d-%02d %02d:%02d:%02d", or empty.
    virtual void ShowTime(std::string_view text) = 0;
};

// The progress control of a wait box or of the backup progress box: a text ("completed %d%%")
// and a bar (0..100, message 1026). Called from reader threads.
class ProgressView {
  public:
    virtual ~ProgressView() = default;
    virtual void SetProgressText(std::string_view text) = 0;
    virtual void SetProgressPosition(int percent) = 0;
};

// Shows "completed N%" and moves the bar to N; nothing when `view` is null.
void ShowProgress(ProgressView* view, int percent);

}  // namespace client
