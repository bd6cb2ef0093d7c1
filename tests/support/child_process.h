// Runs part of a test in a child process, for what must not touch the test
// runner itself: limits on memory or file size, a process that must die.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace ovik::testing_support {

// Runs `body` in a child process and returns its exit status (or 128 + the
// signal that ended it). The child never returns into the test runner.
inline int InChild(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int rc = 111;
        try {
            rc = body();
        } catch (...) {
        }
        ::_exit(rc);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

}  // namespace ovik::testing_support
