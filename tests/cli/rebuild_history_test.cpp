#include "cli/rebuild_history.h"

#include <gtest/gtest.h>

#include "tests/sim/sim_test_support.h"

namespace {

using cli::HistoryPlaces;
using cli::RebuildHistory;

TEST(RebuildHistory, IsKeptInTheSessionElseTheStateFolderElseRunForRoot) {
    const struct {
        HistoryPlaces places;
        const char* folder;  // "" for nowhere
    } cases[] = {
        {{"/run/user/1000", "/h/st", "/h", false}, "/run/user/1000"},
        {{"", "/h/st", "/h", true}, "/h/st"},
        {{"", "", "/h", false}, "/h/.local/state"},
        {{"", "", "/root", true}, "/run"},
        {{"run", "st", "/h", false}, "/h/.local/state"},  // relative values are invalid
        {{"", "", "", false}, ""},
    };
    for (const auto& c : cases) {
        const auto file = c.places.historyFile();
        EXPECT_EQ(file ? file->parent_path().parent_path().string() : "", c.folder)
            << c.places.runtimeDirectory << "|" << c.places.stateHome << "|" << c.places.home;
    }
}

TEST(RebuildHistory, LearnsTheRateAcrossChecksOfOneBootOnly) {
    sim::testing::TempWorld scratch;
    const auto file = scratch.dir() / "norvik-raid" / "progress.json";
    platform::ManualClock clock;
    int percent = 10;
    // One check per step of 1 % every 100 s; the last one's time left.
    const auto checks = [&](int count, const std::string& boot) {
        std::optional<long long> left;
        for (int i = 0; i < count; ++i) {
            clock.advance(platform::seconds(100));
            cli::VolumeReading volume;
            volume.progressPercent = ++percent;
            cli::EnclosureReading reading{{}, {cli::ControllerReading{0, {volume}, {}}}};
            EXPECT_EQ(RebuildHistory(file, boot).track(reading, clock.now()), "");
            left = reading.controllers[0].volumes[0].secondsRemaining;
        }
        return left;
    };
    const auto left = checks(4, "boot-a");
    EXPECT_EQ(left, 100 * (100 - percent));
    // Another boot's clock starts again: the earlier readings would give any rate.
    EXPECT_FALSE(checks(2, "boot-b"));
    EXPECT_TRUE(checks(2, "boot-b"));

    cli::VolumeReading volume;
    volume.progressPercent = 50;
    cli::EnclosureReading reading{{}, {cli::ControllerReading{0, {volume}, {}}}};
    EXPECT_NE(RebuildHistory(std::nullopt).track(reading, clock.now()), "") << "says why";
}

}  // namespace
