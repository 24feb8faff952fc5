#include "model/loaded_library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "model/library_binding.h"
#include "model/marvell_controller.h"

namespace {

using testing::AllOf;
using testing::HasSubstr;
using testing::Not;

TEST(LoadedLibrary, CallsThroughToTheFile) {
    std::ostringstream report;
    LoadedLibrary library(NORVIK_TEST_FULL_LIBRARY, report);
    EXPECT_TRUE(library.isLoaded());
    EXPECT_EQ(report.str(), "");
    EXPECT_EQ(library.MV_Adapter_GetCount(), 3);
    EXPECT_EQ(library.MV_LD_BGAControl(1, 2, 4), 7);
    Adapter_Config config{};
    config.AutoRebuild = 1;
    EXPECT_EQ(library.MV_Adapter_SetConfig(5, &config), 6);
}

TEST(LoadedLibrary, MissingFileIsReportedOnceAndEveryCallRaises) {
    const std::string path = std::string(NORVIK_TEST_FULL_LIBRARY) + ".absent";
    std::ostringstream report;
    LoadedLibrary library(path, report);
    EXPECT_FALSE(library.isLoaded());
    EXPECT_THAT(report.str(), HasSubstr(path));
    const std::string message = report.str();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_THROW(library.MV_API_Initialize(), std::runtime_error);
    EXPECT_THROW(library.MV_LD_BGAControl(0, 0, 4), std::runtime_error);

    // The model sees a library that raises: no controller, no crash, no more messages.
    const std::string reported = report.str();
    ScopedControllerLibrary binding(library);
    EXPECT_TRUE(MarvellController::scanForControllers().empty());
    EXPECT_FALSE(MarvellController::initWithID(0));
    EXPECT_EQ(report.str(), reported);
}

TEST(LoadedLibrary, MissingSymbolsAreNamed) {
    std::ostringstream report;
    LoadedLibrary library(NORVIK_TEST_PARTIAL_LIBRARY, report);
    EXPECT_FALSE(library.isLoaded());
    EXPECT_THAT(report.str(),
                AllOf(HasSubstr(NORVIK_TEST_PARTIAL_LIBRARY), HasSubstr("MV_LD_StartRebuild"),
                      HasSubstr("MV_LD_BGAControl"), Not(HasSubstr("MV_LD_Delete"))));
    // Even the operations the file has are not used from a half library.
    EXPECT_THROW(library.MV_Adapter_GetCount(), std::runtime_error);
}

TEST(LoadedLibrary, SearchesNoOtherPath) {
    // A bare file name would make dlopen search the library path; it is taken
    // relative to the working directory instead.
    std::ostringstream report;
    LoadedLibrary library("libc.so.6", report);
    EXPECT_FALSE(library.isLoaded());
    EXPECT_TRUE(library.path().is_absolute());
}

TEST(LoadedLibrary, DefaultPathIsBesideTheExecutable) {
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(LoadedLibrary::defaultPath(),
              (exe.parent_path().parent_path() / "lib" / "norvik-raid-utility" / "libmv_api.so")
                  .lexically_normal());
}

}  // namespace
