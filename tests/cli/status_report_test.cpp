// What `status` prints for readings no simulated enclosure gives easily: a
// name with control characters, two enclosures, reads that failed.
#include "cli/status_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/mv_api.h"
#include "platform/controls/bundle.h"

namespace {

using testing::HasSubstr;
using testing::Not;

VolumeReading volume(std::string name, std::optional<int> status) {
    VolumeReading v;
    v.id = 1;
    v.name = std::move(name);
    v.status = status;
    v.statusText = "status";
    v.memberSlots = {0, 1};
    return v;
}

ControllerReading controller(int adapter, std::vector<VolumeReading> volumes) {
    ControllerReading c;
    c.adapter = adapter;
    c.volumes = std::move(volumes);
    for (int slot : {0, 1}) {
        DiskReading d;
        d.slot = slot;
        d.status = MV_HD_STATUS_ASSIGNED;
        d.model = "M";
        d.serial = "S";
        c.disks.push_back(d);
    }
    return c;
}

class StatusReport : public testing::Test {
  protected:
    platform::Bundle strings_{NORVIK_RESOURCES_DIR, "en"};
    platform::Bundle::ScopedMainBundle scope_{strings_};
};

// Every text output, each line escaped: the name cannot clear the screen or
// start a line of its own.
TEST_F(StatusReport, NamesWithControlCharactersAreEscapedInEveryTextOutput) {
    EnclosureReading r;
    r.controllers = {controller(0, {volume("Duo\x1b[2J\nOK - all fine|x", 1)})};
    const Verdict verdict = judgeEnclosure(r);
    const std::string text = cli::statusText(r, verdict);
    const std::string nagios = cli::nagiosLine(r, verdict);
    for (const std::string& out : {text, nagios}) {
        EXPECT_THAT(out, Not(HasSubstr("\x1b"))) << out;
        EXPECT_THAT(out, HasSubstr("Duo\\x1B[2J\\x0AOK - all fine")) << out;
    }
    EXPECT_EQ(std::count(nagios.begin(), nagios.end(), '\n'), 1);
    EXPECT_EQ(std::count(nagios.begin(), nagios.end(), '|'), 1);
    EXPECT_THAT(nagios, testing::StartsWith("NORVIK RAID CRITICAL - "));
}

struct Seen {
    const char* what;
    EnclosureReading reading;
    const char* nagios;  // the plugin line's summary
};

EnclosureReading two(std::optional<int> first, std::optional<int> second) {
    EnclosureReading r;
    r.controllers = {controller(0, {volume("A", first)}), controller(1, {volume("B", second)})};
    return r;
}

EnclosureReading volumesUnread() {
    EnclosureReading r;
    r.controllers = {controller(0, {})};
    r.controllers[0].volumesRead = false;
    r.controllers[0].disks.pop_back();
    return r;
}

class NagiosSummary : public StatusReport, public testing::WithParamInterface<Seen> {};

TEST_P(NagiosSummary, SaysWhatIsWrongAndWhere) {
    const std::string line =
        cli::nagiosLine(GetParam().reading, judgeEnclosure(GetParam().reading));
    EXPECT_EQ(line.substr(0, line.find(" |")), GetParam().nagios);
}

INSTANTIATE_TEST_SUITE_P(
    Readings,
    NagiosSummary,
    testing::Values(
        Seen{"volumeListUnread", volumesUnread(),
             "NORVIK RAID UNKNOWN - 0 volumes, 1 disk; volume list unreadable"},
        Seen{"secondEnclosureDegraded", two(0, 1),
             "NORVIK RAID CRITICAL - 2 volumes, 4 disks; controller 1: B degraded"},
        Seen{"firstUnreadSecondFailed", two(std::nullopt, 4),
             "NORVIK RAID CRITICAL - 2 volumes, 4 disks; controller 1: B offline; controller 0: "
             "A status unreadable"},
        Seen{"nothingSeen", EnclosureReading{}, "NORVIK RAID UNKNOWN - no enclosure found"}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
