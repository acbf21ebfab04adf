// umvtool backup, search and play: the remote client's backup download, event search and remote
// playback against a recorder.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <set>
#include <thread>

#include "client/net/client_strings.h"
#include "client/net/dvr_connection.h"
#include "client/net/event_search.h"
#include "client/net/playback.h"
#include "tools/umvtool/client_printer.h"
#include "tools/umvtool/command.h"
#include "tools/umvtool/printable.h"

namespace umvtool {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) {
    gInterrupted = 1;
}

void CatchInterrupts() {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
}

using Clock = std::chrono::steady_clock;

bool TimeIsUp(Clock::time_point start, double seconds) {
    return seconds >= 0 && Clock::now() - start >= std::chrono::duration<double>(seconds);
}

}  // namespace

int RunBackup(std::span<char* const> words) {
    Args args(words,
              {"host", "port", "user", "password", "from", "to", "channels", "out", "dvr-name",
               "seconds"},
              {"fast"});
    client::ConnectionParams params;
    std::string error;
    if (!ConnectionOptions(args, &params, &error)) return UsageError("backup", error);
    media::CivilTime a, b;
    if (!RangeOptions(args, &a, &b, &error)) return UsageError("backup", error);
    const auto out = args.value("out");
    const auto channelText = args.value("channels");
    if (!out || !channelText) return UsageError("backup", "--channels and --out are needed");
    std::set<int> channels;
    if (!ParseChannelList(*channelText, &channels))
        return UsageError("backup", "bad --channels " + *channelText);
    double seconds = -1;
    if (!SecondsOption(args, &seconds))
        return UsageError("backup", "bad --seconds " + *args.value("seconds"));
    uint32_t mask = 0;
    for (int c : channels)
        mask |= 1u << c;

    CatchInterrupts();
    ClientPrinter::Shown shown;
    shown.pictures = shown.connected = false;
    shown.progress = shown.plainMessages = true;
    ClientPrinter printer({}, shown);
    client::DvrConnection connection(printer, printer, printer);
    client::RecorderSettings settings;
    settings.backupRoot = FolderOption(*out);
    connection.recorder().Configure(settings);
    connection.SetProgressView(&printer);
    connection.SetParams(params);
    if (!connection.StartBackup(*args.value("from"), *args.value("to"), mask))
        return UsageError("backup", "the range from --from to --to is empty");

    client::BackupFastMode fast(args.has("fast"));
    int status = -1;
    const auto start = Clock::now();
    while (status < 0 && !gInterrupted && !TimeIsUp(start, seconds)) {
        while (const auto post = printer.TakePost()) {
            const auto [message, parameter] = *post;
            const bool firstData =
                message == client::Notification::Stream &&
                parameter == static_cast<int>(client::StreamKind::BackupDownload);
            if ((firstData && fast.OnFirstData()) ||
                (message == client::Notification::PlaybackState && fast.OnPlaybackState(parameter)))
                connection.playback().Press(client::PlaybackButton::Fast);
            if (message == client::Notification::BackupDone) {
                status = parameter == 1 ? kExitOk : kExitFailure;
            } else if (message == client::Notification::StopRecording) {
                if (connection.recorder().stopReason() == client::RecorderStop::DiskFull)
                    printer.Line(
                        "%s", std::string(client::ClientText(client::kTextBackupDiskFull)).c_str());
                status = kExitFailure;
            }
        }
        if (status < 0 && !connection.stream().running()) {
            // The stream ended without finishing the backup: the recorder refused it or the
            // connection was lost for good. The writer may still be finishing it.
            connection.recorder().Flush();
            while (const auto post = printer.TakePost())
                if (post->first == client::Notification::BackupDone)
                    status = post->second == 1 ? kExitOk : kExitFailure;
            if (status >= 0) break;
            if (connection.stream().failed()) printer.Line("%s", "connection lost");
            status = kExitFailure;
        }
        if (status < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    connection.stream().Stop(true);
    connection.stream().WaitStopped();
    connection.commands().Drain();
    connection.recorder().Stop();
    connection.recorder().Flush();
    return status < 0 ? kExitFailure : status;
}

int RunSearch(std::span<char* const> words) {
    Args args(words,
              {"host", "port", "user", "password", "from", "to", "channel", "event", "seconds"},
              {});
    client::ConnectionParams params;
    std::string error;
    if (!ConnectionOptions(args, &params, &error)) return UsageError("search", error);
    media::CivilTime a, b;
    if (!RangeOptions(args, &a, &b, &error)) return UsageError("search", error);
    auto number = [&](const char* name, int low, int high, int fallback, int* out) {
        const auto v = args.value(name);
        if (!v) {
            *out = fallback;
            return true;
        }
        char* end = nullptr;
        const long n = std::strtol(v->c_str(), &end, 10);
        *out = static_cast<int>(n);
        return !v->empty() && *end == '\0' && n >= low && n <= high;
    };
    int channel = 0, event = 0;
    if (!number("channel", 0, media::kChannelCount, 0, &channel))
        return UsageError("search", "bad --channel (1..16, 0 for every channel)");
    if (!number("event", 0, 255, 0, &event)) return UsageError("search", "bad --event");
    double seconds = -1;
    if (!SecondsOption(args, &seconds))
        return UsageError("search", "bad --seconds " + *args.value("seconds"));
    if (seconds < 0) seconds = 30;

    CatchInterrupts();
    ClientPrinter::Shown shown;
    shown.pictures = shown.connected = false;
    shown.plainMessages = true;
    ClientPrinter printer({}, shown);
    client::DvrConnection connection(printer, printer, printer);
    // The recorder answers searches while a stream is up.
    if (!connection.ConnectLive(params)) return kExitFailure;
    const auto start = Clock::now();
    while (!connection.stream().connected() && connection.stream().running() && !gInterrupted &&
           !TimeIsUp(start, seconds))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!connection.stream().connected()) {
        const client::StreamOutcome outcome = connection.stream().outcome();
        connection.stream().Stop(true);
        connection.stream().WaitStopped();
        if (outcome.failed)
            return Fail("umvtool: no stream from the recorder: " + outcome.failure.Describe());
        return Fail("umvtool: no stream from the recorder");
    }
    // The search form's channel list counts from 0; beyond it, every channel.
    const client::CommandResult r = client::Await([&](client::CommandDone done) {
        connection.commands().EventSearch(a, b, channel == 0 ? media::kChannelCount : channel - 1,
                                          event, std::move(done));
    });
    connection.stream().Stop(true);
    connection.stream().WaitStopped();
    connection.commands().Drain();
    if (!r.ok())
        return Fail(r.net.status == client::NetStatus::TooLarge
                        ? "umvtool: the recorder's answer is too large"
                        : "umvtool: the recorder did not answer the search: " + r.net.Describe());
    for (const client::SearchEntry& e : client::ParseEventSearch(r.body))
        std::printf("%s | %s | %s | %s | %s\n", Printable(e.start).c_str(),
                    Printable(e.end).c_str(), Printable(e.channel).c_str(),
                    Printable(e.event).c_str(), Printable(e.path).c_str());
    return kExitOk;
}

int RunPlay(std::span<char* const> words) {
    Args args(words, {"host", "port", "user", "password", "file", "time", "seconds"}, {});
    client::ConnectionParams params;
    std::string error;
    if (!ConnectionOptions(args, &params, &error)) return UsageError("play", error);
    const auto file = args.value("file");
    const auto time = args.value("time");
    if (file.has_value() == time.has_value())
        return UsageError("play", "one of --file and --time is needed");
    double seconds = -1;
    if (!SecondsOption(args, &seconds))
        return UsageError("play", "bad --seconds " + *args.value("seconds"));

    CatchInterrupts();
    ClientPrinter::Shown shown;
    shown.states = true;
    ClientPrinter printer({}, shown);
    client::DvrConnection connection(printer, printer, printer);
    connection.SetParams(params);
    if (!(file ? connection.playback().PlayFile(*file) : connection.playback().PlayFromTime(*time)))
        return kExitFailure;
    const auto start = Clock::now();
    while (!gInterrupted && connection.stream().running() && !TimeIsUp(start, seconds))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    connection.stream().Stop(true);
    connection.stream().WaitStopped();
    connection.commands().Drain();
    const client::StreamOutcome outcome = connection.stream().outcome();
    return outcome.failed && !outcome.ended ? kExitFailure : kExitOk;
}

}  // namespace umvtool
