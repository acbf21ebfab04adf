// Camera control REQ texts and the repetition of a camera command while its button is held.
#pragma once

#include <chrono>
#include <functional>
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
class CameraHold {
  public:
    using Clock = std::chrono::steady_clock;
    // Sends one camera REQ for a channel; false when the control failed.
    using SendFn = std::function<bool(int channel, const std::string& req)>;
    // The current speed index and selected channel, read at every send.
    using ReadFn = std::function<int()>;

    static constexpr std::chrono::milliseconds kPeriod{250};

    CameraHold(SendFn send, ReadFn speed, ReadFn channel);

    // Button-down on camera button `button`: sends its command at once. A failed send leaves
    // nothing held. Ignored while another button is held.
    void Press(int button, Clock::time_point now);
    // Sends the held command again when a period has passed since the last send.
    void Poll(Clock::time_point now);
    // Button-up: sends the stop command when a button is held; otherwise nothing.
    void Release();

    bool held() const { return held_; }
    int heldButton() const { return button_; }
    // When the next repetition is due (meaningful while held).
    Clock::time_point nextDue() const { return next_; }

  private:
    SendFn send_;
    ReadFn speed_;
    ReadFn channel_;
    bool held_ = false;
    int button_ = -1;
    Clock::time_point next_{};
};

}  // namespace client
