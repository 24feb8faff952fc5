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

class Window {
  public:
    Window() {
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
    ~Window() {
        bindControllerLibrary(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

  private:
    std::filesystem::path dir_;
    std::shared_ptr<LoadedLibrary> library_;
};

void WindowShown(benchmark::State& state) {
    Window window;
    platform::Bundle strings(NORVIK_RESOURCES_DIR, "en");
    platform::Bundle::ScopedMainBundle scope(strings);
    for (auto _ : state) {
        platform::SystemClock clock;
        platform::RunLoop loop(clock);
        platform::ScopedApplication application;
        MainInterface ui = MainInterface::build();
        auto delegate = AppDelegate::create(ui);
        application.application().setDelegate(delegate);
        application.application().finishLaunching();
        benchmark::DoNotOptimize(ui.devicePicker.get());
        state.PauseTiming();
        delegate->applicationWillTerminate(nullptr);
        state.ResumeTiming();
    }
}
BENCHMARK(WindowShown)->Unit(benchmark::kMicrosecond);

void WindowFilled(benchmark::State& state) {
    Window window;
    platform::Bundle strings(NORVIK_RESOURCES_DIR, "en");
    platform::Bundle::ScopedMainBundle scope(strings);
    platform::SystemClock clock;
    platform::RunLoop loop(clock);
    platform::ScopedApplication application;
    MainInterface ui = MainInterface::build();
    auto delegate = AppDelegate::create(ui);
    application.application().setDelegate(delegate);
    application.application().finishLaunching();
    for (auto _ : state) {
        delegate->scanForControllers();
        if (ui.picker->numberOfItems() != 1) {
            state.SkipWithError("the volume was not listed");
            break;
        }
    }
    delegate->applicationWillTerminate(nullptr);
}
BENCHMARK(WindowFilled)->Unit(benchmark::kMicrosecond);

}  // namespace
