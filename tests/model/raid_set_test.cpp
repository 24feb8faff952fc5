#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "model/library_binding.h"
#include "model/marvell_raid_set.h"
#include "tests/model/test_strings.h"
#include "tests/support/library_replies.h"
#include "tests/support/mock_controller_library.h"

namespace {

using namespace library_replies;
using testing::_;
using testing::ElementsAre;
using testing::InSequence;
using testing::Return;
using testing::Throw;

struct NotAStdException {};

LD_Status liveStatus(MV_U8 code, bool rebuilding = false, MV_U16 progress = 0) {
    LD_Status record{};
    record.Status = code;
    record.Flags = rebuilding ? MV_LD_FLAG_REBUILDING : 0;
    record.Percentage = progress;
    return record;
}

Block_Info block(MV_U16 hdid) {
    Block_Info record{};
    record.HDID = hdid;
    return record;
}

class RAIDSet : public testing::Test {
  protected:
    TestStrings strings;
    testing::StrictMock<MockControllerLibrary> library;
    ScopedControllerLibrary binding{library};

    static std::shared_ptr<MarvellRAIDSet> make(const LD_Info& record) {
        return MarvellRAIDSet::initWithInfo(&record);
    }
};

TEST_F(RAIDSet, AnswersFromItsRecord) {
    LD_Info record = raidSetRecord(0x0203, MV_LD_MODE_RAID1, {7, 3});
    record.Size.value = 1'953'514'584;
    const auto set = make(record);
    EXPECT_EQ(set->vdid(), 0x0203);
    EXPECT_EQ(set->mode(), 1);
    EXPECT_EQ(set->modeString(), "mirrored");
    EXPECT_EQ(set->memberCount(), 2);
    EXPECT_THAT(set->members(), ElementsAre(7, 3));
    EXPECT_EQ(set->capacity(), 2'000'398'934'016u);

    EXPECT_EQ(make(raidSetRecord(1, MV_LD_MODE_RAID0))->modeString(), "striped");
    EXPECT_EQ(make(raidSetRecord(1, 2))->modeString(), "mode?2");
    EXPECT_TRUE(make(raidSetRecord(1))->members().empty());
    EXPECT_FALSE(MarvellRAIDSet::initWithInfo(nullptr));
}

TEST_F(RAIDSet, MemberCountBeyondTheRecordStopsAt128) {
    LD_Info record = raidSetRecord(1);
    record.HDCount = 200;
    for (int i = 0; i < MV_MAX_LD_MEMBERS; ++i) {
        record.BlockIDs[i] = static_cast<MV_U16>(i);
    }
    const auto members = make(record)->members();
    ASSERT_EQ(members.size(), 128u);
    EXPECT_EQ(members.back(), 127);
    EXPECT_EQ(make(record)->memberCount(), 200);
}

struct NameBytes {
    std::string bytes;  // up to 16 bytes of the Name field
    std::optional<std::string> name;
};

class RAIDSetName : public RAIDSet, public testing::WithParamInterface<NameBytes> {};

TEST_P(RAIDSetName, DecodesUpToTheZeroByteWithinTheField) {
    LD_Info record = raidSetRecord(1);
    std::memcpy(record.Name, GetParam().bytes.data(), GetParam().bytes.size());
    // Whatever follows the field must never be read into the name.
    record.BlockIDs[0] = 0x4141;
    EXPECT_EQ(make(record)->name(), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Fields,
    RAIDSetName,
    testing::Values(NameBytes{"", ""},
                    NameBytes{std::string("Data\0junk", 9), "Data"},
                    NameBytes{"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},  // no zero byte
                    NameBytes{"\xC3\x84rger", "\xC3\x84rger"},          // UTF-8
                    NameBytes{"ABCDEFGHIJKLMNO\xC3", std::nullopt},     // cut character
                    NameBytes{"bad\xFF", std::nullopt}));

struct LiveCase {
    LD_Status record;
    MV_U8 answer;
    int status;
    const char* text;
    int progress;
};

class RAIDSetStatus : public RAIDSet, public testing::WithParamInterface<LiveCase> {};

TEST_P(RAIDSetStatus, ReadsTheLiveStatusRecord) {
    const auto set = make(raidSetRecord(0x0304, 1, {}, /*adapterId=*/5));
    EXPECT_CALL(library, MV_LD_GetStatus(5, IsRequest(MV_REQUEST_BY_ID, 0x0304)))
        .Times(3)
        .WillRepeatedly(replyRecord(GetParam().record, GetParam().answer));
    EXPECT_EQ(set->status(), GetParam().status);
    EXPECT_EQ(set->statusString(), GetParam().text);
    EXPECT_EQ(set->rebuildProgress(), GetParam().progress);
}

INSTANTIATE_TEST_SUITE_P(Records,
                         RAIDSetStatus,
                         testing::Values(LiveCase{liveStatus(0), 0, 0, "functional", 0},
                                         LiveCase{liveStatus(1, false, 40), 0, 1, "degraded", 0},
                                         LiveCase{liveStatus(1, true, 40), 0, 10, "rebuilding", 40},
                                         LiveCase{liveStatus(4), 0, 4, "ld-offline", 0},
                                         LiveCase{liveStatus(3), 0, 3, "set?3", 0},
                                         LiveCase{liveStatus(11), 0, 11, "set?11", 0},
                                         LiveCase{liveStatus(0, true, 70), 2, 255, "unreadable",
                                                  0}));

TEST_F(RAIDSet, StatusQueryThatRaisesIsUnknown) {
    const auto set = make(raidSetRecord(1));
    EXPECT_CALL(library, MV_LD_GetStatus(0, _))
        .Times(2)
        .WillRepeatedly(Throw(std::runtime_error("raised")));
    EXPECT_EQ(set->status(), 255);
    EXPECT_EQ(set->rebuildProgress(), 0);
    EXPECT_CALL(library, MV_LD_GetStatus(0, _)).WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_EQ(set->readState(), std::nullopt);

    EXPECT_CALL(library, MV_LD_GetStatus(0, _)).WillOnce(Throw(NotAStdException{}));
    EXPECT_THROW(set->status(), NotAStdException);
}

TEST_F(RAIDSet, DisksAreTheBlockOwnersAscending) {
    const auto set = make(raidSetRecord(1, 1, {7, 3, 9, 5}, /*adapterId=*/2));
    InSequence order;
    EXPECT_CALL(library, MV_BLK_GetInfo(2, IsRequest(MV_REQUEST_BY_ID, 7)))
        .WillOnce(replyRecord(block(2)));
    EXPECT_CALL(library, MV_BLK_GetInfo(2, IsRequest(MV_REQUEST_BY_ID, 3)))
        .WillOnce(replyRecord(block(1)));
    EXPECT_CALL(library, MV_BLK_GetInfo(2, IsRequest(MV_REQUEST_BY_ID, 9)))
        .WillOnce(replyRecord(block(4), /*status=*/1));
    EXPECT_CALL(library, MV_BLK_GetInfo(2, IsRequest(MV_REQUEST_BY_ID, 5)))
        .WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_THAT(set->disks(), ElementsAre(1, 2));

    // Whether a lookup failed is kept, so a member is never taken for gone.
    EXPECT_CALL(library, MV_BLK_GetInfo(2, _))
        .WillOnce(replyRecord(block(2)))
        .WillOnce(replyRecord(block(1)))
        .WillOnce(Return(1))
        .WillOnce(replyRecord(block(3)));
    const auto read = set->readDisks();
    EXPECT_THAT(read.ids, ElementsAre(1, 2, 3));
    EXPECT_FALSE(read.complete);
}

TEST_F(RAIDSet, RebuildWipesThenStartsAndReturnsTheStart) {
    const auto set = make(raidSetRecord(6, 1, {}, /*adapterId=*/1));
    InSequence order;
    EXPECT_CALL(library, MV_PD_WipeHDMDD(1, 2, 0)).WillOnce(Return(9));
    EXPECT_CALL(library, MV_LD_StartRebuild(1, 6, 2)).WillOnce(Return(0));
    EXPECT_EQ(set->rebuild(2), 0);

    EXPECT_CALL(library, MV_PD_WipeHDMDD(1, 2, 0)).WillOnce(Return(0));
    EXPECT_CALL(library, MV_LD_StartRebuild(1, 6, 2)).WillOnce(Return(13));
    EXPECT_EQ(set->rebuild(2), 13);

    EXPECT_CALL(library, MV_PD_WipeHDMDD(1, 2, 0)).WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_EQ(set->rebuild(2), 255);
}

TEST_F(RAIDSet, CancelIsNotGuarded) {
    const auto set = make(raidSetRecord(6, 1, {}, /*adapterId=*/1));
    EXPECT_CALL(library, MV_LD_BGAControl(1, 6, MV_BGA_CONTROL_CANCEL_REBUILD))
        .WillOnce(Return(3))
        .WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_EQ(set->cancelRebuild(), 3);
    EXPECT_THROW(set->cancelRebuild(), std::runtime_error);
}

}  // namespace
