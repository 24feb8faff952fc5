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
#include "model/library_failure.h"
#include "model/loaded_library.h"
#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"
#include "platform/devices/udev_device_source.h"
#include "service/bus_names.h"
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

std::string localized(const char* key) {
    return platform::Bundle::mainBundle().localizedString(key);
}

// A vendor library's failure in the user's words, with where the file belongs.
std::string worded(const LibraryFailure& failure) {
    using Kind = LibraryFailure::Kind;
    std::string what;
    switch (failure.kind) {
        case Kind::None:
            return {};
        case Kind::Missing:
            what = localized("LIBRARY_MISSING");
            break;
        case Kind::CannotLoad:
            what = platform::formatString(localized("LIBRARY_CANNOT_LOAD"),
                                          {failure.path, failure.detail});
            break;
        case Kind::Lacks:
            what =
                platform::formatString(localized("LIBRARY_LACKS"), {failure.path, failure.detail});
            break;
        case Kind::StartFailed:
            return platform::formatString(localized("LIBRARY_START_FAILED"),
                                          {failure.path, failure.detail});
    }
    return platform::formatString(localized("LIBRARY_BELONGS_AT"), {what, failure.path});
}

std::shared_ptr<LoadedLibrary> loadLibrary(const std::filesystem::path& path,
                                           std::string& problem) {
    // The loader's own message goes nowhere: the problem is said once, by the caller.
    std::ostringstream quiet;
    auto library = std::make_shared<LoadedLibrary>(path, quiet);
    if (library->isLoaded()) {
        return library;
    }
    std::string missing;
    for (const std::string& name : library->missingFunctions()) {
        missing += (missing.empty() ? "" : ", ") + name;
    }
    problem = missing.empty()
                  ? platform::formatString(localized("LIBRARY_CANNOT_LOAD"),
                                           {library->path().string(), library->loaderMessage()})
                  : platform::formatString(localized("LIBRARY_LACKS"),
                                           {library->path().string(), missing});
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
        std::cerr << "norvik-raid: "
                  << platform::formatString(localized("SIMULATOR_NOT_FOLLOWED"), {e.what()})
                  << "\n";
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
                    chosen.libraryProblem = worded(remote->libraryProblem());
                } catch (const service::RemoteLibraryError&) {
                    // Not answering: said by libraryProblemNow() after the reads.
                }
                chosen.library = std::move(remote);
                break;
            }
            case HardwareLibrary::InProcess: {
                std::string ignored;
                auto library = loadLibrary(vendorLibraryPath(), ignored);
                chosen.libraryProblem = worded(LibraryFailure::of(*library));
                chosen.library = std::move(library);
                break;
            }
            case HardwareLibrary::Unreachable:
                // The controller appears at the next rescan once the service is started.
                chosen.library = std::make_shared<service::RemoteLibrary>();
                chosen.libraryProblem = platform::formatString(
                    localized("LIBRARY_SERVICE_UNREACHABLE"), {vendorLibraryPath().string()});
                break;
        }
    }
    bindControllerLibrary(chosen.library);
    return chosen;
}

std::string serviceNotAnswering() {
    return localized("LIBRARY_SERVICE_NOT_ANSWERING");
}

std::string libraryProblemNow(const Backends& chosen) {
    const auto* remote = dynamic_cast<const service::RemoteLibrary*>(chosen.library.get());
    if (remote && !remote->answering()) {
        return serviceNotAnswering();
    }
    return chosen.libraryProblem;
}

namespace {

service::RemoteLibrary* remoteLibrary(const Backends& chosen) {
    return dynamic_cast<service::RemoteLibrary*>(chosen.library.get());
}

}  // namespace

bool changesNeedAuthorization(const Backends& chosen) {
    return remoteLibrary(chosen) != nullptr;
}

std::optional<std::string> authorizeChanges(const Backends& chosen) {
    service::RemoteLibrary* remote = remoteLibrary(chosen);
    if (!remote) {
        return std::nullopt;
    }
    try {
        remote->authorizeChanges();
    } catch (const service::RemoteLibraryError& e) {
        if (e.name() == SD_BUS_ERROR_ACCESS_DENIED) {
            return remote->refusal();
        }
    }
    return std::nullopt;
}

std::string changeAuthorizationAction() {
    return service::kConfigureAction;
}

std::string changeRefusal(const Backends& chosen) {
    const service::RemoteLibrary* remote = remoteLibrary(chosen);
    return remote ? remote->refusal() : std::string();
}

}  // namespace backends
