// Shared ground of the command-line tests: a private world file and runtime
// directory per test, the real string tables, and a verb run in process.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "platform/controls/bundle.h"
#include "tests/sim/sim_test_support.h"

namespace cli::testing {

struct Outcome {
    int status = 0;
    std::string out;
    std::string err;
};

inline Outcome run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Outcome r;
    r.status = runCommandLine(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

// NORVIK_SIM_WORLD and XDG_RUNTIME_DIR inside one fresh directory, and the
// English string table of the source tree as the main bundle.
class SimulatedEnclosure : public ::testing::Test {
  protected:
    SimulatedEnclosure() {
        runtime_ = world.dir() / "runtime";
        std::filesystem::create_directories(runtime_);
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }
    ~SimulatedEnclosure() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    sim::testing::CommandResult sim(std::vector<std::string> args) {
        return sim::testing::command(world.file(), std::move(args));
    }

    sim::testing::TempWorld world;
    std::filesystem::path runtime_;
    platform::Bundle strings{NORVIK_RESOURCES_DIR, "en"};
    platform::Bundle::ScopedMainBundle stringsScope{strings};
};

}  // namespace cli::testing
