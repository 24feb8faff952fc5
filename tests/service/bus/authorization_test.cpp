// Changes need polkit's yes; reading needs nothing. A refused change gets
// AccessDenied and never reaches the library.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "service/remote_library.h"
#include "tests/service/bus_test_environment.h"
#include "tests/service/service_worlds.h"

namespace {

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Change {
    const char* name;
    std::function<MV_U8(ControllerLibrary&)> call;
};

const Change kChanges[] = {
    {"MV_Adapter_SetConfig",
     [](ControllerLibrary& l) {
         Adapter_Config config{};
         return l.MV_Adapter_SetConfig(0, &config);
     }},
    {"MV_LD_Create",
     [](ControllerLibrary& l) {
         Create_LD_Param param{};
         param.HDCount = 1;
         return l.MV_LD_Create(0, &param);
     }},
    {"MV_LD_Delete", [](ControllerLibrary& l) { return l.MV_LD_Delete(0, 1, 0); }},
    {"MV_PD_WipeHDMDD", [](ControllerLibrary& l) { return l.MV_PD_WipeHDMDD(0, 1, 0); }},
    {"MV_LD_StartRebuild", [](ControllerLibrary& l) { return l.MV_LD_StartRebuild(0, 1, 2); }},
    {"MV_LD_BGAControl",
     [](ControllerLibrary& l) { return l.MV_LD_BGAControl(0, 1, MV_BGA_CONTROL_CANCEL_REBUILD); }},
};

class Authorization : public testing::Test {
  protected:
    Authorization() { service.start(); }

    bustest::TestBus bus;
    bustest::PolkitMock polkit{bus};
    bustest::TemporaryWorld world{bustest::degradedWorld()};
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world.environment()}};
    service::RemoteLibrary remote;
};

TEST_F(Authorization, RefusedChangesAreAccessDeniedAndLeaveTheWorldAsItWas) {
    polkit.allowConfiguring(false);
    const std::string before = contents(world.file());
    for (const Change& change : kChanges) {
        try {
            change.call(remote);
            ADD_FAILURE() << change.name << " was not refused";
        } catch (const service::RemoteLibraryError& e) {
            EXPECT_EQ(e.name(), SD_BUS_ERROR_ACCESS_DENIED) << change.name;
        }
    }
    EXPECT_EQ(contents(world.file()), before);
    // Reading stays open to everyone.
    EXPECT_EQ(remote.MV_Adapter_GetCount(), 1);
    EXPECT_FALSE(remote.failingFast());
}

TEST_F(Authorization, AllowedChangesReachTheLibrary) {
    polkit.allowConfiguring(true);
    const std::string before = contents(world.file());
    EXPECT_EQ(remote.MV_LD_Delete(0, 1, 0), 0);
    EXPECT_NE(contents(world.file()), before);
    // The remote library lets polkit ask the user for a password.
    EXPECT_NE(polkit.log().find("\"org.norvik.RAIDUtility1.configure\" {} 1 \"\""),
              std::string::npos)
        << polkit.log();
}

TEST_F(Authorization, AsksForTheCallerByItsBusNameAndInteractivelyOnlyWhenTheCallerAllows) {
    polkit.allowConfiguring(false);
    const auto deleteVolume = [](sd_bus_message* m) { sd_bus_message_append(m, "yqy", 0, 1, 0); };
    EXPECT_EQ(bus.callService("MV_LD_Delete", deleteVolume, false).error,
              SD_BUS_ERROR_ACCESS_DENIED);
    EXPECT_EQ(bus.callService("MV_LD_Delete", deleteVolume, true).error,
              SD_BUS_ERROR_ACCESS_DENIED);
    const std::string log = polkit.log();
    const std::string subject = "dbus.String('" + bus.uniqueName() + "'";
    EXPECT_NE(log.find(subject), std::string::npos) << log;
    EXPECT_NE(log.find("\"org.norvik.RAIDUtility1.configure\" {} 0 \"\""), std::string::npos)
        << log;
    EXPECT_NE(log.find("\"org.norvik.RAIDUtility1.configure\" {} 1 \"\""), std::string::npos)
        << log;
}

TEST(AuthorizationWithoutPolkit, RefusesEveryChange) {
    bustest::TestBus bus;
    bustest::TemporaryWorld world{bustest::degradedWorld()};
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world.environment()}};
    service.start();
    service::RemoteLibrary remote;
    const std::string before = contents(world.file());
    EXPECT_THROW(remote.MV_LD_Delete(0, 1, 0), service::RemoteLibraryError);
    EXPECT_EQ(contents(world.file()), before);
}

}  // namespace
