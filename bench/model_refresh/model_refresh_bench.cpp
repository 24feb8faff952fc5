// One full refresh of a controller, as the window's update does it: the disk
// walk, the RAID set walk, every disk's and set's status, every set's member
// disks. The library answers at once, so the time is the model's own.
#include <benchmark/benchmark.h>

#include "bench/model_refresh/instant_library.h"
#include "model/library_binding.h"
#include "model/marvell_controller.h"

namespace {

void refresh(MarvellController& controller) {
    controller.scanForDisks();
    controller.scanForRAIDSets();
    for (const auto& disk : controller.disks()) {
        benchmark::DoNotOptimize(disk->status());
    }
    for (const auto& set : controller.raidSets()) {
        benchmark::DoNotOptimize(set->status());
        benchmark::DoNotOptimize(set->disks());
    }
}

void FullRefresh(benchmark::State& state) {
    InstantLibrary library(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ScopedControllerLibrary binding(library);
    const Adapter_Info info{};
    const auto controller = MarvellController::initWithID(0, &info);

    refresh(*controller);
    const long callsPerRefresh = library.calls;
    for (auto _ : state) {
        refresh(*controller);
    }
    state.counters["calls"] = static_cast<double>(callsPerRefresh);
    // Time per library call: the refresh's time divided by its calls.
    state.counters["per_call"] =
        benchmark::Counter(static_cast<double>(state.iterations() * callsPerRefresh),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(FullRefresh)->Args({2, 1})->Args({128, 64})->Unit(benchmark::kMicrosecond);

}  // namespace
