// Child processes for tests: started with fork and exec so that the kernel
// kills them if the test process dies first, killed and reaped when their
// object goes; every wait polls with a generous upper bound instead of
// sleeping a fixed time.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace testsupport {

inline constexpr std::chrono::milliseconds kBound = std::chrono::seconds(30);

// Polls `condition` every few milliseconds until it holds or `bound` passes.
template <class Condition>
bool pollUntil(Condition&& condition, std::chrono::milliseconds bound = kBound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class ChildProcess {
  public:
    ChildProcess() = default;
    // Runs `argv` with the environment plus `extraEnvironment` ("NAME=value",
    // overriding); its standard output goes to `stdoutFd` when given.
    ChildProcess(const std::vector<std::string>& argv,
                 const std::vector<std::string>& extraEnvironment = {},
                 int stdoutFd = -1) {
        std::vector<std::string> environment = extraEnvironment;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            bool overridden = false;
            for (const auto& extra : extraEnvironment) {
                overridden = overridden || extra.substr(0, extra.find('=')) == name;
            }
            if (!overridden) {
                environment.push_back(entry);
            }
        }
        std::vector<char*> args;
        for (const auto& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : environment) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        const pid_t parent = ::getpid();
        pid_ = ::fork();
        if (pid_ < 0) {
            throw std::runtime_error("fork failed");
        }
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) {
                ::_exit(127);
            }
            if (stdoutFd >= 0) {
                ::dup2(stdoutFd, STDOUT_FILENO);
            }
            ::execve(args[0], args.data(), envp.data());
            ::_exit(127);
        }
    }
    ~ChildProcess() { stop(); }
    ChildProcess(ChildProcess&& other) noexcept { *this = std::move(other); }
    ChildProcess& operator=(ChildProcess&& other) noexcept {
        stop();
        pid_ = std::exchange(other.pid_, -1);
        status_ = std::exchange(other.status_, std::nullopt);
        return *this;
    }

    pid_t pid() const { return pid_; }
    bool running() {
        reap(WNOHANG);
        return pid_ > 0 && !status_;
    }
    // The wait status once the child has ended within `bound`.
    std::optional<int> waitForExit(std::chrono::milliseconds bound = kBound) {
        pollUntil([&] { return !running(); }, bound);
        return status_;
    }
    void signal(int number) {
        if (running()) {
            ::kill(pid_, number);
        }
    }
    void stop() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            reap(0);
        }
    }

  private:
    void reap(int flags) {
        if (pid_ <= 0 || status_) {
            return;
        }
        int status = 0;
        if (::waitpid(pid_, &status, flags) == pid_) {
            status_ = status;
        }
    }

    pid_t pid_ = -1;
    std::optional<int> status_;
};

// One line from `fd` (without its line feed), waiting at most kBound; empty
// when none came.
inline std::string readLine(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            continue;
        }
        char c = 0;
        if (::read(fd, &c, 1) != 1) {
            break;
        }
        if (c == '\n') {
            return line;
        }
        line += c;
    }
    return {};
}

}  // namespace testsupport
