// norvik-raidd: hosts the controller library for unprivileged clients on the
// system bus. One event loop, one library call at a time, no timers of its
// own: idle, it sleeps until a message, a device node or a signal arrives.
#include <signal.h>
#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "model/library_failure.h"
#include "model/loaded_library.h"
#include "platform/runloop/clock.h"
#include "platform/sdbus/bus_handles.h"
#include "service/bus_names.h"
#include "service/bus_service.h"
#include "service/call_watchdog.h"
#include "service/hot_plug_watch.h"
#include "service/library_host.h"
#include "service/service_options.h"

namespace {

int fail(const std::string& what, int r) {
    std::cerr << "norvik-raidd: " << what << ": " << std::strerror(-r) << std::endl;
    return 1;
}

// The vendor library of this installation: norvik-raidd lives in
// <prefix>/libexec/norvik-raid-utility/, the library in <prefix>/lib/norvik-raid-utility/.
std::filesystem::path vendorLibraryPath() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        exe = "/proc/self/exe";  // fails to load with a message naming the problem
    }
    return (exe.parent_path() / ".." / ".." / "lib" / "norvik-raid-utility" / "libmv_api.so")
        .lexically_normal();
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed =
        service::parseServiceOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::cout << service::kServiceUsage;
        return 0;
    }
    if (!parsed.options) {
        std::cerr << "norvik-raidd: " << parsed.error << "\n" << service::kServiceUsage;
        return 2;
    }
    const service::ServiceOptions& options = *parsed.options;

    // Signals arrive through the event loop, so shutting down finalizes the library.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);

    LoadedLibrary library(options.library.empty() ? vendorLibraryPath() : options.library);
    service::CallWatchdog watchdog(options.callLimit);
    platform::SystemClock clock;
    service::LibraryHost host(library, watchdog, clock);
    // Still served without a library: every client call then reports the
    // failure, and LibraryProblem says why.
    LibraryFailure problem = LibraryFailure::of(library);
    host.startUp();
    if (!host.sessionFailure().empty()) {
        std::cerr << "norvik-raidd: starting the controller library failed: "
                  << host.sessionFailure() << std::endl;
        if (problem.kind == LibraryFailure::Kind::None) {
            problem = {LibraryFailure::Kind::StartFailed, library.path().string(),
                       host.sessionFailure()};
        }
    }

    sd_event* eventRaw = nullptr;
    int r = sd_event_default(&eventRaw);
    platform::bus::EventPtr event(eventRaw);
    if (r < 0) {
        return fail("cannot create the event loop", r);
    }
    sd_event_add_signal(event.get(), nullptr, SIGTERM, nullptr, nullptr);
    sd_event_add_signal(event.get(), nullptr, SIGINT, nullptr, nullptr);

    sd_bus* busRaw = nullptr;
    r = sd_bus_open_system(&busRaw);
    platform::bus::BusPtr bus(busRaw);
    if (r < 0) {
        return fail("cannot connect to the system bus", r);
    }
    service::BusService served(host, problem, clock);
    if ((r = served.attach(bus.get(), event.get())) < 0) {
        return fail("cannot publish the library object", r);
    }
    std::unique_ptr<service::HotPlugWatch> devices;
    try {
        devices = std::make_unique<service::HotPlugWatch>("/dev", [&] { host.hardwareChanged(); });
        devices->attach(event.get());
    } catch (const std::exception& e) {
        std::cerr << "norvik-raidd: hot-plugging goes unseen until a rescan: " << e.what()
                  << std::endl;
    }
    if ((r = sd_bus_request_name(bus.get(), service::kBusName, 0)) < 0) {
        return fail(std::string("cannot own ") + service::kBusName, r);
    }
    sd_bus_set_exit_on_disconnect(bus.get(), 1);
    if ((r = sd_bus_attach_event(bus.get(), event.get(), SD_EVENT_PRIORITY_NORMAL)) < 0) {
        return fail("cannot attach the bus to the event loop", r);
    }

    r = sd_event_loop(event.get());
    devices.reset();
    bus.reset();
    if (!host.shutDown()) {
        std::cerr << "norvik-raidd: finalizing the controller library failed: "
                  << host.sessionFailure() << std::endl;
    }
    return r < 0 ? fail("event loop", r) : 0;
}
