#include "cli/program_hook.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "cli/texts.h"

extern char** environ;

namespace cli {

namespace {

// Waits up to `patience` for `pid`; true when it ended (and was reaped).
bool waitFor(pid_t pid, std::chrono::milliseconds patience) {
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        pollfd watch{pidfd, POLLIN, 0};
        int ready;
        do {
            ready = ::poll(&watch, 1, static_cast<int>(patience.count()));
        } while (ready < 0 && errno == EINTR);
        ::close(pidfd);
        if (ready == 0) {
            return false;
        }
    }
    int status = 0;
    pid_t done;
    do {
        done = ::waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    return true;
}

}  // namespace

ProgramHook::~ProgramHook() {
    reapFinished();
}

void ProgramHook::reapFinished() {
    std::erase_if(stillRunning_, [](pid_t pid) {
        int status = 0;
        return ::waitpid(pid, &status, WNOHANG) != 0;
    });
}

void ProgramHook::run(const Event& event) {
    if (event.progressUpdate) {
        return;
    }
    reapFinished();
    std::vector<std::string> words{program_, eventName(event.kind), event.subject};
    if (!event.detail.empty()) {
        words.push_back(event.detail);
    }
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);

    // The monitor blocks the termination signals to read them itself; the
    // program gets a clean signal mask and default handlers.
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &all);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int failed =
        ::posix_spawnp(&pid, program_.c_str(), nullptr, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        err_ << "norvik-raid monitor: " << text("CLI_CANNOT_RUN", {program_, std::strerror(failed)})
             << "\n";
        return;
    }
    if (!waitFor(pid, kPatience)) {
        err_ << "norvik-raid monitor: "
             << text("CLI_PROGRAM_STILL_RUNS",
                     {program_, static_cast<long long>(kPatience.count())})
             << "\n";
        stillRunning_.push_back(pid);
    }
}

}  // namespace cli
