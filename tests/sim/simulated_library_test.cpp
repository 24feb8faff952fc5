// The controller's rules through the in-process library, on virtual time.
#include "sim/simulated_library.h"

#include <gmock/gmock.h>

#include "sim_test_support.h"

namespace sim::testing {
namespace {

using ::testing::ElementsAre;

class InProcess : public ::testing::Test {
  protected:
    void run(std::vector<std::string> args) {
        auto result = command(world.file(), std::move(args), clock);
        ASSERT_EQ(result.status, 0) << result.err;
    }
    template <class Record>
    MV_U8 ask(MV_U8 (SimulatedLibrary::*call)(MV_U8, void*),
              MV_U8 kind,
              MV_U16 key,
              Record& record,
              MV_U16* next = nullptr,
              MV_U16 number = 1) {
        unsigned char buffer[sizeof(RequestHeader) + sizeof(Record)] = {};
        RequestHeader header{};
        header.RequestType = kind;
        header.StartingIndexOrID = key;
        header.NumberRequested = number;
        std::memcpy(buffer, &header, sizeof header);
        const MV_U8 status = (library.*call)(0, buffer);
        std::memcpy(&header, buffer, sizeof header);
        std::memcpy(&record, buffer + sizeof header, sizeof record);
        if (next) {
            *next = header.NextStartingIndex;
        }
        return status;
    }
    LD_Status status(MV_U16 ld) {
        LD_Status s{};
        EXPECT_EQ(ask(&SimulatedLibrary::MV_LD_GetStatus, MV_REQUEST_BY_ID, ld, s), 0);
        return s;
    }
    MV_U8 diskBits(MV_U16 hdid) {
        HD_RAID_Status s{};
        EXPECT_EQ(ask(&SimulatedLibrary::MV_PD_GetHDRaidStatus, MV_REQUEST_BY_ID, hdid, s), 0);
        return s.Status;
    }

    TempWorld world;
    platform::ManualClock clock{platform::TimePoint{} + std::chrono::hours(5)};
    SimulatedLibrary library{std::make_shared<WorldStore>(world.file()), clock};
};

TEST_F(InProcess, RebuildProgressFollowsTheClockAndItsConfiguredDuration) {
    run({"pull", "1"});
    run({"insert", "1"});  // auto-rebuild is on
    EXPECT_EQ(status(1).Percentage, 0);
    EXPECT_EQ(status(1).Flags, MV_LD_FLAG_REBUILDING);

    clock.advance(platform::seconds(30));
    EXPECT_EQ(status(1).Percentage, 25);
    clock.advance(platform::seconds(60));
    EXPECT_EQ(status(1).Percentage, 75);
    EXPECT_EQ(status(1).Status, MV_LD_STATUS_DEGRADE);

    run({"rebuild-time", "180"});
    EXPECT_EQ(status(1).Percentage, 50);

    clock.advance(platform::seconds(90));
    EXPECT_EQ(status(1).Flags, 0);
    EXPECT_EQ(status(1).Status, MV_LD_STATUS_FUNCTIONAL);
    EXPECT_EQ(diskBits(2), MV_HD_STATUS_ASSIGNED);
}

TEST_F(InProcess, PullingTheOnlySourceEndsTheRebuildAndTheMirrorIsOffline) {
    run({"pull", "1"});
    run({"insert", "1"});
    run({"pull", "0"});
    EXPECT_EQ(status(1).Flags, 0);
    EXPECT_EQ(status(1).Status, MV_LD_STATUS_OFFLINE);
    EXPECT_EQ(diskBits(2), MV_HD_STATUS_FREE);
}

TEST_F(InProcess, WalksFollowTheRequestProtocol) {
    HD_Info hd{};
    MV_U16 next = 0;
    EXPECT_EQ(ask(&SimulatedLibrary::MV_PD_GetHDInfo_Ext, MV_REQUEST_ENUMERATE, 0, hd, &next), 0);
    EXPECT_EQ(next, 1);
    EXPECT_EQ(hd.Link.Self.DevID, 1);
    EXPECT_EQ(ask(&SimulatedLibrary::MV_PD_GetHDInfo_Ext, MV_REQUEST_ENUMERATE, 1, hd, &next), 0);
    EXPECT_EQ(next, MV_NO_MORE_ENTRIES);
    EXPECT_EQ(hd.Link.Self.DevID, 2);
    EXPECT_EQ(ask(&SimulatedLibrary::MV_PD_GetHDInfo_Ext, MV_REQUEST_BY_ID, 2, hd, &next), 0);
    EXPECT_EQ(hd.Link.Self.DevID, 2);

    EXPECT_EQ(ask(&SimulatedLibrary::MV_PD_GetHDInfo_Ext, MV_REQUEST_ENUMERATE, 2, hd),
              kNoSuchObject);
    EXPECT_EQ(ask(&SimulatedLibrary::MV_PD_GetHDInfo_Ext, MV_REQUEST_BY_ID, 9, hd), kNoSuchObject);
    EXPECT_EQ(ask(&SimulatedLibrary::MV_PD_GetHDInfo_Ext, 0, 0, hd), kInvalidRequest);
    EXPECT_EQ(ask(&SimulatedLibrary::MV_PD_GetHDInfo_Ext, 3, 0, hd), kInvalidRequest);
    EXPECT_EQ(ask(&SimulatedLibrary::MV_PD_GetHDInfo_Ext, MV_REQUEST_ENUMERATE, 0, hd, nullptr, 2),
              kInvalidRequest)
        << "there is room for one record only";
    EXPECT_EQ(library.MV_PD_GetHDInfo_Ext(0, nullptr), kInvalidRequest);
    unsigned char buffer[MV_HD_WALK_BUFFER_SIZE] = {0, MV_REQUEST_ENUMERATE, 0, 0, 1};
    EXPECT_EQ(library.MV_PD_GetHDInfo_Ext(1, buffer), kNoSuchAdapter);
    EXPECT_EQ(library.MV_PD_GetHDInfo_Ext(0, buffer), 0);
}

TEST_F(InProcess, EmptyListsEndAtOnceWithARecordTheWalkPassesOver) {
    run({"reset", "--layout", "empty"});
    HD_Info hd{};
    LD_Info ld{};
    MV_U16 next = 0;
    EXPECT_EQ(ask(&SimulatedLibrary::MV_PD_GetHDInfo_Ext, MV_REQUEST_ENUMERATE, 0, hd, &next), 0);
    EXPECT_EQ(next, MV_NO_MORE_ENTRIES);
    EXPECT_NE(hd.Link.Self.DevType, MV_DEVICE_TYPE_HD);
    EXPECT_EQ(ask(&SimulatedLibrary::MV_LD_GetInfo, MV_REQUEST_ENUMERATE, 0, ld, &next), 0);
    EXPECT_EQ(next, MV_NO_MORE_ENTRIES);
    EXPECT_EQ(ld.Status, MV_LD_STATUS_INVALID);
}

TEST_F(InProcess, DeleteFreesTheBlocksAndWipeRemovesThem) {
    ASSERT_EQ(library.MV_LD_Delete(0, 1, 1), 0);
    EXPECT_EQ(diskBits(1), MV_HD_STATUS_FREE);
    HD_Block_Info list{};
    ASSERT_EQ(ask(&SimulatedLibrary::MV_BLK_GetHDBlock, MV_REQUEST_BY_ID, 1, list), 0);
    ASSERT_EQ(list.BlockCount, 1);
    Block_Info block{};
    ASSERT_EQ(ask(&SimulatedLibrary::MV_BLK_GetInfo, MV_REQUEST_BY_ID, list.BlockIDs[0], block), 0);
    EXPECT_EQ(block.HDID, 1);
    EXPECT_EQ(block.Flags & MV_BLOCK_FLAG_ASSIGNED, 0);

    ASSERT_EQ(library.MV_PD_WipeHDMDD(0, 1, 0), 0);
    ASSERT_EQ(ask(&SimulatedLibrary::MV_BLK_GetHDBlock, MV_REQUEST_BY_ID, 1, list), 0);
    EXPECT_EQ(list.BlockCount, 0);
    EXPECT_EQ(library.MV_LD_Delete(0, 1, 1), kNoSuchObject);
    EXPECT_EQ(library.MV_PD_WipeHDMDD(0, 7, 0), kNoSuchObject);
}

TEST_F(InProcess, WipingAMirrorMemberDegradesTheMirror) {
    ASSERT_EQ(library.MV_PD_WipeHDMDD(0, 2, 0), 0);
    EXPECT_EQ(status(1).Status, MV_LD_STATUS_DEGRADE);
    EXPECT_EQ(diskBits(2), MV_HD_STATUS_FREE);
    ASSERT_EQ(library.MV_LD_StartRebuild(0, 1, 2), 0);
    EXPECT_EQ(status(1).Flags, MV_LD_FLAG_REBUILDING);
}

TEST_F(InProcess, AutoRebuildSwitchRoundTripsThroughTheSettingsRecord) {
    Adapter_Config config{};
    MV_U8 out = 0;
    ASSERT_EQ(library.MV_Adapter_GetConfig(0, &out, &config), 0);
    EXPECT_EQ(config.AutoRebuild, 1);
    config.AutoRebuild = 0;
    ASSERT_EQ(library.MV_Adapter_SetConfig(0, &config), 0);
    ASSERT_EQ(library.MV_Adapter_GetConfig(0, &out, &config), 0);
    EXPECT_EQ(config.AutoRebuild, 0);
    config.AutoRebuild = 2;
    EXPECT_EQ(library.MV_Adapter_SetConfig(0, &config), kInvalidParameter);

    // Off: a blank disk beside a degraded mirror stays free.
    run({"pull", "1"});
    run({"insert", "1"});
    EXPECT_EQ(status(1).Flags, 0);
    EXPECT_EQ(diskBits(2), MV_HD_STATUS_FREE);
}

struct CreateCase {
    const char* what;
    MV_U8 mode;
    std::vector<MV_U16> members;
    MV_U64 sizeKiB;
    MV_U8 expected;
};

class CreateChecks : public InProcess, public ::testing::WithParamInterface<CreateCase> {};

constexpr MV_U64 kKiB = 2'000'398'934'016ULL >> 10;

TEST_P(CreateChecks, RejectedParametersChangeNothing) {
    run({"reset", "--layout", "individual"});
    if (GetParam().expected == kInUse) {
        Create_LD_Param first = createParam(MV_LD_MODE_RAID0, {1, 2}, 2 * kKiB);
        ASSERT_EQ(library.MV_LD_Create(0, &first), 0);
    }
    const std::string before = world.contents();
    Create_LD_Param p = createParam(GetParam().mode, GetParam().members, GetParam().sizeKiB);
    EXPECT_EQ(library.MV_LD_Create(0, &p), GetParam().expected);
    EXPECT_EQ(world.contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Create,
    CreateChecks,
    ::testing::Values(
        CreateCase{"level2", 2, {1, 2}, kKiB, kInvalidParameter},
        CreateCase{"mirrorOfOne", MV_LD_MODE_RAID1, {1}, kKiB, kInvalidParameter},
        CreateCase{"stripeOfOne", MV_LD_MODE_RAID0, {1}, kKiB, kInvalidParameter},
        CreateCase{"sameDiskTwice", MV_LD_MODE_RAID0, {1, 1}, kKiB, kInvalidParameter},
        CreateCase{"absentDisk", MV_LD_MODE_RAID1, {1, 3}, kKiB, kNoSuchObject},
        CreateCase{"zeroSize", MV_LD_MODE_RAID1, {1, 2}, 0, kInvalidParameter},
        CreateCase{"mirrorTooBig", MV_LD_MODE_RAID1, {1, 2}, kKiB + 1, kNoSpace},
        CreateCase{"stripeTooBig", MV_LD_MODE_RAID0, {1, 2}, 2 * kKiB + 1, kNoSpace},
        CreateCase{"disksInUse", MV_LD_MODE_RAID1, {1, 2}, kKiB, kInUse}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(InProcess, MirrorNameCutInsideACharacterSurvivesTheWorldFile) {
    run({"reset", "--layout", "individual"});
    Create_LD_Param p = createParam(MV_LD_MODE_RAID1, {1, 2}, kKiB);
    const char name[] = "Sauvegarde \xC3\xA9t\xC3";  // 15 bytes, last character cut
    std::memcpy(p.Name, name, 15);
    ASSERT_EQ(library.MV_LD_Create(0, &p), 0);
    LD_Info ld{};
    ASSERT_EQ(ask(&SimulatedLibrary::MV_LD_GetInfo, MV_REQUEST_ENUMERATE, 0, ld), 0);
    EXPECT_EQ(std::memcmp(ld.Name, name, 16), 0);
    EXPECT_EQ(ld.Size.value, kKiB);
    EXPECT_EQ(command(world.file(), {"status", "--json"}, clock).status, 0);
}

TEST_F(InProcess, FaultsOnOneOperationLeaveTheOthersAlone) {
    run({"fault", "MV_LD_Create", "--throw", "--times", "2"});
    EXPECT_EQ(library.MV_Adapter_GetCount(), 1);
    Create_LD_Param p = createParam(MV_LD_MODE_RAID1, {1, 2}, kKiB);
    EXPECT_THROW(library.MV_LD_Create(0, &p), InjectedFault);
    EXPECT_THROW(library.MV_LD_Create(0, &p), InjectedFault);
    EXPECT_EQ(library.MV_LD_Create(0, &p), kInUse) << "the fault wore off; the disks are in use";

    run({"fault", "MV_Adapter_GetCount", "--status", "3"});
    run({"fault", "clear"});
    EXPECT_EQ(library.MV_Adapter_GetCount(), 1);
}

}  // namespace
}  // namespace sim::testing
