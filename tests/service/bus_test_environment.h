// A private bus standing in for the system bus, with the processes the
// service's tests need on it: dbus-daemon, polkit played by python3-dbusmock,
// and norvik-raidd itself. Every child is killed and reaped when its object
// goes (and by the kernel if the test process dies first); every wait polls
// with a generous upper bound instead of sleeping a fixed time.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "model/mv_api.h"
#include "platform/sdbus/bus_handles.h"
#include "service/bus_names.h"
#include "tests/support/child_process.h"

extern char** environ;

namespace bustest {

using testsupport::ChildProcess;
using testsupport::kBound;
using testsupport::pollUntil;

// dbus-daemon on a private socket, named by DBUS_SYSTEM_BUS_ADDRESS for this
// process and every child started after it.
class TestBus {
  public:
    TestBus() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        daemon_ = ChildProcess(
            {"/usr/bin/dbus-daemon", "--nofork", "--nopidfile",
             std::string("--config-file=") + NORVIK_TEST_BUS_CONFIG, "--print-address"},
            {}, fds[1]);
        ::close(fds[1]);
        address_ = testsupport::readLine(fds[0]);
        ::close(fds[0]);
        if (address_.empty()) {
            throw std::runtime_error("dbus-daemon gave no address");
        }
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
        sd_bus* raw = nullptr;
        if (sd_bus_open_system(&raw) < 0) {
            throw std::runtime_error("cannot connect to the test bus");
        }
        bus_.reset(raw);
    }
    ~TestBus() {
        bus_.reset();
        daemon_.stop();
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

    const std::string& address() const { return address_; }
    sd_bus* bus() { return bus_.get(); }

    bool hasOwner(const char* name) {
        platform::bus::BusError error;
        sd_bus_message* raw = nullptr;
        const int r = sd_bus_call_method(bus(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                         "org.freedesktop.DBus", "NameHasOwner", error.get(), &raw,
                                         "s", name);
        platform::bus::MessagePtr reply(raw);
        int owned = 0;
        return r >= 0 && sd_bus_message_read(reply.get(), "b", &owned) >= 0 && owned;
    }
    // A call to the service straight from this connection, with arguments
    // appended by `append`; the error name is empty when it succeeded.
    struct RawReply {
        std::string error;
        platform::bus::MessagePtr reply;
    };
    template <class Append>
    RawReply callService(const char* method, Append&& append, bool interactive = false) {
        sd_bus_message* raw = nullptr;
        sd_bus_message_new_method_call(bus(), &raw, service::kBusName, service::kObjectPath,
                                       service::kInterface, method);
        platform::bus::MessagePtr call(raw);
        sd_bus_message_set_allow_interactive_authorization(call.get(), interactive);
        append(call.get());
        platform::bus::BusError error;
        sd_bus_message* reply = nullptr;
        const int r = sd_bus_call(bus(), call.get(), 0, error.get(), &reply);
        return {r < 0 ? std::string(error.get()->name ? error.get()->name : "?") : std::string(),
                platform::bus::MessagePtr(reply)};
    }
    std::string uniqueName() {
        const char* name = nullptr;
        sd_bus_get_unique_name(bus(), &name);
        return name ? name : "";
    }

    bool waitForName(const char* name, bool present = true) {
        return pollUntil([&] { return hasOwner(name) == present; });
    }

  private:
    ChildProcess daemon_;
    std::string address_;
    platform::bus::BusPtr bus_;
};

// polkit, played by python3-dbusmock's template; refuses every action until told.
class PolkitMock {
  public:
    explicit PolkitMock(TestBus& bus)
        : bus_(bus),
          log_(std::filesystem::temp_directory_path() /
               ("norvik-polkit-" + std::to_string(::getpid()) + ".log")) {
        process_ = ChildProcess({"/usr/bin/python3", "-m", "dbusmock", "--template", "polkitd",
                                 "--logfile", log_.string()});
        if (!bus_.waitForName("org.freedesktop.PolicyKit1")) {
            throw std::runtime_error("the polkit mock did not appear on the bus");
        }
    }
    void allowConfiguring(bool allowed) {
        platform::bus::BusError error;
        sd_bus_message* raw = nullptr;
        int r = sd_bus_call_method(bus_.bus(), "org.freedesktop.PolicyKit1",
                                   "/org/freedesktop/PolicyKit1/Authority",
                                   "org.freedesktop.DBus.Mock", "SetAllowed", error.get(), &raw,
                                   "as", allowed ? 1 : 0, service::kConfigureAction);
        sd_bus_message_unref(raw);
        if (r < 0) {
            throw std::runtime_error("SetAllowed failed: " + error.describe(r));
        }
    }

    // Holds every check of the configure action unanswered until released.
    void holdChanges() { callMock("SimulateHangActions", "as", 1, service::kConfigureAction); }
    bool holdsChanges() {
        platform::bus::MessagePtr reply = callMock("HaveHangingCalls", "");
        int holding = 0;
        return reply && sd_bus_message_read(reply.get(), "b", &holding) >= 0 && holding;
    }
    void releaseChanges() { callMock("ReleaseHangingCalls", ""); }

    // Every call the mock answered, one line each, as dbusmock logs them.
    std::string log() const {
        std::ifstream in(log_);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    ~PolkitMock() {
        process_.stop();
        std::error_code ignored;
        std::filesystem::remove(log_, ignored);
    }

  private:
    template <class... Args>
    platform::bus::MessagePtr callMock(const char* method, const char* types, Args... args) {
        platform::bus::BusError error;
        sd_bus_message* raw = nullptr;
        const int r = sd_bus_call_method(
            bus_.bus(), "org.freedesktop.PolicyKit1", "/org/freedesktop/PolicyKit1/Authority",
            "org.freedesktop.DBus.Mock", method, error.get(), &raw, types, args...);
        platform::bus::MessagePtr reply(raw);
        if (r < 0) {
            throw std::runtime_error(std::string(method) + " failed: " + error.describe(r));
        }
        return reply;
    }

    TestBus& bus_;
    std::filesystem::path log_;
    ChildProcess process_;
};

// A client on a connection of its own that sends calls to the service
// without waiting, and collects the answers as they come.
class AsyncClient {
  public:
    struct Answer {
        bool arrived = false;
        std::string error;  // empty when the call succeeded
        MV_U8 status = 0;
    };

    AsyncClient() {
        sd_bus* raw = nullptr;
        if (sd_bus_open_system(&raw) < 0) {
            throw std::runtime_error("cannot connect to the test bus");
        }
        bus_.reset(raw);
    }

    // Sends one call; its answer will be answers()[the returned index].
    template <class Append>
    std::size_t send(const char* method, Append&& append) {
        sd_bus_message* raw = nullptr;
        sd_bus_message_new_method_call(bus_.get(), &raw, service::kBusName, service::kObjectPath,
                                       service::kInterface, method);
        platform::bus::MessagePtr call(raw);
        append(call.get());
        auto pending = std::make_unique<Pending>(Pending{this, answers_.size(), nullptr});
        answers_.emplace_back();
        sd_bus_slot* slot = nullptr;
        if (sd_bus_call_async(bus_.get(), &slot, call.get(), answered, pending.get(), 0) < 0) {
            throw std::runtime_error("cannot send the call");
        }
        pending->slot.reset(slot);
        pending_.push_back(std::move(pending));
        sd_bus_flush(bus_.get());
        return answers_.size() - 1;
    }

    // Reads the connection until `count` answers arrived or the bound passed.
    bool waitForAnswers(std::size_t count) {
        return pollUntil([&] {
            while (sd_bus_process(bus_.get(), nullptr) > 0) {
            }
            return arrived() >= count;
        });
    }
    std::size_t arrived() const {
        std::size_t n = 0;
        for (const Answer& a : answers_) {
            n += a.arrived;
        }
        return n;
    }
    const std::vector<Answer>& answers() const { return answers_; }

    std::string uniqueName() {
        const char* name = nullptr;
        sd_bus_get_unique_name(bus_.get(), &name);
        return name ? name : "";
    }
    // Leaves the bus with every call unanswered.
    void leave() {
        pending_.clear();
        bus_.reset();
    }

  private:
    struct Pending {
        AsyncClient* client;
        std::size_t index;
        platform::bus::SlotPtr slot;
    };
    static int answered(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        const auto* pending = static_cast<Pending*>(userdata);
        Answer& answer = pending->client->answers_[pending->index];
        answer.arrived = true;
        if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
            answer.error = error->name ? error->name : "?";
        } else {
            sd_bus_message_read_basic(reply, 'y', &answer.status);
        }
        return 0;
    }

    platform::bus::BusPtr bus_;
    std::vector<Answer> answers_;
    std::vector<std::unique_ptr<Pending>> pending_;
};

// norvik-raidd hosting one library file, started and restarted by the test
// as the service manager would.
class ServiceProcess {
  public:
    ServiceProcess(TestBus& bus,
                   std::filesystem::path library,
                   std::vector<std::string> environment = {},
                   std::chrono::milliseconds callLimit = std::chrono::seconds(30))
        : bus_(bus),
          library_(std::move(library)),
          environment_(std::move(environment)),
          callLimit_(callLimit) {}

    // Starts the service and waits until it owns its name.
    void start() {
        process_ = ChildProcess({NORVIK_RAIDD, "--library", library_.string(), "--call-limit-ms",
                                 std::to_string(callLimit_.count())},
                                environment_);
        const bool up =
            pollUntil([&] { return bus_.hasOwner(service::kBusName) || !process_.running(); });
        if (!up || !process_.running()) {
            throw std::runtime_error("norvik-raidd did not come up");
        }
    }
    void restart(std::vector<std::string> environment) {
        process_.stop();
        bus_.waitForName(service::kBusName, false);
        environment_ = std::move(environment);
        start();
    }
    // Kills the service and waits until the bus has noticed.
    void kill() {
        process_.stop();
        bus_.waitForName(service::kBusName, false);
    }
    ChildProcess& process() { return process_; }

  private:
    TestBus& bus_;
    std::filesystem::path library_;
    std::vector<std::string> environment_;
    std::chrono::milliseconds callLimit_;
    ChildProcess process_;
};

}  // namespace bustest
