#include "cli/termination_source.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace cli {

namespace {

sigset_t terminationSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

std::shared_ptr<TerminationSource> TerminationSource::create(platform::RunLoop& loop) {
    const sigset_t set = terminationSignals();
    if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0) {
        return nullptr;
    }
    const int fd = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd < 0) {
        ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
        return nullptr;
    }
    return std::make_shared<TerminationSource>(loop, fd);
}

TerminationSource::~TerminationSource() {
    ::close(fd_);
    const sigset_t set = terminationSignals();
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void TerminationSource::perform() {
    signalfd_siginfo info;
    while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    }
    loop_.stop();
}

}  // namespace cli
