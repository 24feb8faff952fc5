// What the monitor hands to the node exporter: the textfile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "cli/textfile_export.h"
#include "tests/sim/sim_test_support.h"

namespace {

using ::testing::ElementsAre;

EnclosureReading rebuildingMirror(const std::string& name) {
    VolumeReading volume;
    volume.id = 1;
    volume.name = name;
    volume.status = 10;
    volume.progressPercent = 37;
    volume.secondsRemaining = 4200;
    volume.memberSlots = {0, 1};
    DiskReading disk;
    disk.status = 2;
    ControllerReading controller;
    controller.volumes = {volume};
    controller.disks = {disk, disk};
    EnclosureReading reading;
    reading.controllers = {controller};
    return reading;
}

// Samples of an exposition text by series ("name{labels}"), and the TYPE of each metric.
struct Exposition {
    std::map<std::string, double> samples;
    std::map<std::string, std::string> types;
};

Exposition parse(const std::string& text) {
    Exposition e;
    std::istringstream in(text);
    std::string line;
    const std::regex sample(R"(([a-z_]+(\{(?:[a-z_]+="(?:[^"\\]|\\.)*",?)*\})?) (\S+))");
    const std::regex type(R"(# TYPE ([a-z_]+) (gauge|counter))");
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_match(line, m, type)) {
            e.types[m[1]] = m[2];
        } else if (std::regex_match(line, m, sample)) {
            e.samples[m[1]] = std::stod(m[3]);
        } else if (line.rfind("# HELP ", 0) != 0) {
            ADD_FAILURE() << "not in the exposition format: " << line;
        }
    }
    return e;
}

TEST(Textfile, ParsesBackToTheReading) {
    const Exposition e = parse(cli::promText(rebuildingMirror("Norvik Duo")));
    const std::string volume = R"(controller="0",volume="Norvik Duo")";
    EXPECT_EQ(e.samples.at("norvik_raid_up"), 1);
    EXPECT_EQ(e.samples.at("norvik_raid_volume_state{" + volume + R"(,state="rebuilding"})"), 1);
    EXPECT_EQ(e.samples.at("norvik_raid_volume_state{" + volume + R"(,state="functional"})"), 0);
    EXPECT_DOUBLE_EQ(e.samples.at("norvik_raid_volume_rebuild_progress_ratio{" + volume + "}"),
                     0.37);
    EXPECT_EQ(e.samples.at("norvik_raid_volume_rebuild_seconds_remaining{" + volume + "}"), 4200);
    EXPECT_EQ(e.samples.at(R"(norvik_raid_disks{controller="0",state="assigned"})"), 2);
    for (const char* metric :
         {"norvik_raid_up", "norvik_raid_volume_state", "norvik_raid_volume_rebuild_progress_ratio",
          "norvik_raid_volume_rebuild_seconds_remaining", "norvik_raid_disks"}) {
        EXPECT_EQ(e.types.at(metric), "gauge") << metric;
    }
}

TEST(Textfile, NoEnclosureIsDownUnknownAndHasNoOtherSeries) {
    const Exposition e = parse(cli::promText({}));
    EXPECT_EQ(e.samples.at("norvik_raid_up"), 0);
    EXPECT_EQ(e.samples.at(R"(norvik_raid_state{state="unknown"})"), 1);
    EXPECT_EQ(e.samples.at(R"(norvik_raid_state{state="ok"})"), 0);
    EXPECT_EQ(e.samples.size(), 6u);
}

TEST(Textfile, LabelValuesAreEscaped) {
    EXPECT_EQ(cli::escapeLabelValue(R"(a\b"c)"
                                    "\n"),
              R"(a\\b\"c\n)");
    const std::string text = cli::promText(rebuildingMirror("Q\"\\\n"));
    EXPECT_THAT(text, ::testing::HasSubstr(R"(volume="Q\"\\\n")"));
    parse(text);  // every line still in the format
}

TEST(Textfile, TwoVolumesOfTheSameNameGetDifferentSeries) {
    EnclosureReading reading = rebuildingMirror("Same");
    VolumeReading second = reading.controllers[0].volumes[0];
    second.id = 2;
    reading.controllers[0].volumes.push_back(second);
    const Exposition e = parse(cli::promText(reading));
    EXPECT_TRUE(e.samples.count(
        R"x(norvik_raid_volume_state{controller="0",volume="Same (2)",state="rebuilding"})x"));
}

EnclosureReading withStatus(int status, std::optional<int> pulled) {
    EnclosureReading reading = rebuildingMirror("M");
    VolumeReading& v = reading.controllers[0].volumes[0];
    v.status = status;
    v.progressPercent.reset();
    v.secondsRemaining.reset();
    reading.controllers[0].disks[1].slot = 1;
    if (pulled) {
        std::erase(v.memberSlots, *pulled);
        std::erase_if(reading.controllers[0].disks,
                      [&](const DiskReading& d) { return d.slot == *pulled; });
    }
    return reading;
}

TEST(Textfile, CarriesTheSoftwareRaidShapeOfEachVolume) {
    const std::string m = R"(controller="0",volume="M")";
    struct Case {
        const char* state;
        EnclosureReading reading;
        std::optional<double> active;  // none: not said while unknown
    };
    const Case cases[] = {
        {"functional", withStatus(0, std::nullopt), 2},
        {"rebuilding", rebuildingMirror("M"), 1},
        {"degraded", withStatus(1, 1), 1},
        {"offline", withStatus(4, 0), 1},
        {"unknown",
         [] {
             EnclosureReading r = withStatus(0, std::nullopt);
             r.controllers[0].volumes[0].status.reset();
             return r;
         }(),
         std::nullopt},
    };
    for (const Case& c : cases) {
        EnclosureReading reading = c.reading;
        reading.controllers[0].volumes[0].mode = 1;
        reading.controllers[0].volumes[0].capacityBytes = 2000398934016;
        const Exposition e = parse(cli::promText(reading));
        EXPECT_EQ(e.samples.at("norvik_raid_volume_size_bytes{" + m + "}"), 2000398934016)
            << c.state;
        EXPECT_EQ(e.samples.at("norvik_raid_volume_info{" + m + R"(,level="raid1"})"), 1)
            << c.state;
        EXPECT_EQ(e.samples.at("norvik_raid_volume_disks_required{" + m + "}"), 2) << c.state;
        const auto active = e.samples.find("norvik_raid_volume_disks_active{" + m + "}");
        if (c.active) {
            ASSERT_NE(active, e.samples.end()) << c.state;
            EXPECT_EQ(active->second, *c.active) << c.state;
        } else {
            EXPECT_EQ(active, e.samples.end()) << c.state;
        }
        for (const char* metric :
             {"norvik_raid_volume_size_bytes", "norvik_raid_volume_info",
              "norvik_raid_volume_disks_required", "norvik_raid_volume_disks_active"}) {
            EXPECT_EQ(e.types.at(metric), "gauge") << metric;
        }
    }
}

class TextfileDirectory : public ::testing::Test {
  protected:
    sim::testing::TempWorld dir_;  // a fresh directory
};

TEST_F(TextfileDirectory, IsReplacedWholeAndLeavesNoTemporaryFile) {
    const cli::TextfileExport textfile(dir_.dir());
    ASSERT_EQ(textfile.write(rebuildingMirror("First")), "");
    // A reader that opened the old file keeps reading the old contents whole.
    std::ifstream reader(textfile.file());
    struct stat before {};
    ::stat(textfile.file().c_str(), &before);

    ASSERT_EQ(textfile.write(rebuildingMirror("Second")), "");
    std::stringstream old;
    old << reader.rdbuf();
    EXPECT_THAT(old.str(), ::testing::HasSubstr("First"));
    EXPECT_THAT(old.str(), ::testing::EndsWith("\n"));
    struct stat after {};
    ::stat(textfile.file().c_str(), &after);
    EXPECT_NE(before.st_ino, after.st_ino);  // a new file, renamed into place
    EXPECT_EQ(after.st_mode & 0777, 0644u);

    std::ifstream now(textfile.file());
    std::stringstream fresh;
    fresh << now.rdbuf();
    EXPECT_THAT(fresh.str(), ::testing::HasSubstr("Second"));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.dir())) {
        names.push_back(entry.path().filename());
    }
    EXPECT_THAT(names, ElementsAre("norvik_raid.prom"));
}

TEST_F(TextfileDirectory, AnUnwritableDirectoryIsReportedAndChangesNothing) {
    const cli::TextfileExport textfile(dir_.dir() / "missing");
    const std::string problem = textfile.write(rebuildingMirror("X"));
    EXPECT_THAT(problem, ::testing::HasSubstr("missing"));
    EXPECT_FALSE(std::filesystem::exists(dir_.dir() / "missing"));
}

}  // namespace
