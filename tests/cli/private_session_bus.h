// A private session bus with python3-dbusmock's notification daemon on it,
// for the length of one test. The children die with the test process (even
// when it crashes) and are always stopped and reaped at the end; every wait
// is a bounded poll.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace cli::testing {

class PrivateSessionBus {
  public:
    static constexpr auto kPatience = std::chrono::seconds(20);

    PrivateSessionBus(const std::filesystem::path& dir) : log_(dir / "notifications.log") {
        if (::access("/usr/bin/dbus-daemon", X_OK) != 0) {
            problem_ = "dbus-daemon is not installed";
            return;
        }
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            problem_ = "pipe failed";
            return;
        }
        daemon_ = spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile",
                         "--print-address=" + std::to_string(fds[1])},
                        fds[1]);
        ::close(fds[1]);
        address_ = readLine(fds[0]);
        ::close(fds[0]);
        if (address_.empty()) {
            problem_ = "the private bus did not start";
            return;
        }
        previousAddress_ = getenvString("DBUS_SESSION_BUS_ADDRESS");
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
        mock_ = spawn({"/usr/bin/python3", "-m", "dbusmock", "--template", "notification_daemon",
                       "--logfile", log_.string()},
                      -1);
        if (!waitForName("org.freedesktop.Notifications")) {
            problem_ = "python3-dbusmock's notification daemon did not appear on the bus";
        }
    }

    ~PrivateSessionBus() {
        for (pid_t pid : {mock_, daemon_}) {
            if (pid > 0) {
                ::kill(pid, SIGTERM);
                int status = 0;
                ::waitpid(pid, &status, 0);
            }
        }
        if (previousAddress_) {
            ::setenv("DBUS_SESSION_BUS_ADDRESS", previousAddress_->c_str(), 1);
        } else {
            ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        }
    }

    // Empty when the bus and the daemon are up.
    const std::string& problem() const { return problem_; }

    // The Notify calls the daemon logged, one line each; waits (bounded) for `count`.
    std::vector<std::string> notifyCalls(std::size_t count) const {
        std::vector<std::string> calls;
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        do {
            calls.clear();
            std::ifstream in(log_);
            std::string line;
            while (std::getline(in, line)) {
                if (line.find(" Notify ") != std::string::npos) {
                    calls.push_back(line);
                }
            }
            if (calls.size() >= count) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < deadline);
        return calls;
    }

  private:
    static std::optional<std::string> getenvString(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }

    // fork + exec, so that the child can be tied to this process's life.
    static pid_t spawn(std::vector<std::string> args, int keepFd) {
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) {
                ::_exit(127);
            }
            if (keepFd >= 0) {
                ::fcntl(keepFd, F_SETFD, 0);
            }
            // The daemons' complaints about a test machine (fd limits) are noise here.
            const int devNull = ::open("/dev/null", O_WRONLY);
            ::dup2(devNull, STDERR_FILENO);
            std::vector<char*> argv;
            for (auto& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return pid;
    }

    static std::string readLine(int fd) {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) {
                continue;
            }
            char c;
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

    static bool waitForName(const char* name) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            if (nameHasOwner(name)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    static bool nameHasOwner(const char* name) {
        sd_bus* bus = nullptr;
        if (sd_bus_open_user(&bus) < 0) {
            return false;
        }
        sd_bus_message* reply = nullptr;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        int has = 0;
        if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "NameHasOwner", &error, &reply, "s",
                               name) >= 0) {
            sd_bus_message_read(reply, "b", &has);
        }
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
        sd_bus_flush_close_unref(bus);
        return has != 0;
    }

    std::filesystem::path log_;
    std::string problem_;
    std::string address_;
    std::optional<std::string> previousAddress_;
    pid_t daemon_ = -1;
    pid_t mock_ = -1;
};

}  // namespace cli::testing
