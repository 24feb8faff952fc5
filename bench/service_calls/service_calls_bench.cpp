// The cost of the service: one window refresh (13 library calls on the
// default world) through norvik-raidd on a private bus against the same
// refresh on the simulator's libmv_api.so in process; the same refresh while
// an unprivileged user floods the service with rescans; and what the service
// holds and spends while nobody calls it (resident memory, CPU time and
// wake-ups over 60 idle seconds).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "bench/service_calls/rescan_flood.h"
#include "model/library_binding.h"
#include "model/loaded_library.h"
#include "model/marvell_controller.h"
#include "model/marvell_disk.h"
#include "model/marvell_raid_set.h"
#include "service/remote_library.h"
#include "sim/world.h"
#include "tests/service/bus_test_environment.h"
#include "tests/service/service_worlds.h"

namespace {

// The bus, the service and a world, made once for the whole run.
struct Setup {
    bustest::TemporaryWorld world{sim::makeWorld()};
    bustest::TestBus bus;
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world.environment()}};
    service::RemoteLibrary remote;
    std::unique_ptr<LoadedLibrary> inProcess;

    Setup() {
        ::setenv("NORVIK_SIM_WORLD", world.file().c_str(), 1);
        service.start();
        inProcess = std::make_unique<LoadedLibrary>(NORVIK_SIM_LIBRARY);
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

// Counts the calls it passes on, so the benchmark says how many a refresh makes.
class CountingLibrary final : public ControllerLibrary {
  public:
    explicit CountingLibrary(ControllerLibrary& inner) : l_(inner) {}
    long calls = 0;

#define NORVIK_COUNT_OPERATION(name, shape, parameters, arguments) \
    MV_U8 name parameters override {                               \
        return ++calls, l_.name arguments;                         \
    }
    NORVIK_LIBRARY_OPERATIONS(NORVIK_COUNT_OPERATION)
#undef NORVIK_COUNT_OPERATION

  private:
    ControllerLibrary& l_;
};

// One refresh of the window, through the model as the application does it:
// the adapter scan, then both walks, every disk's and set's status and the
// set's member disks. Returns the controllers found.
std::size_t refresh(ControllerLibrary& library) {
    ScopedControllerLibrary bound(library);
    const auto controllers = MarvellController::scanForControllers();
    for (const auto& controller : controllers) {
        controller->scanForDisks();
        controller->scanForRAIDSets();
        for (const auto& disk : controller->disks()) {
            benchmark::DoNotOptimize(disk->status());
        }
        for (const auto& set : controller->raidSets()) {
            benchmark::DoNotOptimize(set->status());
            benchmark::DoNotOptimize(set->disks());
        }
    }
    return controllers.size();
}

void BM_WindowRefreshInProcess(benchmark::State& state) {
    CountingLibrary library(*setup().inProcess);
    for (auto _ : state) {
        refresh(library);
    }
    state.counters["calls_per_refresh"] =
        static_cast<double>(library.calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_WindowRefreshInProcess)->Unit(benchmark::kMicrosecond);

void BM_WindowRefreshThroughService(benchmark::State& state) {
    CountingLibrary library(setup().remote);
    for (auto _ : state) {
        refresh(library);
    }
    state.counters["calls_per_refresh"] =
        static_cast<double>(library.calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_WindowRefreshThroughService)->Unit(benchmark::kMicrosecond);

// Another client's refresh while `range(0)` connections of uid 65534 keep 120
// rescans each in flight, as fast as the service answers them: from the
// flood's first burst on, or `range(1)` seconds into it.
void BM_WindowRefreshDuringRescanFlood(benchmark::State& state) {
    Setup& s = setup();
    bench::RescanFlood flood(static_cast<int>(state.range(0)), 120);
    std::this_thread::sleep_for(std::chrono::seconds(state.range(1)));
    CountingLibrary library(s.remote);
    double slowest = 0;
    const long answeredBefore = flood.answered();
    const auto began = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (refresh(library) != 1) {
            state.SkipWithError("the refresh did not read the enclosure");
            break;
        }
        slowest = std::max(
            slowest,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["calls_per_refresh"] =
        static_cast<double>(library.calls) / static_cast<double>(state.iterations());
    state.counters["slowest_refresh_ms"] = slowest * 1000;
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    state.counters["flood_answers_per_s"] =
        static_cast<double>(flood.answered() - answeredBefore) / elapsed;
    state.counters["flood_refused"] = static_cast<double>(flood.refused());
}
BENCHMARK(BM_WindowRefreshDuringRescanFlood)
    ->Args({100, 0})
    ->Args({100, 3})
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A field of /proc/<pid>/status, in its own unit (kB for memory).
long statusField(pid_t pid, const std::string& name) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::stol(line.substr(name.size() + 1));
        }
    }
    return -1;
}

// User plus system CPU time in clock ticks.
long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) {
            utime = std::stol(field);
        } else if (i == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime + stime;
}

void BM_ServiceIdleMinute(benchmark::State& state) {
    Setup& s = setup();
    refresh(s.remote);  // served at least once, as after a window's start
    const pid_t pid = s.service.process().pid();
    for (auto _ : state) {
        const long cpuBefore = cpuTicks(pid);
        const long switchesBefore = statusField(pid, "voluntary_ctxt_switches") +
                                    statusField(pid, "nonvoluntary_ctxt_switches");
        std::this_thread::sleep_for(std::chrono::seconds(60));
        state.counters["cpu_ms"] =
            static_cast<double>(cpuTicks(pid) - cpuBefore) * 1000.0 / ::sysconf(_SC_CLK_TCK);
        state.counters["wakeups"] =
            static_cast<double>(statusField(pid, "voluntary_ctxt_switches") +
                                statusField(pid, "nonvoluntary_ctxt_switches") - switchesBefore);
    }
    state.counters["rss_kB"] = static_cast<double>(statusField(pid, "VmRSS"));
}
BENCHMARK(BM_ServiceIdleMinute)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
