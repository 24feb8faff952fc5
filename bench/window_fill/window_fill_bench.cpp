// The window's start, as the front end runs it but without drawing: the
// delegate launched over the interface (shown), then the first rescan, which
// lists the enclosure and fills the volume panel and the health icon
// (filled). The simulator's libmv_api.so answers from a world file, so the
// time is the window's own work plus the library's.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "app/app_delegate.h"
#include "model/library_binding.h"
#include "model/loaded_library.h"
#include "platform/controls/application.h"
#include "platform/controls/bundle.h"
#include "platform/runloop/clock.h"
#include "platform/runloop/run_loop.h"
#include "sim/enclosure_rules.h"
#include "sim/world.h"
#include "sim/world_store.h"
#include "ui/main_interface.h"

namespace {

// The simulated enclosure (a healthy mirror) behind the simulator's library.
class SimulatedEnclosure {
  public:
    SimulatedEnclosure() {
        char pattern[] = "/tmp/norvik-window-bench-XXXXXX";
        if (!::mkdtemp(pattern)) {
            throw std::runtime_error("mkdtemp failed");
        }
        dir_ = pattern;
        sim::WorldStore(dir_ / "world.json").replace(sim::makeWorld(sim::Layout::Raid1));
        ::setenv("NORVIK_SIM_WORLD", (dir_ / "world.json").c_str(), 1);
        library_ = std::make_shared<LoadedLibrary>(NORVIK_SIM_LIBRARY);
        bindControllerLibrary(library_);
    }
    ~SimulatedEnclosure() {
        bindControllerLibrary(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

  private:
    std::filesystem::path dir_;
    std::shared_ptr<LoadedLibrary> library_;
    platform::Bundle strings_{NORVIK_RESOURCES_DIR, "en"};
    platform::Bundle::ScopedMainBundle stringsScope_{strings_};
};

// The window as the front end starts it, launched; shut down when it goes.
struct LaunchedWindow {
    LaunchedWindow() {
        application.application().setDelegate(delegate);
        application.application().finishLaunching();
    }
    ~LaunchedWindow() { delegate->applicationWillTerminate(nullptr); }

    platform::SystemClock clock;
    platform::RunLoop loop{clock};
    platform::ScopedApplication application;
    MainInterface ui = MainInterface::build();
    std::shared_ptr<AppDelegate> delegate = AppDelegate::create(ui);
};

void WindowShown(benchmark::State& state) {
    SimulatedEnclosure enclosure;
    for (auto _ : state) {
        {
            LaunchedWindow window;
            benchmark::DoNotOptimize(window.ui.devicePicker.get());
            state.PauseTiming();  // shutting down is not showing
        }
        state.ResumeTiming();
    }
}
BENCHMARK(WindowShown)->Unit(benchmark::kMicrosecond);

void WindowFilled(benchmark::State& state) {
    SimulatedEnclosure enclosure;
    LaunchedWindow window;
    for (auto _ : state) {
        window.delegate->scanForControllers();
        if (window.ui.picker->numberOfItems() != 1) {
            state.SkipWithError("the volume was not listed");
            break;
        }
    }
}
BENCHMARK(WindowFilled)->Unit(benchmark::kMicrosecond);

}  // namespace
