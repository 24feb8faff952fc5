#include "ui/health_icon.h"

#include <gtest/gtest.h>

#include "tests/support/app_harness.h"

namespace {

struct IconCase {
    std::vector<MV_U8> statuses;  // one RAID set per entry, in order
    std::string icon;
    std::string saying;  // the tooltip: the verdict's string-table key
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
    EXPECT_EQ(h.ui.statusImage->toolTip(), GetParam().saying);
    ASSERT_NE(h.ui.statusImage->image(), nullptr);
    EXPECT_FALSE(h.ui.statusImage->image()->isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Statuses,
    HealthIcon,
    testing::Values(IconCase{{}, kIconOk, "HEALTH_OK"},
                    IconCase{{0}, kIconOk, "HEALTH_OK"},
                    IconCase{{1}, kIconWarning, "HEALTH_DEGRADED"},
                    IconCase{{4}, kIconWrong, "HEALTH_FAILED"},
                    IconCase{{3}, kIconWrong, "HEALTH_FAILED"},
                    IconCase{{11}, kIconWrong, "HEALTH_FAILED"},
                    IconCase{{10}, kIconOk, "HEALTH_OK"},
                    IconCase{{7}, kIconOk, "HEALTH_OK"},
                    IconCase{{255}, kIconWarning, "HEALTH_NOT_ANSWERING"},
                    IconCase{{4, 255}, kIconWarning, "HEALTH_NOT_ANSWERING"},
                    IconCase{{255, 0, 10}, kIconWarning, "HEALTH_NOT_ANSWERING"},
                    IconCase{{4, 1}, kIconWarning, "HEALTH_DEGRADED"},
                    IconCase{{1, 0}, kIconWarning, "HEALTH_DEGRADED"},
                    IconCase{{1, 4}, kIconWrong, "HEALTH_FAILED"},
                    IconCase{{4, 10, 0}, kIconWrong, "HEALTH_FAILED"}));
;

TEST(HealthIconEdges, NoControllerIsWrong) {
    AppHarness h;
    h.launchAndSettle();
    EXPECT_EQ(h.icon(), kIconWrong);
    EXPECT_EQ(h.ui.statusImage->toolTip(), "HEALTH_NO_ENCLOSURE");
}

// A controller that stops answering must not show the ok icon.
TEST(HealthIconEdges, ASetWhoseStatusCannotBeReadWarns) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.library->fault = [](const std::string& op) -> std::optional<MV_U8> {
        if (op == "MV_LD_GetStatus") {
            throw std::runtime_error("raised");
        }
        return std::nullopt;
    };
    h.launchAndSettle();
    EXPECT_EQ(h.icon(), kIconWarning);
    EXPECT_EQ(h.ui.statusImage->toolTip(), "HEALTH_NOT_ANSWERING");
}

TEST(HealthIconEdges, TimerTicksDoNotChangeTheIcon) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.launchAndSettle();
    h.library->volumes(0)->status = MV_LD_STATUS_DEGRADE;
    h.advance(10);
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_DEGRADE");
    EXPECT_EQ(h.icon(), kIconOk);
    h.delegate->refresh().queueUpdateEvent(0);
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
