// What the connection's threads tell the main window, brought to the window's thread: pictures
// are decoded on the reader thread straight into the channel display (whose views repaint through
// queued calls), everything else becomes a queued signal. No widget is touched here.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "client/net/sinks.h"
#include "output/channel_display.h"

namespace client_app {

class ConnectionBridge final : public QObject,
                               public client::FrameSink,
                               public client::AudioSink,
                               public client::Notifier {
    Q_OBJECT
  public:
    // `displayType`: 0 GPU views, 1 RGB views (the setting's value as the window read it).
    // Audio goes on to `audio` (the sound output); its start is told to the window as 1032.
    ConnectionBridge(output::ChannelDisplay& display, int displayType, client::AudioSink& audio,
                     std::function<int()> volume);

    // FrameSink (reader thread)
    void ShowPicture(int channel, client::CellPicture picture) override;
    void SetTitle(int channel, std::string_view title) override;
    void SetMark(int channel, client::CellMark mark, bool on) override;
    void SetChannelInfo(const client::ChannelInfo& info) override;
    void SetSizeCode(int sizeCode) override;
    void Picture(int channel, const media::FrameHeader& header,
                 std::span<const uint8_t> record) override;

    // AudioSink (audio reader thread)
    void AudioStarted(int channel) override;
    bool PlayBlock(int channel, uint32_t stamp, std::span<const uint8_t> alaw) override {
        return audio_.PlayBlock(channel, stamp, alaw);
    }
    void Pause() override { audio_.Pause(); }
    void AudioStopped() override { audio_.AudioStopped(); }

    // Notifier (reader and worker threads)
    void Post(client::Notification message, int parameter) override;
    void ShowMessage(int stringId, std::string_view text) override;
    void ShowTime(std::string_view text) override;

    // The display type the decoders open with from now on; under decodeLock().
    void SetDisplayType(int displayType) { displayType_ = displayType; }

    // Held while the window opens its views: nothing decodes meanwhile.
    std::mutex& decodeLock() { return decodeLock_; }
    // Alarm bits per channel (bit n: channel n).
    uint16_t motionBits() const { return motion_.load(); }
    uint16_t sensorBits() const { return sensor_.load(); }
    int channelCount() const { return channels_.load(); }
    // Pictures decoded and handed to the views since the start.
    uint64_t picturesShown() const { return shown_.load(); }
    uint64_t picturesShown(int channel) const;

  signals:
    void notified(int message, int parameter);
    void messageShown(int stringId, const QString& text);
    void timeShown(const QString& text);
    void channelInfoChanged(int channelCount);
    // The first picture of a channel was shown.
    void firstPicture(int channel);
    // The picture size changed and the decoders opened again: the views must reopen.
    void viewsToReopen();

  private:
    output::ChannelDisplay& display_;
    int displayType_;  // under decodeLock_
    client::AudioSink& audio_;
    const std::function<int()> volume_;
    std::mutex decodeLock_;
    int sizeCode_ = -1;  // under decodeLock_
    std::atomic<uint16_t> motion_{0};
    std::atomic<uint16_t> sensor_{0};
    std::atomic<int> channels_{16};
    std::atomic<uint64_t> shown_{0};
    std::atomic<uint64_t> shownPerChannel_[16] = {};
};

}  // namespace client_app
