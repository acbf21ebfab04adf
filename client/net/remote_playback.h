// Remote playback of the recorder's disk: playing one recorder file or from a time, and the eight
// playback buttons. Every call returns at once: a new stream starts in the background and the
// button's control goes to the command sender.
#pragma once

#include <mutex>
#include <string>

#include "client/net/command_sender.h"
#include "client/net/connection_context.h"
#include "client/net/playback.h"
#include "client/net/stream_reader.h"

namespace client {

class RemotePlayback {
  public:
    RemotePlayback(ConnectionContext& context, StreamReader& reader, CommandSender& commands);

    // Stops the current stream (1031 with 0), shows the idle picture, clears the paused flag and
    // plays one recorder file, or from a start time (passed through).
    bool PlayFile(const std::string& path);
    bool PlayFromTime(const std::string& text);
    // One of the eight playback buttons: its REQ (reported through `done`), the paused flag, and
    // the extras of "Play" (replays the last file while no stream is up) and "Stop" (ends the
    // stream, empties the time field, idles the cells, posts 1424). False when nothing was done
    // (Play with no stream and no file to replay).
    bool Press(PlaybackButton button, CommandDone done = {});

  private:
    bool StartPlayback(StreamTarget target);

    ConnectionContext& context_;
    StreamReader& reader_;
    CommandSender& commands_;
    std::mutex mutex_;
    std::string lastFile_;  // the file "Play" replays while no stream is up
};

}  // namespace client
