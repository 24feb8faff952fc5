// The English string table the application ships: what the user reads must
// agree with itself.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "model/marvell_disk.h"
#include "platform/controls/bundle.h"
#include "tests/support/library_replies.h"

namespace {

class ShippedTexts : public testing::Test {
  protected:
    platform::Bundle bundle{NORVIK_SOURCE_RESOURCES, "en"};
    platform::Bundle::ScopedMainBundle scope{bundle};
};

// The warnings name disks by their display name, the view lists member slots:
// both must point at the same bay.
TEST_F(ShippedTexts, ADisksNameNamesTheSlotTheViewShows) {
    for (MV_U16 id = 1; id <= 16; ++id) {
        const HD_Info record = library_replies::diskRecord(id);
        const auto disk = MarvellDisk::initWithInfo(&record);
        EXPECT_THAT(disk->name(), testing::EndsWith("slot " + std::to_string(disk->slot())))
            << "device ID " << id;
    }
}

TEST_F(ShippedTexts, AnEmptyNameIsNotCalledUnreadable) {
    const std::string empty = bundle.localizedString("VOLUME_NAME_EMPTY");
    EXPECT_THAT(empty, testing::HasSubstr("%d"));
    EXPECT_THAT(empty, testing::Not(testing::HasSubstr("unreadable")));
}

}  // namespace
