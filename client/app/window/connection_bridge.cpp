#include "client/app/window/connection_bridge.h"

#include "client/net/channel_info.h"
#include "media/frame_header.h"

namespace client_app {
namespace {

void SetBit(std::atomic<uint16_t>& bits, int channel, bool on) {
    const auto bit = static_cast<uint16_t>(1u << channel);
    if (on)
        bits.fetch_or(bit);
    else
        bits.fetch_and(static_cast<uint16_t>(~bit));
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ConnectionBridge::ConnectionBridge(output::ChannelDisplay& display, int displayType,
                                   client::AudioSink& audio, std::function<int()> volume)
    : display_(display), displayType_(displayType), audio_(audio), volume_(std::move(volume)) {}

void ConnectionBridge::AudioStarted(int channel) {
    audio_.AudioStarted(channel);
    // Live audio is available: the window turns its sound button on at the current volume.
    emit notified(0x408, volume_());
}

void ConnectionBridge::ShowPicture(int, client::CellPicture) {
    // The cells keep their last picture (or stay empty) until video arrives again.
}

void ConnectionBridge::SetTitle(int channel, std::string_view title) {
    display_.SetCaption(channel, title);
}

void ConnectionBridge::SetMark(int channel, client::CellMark mark, bool on) {
    if (channel < 0 || channel >= 16) return;
    switch (mark) {
        case client::CellMark::Motion:
            SetBit(motion_, channel, on);
            break;
        case client::CellMark::Sensor:
            SetBit(sensor_, channel, on);
            break;
        case client::CellMark::LiveState:
            display_.SetLiveState(channel, on);
            display_.Redraw(channel);
            return;
    }
    display_.SetMarks(channel, (motion_.load() >> channel) & 1, (sensor_.load() >> channel) & 1);
    display_.Redraw(channel);
}

void ConnectionBridge::SetChannelInfo(const client::ChannelInfo& info) {
    const int count = info.channelCount();
    channels_.store(count == 4 || count == 8 ? count : 16);
    emit channelInfoChanged(channels_.load());
}

void ConnectionBridge::SetSizeCode(int sizeCode) {
    {
        std::lock_guard lock(decodeLock_);
        if (sizeCode == sizeCode_ && display_.decodersOpen()) return;
        sizeCode_ = sizeCode;
        display_.SetResolution(sizeCode);
        display_.OpenDecoders(displayType_);
    }
    emit viewsToReopen();
}

void ConnectionBridge::Picture(int channel, const media::FrameHeader&,
                               std::span<const uint8_t> record) {
    if (channel < 0 || channel >= 16 || record.size() <= media::kFrameHeaderSize) return;
    std::lock_guard lock(decodeLock_);
    if (display_.DecodeAndShow(channel, record.data() + media::kFrameHeaderSize,
                               record.size() - media::kFrameHeaderSize)) {
        shown_.fetch_add(1, std::memory_order_relaxed);
        if (shownPerChannel_[channel].fetch_add(1, std::memory_order_relaxed) == 0)
            emit firstPicture(channel);
    }
}

uint64_t ConnectionBridge::picturesShown(int channel) const {
    return channel >= 0 && channel < 16 ? shownPerChannel_[channel].load() : 0;
}

void ConnectionBridge::Post(client::Notification message, int parameter) {
    emit notified(client::NotificationNumber(message), parameter);
}

void ConnectionBridge::ShowMessage(int stringId, std::string_view text) {
    emit messageShown(stringId, FromUtf8(text));
}

void ConnectionBridge::ShowTime(std::string_view text) {
    emit timeShown(FromUtf8(text));
}

}  // namespace client_app
