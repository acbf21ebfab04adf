// FIFOs for tests of readers that must refuse them, and a bound on how long a call may take.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>

namespace testsupport {

inline bool MakeFifo(const std::string& path) {
    return ::mkfifo(path.c_str(), 0644) == 0;
}

// Runs `body` in a child process and reports whether it ended within `seconds`; a child that
// hangs (for example in open() on a FIFO nobody writes) is killed. The child's exit status is
// what `body` returns.
inline bool EndsWithin(int seconds, const std::function<int()>& body, int* status = nullptr) {
    const pid_t pid = ::fork();
    if (pid == 0) _exit(body());
    if (pid < 0) return false;
    for (int waited = 0; waited < seconds * 100; ++waited) {
        int raw = 0;
        if (::waitpid(pid, &raw, WNOHANG) == pid) {
            if (status) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            return true;
        }
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return false;
}

}  // namespace testsupport
