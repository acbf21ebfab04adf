#include "client/net/dvr_connection.h"

#include <utility>

namespace client {

DvrConnection::DvrConnection(FrameSink& frames, AudioSink& audio, Notifier& notifier,
                             const NetTimings& timings, StreamChannelFactory factory)
    : context_(frames, audio, notifier, timings, std::move(factory)),
      recorder_(notifier, context_.messages),
      commands_(context_),
      reader_(context_, recorder_,
              [this](const Endpoint& e, ClientId id) { commands_.Leave(e, id); }),
      playback_(context_, reader_, commands_) {}

DvrConnection::~DvrConnection() {
    reader_.Stop(true);
    reader_.WaitStopped();
}

bool DvrConnection::ConnectLive(const ConnectionParams& params) {
    context_.SetParams(params);
    StreamTarget target;
    target.kind = StreamKind::Live;
    target.user = params.user;
    target.password = params.password;
    return reader_.Start(target);
}

void DvrConnection::SetProgressView(ProgressView* view) {
    context_.progress.store(view);
    recorder_.SetProgressView(view);
}

void DvrConnection::StartRecording(uint16_t channels) {
    recorder_.Start(RecordingKind::Local, context_.params().dvrName, channels);
}

bool DvrConnection::StartBackup(const std::string& start, const std::string& end, uint32_t mask) {
    media::CivilTime from, to;
    if (!ParseRangeTime(start, &from) || !ParseRangeTime(end, &to)) return false;
    const int64_t s = media::WallTimeOf(from.year - 1900, from.month - 1, from.day, from.hour,
                                        from.minute, from.second);
    const int64_t e =
        media::WallTimeOf(to.year - 1900, to.month - 1, to.day, to.hour, to.minute, to.second);
    if (e <= s || (mask & 0xFFFF) == 0) return false;
    reader_.Stop(false);
    context_.frames.ShowPicture(kAllChannels, CellPicture::Idle);
    const ConnectionParams params = context_.params();
    recorder_.Start(RecordingKind::Backup, params.dvrName, static_cast<uint16_t>(mask));
    recorder_.SetBackupRange(s, e);
    ShowProgress(context_.progress.load(), 0);
    StreamTarget target;
    target.kind = StreamKind::BackupDownload;
    target.user = params.user;
    target.password = params.password;
    target.startText = start.substr(2);
    target.endText = end.substr(2);
    target.backupMask = mask & 0xFFFF;
    if (reader_.Start(target)) return true;
    recorder_.Stop();
    return false;
}

}  // namespace client
