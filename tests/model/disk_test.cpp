#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "model/library_binding.h"
#include "model/marvell_disk.h"
#include "tests/model/test_strings.h"
#include "tests/support/library_replies.h"
#include "tests/support/mock_controller_library.h"

namespace {

using namespace library_replies;
using testing::_;
using testing::Return;
using testing::Throw;

struct NotAStdException {};

HD_RAID_Status statusRecord(MV_U8 bits) {
    HD_RAID_Status record{};
    record.Status = bits;
    return record;
}

class Disk : public testing::Test {
  protected:
    TestStrings strings;
    testing::StrictMock<MockControllerLibrary> library;
    ScopedControllerLibrary binding{library};
};

TEST_F(Disk, AnswersFromItsRecord) {
    const HD_Info one = diskRecord(1, 1'953'514'584);
    auto disk = MarvellDisk::initWithInfo(&one);
    EXPECT_EQ(disk->hdid(), 1);
    EXPECT_EQ(disk->slot(), 0);
    EXPECT_EQ(disk->capacity(), 2'000'398'934'016u);
    EXPECT_EQ(disk->name(), "First disk");

    HD_Info zero = diskRecord(0);
    zero.Size.parts.high = 1;
    disk = MarvellDisk::initWithInfo(&zero);
    EXPECT_EQ(disk->slot(), -1);
    EXPECT_EQ(disk->capacity(), 4'398'046'511'104u);
    EXPECT_EQ(disk->name(), "DISK_0");  // no entry: the key itself

    const HD_Info high = diskRecord(0xFFFF);
    EXPECT_EQ(MarvellDisk::initWithInfo(&high)->hdid(), 65535);
    EXPECT_FALSE(MarvellDisk::initWithInfo(nullptr));
}

TEST_F(Disk, ModelAndSerialAreTheRecordsTextWithoutPaddingOrUnprintableBytes) {
    HD_Info record = diskRecord(1);
    const char model[] = "  ST2000DM008-2FR102   ";
    std::memcpy(record.Model, model, sizeof model - 1);
    std::memset(record.SerialNo, 'Z', sizeof record.SerialNo);  // full width, no zero byte
    record.SerialNo[3] = 0x1B;                                  // an escape in the serial
    auto disk = MarvellDisk::initWithInfo(&record);
    EXPECT_EQ(disk->modelNumber(), "ST2000DM008-2FR102");
    EXPECT_EQ(disk->serialNumber(), "ZZZ?ZZZZZZZZZZZZZZZZ");

    const HD_Info blank = diskRecord(2);
    EXPECT_EQ(MarvellDisk::initWithInfo(&blank)->modelNumber(), "");
}

TEST_F(Disk, KeepsItsOwnCopyOfTheRecord) {
    HD_Info record = diskRecord(1);
    auto disk = MarvellDisk::initWithInfo(&record);
    record.Link.Self.DevID = 2;
    EXPECT_EQ(disk->hdid(), 1);
}

TEST_F(Disk, AsksTheLibraryForTheStatusEveryTime) {
    const HD_Info record = diskRecord(0x0102, 0, /*adapterId=*/3);
    auto disk = MarvellDisk::initWithInfo(&record);
    EXPECT_CALL(library, MV_PD_GetHDRaidStatus(3, IsRequest(MV_REQUEST_BY_ID, 0x0102)))
        .WillOnce(replyRecord(statusRecord(1)))
        .WillOnce(replyRecord(statusRecord(2)));
    EXPECT_EQ(disk->status(), 1);
    EXPECT_EQ(disk->status(), 2);
}

// Callers of status() rely on the offline bits for a status that could not be
// read; what is shown and judged says that it could not be read.
TEST_F(Disk, AStatusThatCannotBeReadIsOfflineToCallersButNeverShownAsOffline) {
    const HD_Info record = diskRecord(1);
    auto disk = MarvellDisk::initWithInfo(&record);
    EXPECT_CALL(library, MV_PD_GetHDRaidStatus(0, _))
        .WillOnce(replyRecord(statusRecord(1), /*status=*/2))
        .WillOnce(Throw(std::runtime_error("raised")))
        .WillOnce(Return(1))
        .WillOnce(Return(1))
        .WillOnce(replyRecord(statusRecord(MV_HD_STATUS_OFFLINE)));
    EXPECT_EQ(disk->status(), MV_HD_STATUS_OFFLINE);
    EXPECT_EQ(disk->status(), MV_HD_STATUS_OFFLINE);
    EXPECT_EQ(disk->statusString(), "unreadable");
    EXPECT_EQ(disk->readStatus(), std::nullopt);
    EXPECT_EQ(disk->readStatus(), MV_HD_STATUS_OFFLINE);

    EXPECT_CALL(library, MV_PD_GetHDRaidStatus(0, _)).WillOnce(Throw(NotAStdException{}));
    EXPECT_THROW(disk->status(), NotAStdException);
}

struct StatusText {
    MV_U8 bits;
    const char* text;
};

class DiskStatusText : public Disk, public testing::WithParamInterface<StatusText> {};

TEST_P(DiskStatusText, NamesTheFirstBitSet) {
    const HD_Info record = diskRecord(1);
    auto disk = MarvellDisk::initWithInfo(&record);
    EXPECT_CALL(library, MV_PD_GetHDRaidStatus(0, _))
        .WillOnce(replyRecord(statusRecord(GetParam().bits)));
    EXPECT_EQ(disk->statusString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Bits,
                         DiskStatusText,
                         testing::Values(StatusText{0x01, "free"},
                                         StatusText{0x12, "assigned"},
                                         StatusText{0x04, "spare"},
                                         StatusText{0x50, "smart"},
                                         StatusText{0x40, "dedicated"},
                                         StatusText{0x00, "disk?0"},
                                         StatusText{0x20, "disk?32"},
                                         StatusText{0xA0, "disk?160"}));

}  // namespace
