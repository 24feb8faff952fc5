// A disk or SCSI node that comes or goes makes the service count its
// adapters again; other device nodes do not.
#include "service/hot_plug_watch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

struct NodeChange {
    const char* node;
    bool removed;
    bool countsAgain;
};

class HotPlug : public testing::TestWithParam<NodeChange> {
  protected:
    HotPlug() { std::filesystem::create_directories(dir); }
    ~HotPlug() override { std::filesystem::remove_all(dir); }

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("norvik-dev-" + std::to_string(::getpid()));
};

TEST_P(HotPlug, ChangesTheCountOnlyForControllerNodes) {
    const NodeChange change = GetParam();
    const auto node = dir / change.node;
    if (change.removed) {
        std::ofstream(node).put('x');
    }
    int changes = 0;
    service::HotPlugWatch watch(dir, [&] { ++changes; });
    if (change.removed) {
        std::filesystem::remove(node);
    } else {
        std::ofstream(node).put('x');
    }
    watch.readChanges();
    EXPECT_EQ(changes, change.countsAgain ? 1 : 0);
    watch.readChanges();
    EXPECT_EQ(changes, change.countsAgain ? 1 : 0) << "told once";
}

INSTANTIATE_TEST_SUITE_P(Nodes,
                         HotPlug,
                         testing::Values(NodeChange{"sdb", false, true},
                                         NodeChange{"sdb1", true, true},
                                         NodeChange{"sg3", false, true},
                                         NodeChange{"sg3", true, true},
                                         NodeChange{"tty5", false, false},
                                         NodeChange{"sd", false, false},
                                         NodeChange{"nvme0n1", true, false}));

TEST(HotPlugWatch, SaysWhyItCannotWatchADirectoryThatIsNotThere) {
    EXPECT_THROW(service::HotPlugWatch("/nonexistent/dev", [] {}), std::system_error);
}

}  // namespace
