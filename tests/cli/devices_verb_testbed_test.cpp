// norvik-raid devices on machines that udev describes (umockdev testbeds), and
// on the simulated enclosure. laptop_with_enclosure.umockdev is a made-up
// laptop: a Thunderbolt host with the enclosure (authorized) and a dock
// waiting for authorization, the enclosure's controller with disks sdb
// (partitioned) and sdc, a motherboard port with the same chip and disk sda,
// a USB stick and an NVMe drive.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/command_line.h"
#include "cli/devices_verb.h"
#include "cli/verbs.h"
#include "model/library_binding.h"
#include "tests/cli/command_line_run.h"
#include "tests/support/machine_recordings.h"
#include "tests/support/umockdev_testbed.h"

namespace {

using Outcome = CommandLineOutcome;
constexpr auto run = runNorvikRaid;

class DevicesVerbTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(UmockdevTestbed::preloaded()) << "run with LD_PRELOAD=libumockdev-preload.so.0";
        ::unsetenv("NORVIK_SIM_WORLD");
    }

    UmockdevTestbed testbed;
    ScopedControllerLibrary restoreLibrary{nullptr};
};

TEST_F(DevicesVerbTest, JsonOnARecordedLaptopListsTheEnclosureItsDisksAndTheWaitingDock) {
    testbed.addFile(std::filesystem::path(NORVIK_TEST_DATA_DIR) / "laptop_with_enclosure.umockdev");
    const Outcome r = run({"devices", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;

    const auto report = nlohmann::json::parse(r.out);
    const std::uint64_t size = recordings::kDiskSectors * 512;
    const auto disk = [size](const char* name, const char* serial) {
        return nlohmann::json{
            {"name", name}, {"model", "EXAMPLE HDD 2TB"}, {"serial", serial}, {"size_bytes", size}};
    };
    const nlohmann::json expected = {
        {"output_version", 1},
        {"enclosures",
         {{{"pci_slot", "0000:08:00.0"},
           {"vendor_id", "1b4b"},
           {"device_id", "9230"},
           {"subsystem_vendor_id", "1b4b"},
           {"subsystem_id", "9230"},
           {"driver", "ahci"},
           {"thunderbolt",
            {{"vendor_name", "Norvik"}, {"device_name", "Duo Thunderbolt"}, {"authorized", true}}},
           {"disks", {disk("sdb", "WX11A0000001"), disk("sdc", "WX11A0000002")}}}}},
        {"unauthorized_thunderbolt",
         {{{"vendor_name", "Example"},
           {"device_name", "Dock 2"},
           {"unique_id", "0f5e3d2c-0000-4b1a-8000-00000000d0c2"}}}},
        {"library_problem", report.at("library_problem")},
    };
    EXPECT_EQ(report, expected) << report.dump(2);
    EXPECT_EQ(r.out.rfind("{\n  \"output_version\": 1,", 0), 0u) << "the version comes first";
}

TEST_F(DevicesVerbTest, TextNamesTheEnclosureAndHowToAuthorizeTheDock) {
    testbed.addFile(std::filesystem::path(NORVIK_TEST_DATA_DIR) / "laptop_with_enclosure.umockdev");
    const Outcome r = run({"devices"});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const char* expected :
         {"Enclosure at PCI 0000:08:00.0: 1b4b:9230, subsystem 1b4b:9230, driver ahci",
          "Thunderbolt: Norvik Duo Thunderbolt (authorized)",
          "Disk sdb: EXAMPLE HDD 2TB, serial WX11A0000001, 2000398934016 bytes",
          "Example Dock 2 (0f5e3d2c-0000-4b1a-8000-00000000d0c2)", "boltctl authorize",
          "Thunderbolt settings"}) {
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
    }
    EXPECT_EQ(r.out.find("sda"), std::string::npos) << "the motherboard's disk is no enclosure's";
}

TEST_F(DevicesVerbTest, AMachineWithoutTheEnclosureExitsOne) {
    testbed.add(recordings::foreignDisks());
    const Outcome r = run({"devices", "--json"});
    EXPECT_EQ(r.status, 1);
    const auto report = nlohmann::json::parse(r.out);
    EXPECT_EQ(report.at("enclosures"), nlohmann::json::array());
    EXPECT_EQ(run({"devices"}).out.rfind("No enclosure found.", 0), 0u);
}

TEST_F(DevicesVerbTest, AMissingVendorLibraryIsSaidOnceInTheOutput) {
    const Outcome r = run({"devices", "--json"});
    const auto report = nlohmann::json::parse(r.out);
    if (report.at("library_problem").is_null()) {
        GTEST_SKIP() << "a vendor library is installed";
    }
    const std::string problem = report.at("library_problem");
    EXPECT_NE(problem.find("belongs at"), std::string::npos) << problem;
    EXPECT_NE(problem.find("lib/norvik-raid-utility/libmv_api.so"), std::string::npos) << problem;
    EXPECT_EQ(r.err, "");

    const Outcome text = run({"devices"});
    EXPECT_EQ(text.err, "");
    const std::string line = "Controller library: " + problem;
    const auto at = text.out.find(line);
    EXPECT_NE(at, std::string::npos) << text.out;
    EXPECT_EQ(text.out.find(line, at + 1), std::string::npos) << "said twice:\n" << text.out;
}

// Names come from the devices themselves: a Thunderbolt device names itself.
TEST_F(DevicesVerbTest, HostileDeviceNamesNeitherStopTheReportNorReachTheTerminalRaw) {
    testbed.add(recordings::thunderboltHost() + recordings::enclosureThunderbolt("1") +
                recordings::enclosurePci());
    testbed.setAttribute(recordings::kEnclosureDisk1, "device/model", "EXAMPLE\xff\xfe HDD");
    testbed.setAttribute(recordings::kThunderboltDevice, "device_name",
                         "Duo\x1b]0;owned\x07\nfake line\xc3");

    const Outcome json = run({"devices", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto report = nlohmann::json::parse(json.out);
    const auto& enclosure = report.at("enclosures").at(0);
    EXPECT_EQ(enclosure.at("disks").at(0).at("model"), "EXAMPLE\uFFFD\uFFFD HDD");
    EXPECT_EQ(enclosure.at("thunderbolt").at("device_name"),
              "Duo\x1b]0;owned\x07\nfake line\uFFFD");

    const Outcome text = run({"devices"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Thunderbolt: Norvik Duo\\x1B]0;owned\\x07\\x0Afake line\\xC3 "
                            "(authorized)"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("Disk sdb: EXAMPLE\\xFF\\xFE HDD, serial WX11A0000001"),
              std::string::npos)
        << text.out;
}

TEST_F(DevicesVerbTest, HelpAndMistypedCommandLines) {
    const Outcome help = run({"devices", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: norvik-raid devices [--json] [--simulator]"),
              std::string::npos);
    EXPECT_EQ(help.err, "");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"devices", "--jsn"}, {"devices", "extra"}, {"devices", "-j"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, cli::kUsageError) << args[1];
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("“" + args[1] + "”"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Usage: norvik-raid devices"), std::string::npos) << r.err;
    }
}

TEST_F(DevicesVerbTest, TheSimulatorListsItsEnclosureTheSameWay) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("devices-verb-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("NORVIK_SIM_WORLD", (dir / "world.json").c_str(), 1);
    const Outcome r = run({"devices", "--json", "--simulator"});
    ::unsetenv("NORVIK_SIM_WORLD");
    std::filesystem::remove_all(dir);

    ASSERT_EQ(r.status, 0) << r.err;
    const auto report = nlohmann::json::parse(r.out);
    ASSERT_EQ(report.at("enclosures").size(), 1u) << report.dump(2);
    const auto& enclosure = report.at("enclosures")[0];
    EXPECT_EQ(enclosure.at("vendor_id"), "1b4b");
    EXPECT_EQ(enclosure.at("subsystem_id"), "9230");
    EXPECT_EQ(enclosure.at("disks").size(), 2u);
    EXPECT_TRUE(report.at("library_problem").is_null());
}

}  // namespace
