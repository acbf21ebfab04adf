#include "client/net/remote_playback.h"

#include <utility>

namespace client {

RemotePlayback::RemotePlayback(ConnectionContext& context, StreamReader& reader,
                               CommandSender& commands)
    : context_(context), reader_(reader), commands_(commands) {}

bool RemotePlayback::StartPlayback(StreamTarget target) {
    reader_.Stop(false);
    context_.frames.ShowPicture(kAllChannels, CellPicture::Idle);
    reader_.SetPaused(false);
    const ConnectionParams params = context_.params();
    target.user = params.user;
    target.password = params.password;
    return reader_.Start(target);
}

bool RemotePlayback::PlayFile(const std::string& path) {
    {
        std::lock_guard lock(mutex_);
        lastFile_ = path;
    }
    StreamTarget target;
    target.kind = StreamKind::FilePlayback;
    target.fileName = path;
    return StartPlayback(std::move(target));
}

bool RemotePlayback::PlayFromTime(const std::string& text) {
    StreamTarget target;
    target.kind = StreamKind::TimePlayback;
    target.startText = text;
    return StartPlayback(std::move(target));
}

bool RemotePlayback::Press(PlaybackButton button, CommandDone done) {
    const PlaybackButtonSpec& fields = PlaybackButtonOf(button);
    const bool connected = reader_.connected();
    if (button == PlaybackButton::Play && !connected) {
        std::string file;
        {
            std::lock_guard lock(mutex_);
            file = lastFile_;
        }
        const bool started = !file.empty() && PlayFile(file);
        if (done)
            done(CommandResult{NetResult{started ? NetStatus::Ok : NetStatus::NotConnected}, {}});
        return started;
    }
    if (button != PlaybackButton::Stop || connected) {
        ControlRequest control;
        control.selector = kSelectPlayback;
        control.req = fields.req;
        commands_.Control(control, std::move(done));
    } else if (done) {
        done(CommandResult{});
    }
    if (fields.paused >= 0) reader_.SetPaused(fields.paused == 1);
    if (button == PlaybackButton::Stop) {
        reader_.Stop(false);
        context_.notifier.ShowTime("");
        context_.frames.ShowPicture(kAllChannels, CellPicture::Idle);
        context_.notifier.Post(Notification::CalendarSearch, 0);
    }
    return true;
}

}  // namespace client
