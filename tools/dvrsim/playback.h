// One playback of the simulated recorder's disk for a client (MODE 2): which pictures it sends, in
// which order and how fast, and what the client's playback controls (MODE 5, OP 8) do to it.
// Plain logic; the server paces and sends what it yields.
//
// Speeds: forward +1/4X, +1/2X, +1X ... +128X ("Slow" and "Fast" move one step down or up),
// reverse -1X ... -128X (Intra pictures only, backwards). The playback state of every picture
// sent is the recorder's PlaybackState code (1..11 forward, 17..25 reverse, 9 and 25 for steps).
#pragma once

#include <cstddef>
#include <cstdint>

#include "tools/dvrsim/disk.h"

namespace dvrsim {

struct PlayRange {
    size_t first = 0;            // disk indices of the first and last record that may be sent
    size_t last = 0;             // (last < first: nothing)
    size_t start = 0;            // where it starts (playing backwards may go before it)
    uint16_t channels = 0xFFFF;  // channels sent
};

// What a MODE 2 request asks for.
PlayRange FileRange(const Disk& disk, const DiskFile& file);
PlayRange TimeRange(const Disk& disk, int64_t start);
PlayRange BackupRange(const Disk& disk, int64_t start, int64_t end, uint16_t channels);

class Playback {
  public:
    enum class Step { Record, Wait, End, Stopped };

    Playback(const Disk& disk, const PlayRange& range);

    // What to do next: Record (index(), state() and delaySeconds() describe it), Wait (paused
    // with no step asked for), End (nothing more to play: result code 10) or Stopped ("Stop").
    Step Next();
    // A playback control REQ: 1 stop, 2 slow, 3 fast, 4 play, 5 pause, 6 reverse play,
    // 7 next frame, 8 previous frame.
    void Control(int req);

    size_t index() const { return sent_; }
    int state() const { return state_; }
    // Time of recording between the previous picture sent and this one, at the current speed.
    double delaySeconds() const { return delay_; }
    bool paused() const { return paused_; }
    // The furthest record reached (audio follows it).
    size_t reached() const { return reached_; }
    const PlayRange& range() const { return range_; }

  private:
    bool Matches(size_t i, bool intraOnly) const;
    bool FindForward(size_t from, size_t* out) const;
    bool FindBackward(size_t before, size_t* out) const;
    void Sent(size_t i, int state, double speed);

    const Disk& disk_;
    PlayRange range_;
    size_t next_;      // forward: the next index to look at
    size_t sent_ = 0;  // the last index sent
    bool anySent_ = false;
    size_t reached_ = 0;
    bool reverse_ = false;
    int rung_ = 2;  // forward 0..9 (+1/4X .. +128X), reverse 0..7 (-1X .. -128X)
    bool paused_ = false;
    int step_ = 0;  // +1 or -1 while a step is asked for
    bool stopped_ = false;
    int state_ = 1;
    double delay_ = 0;
};

}  // namespace dvrsim
