#include "ui/library_problem_alert.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/app_harness.h"

namespace {

using ::testing::ElementsAre;

TEST(LibraryProblemAlert, SaysWhichFileIsMissingAndWhereItBelongs) {
    AppHarness h;
    const std::string problem =
        "the vendor's controller library is missing; the vendor's libmv_api.so belongs at "
        "/opt/norvik/lib/norvik-raid-utility/libmv_api.so";
    alertLibraryProblem(problem);

    ASSERT_EQ(h.alerts->shown().size(), 1u);
    const auto& alert = h.alerts->shown()[0];
    EXPECT_EQ(alert.messageText, "LIBRARY_PROBLEM_TITLE");
    EXPECT_EQ(alert.informativeText, "LIBRARY_PROBLEM_BODY " + problem);
    EXPECT_THAT(alert.buttons, ElementsAre("OK"));
    EXPECT_EQ(alert.mode, platform::Mode::ModalPanel);
}

TEST(LibraryProblemAlert, ALoadedLibraryIsNotMentioned) {
    AppHarness h;
    alertLibraryProblem("");
    EXPECT_TRUE(h.alerts->shown().empty());
}

}  // namespace
