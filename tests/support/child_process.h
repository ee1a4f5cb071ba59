#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <functional>

namespace juanzhi::test {

// Runs `work` in a forked child and returns its exit code, or -1 when it did
// not end normally. Limits set in the child never reach the tests.
inline int inChildProcess(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// As if the disk were full once a file grows past `limit` bytes: writes
// beyond it fail with EFBIG.
inline int withFileSizeLimit(std::uint64_t limit, const std::function<int()>& work) {
    return inChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit fileSize{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        return work();
    });
}

// As a user whom file permissions bind: the tests may run as root, who may
// write any file, so the child then becomes "nobody".
inline int asOrdinaryUser(const std::function<int()>& work) {
    constexpr uid_t Nobody = 65534;
    return inChildProcess([&] {
        if (::geteuid() == 0 && (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)) {
            return 99;
        }
        return work();
    });
}

}  // namespace juanzhi::test
