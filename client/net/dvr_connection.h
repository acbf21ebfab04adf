// The remote client's link to one recorder: a video stream read on a reader thread, cut into
// packets and handed to the frame sink; a second stream for audio; controls and queries posted
// on the caller's thread with a time-out.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "client/net/audio_stream.h"
#include "client/net/http_post.h"
#include "client/net/local_recorder.h"
#include "client/net/message_table.h"
#include "client/net/packet_scanner.h"
#include "client/net/playback.h"
#include "client/net/protocol.h"
#include "client/net/requests.h"
#include "client/net/sinks.h"
#include "client/net/stream_channel.h"
#include "client/net/stream_handler.h"

namespace client {

struct ConnectionParams {
    std::string dvrName;
    std::string host;
    uint16_t port = 80;
    std::string user;
    std::string password;
};

struct QueryResult {
    bool ok = false;        // the recorder answered; false: time-out, no connection or refused
    bool tooLarge = false;  // the answer went beyond the query limit and was cut off
    std::vector<uint8_t> body;
};

class DvrConnection final : StreamHooks {
  public:
    DvrConnection(FrameSink& frames, AudioSink& audio, Notifier& notifier,
                  const NetTimings& timings = {}, StreamChannelFactory factory = {});
    ~DvrConnection() override;
    DvrConnection(const DvrConnection&) = delete;
    DvrConnection& operator=(const DvrConnection&) = delete;

    // Stores the parameters, sets the kind to Live and starts.
    bool ConnectLive(const ConnectionParams& params);
    // Starts the reader thread for the current kind; "Begin Thread failed..!!" when it cannot.
    bool Start();
    // Stops the stream: unless silent, 1031 with 0 first; the reader is cancelled and joined;
    // the leave operations when connected; everything of the stream is reset.
    void Stop(bool silent);

    // Suspends and resumes the reader thread between chunks.
    void Suspend();
    void Resume();

    void SetParams(const ConnectionParams& params);
    void SetHostPort(const std::string& host, uint16_t port);
    void SetKind(StreamKind kind) { target_.kind = kind; }
    void SetPlaybackFile(const std::string& path) { target_.fileName = path; }
    void SetStartText(const std::string& text) { target_.startText = text; }
    void SetBackupRange(const std::string& start, const std::string& end, uint32_t mask);
    // The user paused a remote playback: the watchdog keeps quiet.
    void SetPaused(bool paused) { paused_.store(paused); }
    void SetAudioMuted(bool muted);

    // A control post (MODE 5). Controls that need a stream show "Check Connection!!" and fail
    // while none is up. False when the post timed out or the recorder could not be reached.
    bool SendControl(int selector, const ControlArgs& args = {});
    // The channel mask: selector 17 (audio client) then 18 (video client); only while the
    // stream is up and no local recording runs.
    bool SendChannelMask(uint32_t mask);
    // A query post (MODE 4 or 7). `needsStream`: "Check Connection!!" while no stream is up.
    QueryResult SendQuery(const std::string& body, bool needsStream,
                          const PostProgress& progress = {});

    // Local recording and backup download. Recording writes the records of the stream (live or
    // remote playback) for the channels of `channels` into folders under the record root.
    void ConfigureRecording(const RecorderSettings& settings) { recorder_.Configure(settings); }
    void StartRecording(uint16_t channels);
    void StopRecording() { recorder_.Stop(); }
    bool recording() const { return recorder_.on(); }
    LocalRecorder& recorder() { return recorder_; }
    const LocalRecorder& recorder() const { return recorder_; }
    // The progress control of the wait box or the backup progress box, or null.
    void SetProgressView(ProgressView* view);

    // A backup download of the range start..end ("YYYYMMDDhhmmss" each) for the channels of
    // `mask` (bit n: channel n): stops the current stream (1031 with 0), turns recording on
    // into the backup root so the backup holds its stream from the first record, and starts
    // the MODE 2 stream. False when the times are malformed or the range is empty.
    bool StartBackup(const std::string& start, const std::string& end, uint32_t mask);

    // Remote playback: stops the current stream (1031 with 0), shows the idle picture, clears
    // the paused flag and plays one recorder file or from a start time (passed through).
    bool PlayFile(const std::string& path);
    bool PlayFromTime(const std::string& text);
    // One of the eight playback buttons: its REQ, the paused flag, and the extras of "Play"
    // (replays the last file while no stream is up) and "Stop" (ends the stream, empties the
    // time field, idles the cells, posts 1424).
    bool PressPlaybackButton(PlaybackButton button);
    bool paused() const { return paused_.load(); }

    // Event search (MODE 4; needs the stream) and the recording calendar (MODE 7, with its
    // progress on the progress view).
    QueryResult EventSearch(const media::CivilTime& start, const media::CivilTime& end, int channel,
                            int event);
    QueryResult QueryCalendar();
    // Query answers beyond this many bytes are cut off and fail (64 MiB unless changed).
    void SetQueryLimit(size_t bytes) { queryLimit_ = bytes; }

    bool connected() const { return connected_.load(); }
    // The reader ended because the stream failed for good (1039 was posted).
    bool failed() const { return failed_.load(); }
    bool running() const { return thread_.joinable() && !finished_.load(); }
    ClientId clientId() const { return handler_.clientId(); }
    StreamKind kind() const { return target_.kind; }
    const ConnectionParams& params() const { return params_; }
    const StreamHandler& handler() const { return handler_; }
    const ScanStats& scanStats() const { return scanner_.stats(); }
    // The audio stream's channel, or -1 when none runs.
    int audioChannel() const;

  private:
    void Run();
    WaitResult WaitWithWatchdog();
    bool Reopen();
    void Fail();
    void Sleep(int ms);
    void ShowMessageIndex(int index);
    Endpoint endpoint() const { return {params_.host, params_.port}; }

    // StreamHooks
    void LeaveRecorder() override;
    void StartAudio(int channel, ClientId clientId) override;
    void StopAudio() override;
    bool AudioRunning() const override;
    bool LocalRecording() const override { return recorder_.on(); }
    void RecordVideo(int channel, std::span<const uint8_t> record) override;
    bool BackupCompleted() const override;
    void BackupStreamEnded() override;
    bool StartPlayback(StreamKind kind);

    FrameSink& frames_;
    AudioSink& audio_;
    Notifier& notifier_;
    NetTimings timings_;
    StreamChannelFactory factory_;
    MessageTable messages_;

    ConnectionParams params_;
    StreamTarget target_;

    std::atomic<bool> stop_{false};
    std::atomic<bool> connected_{false};
    std::atomic<bool> left_{false};
    std::atomic<bool> paused_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> failed_{false};
    bool firstDataPending_ = false;

    StreamHandler handler_;
    PacketScanner scanner_;
    std::unique_ptr<StreamChannel> stream_;
    std::vector<uint8_t> chunk_;
    std::thread thread_;

    std::mutex gateMutex_;
    std::condition_variable gateCv_;
    bool suspended_ = false;

    mutable std::mutex audioMutex_;
    std::unique_ptr<AudioStream> audioStream_;
    bool audioMuted_ = false;

    std::mutex controlMutex_;  // one control post at a time
    std::mutex queryMutex_;    // one query post at a time
    size_t queryLimit_ = kMaxQueryResponse;

    LocalRecorder recorder_;
    std::atomic<ProgressView*> progress_{nullptr};
    std::string lastFile_;  // the file "Play" replays while no stream is up
};

}  // namespace client
