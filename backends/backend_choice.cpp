#include "backends/backend_choice.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "backends/library_paths.h"
#include "model/library_binding.h"
#include "model/loaded_library.h"
#include "platform/devices/udev_device_source.h"
#include "service/remote_library.h"
#include "sim/feed/device_feed.h"
#include "sim/world_location.h"
#include "sim/world_store.h"

namespace backends {

BackendRequest BackendRequest::fromEnvironment(bool simulatorFlag) {
    const char* world = std::getenv("NORVIK_SIM_WORLD");
    return BackendRequest{simulatorFlag || (world && *world)};
}

bool takeSimulatorFlag(std::vector<std::string>& args) {
    const auto end = std::remove(args.begin(), args.end(), std::string("--simulator"));
    const bool found = end != args.end();
    args.erase(end, args.end());
    return found;
}

HardwareLibrary hardwareLibraryFor(bool serviceAvailable, bool root) {
    if (serviceAvailable) {
        return HardwareLibrary::Service;
    }
    return root ? HardwareLibrary::InProcess : HardwareLibrary::Unreachable;
}

namespace {

std::shared_ptr<LoadedLibrary> loadLibrary(const std::filesystem::path& path,
                                           std::string& problem) {
    // The loader's own message goes nowhere: the problem is said once, by the caller.
    std::ostringstream quiet;
    auto library = std::make_shared<LoadedLibrary>(path, quiet);
    if (!library->isLoaded()) {
        problem = library->loadError();
    }
    return library;
}

std::shared_ptr<platform::RunLoopSource> followSimulatedWorld(platform::RunLoop& loop,
                                                              platform::devices::DeviceTree& tree) {
    try {
        auto store = std::make_shared<sim::WorldStore>(sim::worldLocation());
        auto feed = sim::DeviceFeed::create(store, tree);
        loop.addSource(feed, platform::kCommonModes);
        return feed;
    } catch (const std::exception& e) {
        std::cerr << "norvik-raid: cannot follow the simulated enclosure: " << e.what() << "\n";
        return nullptr;
    }
}

std::shared_ptr<platform::RunLoopSource> followMachine(platform::RunLoop& loop,
                                                       platform::devices::DeviceTree& tree) {
    std::ostringstream problem;
    auto source = platform::devices::UdevDeviceSource::create(tree, problem);
    if (!problem.str().empty()) {
        std::cerr << "norvik-raid: " << problem.str();
    }
    if (source) {
        loop.addSource(source, platform::kCommonModes);
    }
    return source;
}

}  // namespace

Backends chooseBackends(const BackendRequest& request,
                        platform::RunLoop& loop,
                        platform::devices::DeviceTree& tree) {
    Backends chosen;
    if (request.simulator) {
        chosen.kind = BackendKind::Simulator;
        chosen.library = loadLibrary(simulatorLibraryPath(), chosen.libraryProblem);
        chosen.devices = followSimulatedWorld(loop, tree);
    } else {
        chosen.kind = BackendKind::Hardware;
        chosen.devices = followMachine(loop, tree);
        switch (hardwareLibraryFor(service::controllerServiceAvailable(), ::geteuid() == 0)) {
            case HardwareLibrary::Service: {
                auto remote = std::make_shared<service::RemoteLibrary>();
                try {
                    chosen.libraryProblem = remote->libraryProblem();
                } catch (const service::RemoteLibraryError&) {
                    // Not answering: said by libraryProblemNow() after the reads.
                }
                chosen.library = std::move(remote);
                break;
            }
            case HardwareLibrary::InProcess: {
                auto library = loadLibrary(vendorLibraryPath(), chosen.libraryProblem);
                chosen.libraryProblem = vendorLibraryProblem(*library);
                chosen.library = std::move(library);
                break;
            }
            case HardwareLibrary::Unreachable:
                // The controller appears at the next rescan once the service is started.
                chosen.library = std::make_shared<service::RemoteLibrary>();
                chosen.libraryProblem =
                    "the controller service norvik-raidd is not on the system bus, and only root "
                    "may load the vendor's library in process; the vendor's libmv_api.so belongs "
                    "at " +
                    vendorLibraryPath().string();
                break;
        }
    }
    bindControllerLibrary(chosen.library);
    return chosen;
}

const char* const kServiceNotAnswering = service::kNotAnswering;

std::string libraryProblemNow(const Backends& chosen) {
    const auto* remote = dynamic_cast<const service::RemoteLibrary*>(chosen.library.get());
    if (remote && !remote->answering()) {
        return kServiceNotAnswering;
    }
    return chosen.libraryProblem;
}

}  // namespace backends
