// libmv_api.so as the application loads it: dlopen, then the C ABI only.
#include <gmock/gmock.h>

#include "sim/status.h"
#include "sim_test_support.h"

namespace sim::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr MV_U64 kDefaultKiB = 2'000'398'934'016ULL >> 10;  // 1,953,514,584

class LibrarySo : public ::testing::Test {
  protected:
    void run(std::vector<std::string> args) {
        auto result = command(world.file(), std::move(args));
        ASSERT_EQ(result.status, 0) << result.err;
    }

    TempWorld world;
    const SimApi& api = SimApi::get();
};

TEST_F(LibrarySo, DefaultWorldIsOneMirrorOverTwoDisks) {
    ASSERT_EQ(api.MV_API_Initialize(), 0);
    ASSERT_EQ(api.MV_API_RescanAdapter(), 0);
    ASSERT_EQ(api.MV_Adapter_GetCount(), 1);

    Adapter_Info info{};
    MV_U8 count = 0;
    ASSERT_EQ(api.MV_Adapter_GetInfo(0, &count, &info), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(info.VenID, 0x1B4B);
    EXPECT_EQ(info.DevID, 0x9230);
    EXPECT_EQ(info.SubVenID, 0x1B4B);
    EXPECT_EQ(info.SubDevID, 0x9230);
    EXPECT_EQ(info.PortCount, 2);
    EXPECT_NE(info.SerialNo[0], 0);
    EXPECT_NE(info.ModelNumber[0], 0);
    EXPECT_NE(api.MV_Adapter_GetInfo(1, &count, &info), 0);

    auto hds = disks(api);
    ASSERT_EQ(hds.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(hds[i].Link.Self.DevID, i + 1);
        EXPECT_EQ(hds[i].Size.value, kDefaultKiB);
        EXPECT_EQ(diskStatus(api, hds[i].Link.Self.DevID), MV_HD_STATUS_ASSIGNED);
    }

    auto lds = logicalDisks(api);
    ASSERT_EQ(lds.size(), 1u);
    EXPECT_EQ(lds[0].RaidMode, MV_LD_MODE_RAID1);
    EXPECT_EQ(lds[0].HDCount, 2);
    EXPECT_EQ(lds[0].Size.value, kDefaultKiB);
    EXPECT_STREQ(reinterpret_cast<const char*>(lds[0].Name), "Norvik Duo");
    EXPECT_THAT(memberDisks(api, lds[0]), ElementsAre(1, 2));
    MV_U8 rc = 0xEE;
    LD_Status status = ldStatus(api, lds[0].ID, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(status.Status, MV_LD_STATUS_FUNCTIONAL);
    EXPECT_EQ(status.Flags & MV_LD_FLAG_REBUILDING, 0);
    EXPECT_EQ(api.MV_API_Finalize(), 0);
    EXPECT_EQ(std::filesystem::status(world.file().parent_path()).permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
}

TEST_F(LibrarySo, PulledMirrorDiskDegradesAndABlankOneIsFree) {
    run({"auto-rebuild", "off"});
    run({"pull", "1"});
    auto lds = logicalDisks(api);
    ASSERT_EQ(lds.size(), 1u);
    EXPECT_EQ(ldStatus(api, lds[0].ID).Status, MV_LD_STATUS_DEGRADE);
    EXPECT_THAT(memberDisks(api, lds[0]), ElementsAre(1));
    ASSERT_EQ(disks(api).size(), 1u);

    run({"insert", "1"});
    ASSERT_EQ(disks(api).size(), 2u);
    EXPECT_EQ(diskStatus(api, 2), MV_HD_STATUS_FREE);
    EXPECT_EQ(ldStatus(api, lds[0].ID).Status, MV_LD_STATUS_DEGRADE);
}

TEST_F(LibrarySo, RebuildRunsWithGrowingProgressThenTheMirrorIsFunctional) {
    run({"auto-rebuild", "off"});
    run({"pull", "0"});
    run({"insert", "0"});
    const MV_U16 ld = logicalDisks(api)[0].ID;

    // As the application rebuilds: wipe the target, then start.
    EXPECT_EQ(api.MV_PD_WipeHDMDD(0, 1, 0), 0);
    ASSERT_EQ(api.MV_LD_StartRebuild(0, ld, 1), 0);
    LD_Status first = ldStatus(api, ld);
    EXPECT_EQ(first.Flags & MV_LD_FLAG_REBUILDING, MV_LD_FLAG_REBUILDING);
    EXPECT_EQ(first.Status, MV_LD_STATUS_DEGRADE);
    EXPECT_LT(first.Percentage, 5);
    EXPECT_EQ(diskStatus(api, 1), MV_HD_STATUS_ASSIGNED);
    EXPECT_THAT(memberDisks(api, logicalDisks(api)[0]), ElementsAre(1, 2));
    EXPECT_NE(api.MV_LD_StartRebuild(0, ld, 1), 0) << "a second rebuild of the same set";

    run({"advance", "60"});  // half of the default 120 s
    LD_Status half = ldStatus(api, ld);
    EXPECT_EQ(half.Flags & MV_LD_FLAG_REBUILDING, MV_LD_FLAG_REBUILDING);
    EXPECT_GE(half.Percentage, 50);
    EXPECT_LT(half.Percentage, 60);

    run({"advance", "61"});
    LD_Status done = ldStatus(api, ld);
    EXPECT_EQ(done.Flags & MV_LD_FLAG_REBUILDING, 0);
    EXPECT_EQ(done.Status, MV_LD_STATUS_FUNCTIONAL);
}

TEST_F(LibrarySo, InsertingABlankDiskBesideADegradedMirrorStartsItsRebuild) {
    run({"pull", "1"});
    run({"insert", "1"});
    const MV_U16 ld = logicalDisks(api)[0].ID;
    EXPECT_EQ(ldStatus(api, ld).Flags & MV_LD_FLAG_REBUILDING, MV_LD_FLAG_REBUILDING);
}

TEST_F(LibrarySo, CancelledRebuildLeavesTheMirrorDegradedAndTheDiskFree) {
    run({"pull", "1"});
    run({"insert", "1"});
    const MV_U16 ld = logicalDisks(api)[0].ID;
    ASSERT_EQ(ldStatus(api, ld).Flags & MV_LD_FLAG_REBUILDING, MV_LD_FLAG_REBUILDING);

    EXPECT_NE(api.MV_LD_BGAControl(0, ld, 3), 0) << "only code 4 cancels";
    EXPECT_EQ(api.MV_LD_BGAControl(0, ld, MV_BGA_CONTROL_CANCEL_REBUILD), 0);
    LD_Status after = ldStatus(api, ld);
    EXPECT_EQ(after.Flags & MV_LD_FLAG_REBUILDING, 0);
    EXPECT_EQ(after.Status, MV_LD_STATUS_DEGRADE);
    EXPECT_EQ(diskStatus(api, 2), MV_HD_STATUS_FREE);
    EXPECT_NE(api.MV_LD_BGAControl(0, ld, MV_BGA_CONTROL_CANCEL_REBUILD), 0)
        << "nothing left to cancel";
}

TEST_F(LibrarySo, StripeCreatedWithTheDisksSizesGoesOfflineWhenADiskIsPulled) {
    run({"reset", "--layout", "individual"});
    run({"pull", "1"});
    run({"insert", "1", "--size", "3000592982016"});
    ASSERT_TRUE(logicalDisks(api).empty());

    // As the application sizes a stripe: the sum of its disks.
    Create_LD_Param p =
        createParam(MV_LD_MODE_RAID0, {1, 2}, 1'953'514'584ULL + 2'930'266'584ULL, "Stripe");
    ASSERT_EQ(api.MV_LD_Create(0, &p), 0);
    auto lds = logicalDisks(api);
    ASSERT_EQ(lds.size(), 1u);
    EXPECT_EQ(lds[0].RaidMode, MV_LD_MODE_RAID0);
    EXPECT_EQ(lds[0].Size.value, 4'883'781'168ULL);
    EXPECT_STREQ(reinterpret_cast<const char*>(lds[0].Name), "Stripe");
    EXPECT_THAT(memberDisks(api, lds[0]), ElementsAre(1, 2));
    EXPECT_EQ(ldStatus(api, lds[0].ID).Status, MV_LD_STATUS_FUNCTIONAL);
    EXPECT_EQ(diskStatus(api, 1), MV_HD_STATUS_ASSIGNED);

    run({"pull", "0"});
    EXPECT_EQ(ldStatus(api, lds[0].ID).Status, MV_LD_STATUS_OFFLINE);
}

TEST_F(LibrarySo, UnpluggedEnclosureHasNoAdapter) {
    ASSERT_EQ(api.MV_Adapter_GetCount(), 1);
    run({"unplug"});
    EXPECT_EQ(api.MV_Adapter_GetCount(), 0);
    Adapter_Info info{};
    MV_U8 count = 0;
    EXPECT_NE(api.MV_Adapter_GetInfo(0, &count, &info), 0);
    run({"plug"});
    EXPECT_EQ(api.MV_Adapter_GetCount(), 1);
}

TEST_F(LibrarySo, FaultReturnsItsStatusForItsCallsThenWearsOff) {
    run({"fault", "MV_LD_GetStatus", "--status", "5", "--times", "2"});
    MV_U8 rc = 0;
    ldStatus(api, 1, &rc);
    EXPECT_EQ(rc, 5);
    ldStatus(api, 1, &rc);
    EXPECT_EQ(rc, 5);
    ldStatus(api, 1, &rc);
    EXPECT_EQ(rc, 0);
}

TEST_F(LibrarySo, ThrowFaultRaisesAStdExceptionThroughTheCAbi) {
    run({"fault", "MV_Adapter_GetCount", "--throw"});
    EXPECT_THROW(api.MV_Adapter_GetCount(), std::exception);
    EXPECT_EQ(api.MV_Adapter_GetCount(), 1);
}

TEST_F(LibrarySo, CorruptWorldFailsEveryCallAndStaysUntilReset) {
    ASSERT_EQ(api.MV_API_Initialize(), 0);
    const std::string garbage = "{ \"format\": 1, \"enclosures\": [ oops";
    world.write(garbage);

    EXPECT_EQ(api.MV_Adapter_GetCount(), 0);
    EXPECT_NE(api.MV_API_Initialize(), 0);
    EXPECT_NE(api.MV_API_RescanAdapter(), 0);
    EXPECT_NE(api.MV_API_Finalize(), 0);
    Adapter_Info info{};
    Adapter_Config config{};
    MV_U8 count = 0;
    EXPECT_NE(api.MV_Adapter_GetInfo(0, &count, &info), 0);
    EXPECT_NE(api.MV_Adapter_GetConfig(0, &count, &config), 0);
    EXPECT_NE(api.MV_Adapter_SetConfig(0, &config), 0);
    HD_Info hd{};
    LD_Info ld{};
    HD_RAID_Status hs{};
    LD_Status ls{};
    Block_Info block{};
    HD_Block_Info list{};
    EXPECT_NE(request(api.MV_PD_GetHDInfo_Ext, 0, MV_REQUEST_ENUMERATE, 0, hd), 0);
    EXPECT_NE(request(api.MV_LD_GetInfo, 0, MV_REQUEST_ENUMERATE, 0, ld), 0);
    EXPECT_NE(request(api.MV_PD_GetHDRaidStatus, 0, MV_REQUEST_BY_ID, 1, hs), 0);
    EXPECT_NE(request(api.MV_LD_GetStatus, 0, MV_REQUEST_BY_ID, 1, ls), 0);
    EXPECT_NE(request(api.MV_BLK_GetInfo, 0, MV_REQUEST_BY_ID, 1, block), 0);
    EXPECT_NE(request(api.MV_BLK_GetHDBlock, 0, MV_REQUEST_BY_ID, 1, list), 0);
    Create_LD_Param p = createParam(MV_LD_MODE_RAID1, {1, 2}, 1000);
    EXPECT_NE(api.MV_LD_Create(0, &p), 0);
    EXPECT_NE(api.MV_LD_Delete(0, 1, 1), 0);
    EXPECT_NE(api.MV_PD_WipeHDMDD(0, 1, 0), 0);
    EXPECT_NE(api.MV_LD_StartRebuild(0, 1, 2), 0);
    EXPECT_NE(api.MV_LD_BGAControl(0, 1, 4), 0);

    auto pulled = command(world.file(), {"pull", "0"});
    EXPECT_EQ(pulled.status, kCommandFailed);
    EXPECT_THAT(pulled.err, HasSubstr(world.file().string()));
    EXPECT_EQ(command(world.file(), {"status"}).status, kCommandFailed);
    EXPECT_EQ(world.contents(), garbage);

    run({"reset"});
    EXPECT_EQ(api.MV_Adapter_GetCount(), 1);
    EXPECT_EQ(logicalDisks(api).size(), 1u);
}

}  // namespace
}  // namespace sim::testing
