#pragma once
// Runs a piece of work in a forked child process and measures it: whether it
// finished or was killed by a signal, what it wrote back, its wall-clock time and
// its peak resident memory. A child that outlives its time is killed, so a hang
// shows as a failure instead of stopping the tests.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

#include <poll.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tallix::testing {

struct ChildRun {
    bool exited = false;   // ended by _exit (status in exitStatus)
    int exitStatus = -1;
    int signal = 0;        // the signal that ended it, when it did not exit
    bool timedOut = false; // killed because it ran too long
    std::string output;    // what the work returned
    double seconds = 0;
    long peakKilobytes = 0; // ru_maxrss of the child
};

// work runs in the child; the string it returns is handed back as output.
inline ChildRun runInChild(const std::function<std::string()>& work, double timeoutSeconds) {
    ChildRun r;
    int fds[2];
    if (::pipe(fds) != 0)
        return r;
    std::fflush(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return r;
    }
    if (pid == 0) {
        ::close(fds[0]);
        const std::string out = work();
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    const auto deadline = start + std::chrono::duration<double>(timeoutSeconds);
    char buf[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            r.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready <= 0)
            continue;
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break; // the child closed its end: finished or died
        r.output.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.peakKilobytes = usage.ru_maxrss;
    if (WIFEXITED(status)) {
        r.exited = true;
        r.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        r.signal = WTERMSIG(status);
    }
    return r;
}

} // namespace tallix::testing
