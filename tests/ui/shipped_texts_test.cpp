// The string tables the application ships: what the user reads must agree
// with itself.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "model/marvell_disk.h"
#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"
#include "tests/support/library_replies.h"

namespace {

class ShippedTexts : public testing::Test {
  protected:
    platform::Bundle bundle{NORVIK_SOURCE_RESOURCES, "en"};
    platform::Bundle::ScopedMainBundle scope{bundle};
};

// The warnings name disks by their display name, the view lists member slots:
// both must point at the same bay, in every language.
TEST(DiskNames, NameTheSlotTheViewShows) {
    for (const auto& [language, slot] : {std::pair{"en", " slot "}, std::pair{"de", " Schacht "}}) {
        platform::Bundle bundle{NORVIK_SOURCE_RESOURCES, language};
        platform::Bundle::ScopedMainBundle scope{bundle};
        for (MV_U16 id = 1; id <= 16; ++id) {
            const HD_Info record = library_replies::diskRecord(id);
            const auto disk = MarvellDisk::initWithInfo(&record);
            EXPECT_THAT(disk->name(), testing::EndsWith(slot + std::to_string(disk->slot())))
                << language << ", device ID " << id;
        }
    }
}

TEST_F(ShippedTexts, AnEmptyNameIsNotCalledUnreadable) {
    const std::string empty = bundle.localizedString("VOLUME_NAME_EMPTY");
    EXPECT_THAT(empty, testing::HasSubstr("%d"));
    EXPECT_THAT(empty, testing::Not(testing::HasSubstr("unreadable")));
}

// English disk names are capitalised ("Disk in slot 1"): a text that names a
// disk must do so where a sentence starts.
TEST_F(ShippedTexts, EnglishDiskNamesStartTheirSentence) {
    const std::string survivor = bundle.localizedString("DISK_1");
    const std::string replacement = bundle.localizedString("DISK_2");
    for (const char* key : {"WARNING1_REBUILD_BODY", "WARNING2_REBUILD_TITLE"}) {
        const std::string shown = platform::formatString(bundle.localizedString(key),
                                                         {survivor, replacement, replacement});
        for (const std::string& name : {survivor, replacement}) {
            for (auto at = shown.find(name); at != std::string::npos;
                 at = shown.find(name, at + 1)) {
                EXPECT_TRUE(at == 0 || shown.compare(at - 2, 2, ". ") == 0) << shown;
            }
        }
    }
}

}  // namespace
