// `norvik-raid status` as a monitoring system runs it: a new process, from
// exec to exit, on the simulated enclosure (default world, healthy mirror;
// and a mirror being rebuilt, which asks for progress too). Output goes to
// /dev/null.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/runloop/clock.h"
#include "sim/enclosure_rules.h"
#include "sim/world.h"
#include "sim/world_store.h"

extern char** environ;

namespace {

class TempWorld {
  public:
    explicit TempWorld(const sim::World& world) {
        char pattern[] = "/tmp/norvik-status-bench-XXXXXX";
        if (!::mkdtemp(pattern)) {
            throw std::runtime_error("mkdtemp failed");
        }
        dir_ = pattern;
        sim::WorldStore(dir_ / "world.json").replace(world);
        ::setenv("NORVIK_SIM_WORLD", (dir_ / "world.json").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    }
    ~TempWorld() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

  private:
    std::filesystem::path dir_;
};

int runStatus(const char* format) {
    std::vector<std::string> words{NORVIK_RAID_PROGRAM, "status", format};
    std::vector<char*> argv;
    for (auto& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot run norvik-raid");
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WEXITSTATUS(status);
}

void StatusOfAHealthyMirror(benchmark::State& state, const char* format) {
    TempWorld world(sim::makeWorld(sim::Layout::Raid1));
    for (auto _ : state) {
        if (runStatus(format) != 0) {
            state.SkipWithError("status did not say OK");
            break;
        }
    }
}
BENCHMARK_CAPTURE(StatusOfAHealthyMirror, text, "--simulator")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StatusOfAHealthyMirror, json, "--json")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StatusOfAHealthyMirror, nagios, "--nagios")->Unit(benchmark::kMillisecond);

void StatusOfARebuildingMirror(benchmark::State& state) {
    sim::World w = sim::makeWorld(sim::Layout::Raid1);
    w.rebuildSeconds = 1e6;
    sim::pullDisk(w.enclosures[0], 1);
    const sim::Nanoseconds now = platform::SystemClock().now().time_since_epoch().count();
    sim::insertDisk(w.enclosures[0], sim::makeBlankDisk(0, 1, sim::kDefaultDiskBytes, 1), now);
    TempWorld world(w);
    for (auto _ : state) {
        if (runStatus("--json") != 1) {
            state.SkipWithError("status did not say WARNING");
            break;
        }
    }
}
BENCHMARK(StatusOfARebuildingMirror)->Unit(benchmark::kMillisecond);

}  // namespace
