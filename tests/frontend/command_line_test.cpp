#include "frontend/qt/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace frontend {
namespace {

struct Answer {
    std::optional<int> status;
    std::string printed;
};

Answer run(std::vector<const char*> args) {
    args.insert(args.begin(), "norvik-raid-utility");
    std::ostringstream out;
    const auto status = answerInformationalOptions(static_cast<int>(args.size()), args.data(), out);
    return {status, out.str()};
}

TEST(CommandLine, HelpAndVersionAnswerAndExit) {
    for (const char* option : {"--help", "-h"}) {
        const Answer a = run({"-platform", "offscreen", option});
        EXPECT_EQ(a.status, 0) << option;
        EXPECT_THAT(a.printed, testing::StartsWith("Usage: norvik-raid-utility")) << option;
    }
    for (const char* option : {"--version", "-V"}) {
        const Answer a = run({option});
        EXPECT_EQ(a.status, 0) << option;
        EXPECT_EQ(a.printed, std::string("norvik-raid-utility ") + NORVIK_VERSION + "\n") << option;
    }
}

TEST(CommandLine, AnythingElseOpensTheWindow) {
    for (const auto& args : std::vector<std::vector<const char*>>{
             {}, {"-platform", "offscreen"}, {"--", "--help"}, {"--helpful"}}) {
        const Answer a = run(args);
        EXPECT_EQ(a.status, std::nullopt);
        EXPECT_EQ(a.printed, "");
    }
}

}  // namespace
}  // namespace frontend
