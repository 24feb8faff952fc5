// Every read the model makes, failing with a status and with an exception,
// in process and through norvik-raidd, while the mirror really has lost the
// disk in slot 1: the window's icon and tooltip, `status`, the monitor's
// events and the textfile each say what could be told, none says healthy,
// and none names the surviving disk in slot 0 as the one to replace.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>

#include "cli/command_line.h"
#include "cli/monitor.h"
#include "cli/textfile_export.h"
#include "service/remote_library.h"
#include "sim/enclosure_rules.h"
#include "sim/simulated_library.h"
#include "tests/service/bus_test_environment.h"
#include "tests/service/service_worlds.h"
#include "tests/support/app_harness.h"
#include "ui/health_icon.h"

namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using testing::HasSubstr;
using testing::Not;

struct FailingRead {
    const char* operation;
    const char* state;       // what the verdict can still tell
    const char* windowSays;  // the icon's tooltip
    const char* event;       // the monitor's event about the volume, or the service
};

struct Case {
    FailingRead read;
    bool raises;
    bool throughService;
};

std::string nameOf(const Case& c) {
    return std::string(c.read.operation) + (c.raises ? "_Raises" : "_Fails") +
           (c.throughService ? "_ThroughTheService" : "_InProcess");
}
std::string caseName(const testing::TestParamInfo<Case>& info) {
    return nameOf(info.param);
}
void PrintTo(const Case& c, std::ostream* out) {
    *out << nameOf(c);
}

class FailedRead : public testing::TestWithParam<Case> {
  protected:
    FailedRead() {
        if (GetParam().throughService) {
            service_.emplace(bus_, NORVIK_SIM_LIBRARY,
                             std::vector<std::string>{world_.environment()});
            service_->start();
            library_ = std::make_shared<service::RemoteLibrary>();
        } else {
            library_ = std::make_shared<sim::SimulatedLibrary>(store_, h_.driver.clock());
        }
        ::setenv("XDG_RUNTIME_DIR", world_.file().parent_path().c_str(), 1);
    }
    ~FailedRead() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    // The disk in slot 1 goes, and from now on the read fails every time.
    void loseSlotOneWhileTheReadFails() {
        store_->update([&](sim::World& w) {
            sim::pullDisk(w.enclosures.at(0), 1);
            w.faults.push_back({GetParam().read.operation, GetParam().raises, 1, 100000});
            return true;
        });
    }

    // norvik-raid status --json, as a monitoring system runs it.
    json status(int& exitStatus) {
        std::vector<std::string> args{"status", "--json"};
        if (!GetParam().throughService) {
            ::setenv("NORVIK_SIM_WORLD", world_.file().c_str(), 1);
            args.push_back("--simulator");
        }
        std::ostringstream out, err;
        exitStatus = cli::runCommandLine(args, out, err);
        ::unsetenv("NORVIK_SIM_WORLD");
        return json::parse(out.str());
    }

    bustest::TestBus bus_;
    bustest::PolkitMock polkit_{bus_};
    bustest::TemporaryWorld world_{bustest::defaultWorld()};
    std::shared_ptr<sim::WorldStore> store_ = std::make_shared<sim::WorldStore>(world_.file());
    std::optional<bustest::ServiceProcess> service_;
    AppHarness h_;
    std::shared_ptr<ControllerLibrary> library_;
};

TEST_P(FailedRead, NothingSaysHealthyOrNamesTheSurvivingDisk) {
    const FailingRead& read = GetParam().read;
    ScopedControllerLibrary bound(library_);
    h_.launchAndSettle();
    ASSERT_EQ(h_.icon(), kIconOk);
    auto monitor = cli::Monitor::create(h_.driver.runLoop(), 60s);
    std::vector<std::string> events;
    monitor->onEvent([&](const cli::Event& e) {
        events.push_back(std::string(cli::eventName(e.kind)) + " " + e.subject + " | " + e.detail);
    });
    ASSERT_EQ(monitor->readNow(), Health::Ok);
    ASSERT_TRUE(events.empty());

    loseSlotOneWhileTheReadFails();

    // The window, at the rescan a plug event asks for.
    h_.delegate->refresh().queueRescanEvent();
    h_.advance(RefreshScheduler::kRescanDelay);
    EXPECT_NE(h_.icon(), kIconOk);
    EXPECT_EQ(h_.ui.statusImage->toolTip(), read.windowSays);

    // The monitor's next reading, and the textfile it writes.
    EXPECT_EQ(healthKeyword(monitor->readNow()), std::string(read.state));
    EXPECT_THAT(events, testing::Contains(HasSubstr(read.event)));
    for (const std::string& e : events) {
        EXPECT_THAT(e, Not(HasSubstr("volume-healthy")));
        EXPECT_THAT(e, Not(HasSubstr("slot 0")));
    }
    const std::string prom = cli::promText(*monitor->lastReading());
    EXPECT_THAT(prom, HasSubstr(std::string("norvik_raid_state{state=\"") + read.state + "\"} 1"));
    EXPECT_THAT(prom, HasSubstr("norvik_raid_state{state=\"ok\"} 0"));

    // norvik-raid status.
    int exitStatus = -1;
    const json doc = status(exitStatus);
    EXPECT_EQ(doc["state"], read.state);
    EXPECT_NE(exitStatus, 0);
    EXPECT_EQ(exitStatus, std::string(read.state) == "degraded" ? 2 : 3);
    for (const json& reason : doc["reasons"]) {
        if (reason["reason"] == "volume-degraded") {
            EXPECT_NE(reason["slot"], 0) << reason.dump();
        }
    }
}

const FailingRead kReads[] = {
    {"MV_Adapter_GetInfo", "unknown", "FINDING_CONTROLLERS_UNREADABLE", "service-unavailable"},
    {"MV_LD_GetInfo", "unknown", "FINDING_VOLUME_LIST_UNREADABLE", "volume-unknown"},
    {"MV_LD_GetStatus", "unknown", "FINDING_VOLUME_STATUS_UNREADABLE", "volume-unknown"},
    {"MV_PD_GetHDInfo_Ext", "degraded", "FINDING_VOLUME_DEGRADED", "volume-degraded"},
    // The survivor's own status cannot be read: it is not the disk to replace.
    {"MV_PD_GetHDRaidStatus", "degraded", "FINDING_VOLUME_DEGRADED",
     "volume-degraded Norvik Duo | slot 1"},
    {"MV_BLK_GetInfo", "degraded", "FINDING_VOLUME_DEGRADED", "volume-degraded"},
};

std::vector<Case> everyCase() {
    std::vector<Case> cases;
    for (const FailingRead& read : kReads) {
        for (const bool raises : {false, true}) {
            for (const bool throughService : {false, true}) {
                cases.push_back({read, raises, throughService});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Reads, FailedRead, testing::ValuesIn(everyCase()), caseName);

// A service that stops answering is no enclosure unplugged; once it is back
// the monitor's next reading tells the volume is healthy again.
TEST(MonitorOverService, AGoneServiceIsUnavailableNotRemovedAndRecoversAtTheNextReading) {
    bustest::TestBus bus;
    bustest::PolkitMock polkit{bus};
    bustest::TemporaryWorld world{bustest::defaultWorld()};
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world.environment()}};
    service.start();
    platform::VirtualTimeDriver driver;
    ScopedControllerLibrary bound(std::make_shared<service::RemoteLibrary>());
    auto monitor = cli::Monitor::create(driver.runLoop(), 60s);
    std::vector<std::string> events;
    monitor->onEvent([&](const cli::Event& e) {
        events.push_back(std::string(cli::eventName(e.kind)) + " " + e.subject);
    });
    ASSERT_EQ(monitor->readNow(), Health::Ok);

    service.kill();
    EXPECT_EQ(monitor->readNow(), Health::Unknown);
    EXPECT_EQ(monitor->readNow(), Health::Unknown);
    EXPECT_THAT(events, testing::ElementsAre("service-unavailable controller-library"));

    service.start();
    EXPECT_EQ(monitor->readNow(), Health::Ok);
    EXPECT_THAT(events, testing::ElementsAre("service-unavailable controller-library",
                                             "volume-healthy Norvik Duo"));
}

}  // namespace
