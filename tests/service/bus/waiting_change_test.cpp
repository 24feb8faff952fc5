// A change waits for polkit without holding anyone up: reads are answered
// meanwhile, the change runs once polkit says yes, and not at all when its
// caller left the bus first. One caller cannot pile up calls without end.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "service/bus_service.h"
#include "service/remote_library.h"
#include "tests/service/bus_test_environment.h"
#include "tests/service/service_worlds.h"

namespace {

using namespace std::chrono_literals;

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void deleteTheVolume(sd_bus_message* call) {
    sd_bus_message_append(call, "yqy", 0, 1, 0);
}

class WaitingChange : public testing::Test {
  protected:
    WaitingChange() {
        polkit.allowConfiguring(true);
        polkit.holdChanges();
        service.start();
    }

    bustest::TestBus bus;
    bustest::PolkitMock polkit{bus};
    bustest::TemporaryWorld world{bustest::degradedWorld()};
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world.environment()}};
    const std::string before = contents(world.file());
};

TEST_F(WaitingChange, LeavesReadsAnsweredAndRunsOncePolkitSaysYes) {
    bustest::AsyncClient changer;
    changer.send("MV_LD_Delete", deleteTheVolume);
    ASSERT_TRUE(bustest::pollUntil([&] { return polkit.holdsChanges(); }));

    // A read that waited for the password would time out here.
    service::RemoteLibrary reader({.callTimeout = 1s});
    EXPECT_EQ(reader.MV_Adapter_GetCount(), 1);
    Adapter_Info info{};
    MV_U8 count = 0;
    EXPECT_EQ(reader.MV_Adapter_GetInfo(0, &count, &info), 0);
    EXPECT_EQ(contents(world.file()), before);

    polkit.releaseChanges();
    ASSERT_TRUE(changer.waitForAnswers(1));
    EXPECT_EQ(changer.answers()[0].error, "");
    EXPECT_EQ(changer.answers()[0].status, 0);
    EXPECT_NE(contents(world.file()), before);
}

TEST_F(WaitingChange, IsDroppedWhenItsCallerLeftBeforePolkitAnswered) {
    bustest::AsyncClient changer;
    changer.send("MV_LD_Delete", deleteTheVolume);
    ASSERT_TRUE(bustest::pollUntil([&] { return polkit.holdsChanges(); }));
    const std::string name = changer.uniqueName();
    changer.leave();
    ASSERT_TRUE(bus.waitForName(name.c_str(), false));

    polkit.releaseChanges();
    // Served after all that came before it: a change kept would have run by now.
    service::RemoteLibrary reader;
    EXPECT_EQ(reader.MV_Adapter_GetCount(), 1);
    EXPECT_EQ(contents(world.file()), before);
}

TEST_F(WaitingChange, RefusesACallerMoreCallsThanItMayHaveWaiting) {
    bustest::AsyncClient changer;
    const std::size_t allowed = service::BusService::kMostWaitingPerCaller;
    for (std::size_t i = 0; i <= allowed; ++i) {
        changer.send("MV_LD_Delete", deleteTheVolume);
    }
    ASSERT_TRUE(changer.waitForAnswers(1));
    EXPECT_EQ(changer.answers()[allowed].error, SD_BUS_ERROR_LIMITS_EXCEEDED);

    // Another caller is not counted against it.
    service::RemoteLibrary reader;
    EXPECT_EQ(reader.MV_Adapter_GetCount(), 1);

    // Those waiting are served, at the pace of a caller that pipelines.
    polkit.releaseChanges();
    ASSERT_TRUE(changer.waitForAnswers(3));
    EXPECT_EQ(changer.answers()[0].error, "");
    EXPECT_EQ(changer.answers()[0].status, 0) << "the first deletes the volume";
    EXPECT_EQ(changer.answers()[1].error, "");
    EXPECT_NE(changer.answers()[1].status, 0) << "the second finds it gone";
}

}  // namespace
