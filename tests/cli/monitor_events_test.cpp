// The monitor's events over a run of readings: each follows a change of the
// verdict, what could not be read is told as such and never as something
// gone, and healthy follows only a problem told before.
#include "cli/monitor_events.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/event_line.h"
#include "model/mv_api.h"
#include "tests/support/readings.h"

namespace {

using readings::controller;
using readings::disk;
using readings::mirror;
using readings::reading;

EnclosureReading healthy() {
    return reading({controller({mirror(0)})});
}
EnclosureReading degradedSlotOneGone() {
    return reading({controller({mirror(1, {0})}, {disk(0)})});
}
EnclosureReading listUnread(bool volumes, bool disks) {
    ControllerReading c = controller({}, {});
    c.volumesRead = !volumes;
    c.disksRead = !disks;
    if (!volumes) {
        c.volumes = {mirror(0)};
    }
    if (!disks) {
        c.disks = {disk(0), disk(1)};
    }
    return reading({c});
}
EnclosureReading withVolume(std::optional<int> status) {
    return reading({controller({mirror(status)})});
}
EnclosureReading serviceGone() {
    return reading({}, false);
}
EnclosureReading twoControllers(int secondStatus) {
    return reading(
        {controller({mirror(0)}), controller({mirror(secondStatus)}, {disk(0), disk(1)}, 1)});
}

struct Run {
    const char* what;
    std::vector<EnclosureReading> readings;
    // The events of each reading after the first, in order.
    std::vector<std::vector<std::string>> events;
};

class MonitorEvents : public testing::TestWithParam<Run> {};

TEST_P(MonitorEvents, FollowTheVerdict) {
    std::optional<EnclosureReading> last;
    std::vector<std::vector<std::string>> told;
    for (const EnclosureReading& now : GetParam().readings) {
        std::vector<std::string> lines;
        for (const cli::Event& e : cli::changesBetween(last, now)) {
            lines.push_back(cli::eventLine(e));
        }
        told.push_back(lines);
        last = cli::carriedForward(last, now);
    }
    EXPECT_EQ(told, GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    Runs,
    MonitorEvents,
    testing::Values(
        Run{"healthyStartSaysNothing", {healthy(), healthy()}, {{}, {}}},
        Run{"unknownAtStartThenHealthy",
            {withVolume(std::nullopt), healthy()},
            {{"volume-unknown Duo volume-status-unreadable"}, {"volume-healthy Duo"}}},
        Run{"anUnnamedCodeIsUnknownOnce",
            {healthy(), withVolume(7), withVolume(std::nullopt), healthy()},
            {{}, {"volume-unknown Duo volume-status-unknown"}, {}, {"volume-healthy Duo"}}},
        Run{"failedCodesAreOffline",
            {healthy(), withVolume(3), withVolume(11), withVolume(4)},
            {{}, {"volume-offline Duo"}, {}, {}}},
        Run{"anUnreadVolumeListKeepsTheVolumeAsUnknown",
            {healthy(), listUnread(true, false), listUnread(true, false), healthy()},
            {{}, {"volume-unknown Duo volume-list-unreadable"}, {}, {"volume-healthy Duo"}}},
        Run{"anUnreadListAtStartNamesTheController",
            {listUnread(true, false), healthy()},
            {{"volume-unknown controller0 volume-list-unreadable"}, {"volume-healthy Duo"}}},
        Run{"anUnreadDiskListRemovesNoDisk",
            {healthy(), listUnread(false, true), healthy()},
            {{}, {}, {}}},
        Run{"theDiskGoneIsTheOneToReplace",
            {healthy(), degradedSlotOneGone()},
            {{},
             {"disk-removed controller0:slot1 slot 1, M, serial S1",
              "volume-degraded Duo slot 1, M, serial S1"}}},
        Run{"theServiceGoneIsNoEnclosureGone",
            {healthy(), serviceGone(), serviceGone(), healthy()},
            {{}, {"service-unavailable controller-library"}, {}, {"volume-healthy Duo"}}},
        Run{"twoControllersNameTheirVolumes",
            {twoControllers(0), twoControllers(1)},
            {{}, {"volume-degraded controller1:Duo"}}}),
    [](const auto& info) { return std::string(info.param.what); });

// A name from hardware cannot end the event line and forge another.
TEST(EventLine, EscapesControlCharactersOfNamesAndDetails) {
    cli::Event e;
    e.kind = cli::EventKind::VolumeDegraded;
    e.subject = "Duo\nvolume-healthy Duo";
    e.detail = "slot 1, \x1b[2J, serial S";
    EXPECT_EQ(cli::eventLine(e),
              "volume-degraded Duo\\x0Avolume-healthy Duo slot 1, \\x1B[2J, serial S");
    EXPECT_THAT(cli::eventWords(e),
                testing::ElementsAre("volume-degraded", "Duo\\x0Avolume-healthy Duo",
                                     "slot 1, \\x1B[2J, serial S"));
}

}  // namespace
