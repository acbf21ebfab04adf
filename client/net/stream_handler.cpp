#include "client/net/stream_handler.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "client/net/client_strings.h"

namespace client {

StreamHandler::StreamHandler(FrameSink& frames, Notifier& notifier, StreamHooks& hooks,
                             const MessageTable& messages, std::atomic<bool>& stop)
    : frames_(frames), notifier_(notifier), hooks_(hooks), messages_(messages), stop_(stop) {}

void StreamHandler::Reset(StreamKind kind) {
    kind_ = kind;
    for (Channel& c : channels_)
        c = Channel{};
    audioMask_ = 0;
    sizeCode_ = 255;
    playbackState_ = 0;
    allNoVideoNotified_ = false;
    started_ = false;
    ended_ = false;
    resultCode_ = 0;
    timeText_[0] = '\0';
    channelInfo_.Clear();
}

void StreamHandler::Started() {
    if (started_) return;
    started_ = true;
    hooks_.StreamStarted();
}

void StreamHandler::ShowMessageIndex(int index) {
    notifier_.ShowMessage(messages_.id(index), messages_.Text(index));
}

ScanVerdict StreamHandler::OnResult(ClientId clientId, uint8_t code) {
    clientId_.store(clientId, std::memory_order_relaxed);
    resultCode_ = code;
    if (code == kResultNoMoreVideo && kind_ != StreamKind::Live) {
        Started();
        // The end of the recorded video.
        hooks_.LeaveRecorder();
        const bool recording = hooks_.LocalRecording();
        if (kind_ == StreamKind::FilePlayback) {
            ShowMessageIndex(code - 1);
            notifier_.Post(Notification::PlaybackEnded, 0);
            if (recording) notifier_.Post(Notification::StopRecording, 0);
        } else if (kind_ == StreamKind::TimePlayback) {
            ShowMessageIndex(code - 1);
            if (recording) notifier_.Post(Notification::StopRecording, 0);
            notifier_.Post(Notification::CalendarSearch, 0);
        } else {
            // A backup whose range the recorder has no more video for ends here instead of
            // waiting for an end time that no record will reach.
            hooks_.BackupStreamEnded();
        }
        ended_ = true;
        stop_.store(true);
        return ScanVerdict::Continue;
    }
    const int id = messages_.IdForResult(code);
    notifier_.ShowMessage(id, ClientText(id));
    return ScanVerdict::Stop;
}

ScanVerdict StreamHandler::OnChannelInfo(ClientId clientId, std::span<const uint8_t> payload) {
    clientId_.store(clientId, std::memory_order_relaxed);
    if (channelInfo_.Set(payload)) frames_.SetChannelInfo(channelInfo_);
    return ScanVerdict::Continue;
}

void StreamHandler::OnUnsupportedChannelInfo(ClientId clientId, uint32_t) {
    clientId_.store(clientId, std::memory_order_relaxed);
    ShowMessageIndex(MessageTable::kModelNotSupported);
}

ScanVerdict StreamHandler::OnMedia(ClientId clientId, std::span<const uint8_t> record) {
    clientId_.store(clientId, std::memory_order_relaxed);
    ++stats_.records;
    if (record.size() < media::kFrameHeaderSize) {
        ++stats_.ignored;
        return ScanVerdict::Continue;
    }
    const uint8_t* h = record.data();
    if (h[2] != 0xFF || h[8] != 0xFF || h[11] != 0xFF || h[14] != 0xFF) {
        ++stats_.ignored;
        return ScanVerdict::Continue;
    }
    if (h[22] <= 2) {
        ShowMessageIndex(MessageTable::kModelNotSupported);
        return ScanVerdict::Stop;
    }
    const media::FrameHeader header = media::FrameHeader::Decode(h);
    if (header.IsAudio() || hooks_.BackupCompleted()) return ScanVerdict::Continue;
    // Records every reader steps over, and pictures whose payload the packet does not hold
    // (they would be drawn or recorded torn), are left alone.
    if (header.IsSkipped() || (header.IsVideo() && header.extent() > record.size())) {
        ++stats_.ignored;
        return ScanVerdict::Continue;
    }
    const int c = header.channel;
    if (!hooks_.AudioRunning() && header.hasAudio()) hooks_.StartAudio(c, clientId);

    if (header.sizeCode() != sizeCode_) {
        sizeCode_ = header.sizeCode();
        frames_.SetSizeCode(sizeCode_);
    }
    if (kind_ == StreamKind::TimePlayback || kind_ == StreamKind::BackupDownload) {
        if (header.playbackState() != playbackState_) {
            playbackState_ = header.playbackState();
            notifier_.Post(Notification::PlaybackState, playbackState_);
        }
    }
    Channel& ch = channels_[c];
    ch.last = header;
    ch.hasLast = true;
    if (header.hasAudio())
        audioMask_ = static_cast<uint16_t>(audioMask_ | (1u << c));
    else
        audioMask_ = static_cast<uint16_t>(audioMask_ & ~(1u << c));

    Dispatch(c, header, record);

    if (kind_ == StreamKind::Live && header.liveState() != ch.liveState) {
        ch.liveState = header.liveState();
        frames_.SetMark(c, CellMark::LiveState, ch.liveState);
    }
    if (header.motion() != ch.motion) {
        ch.motion = header.motion();
        frames_.SetMark(c, CellMark::Motion, ch.motion);
        notifier_.Post(Notification::Motion, ch.motion);
    }
    if (header.sensor() != ch.sensor) {
        ch.sensor = header.sensor();
        frames_.SetMark(c, CellMark::Sensor, ch.sensor);
        notifier_.Post(Notification::Sensor, ch.sensor);
    }
    return ScanVerdict::Continue;
}

void StreamHandler::UpdateTime(const media::FrameHeader& h) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", h.year + 1900, h.month + 1,
                  h.day, h.hour, h.minute, h.second);
    // Live view never moves the time back; the texts have a fixed layout, so they compare as
    // times.
    if (kind_ == StreamKind::Live && timeText_[0] != '\0' && std::strcmp(timeText_, text) >= 0)
        return;
    std::memcpy(timeText_, text, sizeof text);
    notifier_.ShowTime(timeText_);
}

void StreamHandler::Dispatch(int c, const media::FrameHeader& header,
                             std::span<const uint8_t> record) {
    Channel& ch = channels_[c];
    if (audioMask_ == 0 && hooks_.AudioRunning()) {
        hooks_.StopAudio();
        notifier_.Post(Notification::AudioEnded, 0);
    }
    if (header.videoLoss & (1u << c)) {
        if (!ch.noVideo) {
            frames_.ShowPicture(c, CellPicture::NoVideo);
            ch.noVideo = true;
        }
        // Every channel the recorder has, not sixteen: a 4-channel recorder never marks the
        // cells it does not have. Posted once; video coming back clears the notice.
        const int count = channelInfo_.channelCount() > 0
                              ? std::min(channelInfo_.channelCount(), media::kChannelCount)
                              : media::kChannelCount;
        bool all = true;
        for (int other = 0; other < count; ++other)
            all = all && channels_[other].noVideo;
        if (all && !allNoVideoNotified_ && hooks_.LocalRecording()) {
            allNoVideoNotified_ = true;
            notifier_.Post(Notification::StopRecording, 0);
        }
        return;
    }
    if (ch.noVideo) {
        ch.noVideo = false;
        if (allNoVideoNotified_) {
            allNoVideoNotified_ = false;
            notifier_.Post(Notification::VideoBack, 0);
        }
    }
    if (header.kind == static_cast<uint8_t>(media::FrameKind::Intra)) {
        ch.seen = true;
        UpdateTime(header);
        frames_.SetTitle(c, channelInfo_.Name(c));
    }
    if (!ch.seen) return;
    if (hooks_.LocalRecording() && header.kind <= 2) hooks_.RecordVideo(c, record);
    if (header.kind >= 3) return;
    ++stats_.dispatched;
    frames_.Picture(c, header, record);
    if (record.size() == media::kFrameHeaderSize) {
        // An empty picture clears the channel's marks.
        if (ch.motion) frames_.SetMark(c, CellMark::Motion, false);
        if (ch.sensor) frames_.SetMark(c, CellMark::Sensor, false);
        if (ch.liveState) frames_.SetMark(c, CellMark::LiveState, false);
        ch.motion = ch.sensor = ch.liveState = false;
    }
}

}  // namespace client
