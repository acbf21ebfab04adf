// A real FTP server (pyftpdlib) in a child process for the test that owns it: one account, its
// home a folder of the test, a free loopback port. Pause() freezes the server mid-transfer to
// play a server that stops answering.
#pragma once

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace testsupport {

class FtpServer {
  public:
    // Starts the server; false when it did not come up.
    bool Start(const std::string& root, const std::string& user, const std::string& password) {
        int out[2];
        if (pipe(out) != 0) return false;
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a test that crashed
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            const std::string script =
                std::string(DVR_SOURCE_DIR) + "/tests/client/net/ftp_server.py";
            execl("/usr/bin/python3", "python3", script.c_str(), "--root", root.c_str(), "--user",
                  user.c_str(), "--password", password.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        FILE* in = fdopen(out[0], "r");
        int port = 0;
        const bool ok = in && std::fscanf(in, "%d", &port) == 1 && port > 0;
        if (in) std::fclose(in);
        port_ = static_cast<uint16_t>(port);
        return ok;
    }
    ~FtpServer() { Stop(); }

    uint16_t port() const { return port_; }
    void Pause() { kill(pid_, SIGSTOP); }
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    uint16_t port_ = 0;
};

}  // namespace testsupport
