// The simulated controller library, in process: the controller behaviour of
// enclosure_rules.h over the shared world file, one method per operation of
// the C ABI. libmv_api.so forwards its exported functions to one of these;
// tests bind one directly.
//
// Nothing escapes a call but an injected "raise" fault (InjectedFault, a
// std::exception, as the real library's exceptions would be): a world that
// cannot be read or written answers kWorldUnavailable (MV_Adapter_GetCount: 0).
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "model/controller_library.h"
#include "platform/runloop/clock.h"
#include "sim/enclosure_rules.h"
#include "sim/world_store.h"

namespace sim {

class InjectedFault : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class SimulatedLibrary final : public ControllerLibrary {
  public:
    // `clock` must outlive the library; rebuild start times are on its time line.
    SimulatedLibrary(std::shared_ptr<WorldStore> store, platform::Clock& clock);
    SimulatedLibrary(const std::filesystem::path& world, platform::Clock& clock)
        : SimulatedLibrary(std::make_shared<WorldStore>(world), clock) {}

    WorldStore& store() { return *store_; }

    NORVIK_LIBRARY_OPERATIONS(NORVIK_LIBRARY_OPERATION_OVERRIDE)

  private:
    template <class Query>
    MV_U8 query(std::string_view operation, Query&& query, MV_U8 unavailable = kWorldUnavailable);
    template <class Change>
    MV_U8 change(std::string_view operation, Change&& change);
    // The status an injected fault makes `operation` return now, if any;
    // throws InjectedFault for a "raise" fault.
    std::optional<MV_U8> takeFault(std::string_view operation, const World& world);
    Nanoseconds now() const;

    std::shared_ptr<WorldStore> store_;
    platform::Clock& clock_;
};

}  // namespace sim
