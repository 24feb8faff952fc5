// The systemd unit of norvik-raidd as installed: systemd accepts it, alone
// and with the documented drop-in that widens its devices, and its exposure
// stays at 2.0 or lower. Skipped where systemd-analyze is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace {

std::filesystem::path systemdAnalyze() {
    const char* path = std::getenv("PATH");
    std::istringstream directories(path ? path : "/usr/bin:/bin");
    for (std::string directory; std::getline(directories, directory, ':');) {
        const auto candidate = std::filesystem::path(directory) / "systemd-analyze";
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

struct Outcome {
    int status = -1;
    std::string output;  // standard output and error together
};

Outcome analyze(const std::vector<std::string>& arguments, const std::string& unitPath = "") {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return {};
    }
    std::string command = "exec '" + systemdAnalyze().string() + "'";
    for (const auto& argument : arguments) {
        command += " '" + argument + "'";
    }
    testsupport::ChildProcess child({"/bin/sh", "-c", command + " 2>&1"},
                                    {"SYSTEMD_UNIT_PATH=" + unitPath + ":"}, fds[1]);
    ::close(fds[1]);
    Outcome outcome;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        outcome.output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    if (const auto status = child.waitForExit(); status && WIFEXITED(*status)) {
        outcome.status = WEXITSTATUS(*status);
    }
    return outcome;
}

class UnitFile : public testing::Test {
  protected:
    void SetUp() override {
        if (systemdAnalyze().empty()) {
            GTEST_SKIP() << "systemd-analyze is not installed";
        }
    }
    const std::filesystem::path unit = NORVIK_RAIDD_UNIT;
};

TEST_F(UnitFile, IsAcceptedBySystemd) {
    const Outcome verified = analyze({"verify", unit.string()});
    EXPECT_EQ(verified.status, 0) << verified.output;
    EXPECT_EQ(verified.output, "");
}

TEST_F(UnitFile, IsAcceptedWithTheDocumentedDropInThatWidensItsDevices) {
    const auto units =
        std::filesystem::temp_directory_path() / ("norvik-units-" + std::to_string(::getpid()));
    std::filesystem::create_directories(units / "norvik-raidd.service.d");
    std::filesystem::copy_file(unit, units / "norvik-raidd.service");
    std::filesystem::copy_file(NORVIK_DEVICES_DROP_IN,
                               units / "norvik-raidd.service.d" / "devices.conf");

    const Outcome verified =
        analyze({"verify", (units / "norvik-raidd.service").string()}, units.string());
    const Outcome rated = analyze(
        {"security", "--offline=yes", (units / "norvik-raidd.service").string()}, units.string());
    std::filesystem::remove_all(units);

    EXPECT_EQ(verified.status, 0) << verified.output;
    EXPECT_EQ(verified.output, "");
    EXPECT_NE(rated.output.find("char-raidctl:rw"), std::string::npos) << rated.output;
}

TEST_F(UnitFile, IsRatedAnExposureOfTwoOrLower) {
    // The threshold is in tenths.
    const Outcome rated = analyze({"security", "--offline=yes", "--threshold=20", unit.string()});
    EXPECT_EQ(rated.status, 0) << rated.output;
    EXPECT_NE(rated.output.find("Overall exposure level"), std::string::npos) << rated.output;
}

}  // namespace
