#include <benchmark/benchmark.h>

#include <memory>

#include "platform/runloop/owned_timers.h"
#include "platform/runloop/virtual_time_driver.h"

namespace {

using namespace platform;

// One coalesced request (cancel + reschedule) with `range(0)` unrelated
// items pending in the loop.
void BM_CoalescedRequest(benchmark::State& state) {
    VirtualTimeDriver driver;
    auto target = std::make_shared<Object>();
    auto other = std::make_shared<Object>();
    for (int64_t i = 0; i < state.range(0); ++i) {
        driver.runLoop().performSelector(
            other, "other", [] {}, seconds(100 + double(i)));
    }
    for (auto _ : state) {
        driver.runLoop().cancelPreviousPerformRequests(target.get(), "scanForControllers");
        driver.runLoop().performSelector(
            target, "scanForControllers", [] {}, seconds(1));
    }
}
BENCHMARK(BM_CoalescedRequest)->Arg(0)->Arg(10)->Arg(1000);

// The same request through the debouncer the application holds.
void BM_DebouncedRequest(benchmark::State& state) {
    VirtualTimeDriver driver;
    auto other = std::make_shared<Object>();
    for (int64_t i = 0; i < state.range(0); ++i) {
        driver.runLoop().performSelector(
            other, "other", [] {}, seconds(100 + double(i)));
    }
    Debouncer rescan(seconds(1), Mode::Default, [] {});
    for (auto _ : state) {
        rescan.request();
    }
}
BENCHMARK(BM_DebouncedRequest)->Arg(0)->Arg(10)->Arg(1000);

// An hour of virtual time with the 10-second refresh timer running.
void BM_HourOfRefreshTicks(benchmark::State& state) {
    for (auto _ : state) {
        VirtualTimeDriver driver;
        int ticks = 0;
        auto timer = Timer::createRepeating(seconds(10), [&](Timer&) { ++ticks; });
        driver.runLoop().addTimer(timer, kCommonModes);
        driver.fastForwardBy(seconds(3600));
        benchmark::DoNotOptimize(ticks);
    }
}
BENCHMARK(BM_HourOfRefreshTicks);

}  // namespace
