// The remote client's link to one recorder, put together from controllers with one job each that
// share a small connection context:
//   stream()   - the video stream reader (and the audio stream it starts), one reader per Start;
//   commands() - controls, queries and the leave posts of stopped streams, on a worker thread;
//   playback() - remote playback and its buttons;
//   recorder() - local recording and backup downloads, written on a writer thread.
// A window talks to each directly; no call it makes waits for the network or the disk, and what
// happens is reported through the sinks and the callbacks. The connection itself holds only what
// needs more than one controller: connecting, recording and the backup download.
#pragma once

#include <cstdint>
#include <string>

#include "client/net/command_sender.h"
#include "client/net/connection_context.h"
#include "client/net/local_recorder.h"
#include "client/net/remote_playback.h"
#include "client/net/stream_reader.h"

namespace client {

class DvrConnection {
  public:
    DvrConnection(FrameSink& frames, AudioSink& audio, Notifier& notifier,
                  const NetTimings& timings = {}, StreamChannelFactory factory = {});
    ~DvrConnection();
    DvrConnection(const DvrConnection&) = delete;
    DvrConnection& operator=(const DvrConnection&) = delete;

    ConnectionContext& context() { return context_; }
    StreamReader& stream() { return reader_; }
    const StreamReader& stream() const { return reader_; }
    CommandSender& commands() { return commands_; }
    RemotePlayback& playback() { return playback_; }
    LocalRecorder& recorder() { return recorder_; }
    const LocalRecorder& recorder() const { return recorder_; }

    void SetParams(const ConnectionParams& params) { context_.SetParams(params); }
    ConnectionParams params() const { return context_.params(); }
    // Stores the parameters and starts the live stream.
    bool ConnectLive(const ConnectionParams& params);
    // The progress control of the wait box or the backup progress box, or null.
    void SetProgressView(ProgressView* view);

    // Local recording of the stream (live or remote playback) for the channels of `channels`
    // into folders under the record root, named after the recorder.
    void StartRecording(uint16_t channels);
    // A backup download of the range start..end ("YYYYMMDDhhmmss" each) for the channels of
    // `mask` (bit n: channel n): stops the current stream (1031 with 0), turns recording on into
    // the backup root so the backup holds its stream from the first record, and starts the
    // MODE 2 stream. False when the times are malformed or the range is empty.
    bool StartBackup(const std::string& start, const std::string& end, uint32_t mask);

  private:
    ConnectionContext context_;
    LocalRecorder recorder_;
    CommandSender commands_;
    StreamReader reader_;  // after the recorder and the sender: it ends first
    RemotePlayback playback_;
};

}  // namespace client
