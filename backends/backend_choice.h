// The one place that decides which controller library and which device source
// a program works with. Every executable asks here, so the window, the
// command-line companion and the tests agree on what "the enclosure" is:
//
//   simulator  the simulator's libmv_api.so and its world feed, when the user
//              asks for it (--simulator, or NORVIK_SIM_WORLD set);
//   hardware   the vendor's libmv_api.so and the machine's own devices; the
//              library through the controller service (norvik-raidd) when
//              that is on the system bus, in process only for root without it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/controller_library.h"
#include "platform/devices/device_tree.h"
#include "platform/runloop/run_loop.h"

namespace backends {

enum class BackendKind { Simulator, Hardware };

struct BackendRequest {
    bool simulator = false;

    // The simulator when `simulatorFlag` was given or NORVIK_SIM_WORLD is set.
    static BackendRequest fromEnvironment(bool simulatorFlag);
};

// Removes every "--simulator" from `args` and says whether there was one.
bool takeSimulatorFlag(std::vector<std::string>& args);

// How the hardware mode reaches the vendor's library.
enum class HardwareLibrary {
    Service,      // through norvik-raidd on the system bus
    InProcess,    // loaded into this process (root, no service)
    Unreachable,  // neither: the service's client, which fails until the service appears
};

HardwareLibrary hardwareLibraryFor(bool serviceAvailable, bool root);

struct Backends {
    BackendKind kind = BackendKind::Hardware;
    // Bound as the process-wide controller library by chooseBackends().
    std::shared_ptr<ControllerLibrary> library;
    // Keeps the device tree in step with the machine (or the simulated world);
    // already on the loop in the common modes. Null when there is none.
    std::shared_ptr<platform::RunLoopSource> devices;
    // Empty, or one sentence for the user: what is missing and where it belongs.
    std::string libraryProblem;
};

// Loads the chosen library, binds it process-wide, and puts the chosen device
// source on `loop`, feeding `tree`. Never throws: what cannot be set up is
// left null and said in libraryProblem (or on stderr for the device source).
Backends chooseBackends(
    const BackendRequest& request,
    platform::RunLoop& loop,
    platform::devices::DeviceTree& tree = platform::devices::DeviceTree::current());

// What libraryProblemNow() says of a service that did not answer.
std::string serviceNotAnswering();

// The problem to report after reading: the service not answering the last
// call, else the one found at the choice.
std::string libraryProblemNow(const Backends& chosen);

// Whether changes go through the controller service, which asks polkit
// (and so may want an authentication agent for this process).
bool changesNeedAuthorization(const Backends& chosen);

// Asks, once before a series of changes, whether this process may make
// them. Empty when it may (or nobody has to be asked); else polkit's answer.
// A service that cannot be reached is not a refusal: the change then fails.
std::optional<std::string> authorizeChanges(const Backends& chosen);

// The polkit action that every change needs, for telling how to get the right.
std::string changeAuthorizationAction();

// Polkit's answer to the last change the service refused; empty when none was.
std::string changeRefusal(const Backends& chosen);

}  // namespace backends
