// Volume creation, deletion, wiping and the auto-rebuild switch.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "model/library_binding.h"
#include "model/marvell_controller.h"
#include "model/model_clock.h"
#include "model/utf8.h"
#include "tests/support/library_replies.h"
#include "tests/support/mock_controller_library.h"

namespace {

using namespace library_replies;
using testing::_;
using testing::InSequence;
using testing::Invoke;
using testing::Return;
using testing::Throw;

struct NotAStdException {};

constexpr MV_U64 k2TB = 1'953'514'584;  // units of 1024 bytes
constexpr MV_U64 k3TB = 2'930'266'584;

class ControllerOperations : public testing::Test {
  protected:
    testing::StrictMock<MockControllerLibrary> library;
    ScopedControllerLibrary binding{library};
    platform::ManualClock clock;
    ScopedModelClock clockBinding{clock};
    std::shared_ptr<MarvellController> controller;

    ControllerOperations() {
        const Adapter_Info info{};
        controller = MarvellController::initWithID(0x102, &info);  // adapter ID 2
    }

    void giveDisks(std::vector<HD_Info> records) {
        MarvellController::DiskList disks;
        for (const auto& r : records) {
            disks.push_back(MarvellDisk::initWithInfo(&r));
        }
        controller->setDisks(disks);
    }
    void giveSets(std::vector<LD_Info> records) {
        MarvellController::RAIDSetList sets;
        for (const auto& r : records) {
            sets.push_back(MarvellRAIDSet::initWithInfo(&r));
        }
        controller->setRaidSets(sets);
    }

    // Runs createVD, answering MV_LD_Create with `answer`, and returns the parameters.
    std::array<unsigned char, sizeof(Create_LD_Param)> create(const std::string& name,
                                                              std::int64_t type,
                                                              MV_U8 answer = 0) {
        std::array<unsigned char, sizeof(Create_LD_Param)> bytes{};
        EXPECT_CALL(library, MV_LD_Create(2, _)).WillOnce([&](MV_U8, Create_LD_Param* p) {
            std::memcpy(bytes.data(), p, bytes.size());
            return answer;
        });
        EXPECT_EQ(controller->createVD(name, type), answer);
        return bytes;
    }

    static std::uint64_t sizeOf(const std::array<unsigned char, sizeof(Create_LD_Param)>& b) {
        std::uint64_t size;
        std::memcpy(&size, b.data() + 288, sizeof size);
        return size;
    }
};

TEST_F(ControllerOperations, TypeAboveTwoIsRefusedWithoutCalls) {
    giveDisks({diskRecord(1)});
    EXPECT_EQ(controller->createVD("x", 3), MarvellController::kInvalidVolumeType);
    EXPECT_EQ(controller->createVD("x", std::numeric_limits<std::int64_t>::max()), 7);
}

TEST_F(ControllerOperations, CreateDeletesWaitsWipesWaitsAndCreates) {
    giveSets({raidSetRecord(4, MV_LD_MODE_RAID1, {}, /*adapterId=*/9)});
    giveDisks({diskRecord(1, k2TB), diskRecord(2, k3TB)});
    const auto start = clock.now();
    auto at = [&](double s) {
        return [this, start, s](auto&&...) {
            EXPECT_EQ(clock.now() - start, platform::seconds(s));
            return MV_U8{0};
        };
    };
    InSequence order;
    EXPECT_CALL(library, MV_LD_BGAControl(9, 4, MV_BGA_CONTROL_CANCEL_REBUILD)).WillOnce(at(0));
    EXPECT_CALL(library, MV_LD_Delete(2, 4, 1)).WillOnce(at(0));
    EXPECT_CALL(library, MV_PD_WipeHDMDD(2, 1, 0)).WillOnce(at(3));
    EXPECT_CALL(library, MV_PD_WipeHDMDD(2, 2, 0)).WillOnce(at(3));
    EXPECT_CALL(library, MV_LD_Create(2, _)).WillOnce(Invoke(at(6)));
    EXPECT_EQ(controller->createVD("Vol", 2), 0);
}

TEST_F(ControllerOperations, ParametersByteByByte) {
    giveDisks({diskRecord(1, k2TB), diskRecord(2, k3TB)});
    EXPECT_CALL(library, MV_PD_WipeHDMDD(2, _, 0)).Times(2).WillRepeatedly(Return(0));
    const auto bytes = create("Norvik", 1);

    std::array<unsigned char, sizeof(Create_LD_Param)> expected{};
    const unsigned char head[16] = {0, 2, 0, 0, 64, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
    std::memcpy(expected.data(), head, sizeof head);
    expected[16] = 1;  // member slot 0: hdid 1
    expected[18] = 2;  // member slot 1: hdid 2
    std::memcpy(expected.data() + 272, "Norvik", 6);
    const std::uint64_t sum = 4'883'781'168;
    std::memcpy(expected.data() + 288, &sum, sizeof sum);
    EXPECT_EQ(bytes, expected);
}

TEST_F(ControllerOperations, MirrorTakesTheSmallestDisk) {
    giveDisks({diskRecord(1, k3TB), diskRecord(2, k2TB)});
    EXPECT_CALL(library, MV_PD_WipeHDMDD(2, _, 0)).Times(2).WillRepeatedly(Return(0));
    const auto bytes = create("m", 2, 12);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(sizeOf(bytes), 1'953'514'584u);
}

TEST_F(ControllerOperations, LevelCodeIsTypeMinusOneModulo256) {
    for (const auto& [type, code] : std::vector<std::pair<std::int64_t, int>>{
             {1, 0},
             {2, 1},
             {0, 255},
             {-1, 254},
             {std::numeric_limits<std::int64_t>::min(), 255}}) {
        const auto bytes = create("", type);
        EXPECT_EQ(bytes[0], code) << "type " << type;
    }
}

TEST_F(ControllerOperations, NoDisksGivesAnEmptyVolume) {
    const auto striped = create("", 1, 4);
    EXPECT_EQ(striped[1], 0);
    EXPECT_EQ(sizeOf(striped), 0u);
    const auto mirrored = create("", 2);
    EXPECT_EQ(sizeOf(mirrored), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(clock.now(), platform::TimePoint{});  // no pauses
}

// The record has 128 member slots; the count sent must not name more.
TEST_F(ControllerOperations, MemberCountNeverExceedsTheSlotsWritten) {
    for (const int diskCount : {128, 129, 200, 256}) {
        std::vector<HD_Info> records;
        for (int id = 1; id <= diskCount; ++id) {
            records.push_back(diskRecord(static_cast<MV_U16>(id), 1024));
        }
        giveDisks(records);
        EXPECT_CALL(library, MV_PD_WipeHDMDD(2, _, 0)).WillRepeatedly(Return(0));
        const auto bytes = create("many", 1);
        EXPECT_EQ(bytes[1], 128) << diskCount << " disks";
        MV_U16 lastSlot;
        std::memcpy(&lastSlot, bytes.data() + 16 + 2 * 127, sizeof lastSlot);
        EXPECT_EQ(lastSlot, 128) << diskCount << " disks";
        EXPECT_EQ(sizeOf(bytes), 128u * 1024) << "only the members count towards the size";
        testing::Mock::VerifyAndClearExpectations(&library);
    }
}

struct NameCase {
    const char* name;
    const char* stored;  // the name field up to its zero bytes
};

class VolumeName : public ControllerOperations, public testing::WithParamInterface<NameCase> {};

TEST_P(VolumeName, IsCutToWholeCharactersWithin15Bytes) {
    const auto bytes = create(GetParam().name, 1);
    const std::string stored(GetParam().stored);
    ASSERT_LE(stored.size(), 15u);
    std::array<unsigned char, 16> expected{};
    std::memcpy(expected.data(), stored.data(), stored.size());
    EXPECT_EQ(0, std::memcmp(bytes.data() + 272, expected.data(), 16));

    // What was stored reads back as a name.
    LD_Info record = raidSetRecord(1);
    std::memcpy(record.Name, bytes.data() + 272, 16);
    EXPECT_EQ(MarvellRAIDSet::initWithInfo(&record)->name(), stored);
}

INSTANTIATE_TEST_SUITE_P(
    Names,
    VolumeName,
    testing::Values(NameCase{"", ""},
                    NameCase{"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNO"},
                    NameCase{"exactly fifteen", "exactly fifteen"},
                    // Eight two-byte characters: byte 15 would split the eighth.
                    NameCase{"\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84",
                             "\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84"},
                    NameCase{"Backup\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC",  // 6 + 3 x 3 bytes
                             "Backup\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"},
                    NameCase{"Backups\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC",  // the third € splits
                             "Backups\xE2\x82\xAC\xE2\x82\xAC"}));

TEST_F(ControllerOperations, DeleteStopsAtTheFirstFailure) {
    giveSets({raidSetRecord(4, 1, {}, 7), raidSetRecord(5, 1, {}, 7)});
    InSequence order;
    EXPECT_CALL(library, MV_LD_BGAControl(7, 4, 4)).WillOnce(Return(1));  // ignored
    EXPECT_CALL(library, MV_LD_Delete(2, 4, 1)).WillOnce(Return(3));
    EXPECT_EQ(controller->deleteVD(), 3);
    EXPECT_EQ(controller->raidSets().size(), 2u);
}

TEST_F(ControllerOperations, DeleteGuardsTheCancel) {
    giveSets({raidSetRecord(4), raidSetRecord(5)});
    EXPECT_CALL(library, MV_LD_BGAControl(0, 4, 4)).WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_EQ(controller->deleteVD(), 255);

    EXPECT_CALL(library, MV_LD_BGAControl(0, 4, 4)).WillOnce(Throw(NotAStdException{}));
    EXPECT_THROW(controller->deleteVD(), NotAStdException);
}

TEST_F(ControllerOperations, DeleteAndWipeOnEmptyListsSucceedWithoutCalls) {
    EXPECT_EQ(controller->deleteVD(), 0);
    EXPECT_EQ(controller->wipeDisks(), 0);
}

TEST_F(ControllerOperations, WipeStopsAtTheFirstFailure) {
    giveDisks({diskRecord(1), diskRecord(2), diskRecord(3)});
    {
        InSequence order;
        EXPECT_CALL(library, MV_PD_WipeHDMDD(2, 1, 0)).WillOnce(Return(0));
        EXPECT_CALL(library, MV_PD_WipeHDMDD(2, 2, 0)).WillOnce(Return(6));
    }
    EXPECT_EQ(controller->wipeDisks(), 6);

    EXPECT_CALL(library, MV_PD_WipeHDMDD(2, 1, 0)).WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_EQ(controller->wipeDisks(), 255);
}

TEST_F(ControllerOperations, CreateGoesOnWhenDeleteAndWipeFail) {
    giveSets({raidSetRecord(4)});
    giveDisks({diskRecord(1, k2TB)});
    InSequence order;
    EXPECT_CALL(library, MV_LD_BGAControl(0, 4, 4)).WillOnce(Return(0));
    EXPECT_CALL(library, MV_LD_Delete(2, 4, 1)).WillOnce(Return(3));
    EXPECT_CALL(library, MV_PD_WipeHDMDD(2, 1, 0)).WillOnce(Throw(std::runtime_error("raised")));
    const auto bytes = create("v", 1);
    EXPECT_EQ(sizeOf(bytes), k2TB);
    EXPECT_EQ(clock.now() - platform::TimePoint{}, platform::seconds(6.0));
}

TEST_F(ControllerOperations, CreateThatRaisesGives255) {
    EXPECT_CALL(library, MV_LD_Create(2, _)).WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_EQ(controller->createVD("v", 1), 255);
}

TEST_F(ControllerOperations, AutoRebuildChangesOnlyByteOne) {
    Adapter_Config delivered;
    std::memset(&delivered, 0xA5, sizeof delivered);
    for (const bool on : {true, false}) {
        Adapter_Config expected = delivered;
        expected.AutoRebuild = on ? 1 : 0;
        InSequence order;
        EXPECT_CALL(library, MV_Adapter_GetConfig(2, _, _))
            .WillOnce(testing::DoAll(testing::SetArgPointee<2>(delivered), Return(0)));
        EXPECT_CALL(library, MV_Adapter_SetConfig(2, _)).WillOnce([&](MV_U8, Adapter_Config* c) {
            EXPECT_EQ(0, std::memcmp(c, &expected, sizeof expected));
            return MV_U8{8};
        });
        EXPECT_EQ(controller->autoRebuild(on), 8);
    }
}

// Before a rebuild the replacement disk is freed: every other volume with a
// block on it goes; the volume being rebuilt and free blocks stay.
TEST_F(ControllerOperations, FreeingADiskDeletesTheOtherVolumesOnIt) {
    HD_Block_Info list{};
    list.BlockCount = 4;
    const MV_U16 ids[] = {10, 11, 12, 13};
    std::memcpy(list.BlockIDs, ids, sizeof ids);
    auto owned = [](MV_U16 volume, bool assigned) {
        Block_Info b{};
        b.HDID = 3;
        b.Flags = assigned ? MV_BLOCK_FLAG_ASSIGNED : 0;
        b.LDID = volume;
        return b;
    };
    EXPECT_CALL(library, MV_BLK_GetHDBlock(2, _)).WillOnce(replyRecord(list));
    EXPECT_CALL(library, MV_BLK_GetInfo(2, _))
        .WillOnce(replyRecord(owned(5, true)))
        .WillOnce(replyRecord(owned(1, true)))   // the volume being rebuilt
        .WillOnce(replyRecord(owned(6, false)))  // a free block
        .WillOnce(Throw(std::runtime_error("lookup raised")));
    EXPECT_CALL(library, MV_LD_Delete(2, 5, 1)).WillOnce(Return(4));  // status not looked at
    controller->freeDiskForRebuild(3, 1);
}

TEST_F(ControllerOperations, FreeingADiskLetsAFailedDeletionThrough) {
    HD_Block_Info list{};
    list.BlockCount = 1;
    list.BlockIDs[0] = 10;
    Block_Info b{};
    b.Flags = MV_BLOCK_FLAG_ASSIGNED;
    b.LDID = 5;
    EXPECT_CALL(library, MV_BLK_GetHDBlock(2, _)).WillOnce(replyRecord(list));
    EXPECT_CALL(library, MV_BLK_GetInfo(2, _)).WillOnce(replyRecord(b));
    EXPECT_CALL(library, MV_LD_Delete(2, 5, 1)).WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_THROW(controller->freeDiskForRebuild(3, 1), std::runtime_error);
}

// A library whose settings record is larger than ours writes past 64 bytes;
// that must land in room of ours and go back to the library unchanged.
TEST_F(ControllerOperations, AutoRebuildLeavesRoomForALargerRecord) {
    constexpr std::size_t kLibraryRecord = 1024;
    std::vector<unsigned char> sentBack;
    EXPECT_CALL(library, MV_Adapter_GetConfig(2, _, _))
        .WillOnce([](MV_U8, MV_U8*, Adapter_Config* c) {
            std::memset(c, 0x5A, kLibraryRecord);
            return MV_U8{0};
        });
    EXPECT_CALL(library, MV_Adapter_SetConfig(2, _)).WillOnce([&](MV_U8, Adapter_Config* c) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(c);
        sentBack.assign(bytes, bytes + kLibraryRecord + 16);
        return MV_U8{0};
    });
    EXPECT_EQ(controller->autoRebuild(true), 0);
    ASSERT_EQ(sentBack.size(), kLibraryRecord + 16);
    EXPECT_EQ(sentBack[1], 1);
    sentBack[1] = 0x5A;
    EXPECT_EQ(std::vector<unsigned char>(sentBack.begin(), sentBack.begin() + kLibraryRecord),
              std::vector<unsigned char>(kLibraryRecord, 0x5A));
    // Beyond what the library wrote the buffer is still zeroed.
    EXPECT_EQ(std::vector<unsigned char>(sentBack.begin() + kLibraryRecord, sentBack.end()),
              std::vector<unsigned char>(16, 0));
}

TEST_F(ControllerOperations, AutoRebuildStopsWhenTheSettingsCannotBeRead) {
    EXPECT_CALL(library, MV_Adapter_GetConfig(2, _, _)).WillOnce(Return(4));
    EXPECT_EQ(controller->autoRebuild(true), 4);

    EXPECT_CALL(library, MV_Adapter_GetConfig(2, _, _)).WillOnce(Return(0));
    EXPECT_CALL(library, MV_Adapter_SetConfig(2, _)).WillOnce(Throw(std::runtime_error("x")));
    EXPECT_EQ(controller->autoRebuild(true), 255);
}

}  // namespace
