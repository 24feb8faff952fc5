// norvik-raid's changing verbs through norvik-raidd, with polkit played by
// python3-dbusmock: polkit's yes or no decides, a refusal changes nothing
// and says how to get the right, and a terminal gets polkit's text agent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/authentication_agent.h"
#include "cli/command_line.h"
#include "model/model_clock.h"
#include "platform/controls/bundle.h"
#include "tests/service/bus_test_environment.h"
#include "tests/service/service_worlds.h"

namespace {

using ::testing::HasSubstr;

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Said {
    int status = 0;
    std::string out;
    std::string err;
};

struct ServiceCase {
    const char* what;
    bool allowed;
    std::vector<std::string> args;
    bool terminal;
    const char* typed;
    int status;
    bool changes;
    const char* said;
};

void PrintTo(const ServiceCase& c, std::ostream* os) {
    *os << c.what;
}

class CommandLineOverService : public ::testing::TestWithParam<ServiceCase> {
  protected:
    CommandLineOverService() { service.start(); }

    Said talk(const std::vector<std::string>& args, bool terminal, const std::string& typed) {
        std::istringstream in(typed);
        std::ostringstream out, err;
        cli::Console console{in, terminal, out, err};
        Said said;
        said.status = cli::runCommandLine(args, console);
        said.out = out.str();
        said.err = err.str();
        return said;
    }

    bustest::TestBus bus;
    bustest::PolkitMock polkit{bus};
    bustest::TemporaryWorld world{bustest::degradedWorld()};
    bustest::ServiceProcess service{bus, NORVIK_SIM_LIBRARY, {world.environment()}};
    platform::Bundle strings{NORVIK_RESOURCES_DIR, "en"};
    platform::Bundle::ScopedMainBundle stringsScope{strings};
    platform::ManualClock clock;
    ScopedModelClock pauses{clock};
};

TEST_P(CommandLineOverService, PolkitDecidesAndARefusalChangesNothing) {
    const ServiceCase& c = GetParam();
    polkit.allowConfiguring(c.allowed);
    const std::string before = contents(world.file());
    const Said said = talk(c.args, c.terminal, c.typed);
    EXPECT_EQ(said.status, c.status) << said.out << said.err;
    EXPECT_EQ(contents(world.file()) != before, c.changes);
    EXPECT_THAT(said.out + said.err, HasSubstr(c.said));
}

INSTANTIATE_TEST_SUITE_P(
    Verbs,
    CommandLineOverService,
    ::testing::Values(ServiceCase{"rebuild allowed",
                                  true,
                                  {"rebuild", "--yes"},
                                  false,
                                  "",
                                  0,
                                  true,
                                  "The rebuild has started"},
                      ServiceCase{"rebuild confirmed and allowed",
                                  true,
                                  {"rebuild"},
                                  true,
                                  "yes\nyes\n",
                                  0,
                                  true,
                                  "copied from: slot 0"},
                      ServiceCase{"rebuild refused",
                                  false,
                                  {"rebuild", "--yes"},
                                  false,
                                  "",
                                  4,
                                  false,
                                  "polkit rule for the action org.norvik.RAIDUtility1.configure"},
                      ServiceCase{"rebuild confirmed and refused",
                                  false,
                                  {"rebuild"},
                                  true,
                                  "yes\nyes\n",
                                  4,
                                  false,
                                  "Not authorized to change the enclosure"},
                      ServiceCase{"rebuild declined",
                                  false,
                                  {"rebuild"},
                                  true,
                                  "no\n",
                                  1,
                                  false,
                                  "not confirmed"},
                      ServiceCase{"rebuild without a terminal",
                                  true,
                                  {"rebuild"},
                                  false,
                                  "",
                                  1,
                                  false,
                                  "not a terminal"},
                      ServiceCase{"configure refused",
                                  false,
                                  {"configure", "raid0", "--yes"},
                                  false,
                                  "",
                                  4,
                                  false,
                                  "Ask an administrator"},
                      ServiceCase{"configure allowed",
                                  true,
                                  {"configure", "individual", "--yes"},
                                  false,
                                  "",
                                  0,
                                  true,
                                  "The disks are now individual disks"},
                      ServiceCase{"configure declined",
                                  true,
                                  {"configure", "raid1"},
                                  true,
                                  "yes\nno\n",
                                  1,
                                  false,
                                  "not confirmed"},
                      ServiceCase{"cancel with no rebuild",
                                  true,
                                  {"cancel-rebuild", "--yes"},
                                  false,
                                  "",
                                  1,
                                  false,
                                  "is being rebuilt"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(CommandLineOverService, ARunningRebuildIsCancelledOnlyWithPolkitsYes) {
    polkit.allowConfiguring(true);
    ASSERT_EQ(talk({"rebuild", "--yes"}, false, "").status, 0);
    polkit.allowConfiguring(false);
    const std::string rebuilding = contents(world.file());
    const Said refused = talk({"cancel-rebuild", "--yes", "--json"}, false, "");
    EXPECT_EQ(refused.status, 4);
    EXPECT_EQ(contents(world.file()), rebuilding);
    EXPECT_THAT(refused.out, HasSubstr("\"result\": \"not-authorized\""));
    polkit.allowConfiguring(true);
    EXPECT_EQ(talk({"cancel-rebuild"}, true, "yes\n").status, 0);
    EXPECT_NE(contents(world.file()), rebuilding);
}

TEST_F(CommandLineOverService, PolkitIsAskedOnceBeforeAnyChangeAndMayAskThePerson) {
    polkit.allowConfiguring(false);
    talk({"configure", "raid1", "--yes"}, false, "");
    const std::string log = polkit.log();
    std::size_t asked = 0;
    for (auto at = log.find("CheckAuthorization"); at != std::string::npos;
         at = log.find("CheckAuthorization", at + 1)) {
        ++asked;
    }
    EXPECT_EQ(asked, 1u) << log;
    EXPECT_THAT(log, HasSubstr("\"org.norvik.RAIDUtility1.configure\" {} 1 \"\""));
}

// norvik-raid itself on a terminal of its own (a pseudo-terminal that is its
// controlling terminal), answering its questions there.
struct TerminalRun {
    pid_t pid = -1;
    int status = -1;
    std::string screen;
};

TerminalRun onTerminal(const std::vector<std::string>& args, const std::string& typed) {
    std::vector<std::string> words = {NORVIK_RAID};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    TerminalRun run;
    int master = -1;
    run.pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (run.pid == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (run.pid < 0) {
        return run;
    }
    // The terminal keeps what is typed until the program reads it.
    (void)!::write(master, typed.data(), typed.size());
    const auto deadline = std::chrono::steady_clock::now() + testsupport::kBound;
    char buffer[4096];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) {
            continue;
        }
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) {
            break;  // the program has ended and closed the terminal
        }
        run.screen.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(master);
    int status = 0;
    if (::waitpid(run.pid, &status, 0) == run.pid && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    }
    return run;
}

TEST_F(CommandLineOverService, ATerminalGetsTheTextAgentRegisteredForTheProgram) {
    if (::access(cli::TextAuthenticationAgent::kProgram, X_OK) != 0) {
        GTEST_SKIP() << "pkttyagent is not installed";
    }
    polkit.allowConfiguring(true);
    const std::string before = contents(world.file());
    const TerminalRun run = onTerminal({"rebuild"}, "yes\nyes\n");
    EXPECT_EQ(run.status, 0) << run.screen;
    EXPECT_THAT(run.screen, HasSubstr("Type yes to go on: "));
    EXPECT_NE(contents(world.file()), before);
    const std::string log = polkit.log();
    const auto registered = log.find("RegisterAuthenticationAgent");
    ASSERT_NE(registered, std::string::npos) << log;
    EXPECT_THAT(log.substr(registered), HasSubstr(std::to_string(run.pid))) << log;
    EXPECT_LT(registered, log.find("CheckAuthorization")) << "the agent comes first";
}

TEST_F(CommandLineOverService, WithoutATerminalNoAgentIsStarted) {
    polkit.allowConfiguring(true);
    ASSERT_EQ(talk({"rebuild", "--yes"}, false, "").status, 0);
    EXPECT_THAT(polkit.log(), ::testing::Not(HasSubstr("RegisterAuthenticationAgent")));
}

}  // namespace
