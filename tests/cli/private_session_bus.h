// A private session bus with python3-dbusmock's notification daemon on it,
// for the length of one test, named by DBUS_SESSION_BUS_ADDRESS meanwhile.
#pragma once

#include <systemd/sd-bus.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace cli::testing {

class PrivateSessionBus {
  public:
    explicit PrivateSessionBus(const std::filesystem::path& dir) : log_(dir / "notify.log") {
        if (::access("/usr/bin/dbus-daemon", X_OK) != 0) {
            problem_ = "dbus-daemon is not installed";
            return;
        }
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            problem_ = "pipe failed";
            return;
        }
        daemon_ = testsupport::ChildProcess(
            {"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address"}, {},
            fds[1]);
        ::close(fds[1]);
        const std::string address = testsupport::readLine(fds[0]);
        ::close(fds[0]);
        if (address.empty()) {
            problem_ = "the private session bus did not start";
            return;
        }
        if (const char* previous = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
            previousAddress_ = previous;
        }
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        mock_ = testsupport::ChildProcess({"/usr/bin/python3", "-m", "dbusmock", "--template",
                                           "notification_daemon", "--logfile", log_.string()});
        if (!testsupport::pollUntil([] { return nameHasOwner("org.freedesktop.Notifications"); })) {
            problem_ = "python3-dbusmock's notification daemon did not appear on the bus";
        }
    }

    ~PrivateSessionBus() {
        mock_.stop();
        daemon_.stop();
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
        testsupport::pollUntil([&] {
            calls.clear();
            std::ifstream in(log_);
            for (std::string line; std::getline(in, line);) {
                if (line.find(" Notify ") != std::string::npos) {
                    calls.push_back(line);
                }
            }
            return calls.size() >= count;
        });
        return calls;
    }

  private:
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
    std::optional<std::string> previousAddress_;
    testsupport::ChildProcess daemon_;
    testsupport::ChildProcess mock_;
};

}  // namespace cli::testing
