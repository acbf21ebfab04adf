// umvtool live: connects to a recorder as the remote client does and prints what happens.
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "client/net/camera_control.h"
#include "client/net/dvr_connection.h"
#include "tools/umvtool/command.h"

namespace umvtool {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) {
    gInterrupted = 1;
}

// Prints one line per event, whichever reader thread reports it.
class LivePrinter final : public client::FrameSink,
                          public client::AudioSink,
                          public client::Notifier {
  public:
    explicit LivePrinter(std::set<int> channels) : channels_(std::move(channels)) {}

    void ShowPicture(int, client::CellPicture) override {}
    void SetTitle(int, std::string_view) override {}
    void SetSizeCode(int) override {}
    void SetChannelInfo(const client::ChannelInfo& info) override {
        Line("channels: %d", info.channelCount());
        for (int c = 0; c < info.channelCount() && c < media::kChannelCount; ++c) {
            const std::string name(info.Name(c));
            Line("title %d: %s", c + 1, name.c_str());
        }
    }
    void SetMark(int channel, client::CellMark mark, bool on) override {
        if (mark == client::CellMark::LiveState || !Wanted(channel)) return;
        Line("%s %d %d", mark == client::CellMark::Motion ? "motion" : "sensor", channel + 1,
             on ? 1 : 0);
    }
    void Picture(int channel, const media::FrameHeader& h, std::span<const uint8_t>) override {
        if (!Wanted(channel)) return;
        Line("picture %d %d %04d-%02d-%02d %02d:%02d:%02d", channel + 1, h.kind, h.year + 1900,
             h.month + 1, h.day, h.hour, h.minute, h.second);
    }

    void AudioStarted(int channel) override { Line("audio %d", channel + 1); }
    bool PlayBlock(int, uint32_t, std::span<const uint8_t>) override { return true; }
    void Pause() override {}
    void AudioStopped() override {}

    void Post(int message, int parameter) override {
        if (message == client::kNotifyStream && parameter != 0) {
            Line("%s", "connected");
            std::lock_guard lock(mutex_);
            connected_ = true;
        } else if (message == client::kNotifyLost) {
            Line("%s", "lost");
        }
    }
    void ShowMessage(int, std::string_view text) override {
        const std::string t(text);
        Line("message: %s", t.c_str());
    }
    void ShowTime(std::string_view) override {}

    bool TakeConnected() {
        std::lock_guard lock(mutex_);
        const bool was = connected_;
        connected_ = false;
        return was;
    }

  private:
    bool Wanted(int channel) const { return channels_.empty() || channels_.count(channel) > 0; }

    __attribute__((format(printf, 2, 3))) void Line(const char* format, ...) {
        std::lock_guard lock(mutex_);
        va_list args;
        va_start(args, format);
        std::vprintf(format, args);
        va_end(args);
        std::printf("\n");
        std::fflush(stdout);
    }

    std::set<int> channels_;
    std::mutex mutex_;
    bool connected_ = false;
};

bool ParseChannels(const std::string& text, std::set<int>* out) {
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        char* end = nullptr;
        const long n = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || n < 1 || n > media::kChannelCount) return false;
        out->insert(static_cast<int>(n - 1));
    }
    return !out->empty();
}

}  // namespace

int RunLive(std::span<char* const> words) {
    Args args(words, {"host", "port", "user", "password", "seconds", "channels"}, {});
    if (!args.ok()) return UsageError("live", args.error());
    if (!args.positional().empty()) return UsageError("live", "unexpected " + args.positional()[0]);
    const auto host = args.value("host");
    const auto user = args.value("user");
    const auto password = args.value("password");
    if (!host || !user || !password)
        return UsageError("live", "--host, --user and --password are needed");
    client::ConnectionParams params;
    params.host = *host;
    params.user = *user;
    params.password = *password;
    if (const auto port = args.value("port")) {
        char* end = nullptr;
        const long p = std::strtol(port->c_str(), &end, 10);
        if (*end != '\0' || p < 1 || p > 65535) return UsageError("live", "bad --port " + *port);
        params.port = static_cast<uint16_t>(p);
    }
    double seconds = -1;
    if (const auto s = args.value("seconds")) {
        char* end = nullptr;
        seconds = std::strtod(s->c_str(), &end);
        if (*end != '\0' || seconds < 0) return UsageError("live", "bad --seconds " + *s);
    }
    std::set<int> channels;
    if (const auto c = args.value("channels"); c && !ParseChannels(*c, &channels))
        return UsageError("live", "bad --channels " + *c);

    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    LivePrinter printer(channels);
    client::DvrConnection connection(printer, printer, printer);
    if (!connection.ConnectLive(params)) return kExitFailure;

    const auto start = std::chrono::steady_clock::now();
    while (!gInterrupted && connection.running()) {
        if (seconds >= 0 &&
            std::chrono::steady_clock::now() - start >= std::chrono::duration<double>(seconds))
            break;
        if (printer.TakeConnected() && !channels.empty()) {
            bool wanted[media::kChannelCount] = {};
            for (int c : channels)
                wanted[c] = true;
            connection.SendChannelMask(client::ChannelMask(wanted));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const bool failed = connection.failed();
    connection.Stop(true);
    return failed ? kExitFailure : kExitOk;
}

}  // namespace umvtool
