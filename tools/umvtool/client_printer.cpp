#include "tools/umvtool/client_printer.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "client/net/playback.h"
#include "tools/umvtool/command.h"
#include "tools/umvtool/printable.h"

namespace umvtool {

void ClientPrinter::Line(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char small[256];
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string text;
    if (n >= static_cast<int>(sizeof small)) {
        text.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<size_t>(n));
    } else if (n > 0) {
        text.assign(small, static_cast<size_t>(n));
    }
    va_end(again);
    // Titles, names and messages come from the recorder: never raw to the terminal.
    text = Printable(text);
    text += '\n';
    std::lock_guard lock(mutex_);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void ClientPrinter::SetChannelInfo(const client::ChannelInfo& info) {
    if (!shown_.pictures) return;
    Line("channels: %d", info.channelCount());
    for (int c = 0; c < info.channelCount() && c < media::kChannelCount; ++c) {
        const std::string name(info.Name(c));
        Line("title %d: %s", c + 1, name.c_str());
    }
}

void ClientPrinter::SetMark(int channel, client::CellMark mark, bool on) {
    if (!shown_.pictures || mark == client::CellMark::LiveState || !Wanted(channel)) return;
    Line("%s %d %d", mark == client::CellMark::Motion ? "motion" : "sensor", channel + 1,
         on ? 1 : 0);
}

void ClientPrinter::Picture(int channel, const media::FrameHeader& h, std::span<const uint8_t>) {
    if (!shown_.pictures || !Wanted(channel)) return;
    Line("picture %d %d %04d-%02d-%02d %02d:%02d:%02d", channel + 1, h.kind, h.year + 1900,
         h.month + 1, h.day, h.hour, h.minute, h.second);
}

void ClientPrinter::AudioStarted(int channel) {
    if (shown_.pictures) Line("audio %d", channel + 1);
}

void ClientPrinter::Post(client::Notification message, int parameter) {
    if (message == client::Notification::Stream && parameter != 0) {
        if (shown_.connected) Line("%s", "connected");
    } else if (message == client::Notification::Lost) {
        if (shown_.connected) Line("%s", "lost");
    } else if (message == client::Notification::PlaybackState && shown_.states) {
        const std::string label(client::PlaybackLabel(parameter));
        Line("state %s", label.c_str());
    }
    std::lock_guard lock(mutex_);
    posts_.emplace_back(message, parameter);
}

void ClientPrinter::ShowMessage(int, std::string_view text) {
    const std::string t(text);
    if (shown_.plainMessages)
        Line("%s", t.c_str());
    else
        Line("message: %s", t.c_str());
}

void ClientPrinter::SetProgressPosition(int percent) {
    {
        std::lock_guard lock(mutex_);
        if (!shown_.progress || percent == progress_) return;
        progress_ = percent;
    }
    Line("progress %d%%", percent);
}

std::optional<std::pair<client::Notification, int>> ClientPrinter::TakePost() {
    std::lock_guard lock(mutex_);
    if (posts_.empty()) return std::nullopt;
    auto p = posts_.front();
    posts_.pop_front();
    return p;
}

bool ParseChannelList(const std::string& text, std::set<int>* out) {
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

bool ConnectionOptions(const Args& args, client::ConnectionParams* params, std::string* error) {
    if (!args.ok()) {
        *error = args.error();
        return false;
    }
    if (!args.positional().empty()) {
        *error = "unexpected " + args.positional()[0];
        return false;
    }
    const auto host = args.value("host");
    const auto user = args.value("user");
    const auto password = args.value("password");
    if (!host || !user || !password) {
        *error = "--host, --user and --password are needed";
        return false;
    }
    params->host = *host;
    params->user = *user;
    params->password = *password;
    params->dvrName = args.value("dvr-name").value_or("DVR");
    if (const auto port = args.value("port")) {
        char* end = nullptr;
        const long p = std::strtol(port->c_str(), &end, 10);
        if (*end != '\0' || p < 1 || p > 65535) {
            *error = "bad --port " + *port;
            return false;
        }
        params->port = static_cast<uint16_t>(p);
    }
    return true;
}

bool RangeOptions(const Args& args, media::CivilTime* from, media::CivilTime* to,
                  std::string* error) {
    const auto a = args.value("from");
    const auto b = args.value("to");
    if (!a || !b) {
        *error = "--from and --to are needed";
        return false;
    }
    if (!client::ParseRangeTime(*a, from) || !client::ParseRangeTime(*b, to)) {
        *error = "bad --from or --to (YYYYMMDDhhmmss)";
        return false;
    }
    return true;
}

bool SecondsOption(const Args& args, double* seconds) {
    *seconds = -1;
    const auto s = args.value("seconds");
    if (!s) return true;
    char* end = nullptr;
    *seconds = std::strtod(s->c_str(), &end);
    return *end == '\0' && *seconds >= 0;
}

}  // namespace umvtool
