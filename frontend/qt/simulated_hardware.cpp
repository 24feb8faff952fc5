#include "frontend/qt/simulated_hardware.h"

#include <exception>
#include <iostream>

#ifdef NORVIK_SIMULATOR
#include "platform/devices/device_tree.h"
#include "sim/feed/device_feed.h"
#include "sim/world_location.h"
#include "sim/world_store.h"
#endif

namespace frontend {

std::shared_ptr<platform::RunLoopSource> attachSimulatedHardware(platform::RunLoop& loop) {
#ifdef NORVIK_SIMULATOR
    try {
        auto store = std::make_shared<sim::WorldStore>(sim::worldLocation());
        auto feed = sim::DeviceFeed::create(store, platform::devices::DeviceTree::current());
        loop.addSource(feed, platform::kCommonModes);
        return feed;
    } catch (const std::exception& e) {
        std::cerr << "norvik-raid-utility: cannot follow the simulated enclosure: " << e.what()
                  << "\n";
        return nullptr;
    }
#else
    (void)loop;
    return nullptr;
#endif
}

}  // namespace frontend
