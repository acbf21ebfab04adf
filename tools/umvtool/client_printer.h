// What the recorder commands (live, play, backup, search) print while a connection runs: one line
// per event, whichever reader thread reports it. The numbered notifications are also queued for
// the command's own loop, which reacts to them as the main window would.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "client/net/dvr_connection.h"
#include "client/net/sinks.h"
#include "tools/umvtool/command.h"

namespace umvtool {

class ClientPrinter final : public client::FrameSink,
                            public client::AudioSink,
                            public client::Notifier,
                            public client::ProgressView {
  public:
    struct Shown {
        bool pictures = true;  // channels, titles, pictures, marks, audio
        bool connected = true;
        bool progress = false;       // "progress N%" as it changes
        bool states = false;         // "state LABEL" on each playback state change
        bool plainMessages = false;  // a message alone on its line, without "message: "
    };

    ClientPrinter(std::set<int> channels, Shown shown)
        : channels_(std::move(channels)), shown_(shown) {}

    // FrameSink
    void ShowPicture(int, client::CellPicture) override {}
    void SetTitle(int, std::string_view) override {}
    void SetSizeCode(int) override {}
    void SetChannelInfo(const client::ChannelInfo& info) override;
    void SetMark(int channel, client::CellMark mark, bool on) override;
    void Picture(int channel, const media::FrameHeader& h, std::span<const uint8_t>) override;

    // AudioSink
    void AudioStarted(int channel) override;
    bool PlayBlock(int, uint32_t, std::span<const uint8_t>) override { return true; }
    void Pause() override {}
    void AudioStopped() override {}

    // Notifier
    void Post(client::Notification message, int parameter) override;
    void ShowMessage(int, std::string_view text) override;
    void ShowTime(std::string_view) override {}

    // ProgressView
    void SetProgressText(std::string_view) override {}
    void SetProgressPosition(int percent) override;

    // The oldest notification not yet taken.
    std::optional<std::pair<client::Notification, int>> TakePost();
    __attribute__((format(printf, 2, 3))) void Line(const char* format, ...);

  private:
    bool Wanted(int channel) const { return channels_.empty() || channels_.count(channel) > 0; }

    std::set<int> channels_;
    Shown shown_;
    std::mutex mutex_;
    std::deque<std::pair<client::Notification, int>> posts_;
    int progress_ = -1;
};

// "1,5,16" -> {0, 4, 15}; false when a number is outside 1..16 or the list is empty.
bool ParseChannelList(const std::string& text, std::set<int>* out);
// The words and the connection options every recorder command takes (--host, --port, --user,
// --password, --dvr-name); false with a reason in `error`.
bool ConnectionOptions(const Args& args, client::ConnectionParams* params, std::string* error);
// --from and --to as "YYYYMMDDhhmmss"; false with a reason in `error`.
bool RangeOptions(const Args& args, media::CivilTime* from, media::CivilTime* to,
                  std::string* error);
// A folder given on the command line, ending with '/'.
inline std::string FolderOption(const std::string& root) {
    return root.empty() || root.back() == '/' ? root : root + "/";
}
// The value of --seconds (negative when absent); false when malformed.
bool SecondsOption(const Args& args, double* seconds);

}  // namespace umvtool
