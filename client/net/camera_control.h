// Camera control REQ texts and the repetition of a camera command while its button is held.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace client {

// Move, zoom or focus with camera button `button` (0..7) at speed index `speed` (0..3): "%dS%d".
std::string CameraMoveReq(int button, int speed);
// Stop the movement: "8".
std::string CameraStopReq();
// Store the current position as preset n (1..99): "9S%d".
std::string PresetSetReq(int preset);
// Go to preset n: "9G%d".
std::string PresetGotoReq(int preset);

// Mask of the wanted channels for control selectors 17 and 18: bit n for channel n.
uint32_t ChannelMask(std::span<const bool> wanted);

// The hold logic of the camera buttons, independent of widgets and timers: the window calls
// Press on button-down, Release on button-up and Poll from its timer (or any clock); while a
// button is held its command is sent again every 250 ms with the speed read anew each time.
//
// Sends are asynchronous (the window's thread never waits for the recorder): each reports its
// outcome through its callback, from any thread. A held button always ends with the stop: the
// release sends "8" whatever the press and the repeats did, tries it once more when it fails,
// and reports a stop that failed twice, so the window can tell the user the camera may still move.
// A repeat is skipped while the previous send is still under way, so a slow recorder does not
// collect a backlog of moves to make after the button is up.
class CameraHold {
  public:
    using Clock = std::chrono::steady_clock;
    using SendDone = std::function<void(bool ok)>;
    // Sends one camera REQ for a channel and calls `done` with its outcome when it has finished.
    using SendFn = std::function<void(int channel, const std::string& req, SendDone done)>;
    // The current speed index and selected channel, read at every send.
    using ReadFn = std::function<int()>;
    // The stop of `channel` failed twice.
    using StopFailedFn = std::function<void(int channel)>;

    static constexpr std::chrono::milliseconds kPeriod{250};

    CameraHold(SendFn send, ReadFn speed, ReadFn channel, StopFailedFn stopFailed = {});

    // Button-down on camera button `button`: sends its command at once. Ignored while another
    // button is held.
    void Press(int button, Clock::time_point now);
    // Sends the held command again when a period has passed since the last send.
    void Poll(Clock::time_point now);
    // Button-up: sends the stop command when a button is held; otherwise nothing.
    void Release();

    bool held() const { return button_ >= 0; }
    int heldButton() const { return button_; }
    // When the next repetition is due (meaningful while held).
    Clock::time_point nextDue() const { return next_; }

  private:
    // What the callbacks share with the hold; they may outlive it.
    struct Shared {
        SendFn send;
        StopFailedFn stopFailed;
        std::atomic<bool> inFlight{false};
    };
    void SendMove(Clock::time_point now);

    std::shared_ptr<Shared> shared_;
    ReadFn speed_;
    ReadFn channel_;
    int button_ = -1;
    Clock::time_point next_{};
};

}  // namespace client
