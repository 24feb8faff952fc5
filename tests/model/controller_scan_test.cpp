// Enumeration, construction and the two walks of MarvellController.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>

#include "model/library_binding.h"
#include "model/marvell_controller.h"
#include "tests/support/library_replies.h"
#include "tests/support/mock_controller_library.h"

namespace {

using namespace library_replies;
using testing::_;
using testing::DoAll;
using testing::InSequence;
using testing::Return;
using testing::SetArgPointee;
using testing::Throw;

struct NotAStdException {};

class ControllerScan : public testing::Test {
  protected:
    testing::StrictMock<MockControllerLibrary> library;
    ScopedControllerLibrary binding{library};

    static Adapter_Info adapterRecord(MV_U8 seed) {
        Adapter_Info info;
        std::memset(&info, seed, sizeof info);
        return info;
    }

    std::shared_ptr<MarvellController> controller(int id = 0) {
        const Adapter_Info info{};
        return MarvellController::initWithID(id, &info);
    }
};

TEST_F(ControllerScan, NoAdaptersAsksOnlyForRescanAndCount) {
    InSequence order;
    EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(0));
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(0));
    EXPECT_TRUE(MarvellController::scanForControllers().empty());
}

TEST_F(ControllerScan, KeepsOnlyAdaptersReadWithCountOne) {
    const Adapter_Info first = adapterRecord(0x11);
    const Adapter_Info fourth = adapterRecord(0x44);
    InSequence order;
    EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Throw(std::runtime_error("ignored")));
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(5));
    EXPECT_CALL(library, MV_Adapter_GetInfo(0, _, _))
        .WillOnce(DoAll(SetArgPointee<1>(1), SetArgPointee<2>(first), Return(0)));
    EXPECT_CALL(library, MV_Adapter_GetInfo(1, _, _))
        .WillOnce(DoAll(SetArgPointee<1>(2), Return(0)));  // count 2: left out
    EXPECT_CALL(library, MV_Adapter_GetInfo(2, _, _))
        .WillOnce(DoAll(SetArgPointee<1>(1), Return(3)));  // status 3: left out
    EXPECT_CALL(library, MV_Adapter_GetInfo(3, _, _)).WillOnce(Throw(std::logic_error("raised")));
    EXPECT_CALL(library, MV_Adapter_GetInfo(4, _, _))
        .WillOnce(DoAll(SetArgPointee<1>(1), SetArgPointee<2>(fourth), Return(0)));

    const auto controllers = MarvellController::scanForControllers();
    ASSERT_EQ(controllers.size(), 2u);
    EXPECT_EQ(controllers[0]->cid(), 0);
    EXPECT_EQ(controllers[1]->cid(), 4);
    EXPECT_EQ(std::memcmp(&controllers[0]->config(), &first, sizeof first), 0);
    EXPECT_EQ(std::memcmp(&controllers[1]->config(), &fourth, sizeof fourth), 0);
    EXPECT_TRUE(controllers[0]->disks().empty());
    EXPECT_TRUE(controllers[0]->raidSets().empty());
}

TEST_F(ControllerScan, CountThatRaisesIsZero) {
    EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(0));
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_TRUE(MarvellController::scanForControllers().empty());
}

// An adapter that answers another count is not ours; one whose record could
// not be read, or a count that could not be read, leaves the list incomplete.
TEST_F(ControllerScan, TheScanSaysWhetherTheListWasReadWhole) {
    struct Answer {
        const char* what;
        std::function<MV_U8(MV_U8, MV_U8*, Adapter_Info*)> info;
        bool complete;
    };
    const Answer answers[] = {
        {"count 2", [](MV_U8, MV_U8* n, Adapter_Info*) { return *n = 2, MV_U8{0}; }, true},
        {"status 3", [](MV_U8, MV_U8* n, Adapter_Info*) { return *n = 1, MV_U8{3}; }, false},
        {"raised",
         [](MV_U8, MV_U8*, Adapter_Info*) -> MV_U8 { throw std::runtime_error("raised"); }, false},
    };
    for (const Answer& a : answers) {
        EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(0));
        EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(1));
        EXPECT_CALL(library, MV_Adapter_GetInfo(0, _, _)).WillOnce(a.info);
        const auto scan = MarvellController::enumerateControllers();
        EXPECT_TRUE(scan.controllers.empty()) << a.what;
        EXPECT_EQ(scan.complete, a.complete) << a.what;
    }
    EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(0));
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_FALSE(MarvellController::enumerateControllers().complete);
    EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Return(0));
    EXPECT_CALL(library, MV_Adapter_GetCount()).WillOnce(Return(0));
    EXPECT_TRUE(MarvellController::enumerateControllers().complete);
}

TEST_F(ControllerScan, OtherExceptionsLeaveTheEnumeration) {
    EXPECT_CALL(library, MV_API_RescanAdapter()).WillOnce(Throw(NotAStdException{}));
    EXPECT_THROW(MarvellController::scanForControllers(), NotAStdException);
}

TEST_F(ControllerScan, InitWithIDReadsTheRecordAndAcceptsAnyCount) {
    const Adapter_Info record = adapterRecord(0x5A);
    // The adapter ID is the low 8 bits of the index.
    EXPECT_CALL(library, MV_Adapter_GetInfo(1, _, _))
        .WillOnce(DoAll(SetArgPointee<1>(2), SetArgPointee<2>(record), Return(0)));
    const auto controller = MarvellController::initWithID(257);
    ASSERT_TRUE(controller);
    EXPECT_EQ(controller->cid(), 257);
    EXPECT_EQ(std::memcmp(&controller->config(), &record, sizeof record), 0);
}

TEST_F(ControllerScan, InitWithIDFailsWhenTheRecordCannotBeRead) {
    EXPECT_CALL(library, MV_Adapter_GetInfo(0, _, _))
        .WillOnce(DoAll(SetArgPointee<1>(0), Return(0)))
        .WillOnce(DoAll(SetArgPointee<1>(1), Return(9)))
        .WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_FALSE(MarvellController::initWithID(0));
    EXPECT_FALSE(MarvellController::initWithID(0));
    EXPECT_FALSE(MarvellController::initWithID(0));
}

TEST_F(ControllerScan, DiskWalkFollowsTheNextIndexAndKeepsType1Only) {
    auto c = controller(3);
    InSequence order;
    EXPECT_CALL(library, MV_PD_GetHDInfo_Ext(3, IsRequest(MV_REQUEST_ENUMERATE, 0)))
        .WillOnce(replyEntry(diskRecord(1), 5));
    EXPECT_CALL(library, MV_PD_GetHDInfo_Ext(3, IsRequest(MV_REQUEST_ENUMERATE, 5)))
        .WillOnce(replyEntry(diskRecord(9, 0, 0, 2), 6));  // not a disk
    EXPECT_CALL(library, MV_PD_GetHDInfo_Ext(3, IsRequest(MV_REQUEST_ENUMERATE, 6)))
        .WillOnce(replyEntry(diskRecord(2)));
    EXPECT_EQ(c->scanForDisks(), 0);
    ASSERT_EQ(c->disks().size(), 2u);
    EXPECT_EQ(c->disks()[0]->hdid(), 1);
    EXPECT_EQ(c->disks()[1]->hdid(), 2);
}

TEST_F(ControllerScan, SingleReplyWalkMakesOneCall) {
    auto c = controller();
    EXPECT_CALL(library, MV_PD_GetHDInfo_Ext(0, _)).WillOnce(replyEntry(diskRecord(1)));
    EXPECT_EQ(c->scanForDisks(), 0);
    EXPECT_EQ(c->disks().size(), 1u);
}

TEST_F(ControllerScan, WalkStopsOnFailureKeepingWhatItHad) {
    auto c = controller();
    {
        InSequence order;
        EXPECT_CALL(library, MV_PD_GetHDInfo_Ext(0, _)).WillOnce(replyEntry(diskRecord(1), 1));
        EXPECT_CALL(library, MV_PD_GetHDInfo_Ext(0, _)).WillOnce(Return(5));
    }
    EXPECT_EQ(c->scanForDisks(), 5);
    EXPECT_EQ(c->disks().size(), 1u);

    // The next walk empties the list first; an exception ends it with 255.
    EXPECT_CALL(library, MV_PD_GetHDInfo_Ext(0, _)).WillOnce(Throw(std::runtime_error("raised")));
    EXPECT_EQ(c->scanForDisks(), 255);
    EXPECT_TRUE(c->disks().empty());

    EXPECT_CALL(library, MV_PD_GetHDInfo_Ext(0, _)).WillOnce(Throw(NotAStdException{}));
    EXPECT_THROW(c->scanForDisks(), NotAStdException);
}

TEST_F(ControllerScan, WalkThatRepeatsAnIndexEnds) {
    auto c = controller();
    InSequence order;
    EXPECT_CALL(library, MV_PD_GetHDInfo_Ext(0, IsRequest(MV_REQUEST_ENUMERATE, 0)))
        .WillOnce(replyEntry(diskRecord(1), 1));
    EXPECT_CALL(library, MV_PD_GetHDInfo_Ext(0, IsRequest(MV_REQUEST_ENUMERATE, 1)))
        .WillOnce(replyEntry(diskRecord(2), 0));  // back to the start
    EXPECT_EQ(c->scanForDisks(), 255);
    EXPECT_EQ(c->disks().size(), 2u);
}

// Never answers the end, never repeats an index until it has to.
class EndlessList : public testing::NiceMock<MockControllerLibrary> {
  public:
    int calls = 0;
    MV_U8 reply(void* request, const void* record, std::size_t size) {
        ++calls;
        const MV_U16 next = static_cast<MV_U16>((headerOf(request).StartingIndexOrID + 1) % 0xFFFF);
        auto* bytes = static_cast<unsigned char*>(request);
        std::memcpy(bytes + sizeof(RequestHeader), record, size);
        std::memcpy(bytes + offsetof(RequestHeader, NextStartingIndex), &next, sizeof next);
        return 0;
    }
};

TEST(ControllerWalkBound, EndlessListEndsAfterEveryIndexOnce) {
    EndlessList library;
    const HD_Info disk = diskRecord(1, 0, 0, 2);  // skipped, so the test stays small
    LD_Info set = raidSetRecord(1);
    set.Status = MV_LD_STATUS_INVALID;
    ON_CALL(library, MV_PD_GetHDInfo_Ext).WillByDefault([&](MV_U8, void* r) {
        return library.reply(r, &disk, sizeof disk);
    });
    ON_CALL(library, MV_LD_GetInfo).WillByDefault([&](MV_U8, void* r) {
        return library.reply(r, &set, sizeof set);
    });
    ScopedControllerLibrary binding(library);
    const Adapter_Info info{};
    auto c = MarvellController::initWithID(0, &info);

    EXPECT_EQ(c->scanForDisks(), 255);
    EXPECT_EQ(library.calls, 0xFFFF);
    library.calls = 0;
    EXPECT_EQ(c->scanForRAIDSets(), 255);
    EXPECT_EQ(library.calls, 0xFFFF);
}

TEST_F(ControllerScan, RAIDSetWalkSkipsInvalidEntriesAndGoesOn) {
    auto c = controller(2);
    LD_Info invalid = raidSetRecord(8);
    invalid.Status = MV_LD_STATUS_INVALID;
    InSequence order;
    EXPECT_CALL(library, MV_LD_GetInfo(2, IsRequest(MV_REQUEST_ENUMERATE, 0)))
        .WillOnce(replyEntry(raidSetRecord(4), 1));
    EXPECT_CALL(library, MV_LD_GetInfo(2, IsRequest(MV_REQUEST_ENUMERATE, 1)))
        .WillOnce(replyEntry(invalid, 2));
    EXPECT_CALL(library, MV_LD_GetInfo(2, IsRequest(MV_REQUEST_ENUMERATE, 2)))
        .WillOnce(replyEntry(raidSetRecord(6)));
    EXPECT_EQ(c->scanForRAIDSets(), 0);
    ASSERT_EQ(c->raidSets().size(), 2u);
    EXPECT_EQ(c->raidSets()[0]->vdid(), 4);
    EXPECT_EQ(c->raidSets()[1]->vdid(), 6);
}

TEST_F(ControllerScan, RAIDSetWalkFailingAtOnceLeavesNoSets) {
    auto c = controller();
    const LD_Info old = raidSetRecord(1);
    c->setRaidSets({MarvellRAIDSet::initWithInfo(&old)});
    EXPECT_CALL(library, MV_LD_GetInfo(0, _)).WillOnce(Return(5));
    EXPECT_EQ(c->scanForRAIDSets(), 5);
    EXPECT_TRUE(c->raidSets().empty());
}

TEST_F(ControllerScan, FindDiskByHDIDTakesTheFirstMatch) {
    auto c = controller();
    EXPECT_FALSE(c->findDiskByHDID(1));
    const HD_Info a = diskRecord(1), b = diskRecord(1), high = diskRecord(0xFFFF);
    c->setDisks({MarvellDisk::initWithInfo(&a), MarvellDisk::initWithInfo(&b),
                 MarvellDisk::initWithInfo(&high)});
    EXPECT_EQ(c->findDiskByHDID(1), c->disks()[0]);
    EXPECT_EQ(c->findDiskByHDID(0xFFFF), c->disks()[2]);
    EXPECT_FALSE(c->findDiskByHDID(2));
}

}  // namespace
