// norvik-raidd's command line.
#include "service/service_options.h"

#include <gtest/gtest.h>

namespace {

using service::parseServiceOptions;

TEST(ServiceOptions, DefaultToTheInstalledLibraryAndThirtySeconds) {
    const auto parsed = parseServiceOptions({});
    ASSERT_TRUE(parsed.options);
    EXPECT_TRUE(parsed.options->library.empty());
    EXPECT_EQ(parsed.options->callLimit, std::chrono::seconds(30));
}

TEST(ServiceOptions, TakeALibraryPathAndACallLimit) {
    const auto parsed =
        parseServiceOptions({"--library", "/tmp/libmv_api.so", "--call-limit-ms", "250"});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->library, "/tmp/libmv_api.so");
    EXPECT_EQ(parsed.options->callLimit, std::chrono::milliseconds(250));
}

TEST(ServiceOptions, RefuseWhatTheyDoNotKnow) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--library"},
             {"--call-limit-ms", "0"},
             {"--call-limit-ms", "-5"},
             {"--call-limit-ms", "12s"},
             {"--call-limit-ms", ""},
             {"--verbose"},
         }) {
        const auto parsed = parseServiceOptions(arguments);
        EXPECT_FALSE(parsed.options) << arguments.front();
        EXPECT_FALSE(parsed.error.empty()) << arguments.front();
    }
    EXPECT_TRUE(parseServiceOptions({"--help"}).help);
}

}  // namespace
