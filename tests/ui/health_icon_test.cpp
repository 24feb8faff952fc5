#include "ui/health_icon.h"

#include <gtest/gtest.h>

#include "tests/support/app_harness.h"

namespace {

struct IconCase {
    std::vector<MV_U8> statuses;  // one RAID set per entry, in order
    std::string icon;
};

class HealthIcon : public testing::TestWithParam<IconCase> {};

TEST_P(HealthIcon, FollowsTheLastSetWithAVerdict) {
    AppHarness h;
    auto& a = h.library->addAdapter();
    MV_U16 disk = 1;
    for (MV_U8 status : GetParam().statuses) {
        AppFakeLibrary::addDisk(a, disk);
        auto& v = AppFakeLibrary::addVolume(a, disk, MV_LD_MODE_RAID1, {disk});
        if (status == MarvellRAIDSet::kStatusRebuilding) {
            v.rebuilding = true;
        } else {
            v.status = status;
        }
        ++disk;
    }
    h.launchAndSettle();
    EXPECT_EQ(h.icon(), GetParam().icon);
    ASSERT_NE(h.ui.statusImage->image(), nullptr);
    EXPECT_FALSE(h.ui.statusImage->image()->isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Statuses,
                         HealthIcon,
                         testing::Values(IconCase{{}, kIconOk},
                                         IconCase{{0}, kIconOk},
                                         IconCase{{1}, kIconWarning},
                                         IconCase{{4}, kIconWrong},
                                         IconCase{{3}, kIconWrong},
                                         IconCase{{11}, kIconWrong},
                                         IconCase{{10}, kIconOk},
                                         IconCase{{7}, kIconOk},
                                         IconCase{{4, 1}, kIconWarning},
                                         IconCase{{1, 0}, kIconWarning},
                                         IconCase{{1, 4}, kIconWrong},
                                         IconCase{{4, 10, 0}, kIconWrong}));

TEST(HealthIconEdges, NoControllerIsWrong) {
    AppHarness h;
    h.launchAndSettle();
    EXPECT_EQ(h.icon(), kIconWrong);
}

TEST(HealthIconEdges, AnUnreadableSetLeavesTheVerdictUnchanged) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
        if (op == "MV_LD_GetStatus") {
            throw std::runtime_error("raised");
        }
        return std::nullopt;
    };
    h.launchAndSettle();
    EXPECT_EQ(h.icon(), kIconOk);
}

TEST(HealthIconEdges, TimerTicksDoNotChangeTheIcon) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.launchAndSettle();
    h.library->volumes(0)->status = MV_LD_STATUS_DEGRADE;
    h.advance(10);
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_DEGRADE");
    EXPECT_EQ(h.icon(), kIconOk);
    h.delegate->queueUpdateEvent(0);
    h.driver.runUntilIdle();
    EXPECT_EQ(h.icon(), kIconWarning);
}

TEST(HealthIconEdges, AMissingIconFileGivesAnEmptyImageNotAStaleOne) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("norvik-no-icons-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "strings");
    std::ofstream(dir / "strings" / "en.json") << "{}";
    AppHarness h;
    platform::Bundle empty(dir, "en");
    platform::Bundle::ScopedMainBundle scope(empty);
    h.launchAndSettle();
    ASSERT_NE(h.ui.statusImage->image(), nullptr);
    EXPECT_TRUE(h.ui.statusImage->image()->isEmpty());
    EXPECT_EQ(h.icon(), kIconWrong);
    std::filesystem::remove_all(dir);
}

}  // namespace
