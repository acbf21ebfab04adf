// umvtool live: connects to a recorder as the remote client does and prints what happens; with
// --record it also records what it receives, as the client's local recording does.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <set>
#include <thread>

#include "client/net/camera_control.h"
#include "client/net/client_strings.h"
#include "client/net/dvr_connection.h"
#include "tools/umvtool/client_printer.h"
#include "tools/umvtool/command.h"

namespace umvtool {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) {
    gInterrupted = 1;
}

uint16_t MaskOf(const std::set<int>& channels) {
    if (channels.empty()) return 0xFFFF;
    uint16_t mask = 0;
    for (int c : channels)
        mask = static_cast<uint16_t>(mask | (1u << c));
    return mask;
}

}  // namespace

int RunLive(std::span<char* const> words) {
    Args args(words,
              {"host", "port", "user", "password", "seconds", "channels", "record", "dvr-name"},
              {});
    client::ConnectionParams params;
    std::string error;
    if (!ConnectionOptions(args, &params, &error)) return UsageError("live", error);
    double seconds = -1;
    if (!SecondsOption(args, &seconds))
        return UsageError("live", "bad --seconds " + *args.value("seconds"));
    std::set<int> channels;
    if (const auto c = args.value("channels"); c && !ParseChannelList(*c, &channels))
        return UsageError("live", "bad --channels " + *c);
    const auto record = args.value("record");

    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    ClientPrinter printer(channels, {});
    client::DvrConnection connection(printer, printer, printer);
    if (record) {
        client::RecorderSettings settings;
        settings.recordRoot = FolderOption(*record);
        connection.recorder().Configure(settings);
    }
    if (!connection.ConnectLive(params)) return kExitFailure;
    // Recording is on from the start: each channel's files open at its first Intra picture.
    if (record) connection.StartRecording(MaskOf(channels));
    bool recording = record.has_value();  // as far as this loop has been told

    bool recordingFailed = false;
    const auto start = std::chrono::steady_clock::now();
    while (!gInterrupted && connection.stream().running()) {
        if (seconds >= 0 &&
            std::chrono::steady_clock::now() - start >= std::chrono::duration<double>(seconds))
            break;
        while (const auto post = printer.TakePost()) {
            const auto [message, parameter] = *post;
            if (message == client::Notification::Stream && parameter != 0 && !channels.empty()) {
                bool wanted[media::kChannelCount] = {};
                for (int c : channels)
                    wanted[c] = true;
                connection.commands().ChannelMask(client::ChannelMask(wanted),
                                                  connection.recorder().on());
            } else if (message == client::Notification::StopRecording && recording) {
                // As the main window does: recording stops; a full disk is said so.
                const client::RecorderStop why = connection.recorder().stopReason();
                connection.recorder().Stop();
                if (why == client::RecorderStop::DiskFull)
                    printer.Line(
                        "message: %s",
                        std::string(client::ClientText(client::kTextRecordDiskFull)).c_str());
                recordingFailed = why == client::RecorderStop::DiskFull ||
                                  why == client::RecorderStop::WriteFailed;
                printer.Line("%s", "recording stopped");
                recording = false;
            } else if (message == client::Notification::VideoBack && record && !recordingFailed &&
                       !recording) {
                // Video is back after every channel had lost it: recording starts again.
                connection.StartRecording(MaskOf(channels));
                recording = true;
                printer.Line("%s", "recording started");
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const bool failed = connection.stream().failed();
    connection.stream().Stop(true);
    connection.stream().WaitStopped();
    if (failed)
        std::fprintf(stderr, "umvtool: %s\n",
                     connection.stream().outcome().failure.Describe().c_str());
    connection.commands().Drain();
    if (record) {
        connection.recorder().Stop();
        connection.recorder().Flush();
        const client::RecorderStats stats = connection.recorder().stats();
        printer.Line("recorded %llu pictures, %llu audio blocks",
                     static_cast<unsigned long long>(stats.videoWritten),
                     static_cast<unsigned long long>(stats.audioWritten));
        recordingFailed = recordingFailed ||
                          connection.recorder().stopReason() == client::RecorderStop::WriteFailed;
    }
    return failed || recordingFailed ? kExitFailure : kExitOk;
}

}  // namespace umvtool
