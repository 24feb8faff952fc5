#include "cli/child_queue.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

extern char** environ;

namespace cli {

class ChildQueue::ExitSource final : public platform::RunLoopSource {
  public:
    ExitSource(ChildQueue& queue, int pidfd) : queue_(queue), fd_(pidfd) {}
    ~ExitSource() override { ::close(fd_); }
    int fd() const override { return fd_; }
    void perform() override { queue_.reap(false); }

  private:
    ChildQueue& queue_;
    int fd_;
};

namespace {

// Where no pidfd can be had, a running program is looked at this often.
constexpr platform::Duration kExitPollInterval = std::chrono::milliseconds(100);

// A file holding `input`, for the child's standard input: never a pipe, so
// that a program that does not read cannot block the monitor.
int inputFile(const std::string& input) {
    const int fd = ::memfd_create("norvik-raid-input", MFD_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    std::size_t written = 0;
    while (written < input.size()) {
        const ssize_t n = ::write(fd, input.data() + written, input.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        written += static_cast<std::size_t>(n);
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

ChildOutcome outcomeOf(int status) {
    ChildOutcome outcome;
    if (WIFSIGNALED(status)) {
        outcome.kind = ChildOutcome::Kind::Signalled;
        outcome.code = WTERMSIG(status);
    } else {
        outcome.code = WEXITSTATUS(status);
    }
    return outcome;
}

// Whether `pid` has ended, leaving it to be reaped.
bool hasEnded(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
           info.si_pid == pid;
}

bool executableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

ProgramLookup findProgram(const std::string& name) {
    if (name.empty()) {
        return {{}, std::strerror(ENOENT)};
    }
    if (name.find('/') != std::string::npos) {
        struct stat st {};
        if (::stat(name.c_str(), &st) != 0) {
            return {{}, std::strerror(errno)};
        }
        if (!S_ISREG(st.st_mode)) {
            return {{}, std::strerror(S_ISDIR(st.st_mode) ? EISDIR : EACCES)};
        }
        if (::access(name.c_str(), X_OK) != 0) {
            return {{}, std::strerror(errno)};
        }
        return {name, {}};
    }
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (executableFile(candidate)) {
            return {candidate, {}};
        }
    }
    return {{}, std::strerror(ENOENT)};
}

ChildQueue::ChildQueue(platform::RunLoop& loop, platform::Duration limit)
    : loop_(loop), limit_(limit) {}

ChildQueue::~ChildQueue() {
    waiting_.clear();
    if (running_ != 0) {
        ::kill(-running_, SIGKILL);
        int status = 0;
        while (::waitpid(running_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    stopWatching();
}

void ChildQueue::enqueue(ChildCommand command) {
    waiting_.push_back(std::move(command));
    if (running_ == 0) {
        startNext();
    }
}

void ChildQueue::startNext() {
    while (running_ == 0 && !waiting_.empty()) {
        ChildCommand command = std::move(waiting_.front());
        waiting_.pop_front();

        std::vector<char*> argv;
        for (std::string& word : command.argv) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);

        // The monitor blocks the termination signals to read them itself;
        // the program gets a clean signal mask, default handlers and a
        // process group of its own. Its output goes to the monitor's stderr,
        // never into the events on stdout.
        posix_spawnattr_t attributes;
        ::posix_spawnattr_init(&attributes);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        ::posix_spawnattr_setsigmask(&attributes, &none);
        ::posix_spawnattr_setsigdefault(&attributes, &all);
        ::posix_spawnattr_setpgroup(&attributes, 0);
        ::posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
        posix_spawn_file_actions_t files;
        ::posix_spawn_file_actions_init(&files);
        const int input = command.input.empty() ? -1 : inputFile(command.input);
        if (input >= 0) {
            ::posix_spawn_file_actions_adddup2(&files, input, STDIN_FILENO);
        } else {
            ::posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        }
        ::posix_spawn_file_actions_adddup2(&files, STDERR_FILENO, STDOUT_FILENO);
        pid_t pid = 0;
        int failed = command.input.empty() || input >= 0 ? 0 : errno;
        if (failed == 0) {
            failed = ::posix_spawnp(&pid, argv[0], &files, &attributes, argv.data(), environ);
        }
        ::posix_spawn_file_actions_destroy(&files);
        ::posix_spawnattr_destroy(&attributes);
        if (input >= 0) {
            ::close(input);
        }
        if (failed != 0) {
            ChildOutcome outcome;
            outcome.kind = ChildOutcome::Kind::NotStarted;
            outcome.error = std::strerror(failed);
            if (command.done) {
                command.done(outcome);
            }
            continue;
        }

        running_ = pid;
        runningDone_ = std::move(command.done);
        const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        if (pidfd >= 0) {
            exitSource_ = std::make_shared<ExitSource>(*this, pidfd);
            loop_.addSource(exitSource_, platform::kCommonModes);
        } else {
            pollTimer_ =
                platform::Timer::createRepeating(kExitPollInterval, [this](platform::Timer&) {
                    if (hasEnded(running_)) {
                        reap(false);
                    }
                });
            loop_.addTimer(pollTimer_, platform::kCommonModes);
        }
        limitTimer_ =
            platform::Timer::createSingleShot(limit_, [this](platform::Timer&) { reap(true); });
        loop_.addTimer(limitTimer_, platform::kCommonModes);
    }
    if (running_ == 0 && waiting_.empty() && onIdle_) {
        onIdle_();
    }
}

void ChildQueue::stopWatching() {
    if (exitSource_) {
        loop_.removeSource(exitSource_);
        exitSource_.reset();
    }
    for (auto* timer : {&limitTimer_, &pollTimer_}) {
        if (*timer) {
            (*timer)->invalidate();
            timer->reset();
        }
    }
}

void ChildQueue::reap(bool timedOut) {
    if (running_ == 0) {
        return;
    }
    int status = 0;
    if (timedOut) {
        // The whole group: whatever the program started goes with it.
        ::kill(-running_, SIGKILL);
    } else if (!hasEnded(running_)) {
        return;  // not ended after all
    }
    while (::waitpid(running_, &status, 0) < 0 && errno == EINTR) {
    }
    ChildOutcome outcome = outcomeOf(status);
    if (timedOut) {
        outcome.kind = ChildOutcome::Kind::TimedOut;
    }
    running_ = 0;
    stopWatching();
    auto done = std::move(runningDone_);
    runningDone_ = nullptr;
    if (done) {
        done(outcome);
    }
    startNext();
}

}  // namespace cli
