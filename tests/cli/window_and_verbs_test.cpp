// The window's flows and norvik-raid's verbs make the same change: the same
// simulated world, changed once through the window and once from the command
// line, ends up the same.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "sim/simulated_library.h"
#include "sim/world_store.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/app_harness.h"

namespace {

using Commands = std::vector<std::vector<std::string>>;
constexpr auto kOK = platform::kAlertSecondButtonReturn;

// Rebuilds start at each side's own clock; everything else must agree.
sim::World withoutStartTimes(sim::World world) {
    for (auto& enclosure : world.enclosures) {
        for (auto& rebuild : enclosure.rebuilds) {
            rebuild.startNanoseconds = 0;
        }
    }
    return world;
}

void configureInTheWindow(AppHarness& h, int row, const std::string& name) {
    ASSERT_TRUE(h.ui.configButton->performClick());
    h.ui.raidPicker->userSelectCellAtIndex(row);
    if (h.ui.name->isEnabled()) {
        h.ui.name->userReplaceCharacters({0, h.ui.name->length()}, name);
    }
    h.alerts->answer(kOK);
    h.alerts->answer(kOK);
    h.alerts->answer(platform::kAlertFirstButtonReturn);  // "Done"
    h.ui.configNowButton->performClick();
}

void pressRebuildInTheWindow(AppHarness& h, int confirmations) {
    for (int i = 0; i < confirmations; ++i) {
        h.alerts->answer(kOK);
    }
    ASSERT_TRUE(h.ui.rebuildButton->performClick());
}

struct SameChange {
    const char* what;
    Commands world;
    std::function<void(AppHarness&)> window;
    std::vector<std::string> verb;
};

void PrintTo(const SameChange& c, std::ostream* os) {
    *os << c.what;
}

class WindowAndCommandLine : public cli::testing::SimulatedEnclosure,
                             public ::testing::WithParamInterface<SameChange> {};

TEST_P(WindowAndCommandLine, ChangeTheWorldAlike) {
    const SameChange& c = GetParam();
    for (const auto& command : c.world) {
        ASSERT_EQ(sim(command).status, 0);
    }
    const auto windowWorld = world.dir() / "window.json";
    std::filesystem::copy_file(world.file(), windowWorld);
    const auto start = sim::WorldStore(world.file()).read();
    {
        AppHarness h;
        sim::SimulatedLibrary library(windowWorld, h.driver.clock());
        ScopedControllerLibrary bound{library};
        h.launchAndSettle();
        c.window(h);
        h.driver.runUntilIdle();
    }
    {
        platform::ManualClock clock;
        ScopedModelClock pauses{clock};
        auto args = c.verb;
        args.insert(args.end(), {"--yes", "--simulator"});
        const auto r = cli::testing::run(args);
        ASSERT_EQ(r.status, 0) << r.out << r.err;
    }
    const auto byWindow = sim::WorldStore(windowWorld).read();
    const auto byCommandLine = sim::WorldStore(world.file()).read();
    EXPECT_EQ(withoutStartTimes(*byWindow), withoutStartTimes(*byCommandLine));
    EXPECT_NE(*start, *byCommandLine) << "nothing was changed";
}

INSTANTIATE_TEST_SUITE_P(
    Changes,
    WindowAndCommandLine,
    ::testing::Values(
        SameChange{"stripe",
                   {{"reset"}},
                   [](AppHarness& h) { configureInTheWindow(h, 0, "Fast"); },
                   {"configure", "raid0", "--name", "Fast"}},
        SameChange{"mirror from individual disks",
                   {{"reset", "--layout", "individual"}},
                   [](AppHarness& h) { configureInTheWindow(h, 1, "Safe"); },
                   {"configure", "raid1", "--name", "Safe"}},
        SameChange{"individual disks",
                   {{"reset"}},
                   [](AppHarness& h) { configureInTheWindow(h, 2, ""); },
                   {"configure", "individual"}},
        SameChange{"rebuild onto the blank disk",
                   {{"reset"}, {"auto-rebuild", "off"}, {"pull", "0"}, {"insert", "0"}},
                   [](AppHarness& h) { pressRebuildInTheWindow(h, 2); },
                   {"rebuild"}},
        SameChange{"cancel the rebuild",
                   {{"reset"}, {"rebuild-time", "100000"}, {"pull", "1"}, {"insert", "1"}},
                   [](AppHarness& h) { pressRebuildInTheWindow(h, 0); },
                   {"cancel-rebuild"}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
