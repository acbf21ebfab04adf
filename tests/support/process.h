// A program run in the background by a test: dvrsim, or a umvtool command that is to be killed.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace testsupport {

inline const std::string kUmvtool = std::string(DVR_BINARY_DIR) + "/tools/umvtool/umvtool";
inline const std::string kDvrsim = std::string(DVR_BINARY_DIR) + "/tools/dvrsim/dvrsim";
inline const std::string kSamples = std::string(DVR_SOURCE_DIR) + "/samples/";

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Starts `args` (the program first) with its standard output on a pipe, or in `outFile`.
class Process {
  public:
    explicit Process(std::vector<std::string> args, const std::string& outFile = "") {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (outFile.empty()) {
            if (pipe(out) != 0) return;
            posix_spawn_file_actions_adddup2(&actions, out[1], 1);
            posix_spawn_file_actions_addclose(&actions, out[0]);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (out[1] >= 0) {
            close(out[1]);
            out_ = fdopen(out[0], "r");
        }
    }
    ~Process() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            Wait();
        }
        if (out_) std::fclose(out_);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool started() const { return pid_ > 0; }
    FILE* out() const { return out_; }
    void Kill(int signal) {
        if (pid_ > 0) kill(pid_, signal);
    }
    // Waits for the end: the exit status, or -1 when a signal ended it.
    int Wait() {
        if (pid_ <= 0) return status_;
        int raw = 0;
        waitpid(pid_, &raw, 0);
        pid_ = -1;
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return status_;
    }

  private:
    pid_t pid_ = -1;
    int status_ = -1;
    FILE* out_ = nullptr;
};

// dvrsim on a free port, ended when the test ends.
class Dvrsim {
  public:
    explicit Dvrsim(std::vector<std::string> args) : process_(WithPort(std::move(args))) {
        unsigned port = 0;
        if (process_.out() && std::fscanf(process_.out(), "port %u", &port) == 1)
            port_ = static_cast<int>(port);
    }
    int port() const { return port_; }

  private:
    static std::vector<std::string> WithPort(std::vector<std::string> args) {
        args.insert(args.begin(), {kDvrsim, "--port", "0"});
        return args;
    }
    Process process_;
    int port_ = 0;
};

}  // namespace testsupport
