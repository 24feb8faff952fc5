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

TEST_P(HealthIcon, TheWorstSetDecides) {
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

// 3, 4 and 11 are failed sets, 1 a degraded one, a rebuild is fine; a code
// without a meaning, or no disk at all, is no reason to show all is well.
INSTANTIATE_TEST_SUITE_P(
    Statuses,
    HealthIcon,
    testing::Values(IconCase{{}, kIconWarning, "FINDING_NO_DISKS"},
                    IconCase{{0}, kIconOk, "HEALTH_OK"},
                    IconCase{{1}, kIconWarning, "FINDING_VOLUME_DEGRADED"},
                    IconCase{{4}, kIconWrong, "FINDING_VOLUME_FAILED"},
                    IconCase{{3}, kIconWrong, "FINDING_VOLUME_FAILED"},
                    IconCase{{11}, kIconWrong, "FINDING_VOLUME_FAILED"},
                    IconCase{{10}, kIconOk, "FINDING_VOLUME_REBUILDING"},
                    IconCase{{7}, kIconWarning, "FINDING_VOLUME_STATUS_UNNAMED"},
                    IconCase{{255}, kIconWarning, "FINDING_VOLUME_STATUS_UNNAMED"},
                    IconCase{{4, 255}, kIconWrong, "FINDING_VOLUME_FAILED"},
                    IconCase{{255, 0, 10}, kIconWarning, "FINDING_VOLUME_STATUS_UNNAMED"},
                    IconCase{{4, 1}, kIconWrong, "FINDING_VOLUME_FAILED"},
                    IconCase{{1, 0}, kIconWarning, "FINDING_VOLUME_DEGRADED"},
                    IconCase{{1, 4}, kIconWrong, "FINDING_VOLUME_FAILED"},
                    IconCase{{10, 1}, kIconWarning, "FINDING_VOLUME_DEGRADED"},
                    IconCase{{4, 10, 0}, kIconWrong, "FINDING_VOLUME_FAILED"}));

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
    EXPECT_EQ(h.ui.statusImage->toolTip(), "FINDING_VOLUME_STATUS_UNREADABLE");
}

// A mirror that degrades without a plug event must not stay green.
TEST(HealthIconEdges, EveryRefreshTickJudgesTheHealthAfresh) {
    AppHarness h;
    h.enclosureWithVolume(MV_LD_MODE_RAID1);
    h.launchAndSettle();
    ASSERT_EQ(h.icon(), kIconOk);
    h.library->volumes(0)->status = MV_LD_STATUS_DEGRADE;
    h.advance(10);
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_DEGRADE");
    EXPECT_EQ(h.icon(), kIconWarning);
    EXPECT_EQ(h.ui.statusImage->toolTip(), "FINDING_VOLUME_DEGRADED");
    h.library->volumes(0)->status = MV_LD_STATUS_FUNCTIONAL;
    h.advance(10);
    EXPECT_EQ(h.icon(), kIconOk);
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
