// The player's playback engine: opens a recording, runs the play thread that paces its pictures
// against their stamps on a 1 ms tick, and carries out the transport controls. Plain C++: the
// main window drives it and tests drive it without one.
//
// Threads: every control runs on the caller's (user-interface) thread; the play thread runs the
// pacing. Both take the engine's lock, so a control never races a tick. The play thread is
// never suspended or killed: pause and panorama hold it at a gate, and Stop() ends it within a
// tick. The outputs are called on either thread with the lock held; they must not call back
// into the engine (a window posts them on as queued calls).
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "media/jpeg_library.h"
#include "media/recording_file.h"
#include "player/play_timing.h"
#include "player/player_layout.h"

namespace player {

// Where the engine's pictures and texts go: the renderer and the main window.
class EngineOutput {
  public:
    virtual ~EngineOutput() = default;
    // Decode the payload into the cell of `cell` and draw it; `stamp` is the picture's stamp.
    virtual void ShowPicture(int cell, int kind, uint32_t stamp, const uint8_t* payload,
                             size_t size) = 0;
    // A new picture size code: every cell surface is rebuilt (255: none set).
    virtual void SetSizeCode(int code) = 0;
    virtual void SetMarks(int channel, bool motion, bool sensor) = 0;
    virtual void SetPanorama(bool on) = 0;
    // Every cell back to its idle picture.
    virtual void ResetCells() = 0;
    virtual void LayoutChanged(int layoutId) = 0;
    // A status text ("Play", "Pause", a speed label ...) and the time field.
    virtual void Status(std::string_view text) = 0;
    virtual void TimeText(std::string_view text) = 0;
    // The slider: position and maximum.
    virtual void Position(int64_t position, int64_t maximum) = 0;
    // A numbered message to show in a box ("No More Video!!" ...).
    virtual void Message(int textId) = 0;
    // A different recording of the folder is now open (folder play list).
    virtual void RecordingChanged(const std::string& /*path*/) {}
    // An opened still image, 24-bit RGB top row first, for cell 0.
    virtual void ShowStill(const media::RgbPicture& /*picture*/) {}
};

// The recording's sound as the engine needs it for the audio master rule.
class EngineAudio {
  public:
    virtual ~EngineAudio() = default;
    virtual bool Open(media::RecordingFile& recording) = 0;
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    virtual void Close() = 0;
    // The picture on screen (its entry's offset): the sound follows it.
    virtual void FollowPicture(uint64_t offset) = 0;
    // The stamp of the block playing now; -1 when no block plays (paused, closed, or every
    // block played), so that the pictures never wait for a sound that does not come.
    virtual int64_t PlayingStamp() = 0;
};

enum class OpenMode { kNone = 0, kDataFile = 1, kPair = 2, kStill = 3, kSingleFrame = 4 };

enum class EngineState { kStopped, kPlaying, kPaused, kPanorama };

struct EngineTiming {
    static constexpr int64_t kTicksPerMs = 45;
    static constexpr int64_t kOnTimeWindow = 45;
    // How far behind its due time a picture may come and still count as on time: the wake-up
    // latency of the tick on a loaded machine. Beyond it the play thread has really stalled.
    static constexpr int64_t kLateTolerance = 4 * kTicksPerMs;
    static constexpr int64_t kGapLimit = 405000;  // 9 s of stamps, times the speed
    static constexpr int64_t kAudioLead = 90000;  // 2 s
    static constexpr int kTickWaitMs = 100;
};

class PlaybackEngine {
  public:
    // `ticks` null: no play thread; the caller runs the loop with RunTick() (tests on
    // simulated time). `audio` may be null.
    PlaybackEngine(EngineOutput& output, MonotonicClock& clock, TickSource* ticks,
                   EngineAudio* audio = nullptr);
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Opens by the name's ending: ".idx" (pair) or ".umv" (data file alone) start playing at
    // x1; ".ums" shows its single picture in cell 0 and ".jpg" (anything else) shows the still
    // image there, both stopped. Returns the text id of the failure ("File can't opened!",
    // "Improper file type.", "The file size is too big!"), or 0.
    int Open(const std::string& path);
    // Opens paused: the play thread shows the first picture of every visible channel from the
    // first frame at or after the wall time (`wallTime` < 0: from the start), then pauses.
    int OpenAt(const std::string& path, int64_t wallTime);

    void Play();
    void Pause();
    void Stop();
    void Reverse();
    void Slow();
    void Fast();
    void PreviousFrame();
    void NextFrame();
    void TogglePanorama();
    void SelectLayout(int id);
    // The slider is dragged to `position`; Release() when the thumb is let go.
    void Seek(int64_t position);
    void SeekReleased();
    // The sound button. Turning it on when the recording has no sound or the device cannot
    // play shows "Audio playback failed." (2022).
    void SetSound(bool on);
    // Seeks to the first picture at or after the wall time (seconds, local time read as UTC).
    bool GoToTime(int64_t wallTime);

    // One pass of the play loop as the play thread runs it after each tick: the end-of-list
    // rules, pacing of the current position and the move. False once playing has ended.
    bool RunTick();

    EngineState state() const;
    OpenMode mode() const;
    float speed() const;
    int64_t position() const;
    int layout() const;
    int64_t frameCount() const;
    bool playThreadRunning() const;
    std::string fileName() const;
    // Visible channels with video that have not shown a picture since the last open or layout
    // change (0: every visible cell has its first picture).
    int cellsWaiting() const;
    // Pictures handed to the output by the play loop since the engine was made.
    uint64_t picturesShown() const;
    // Engine-wide lock for callers that read several values at once; while it is held nothing
    // decodes. The *Locked() queries (and cellsWaiting()) are for holders of the lock.
    std::mutex& lock() const { return mutex_; }
    bool playThreadRunningLocked() const { return threadRunning_; }
    int layoutLocked() const { return layout_; }
    EngineState stateLocked() const { return state_; }

  private:
    int OpenLocked(const std::string& path, int64_t position, bool atEnd);
    int OpenSingleFrame(const std::string& path);
    int OpenStill(const std::string& path);
    // Stops whatever plays and closes the recording before a single picture is shown.
    void CloseForPicture(const std::string& path, OpenMode mode);
    void StartThread();
    void EndThread(std::unique_lock<std::mutex>& lock);
    void ThreadMain();
    bool EndOfList();
    void Pace(int64_t now);
    void Move();
    // Stamp ticks from the picture at `pos` to the next later moment of the recording (0: none
    // close by).
    int64_t NextMomentAfter(int64_t pos) const;
    bool ShowFrame(int64_t pos, bool stepping);
    bool KindDecodedAtSpeed(int kind) const;
    void UpdateTime(const media::FrameEntry& e);
    void StopAtEnd();
    bool OpenAdjacent(int direction);
    void ScanFolder(const std::string& indexPath);
    void ClearIntraFlags() { hasIntra_.fill(false); }
    void SetSpeedLocked(float speed);
    void ResetPacing();
    void Anchor(int64_t stamp) {
        originStamp_ = stamp;
        originTime_ = now_;
    }
    bool Playing() const { return state_ == EngineState::kPlaying; }
    int64_t FindTime(int64_t target) const;
    void FillPanorama(int64_t from, int direction);
    void EmitPosition();
    int64_t Count() const { return static_cast<int64_t>(recording_.index().frameCount()); }

    EngineOutput& out_;
    MonotonicClock& clock_;
    TickSource* ticks_;
    EngineAudio* audio_;

    mutable std::mutex mutex_;
    std::condition_variable gate_;
    std::thread thread_;
    bool stopRequest_ = false;
    bool threadRunning_ = false;

    media::RecordingFile recording_;
    std::string fileName_;
    OpenMode mode_ = OpenMode::kNone;
    EngineState state_ = EngineState::kStopped;
    int64_t position_ = 0;
    float speed_ = 1.0f;
    bool hold_ = false;
    bool skip_ = false;
    int lateKind_ = -1;
    bool resync_ = false;
    bool firstPass_ = true;
    bool continuing_ = false;  // the folder play list opens the next recording
    // The schedule: the picture of stamp originStamp_ was due at originTime_ (us); every
    // later picture is due by its stamp distance. It is set again only by a resync, a gap, a
    // real stall or the sound, so the tick's jitter never adds up into a slower play.
    int64_t originStamp_ = 0;
    int64_t originTime_ = 0;
    int64_t lastStamp_ = 0;  // the picture shown last
    bool heldForSound_ = false;
    bool onTime_ = false;
    uint64_t picturesShown_ =
        0;             // the picture paced last was on time: the next may go in this tick
    int64_t now_ = 0;  // microseconds of the clock
    std::array<bool, kChannelCount> hasIntra_{};
    std::array<bool, kChannelCount> motion_{};
    std::array<bool, kChannelCount> sensor_{};
    std::array<bool, kChannelCount> shownSinceOpen_{};
    int sizeCode_ = 255;
    int layout_ = kLayoutAll;
    bool sound_ = false;
    bool audioOpen_ = false;
    int64_t lastAudioSync_ = -1;
    bool pauseWhenCellsShown_ = false;
    std::string timeText_;

    // Panorama: the layout to return to and the positions of the pictures on show.
    int panoramaReturnLayout_ = kLayoutAll;
    std::vector<int64_t> panoramaPositions_;

    // Folder play list: the ".idx" names of the folder in name order.
    std::string folder_;
    std::vector<std::string> folderList_;
    int folderIndex_ = -1;

    std::unique_ptr<uint8_t[]> payload_;
    media::RgbPicture still_;
};

}  // namespace player
