#include "model/block_queries.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/library_binding.h"
#include "tests/support/library_replies.h"
#include "tests/support/mock_controller_library.h"

namespace {

using namespace library_replies;
using testing::ElementsAre;
using testing::Optional;

HD_Block_Info blockList(MV_U8 count) {
    HD_Block_Info list{};
    list.BlockCount = count;
    for (int i = 0; i < MV_MAX_HD_BLOCKS; ++i) {
        list.BlockIDs[i] = static_cast<MV_U16>(100 + i);
    }
    return list;
}

class BlockQueries : public testing::Test {
  protected:
    testing::StrictMock<MockControllerLibrary> library;
    ScopedControllerLibrary binding{library};
};

TEST_F(BlockQueries, DiskBlockListReadsTheCountedIDsAndNeverMoreThan16) {
    EXPECT_CALL(library, MV_BLK_GetHDBlock(1, IsRequest(MV_REQUEST_BY_ID, 2)))
        .WillOnce(replyRecord(blockList(2)))
        .WillOnce(replyRecord(blockList(200)))
        .WillOnce(replyRecord(blockList(2), /*status=*/1));
    EXPECT_THAT(lookUpDiskBlocks(1, 2), Optional(ElementsAre(100, 101)));
    const auto all = lookUpDiskBlocks(1, 2);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 16u);
    EXPECT_EQ(all->back(), 115);
    EXPECT_EQ(lookUpDiskBlocks(1, 2), std::nullopt);
}

TEST_F(BlockQueries, BlockLookupReadsOwnerAndAssignment) {
    Block_Info assigned{};
    assigned.HDID = 2;
    assigned.Flags = MV_BLOCK_FLAG_ASSIGNED | 1;
    assigned.LDID = 0x0405;
    Block_Info free{};
    free.HDID = 1;
    free.Flags = 1;
    EXPECT_CALL(library, MV_BLK_GetInfo(3, IsRequest(MV_REQUEST_BY_ID, 9)))
        .WillOnce(replyRecord(assigned))
        .WillOnce(replyRecord(free))
        .WillOnce(replyRecord(assigned, /*status=*/4));
    const auto a = lookUpBlock(3, 9);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->hdid, 2);
    EXPECT_TRUE(a->assigned);
    EXPECT_EQ(a->logicalDisk, 0x0405);
    const auto f = lookUpBlock(3, 9);
    ASSERT_TRUE(f);
    EXPECT_FALSE(f->assigned);
    EXPECT_FALSE(lookUpBlock(3, 9));
}

}  // namespace
