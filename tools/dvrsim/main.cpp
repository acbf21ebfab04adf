// dvrsim: a recorder on loopback for tests and demonstrations.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tools/dvrsim/server.h"

namespace {

volatile std::sig_atomic_t gQuit = 0;

void OnSignal(int) {
    gQuit = 1;
}

constexpr const char* kUsage =
    "usage: dvrsim --source RECORDING|FOLDER [options]\n"
    "  --disk FOLDER         recordings served as the recorder's disk: playback, backup,\n"
    "                        event search and calendar (default: the source)\n"
    "  --name NAME           the recorder's name in its calendar (default DVRSIM)\n"
    "  --port N              listen port on 127.0.0.1 (0: a free one; the port is printed)\n"
    "  --admin-password W    password of the account admin (default admin)\n"
    "  --user-password W     password of the account user (default user)\n"
    "  --speed X             pacing: X times real time; 0 sends as fast as possible\n"
    "  --max-clients N       live clients at once (default 4; more get result code 4)\n"
    "  --channels N          repeat the recording's channels up to N channels\n"
    "  --pad-to BYTES        pad every picture to at least BYTES\n"
    "  --title TEXT          name of the next channel (repeatable; up to 13 bytes)\n"
    "  --no-loop             end the stream at the end of the recording\n"
    "  --seconds S           exit after S seconds\n"
    "  --control-log FILE    one line per control received\n"
    "  --record-log FILE     'MODE SHA-256' per media record sent whole\n"
    "faults (on the first --fault-streams N video streams, default 1; 0 = all):\n"
    "  --close-after BYTES   --stall-after BYTES --stall-seconds S   --garbage BYTES\n"
    "  --oversized-at N      --bad-sync-at N   --model2-at N   --bad-end-at N\n"
    "  --result-at N:CODE    --http-status CODE\n";

bool ParseNumber(const char* text, double* out) {
    char* end = nullptr;
    *out = std::strtod(text, &end);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    dvrsim::Options o;
    double seconds = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (name == "--no-loop") {
            o.loop = false;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "dvrsim: %s needs a value\n%s", name.c_str(), kUsage);
            return 2;
        }
        const char* value = argv[++i];
        double number = 0;
        const bool isNumber = ParseNumber(value, &number);
        auto need = [&]() {
            if (!isNumber) {
                std::fprintf(stderr, "dvrsim: %s needs a number\n", name.c_str());
                std::exit(2);
            }
            return number;
        };
        dvrsim::Faults& f = o.faults;
        if (name == "--source")
            o.source = value;
        else if (name == "--disk")
            o.disk = value;
        else if (name == "--name")
            o.name = value;
        else if (name == "--port")
            o.port = static_cast<uint16_t>(need());
        else if (name == "--admin-password")
            o.adminPassword = value;
        else if (name == "--user-password")
            o.userPassword = value;
        else if (name == "--speed")
            o.speed = need();
        else if (name == "--max-clients")
            o.maxClients = static_cast<int>(need());
        else if (name == "--channels")
            o.channels = static_cast<int>(need());
        else if (name == "--pad-to")
            o.padTo = static_cast<size_t>(need());
        else if (name == "--title")
            o.titles.push_back(value);
        else if (name == "--seconds")
            seconds = need();
        else if (name == "--control-log")
            o.controlLog = value;
        else if (name == "--record-log")
            o.recordLog = value;
        else if (name == "--fault-streams")
            f.streams = static_cast<int>(need());
        else if (name == "--close-after")
            f.closeAfterBytes = static_cast<int64_t>(need());
        else if (name == "--stall-after")
            f.stallAfterBytes = static_cast<int64_t>(need());
        else if (name == "--stall-seconds")
            f.stallSeconds = need();
        else if (name == "--garbage")
            f.garbageBytes = static_cast<int>(need());
        else if (name == "--oversized-at")
            f.oversizedAt = static_cast<int64_t>(need());
        else if (name == "--bad-sync-at")
            f.badSyncAt = static_cast<int64_t>(need());
        else if (name == "--model2-at")
            f.model2At = static_cast<int64_t>(need());
        else if (name == "--bad-end-at")
            f.badEndAt = static_cast<int64_t>(need());
        else if (name == "--http-status")
            f.httpStatus = static_cast<int>(need());
        else if (name == "--result-at") {
            long long at = 0;
            if (std::sscanf(value, "%lld:%d", &at, &f.resultCode) != 2) {
                std::fprintf(stderr, "dvrsim: --result-at needs N:CODE\n");
                return 2;
            }
            f.resultAt = at;
        } else {
            std::fprintf(stderr, "dvrsim: unknown option %s\n%s", name.c_str(), kUsage);
            return 2;
        }
    }
    if (o.source.empty()) {
        std::fprintf(stderr, "dvrsim: --source is required\n%s", kUsage);
        return 2;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);

    dvrsim::Server server;
    std::string error;
    if (!server.Start(o, &error)) {
        std::fprintf(stderr, "dvrsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("port %u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    while (!gQuit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (seconds > 0 &&
            std::chrono::steady_clock::now() - start >= std::chrono::duration<double>(seconds))
            break;
    }
    server.Stop();
    return 0;
}
