// SPDX-License-Identifier: MIT
// A function run in a child process with a file size limit.
#include "tests/support/Child.h"

#include <csignal>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kameola::test {

ChildResult RunWithFileSizeLimit(std::size_t limit, bool ignoreLimitSignal,
                                 const std::function<void()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string error;
        if (ignoreLimitSignal)
            std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limits{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        ::setrlimit(RLIMIT_FSIZE, &limits);
        try {
            body();
        } catch (const std::exception& e) {
            error = e.what();
        }
        if (!error.empty() && ::write(fds[1], error.data(), error.size()) < 0)
            ::_exit(2);
        ::_exit(0);
    }
    ::close(fds[1]);
    ChildResult result;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        result.Error.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.Exited = WIFEXITED(status);
    result.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

} // namespace kameola::test
