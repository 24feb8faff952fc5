// libmv_api.so: the C ABI of model/mv_api.h over one SimulatedLibrary on the
// world file that NORVIK_SIM_WORLD names (read at each call, so a process may
// switch worlds), with rebuild times on the system's steady clock, which all
// processes share.
//
// Nothing but an injected "raise" fault leaves these functions by exception.
// That one crosses the C boundary on purpose, as the real library's
// exceptions would; the application's guard is what it tests.
#include <memory>
#include <mutex>

#include "model/mv_api.h"
#include "sim/simulated_library.h"
#include "sim/world_location.h"

#define NORVIK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::shared_ptr<sim::SimulatedLibrary> library() {
    static platform::SystemClock clock;
    static std::mutex mutex;
    static std::shared_ptr<sim::SimulatedLibrary> current;
    sim::WorldLocation location = sim::worldLocation();
    std::lock_guard guard(mutex);
    if (!current || current->store().file() != location.file) {
        current = std::make_shared<sim::SimulatedLibrary>(
            std::make_shared<sim::WorldStore>(std::move(location)), clock);
    }
    return current;
}

template <class Call>
MV_U8 call(Call&& c, MV_U8 failed = sim::kWorldUnavailable) {
    try {
        return c(*library());
    } catch (const sim::InjectedFault&) {
        throw;
    } catch (...) {
        return failed;
    }
}

}  // namespace

// What a call answers when the world cannot be used: a status, or no adapters.
template <class Shape>
constexpr MV_U8 kUnavailable = sim::kWorldUnavailable;
template <>
constexpr MV_U8 kUnavailable<library_shape::Count> = 0;

#define NORVIK_EXPORT_OPERATION(name, shape, parameters, arguments) \
    NORVIK_EXPORT MV_U8 name parameters {                           \
        return call([&](auto& l) { return l.name arguments; },      \
                    kUnavailable<library_shape::shape>);            \
    }
NORVIK_LIBRARY_OPERATIONS(NORVIK_EXPORT_OPERATION)
#undef NORVIK_EXPORT_OPERATION
