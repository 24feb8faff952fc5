// The monitor's journal entries: their fields and priorities, the catalog
// that explains each MESSAGE_ID, and what sd_journal_send really writes,
// read back from the native protocol's datagrams on a socket the test owns
// (in a mount namespace of its own, where that socket is the journal's).
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "cli/journal_channel.h"
#include "tests/cli/cli_test_support.h"
#include "tests/cli/sample_events.h"

namespace {

using ::testing::HasSubstr;
using Fields = std::map<std::string, std::string>;

constexpr int kNoNamespace = 77;

void writeFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY);
    if (fd >= 0) {
        [[maybe_unused]] const auto n = ::write(fd, text.data(), text.size());
        ::close(fd);
    }
}

// In the child: a private /run (root may make one; others in a user
// namespace of their own) with a datagram socket where the journal's is.
int journalSocketOfOurOwn() {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            return -1;
        }
        writeFile("/proc/self/setgroups", "deny");
        writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    } else if (::unshare(CLONE_NEWNS) != 0) {
        return -1;
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", "/run", "tmpfs", 0, "mode=0755") != 0) {
        return -1;
    }
    ::mkdir("/run/systemd", 0755);
    ::mkdir("/run/systemd/journal", 0755);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, "/run/systemd/journal/socket");
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return -1;
    }
    return fd;
}

// Runs `body` in a child whose journal socket is the test's; the datagrams
// it sent there, or nothing when no namespace could be had.
std::optional<std::vector<std::string>> journalDatagrams(const std::function<void()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const int socket = journalSocketOfOurOwn();
        if (socket < 0) {
            ::_exit(kNoNamespace);
        }
        body();
        char buffer[65536];
        for (ssize_t n; (n = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;) {
            const auto size = static_cast<std::uint32_t>(n);
            [[maybe_unused]] auto a = ::write(pipeFds[1], &size, sizeof size);
            [[maybe_unused]] auto b = ::write(pipeFds[1], buffer, size);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::vector<std::string> datagrams;
    std::uint32_t size = 0;
    while (::read(pipeFds[0], &size, sizeof size) == sizeof size) {
        std::string datagram(size, '\0');
        std::size_t got = 0;
        while (got < size) {
            const ssize_t n = ::read(pipeFds[0], datagram.data() + got, size - got);
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        datagrams.push_back(datagram);
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNoNamespace) {
        return std::nullopt;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed: " << status;
    return datagrams;
}

// The native protocol: FIELD=value lines, or FIELD, a newline, a 64-bit
// little-endian length, the value and a newline for values with newlines.
Fields parseEntry(const std::string& datagram) {
    Fields fields;
    std::size_t at = 0;
    while (at < datagram.size()) {
        const auto newline = datagram.find('\n', at);
        const std::string line = datagram.substr(at, newline - at);
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            fields[line.substr(0, equals)] = line.substr(equals + 1);
            at = newline + 1;
        } else {
            std::uint64_t length = 0;
            std::memcpy(&length, datagram.data() + newline + 1, sizeof length);
            fields[line] = datagram.substr(newline + 1 + sizeof length, length);
            at = newline + 1 + sizeof length + length + 1;
        }
    }
    return fields;
}

// The degraded mirror on the second of two controllers.
cli::Event degradedMirror() {
    cli::Event e = cli::testing::degradedMirror();
    e.adapter = 1;
    e.subject = "controller1:Norvik Duo";
    e.severalControllers = true;
    return e;
}

class Journal : public cli::testing::SimulatedEnclosure {};

TEST_F(Journal, EachKindHasItsPriorityAndTheFieldsThatApply) {
    cli::Event progress;
    progress.kind = cli::EventKind::RebuildProgress;
    progress.subject = progress.volume = "Backup";
    progress.progressPercent = 41;
    progress.secondsRemaining = 300;
    cli::Event unavailable;
    unavailable.kind = cli::EventKind::ServiceUnavailable;
    unavailable.subject = cli::kControllerLibrarySubject;
    cli::Event reminder = degradedMirror();
    reminder.reminder = true;
    struct Case {
        cli::Event event;
        const char* priority;
        Fields present;
        std::vector<const char*> absent;
    };
    const Case cases[] = {
        {degradedMirror(),
         "2",
         {{"NORVIK_RAID_CONTROLLER", "1"},
          {"NORVIK_RAID_VOLUME", "Norvik Duo"},
          {"NORVIK_RAID_DISK_SLOT", "1"},
          {"NORVIK_RAID_DISK_MODEL", "NORVIK ND2T-S"},
          {"NORVIK_RAID_DISK_SERIAL", "NVD7K30001"},
          {"NORVIK_RAID_EVENT", "volume-degraded"}},
         {"NORVIK_RAID_REMINDER"}},
        {reminder, "2", {{"NORVIK_RAID_REMINDER", "1"}}, {}},
        {unavailable,
         "4",
         {{"NORVIK_RAID_SUBJECT", "controller-library"}},
         {"NORVIK_RAID_CONTROLLER", "NORVIK_RAID_VOLUME", "NORVIK_RAID_DISK_SLOT"}},
        {progress,
         "5",
         {{"NORVIK_RAID_PROGRESS_PERCENT", "41"}, {"NORVIK_RAID_SECONDS_REMAINING", "300"}},
         {"NORVIK_RAID_DISK_MODEL"}},
    };
    for (const Case& c : cases) {
        Fields fields;
        for (const cli::JournalField& f : cli::journalFields(c.event)) {
            EXPECT_TRUE(fields.emplace(f.name, f.value).second) << "twice: " << f.name;
            EXPECT_TRUE(std::regex_match(f.name, std::regex("[A-Z][A-Z0-9_]*"))) << f.name;
        }
        const std::string kind = cli::eventName(c.event.kind);
        EXPECT_EQ(fields["PRIORITY"], c.priority) << kind;
        EXPECT_EQ(fields["MESSAGE_ID"], cli::journalMessageId(c.event.kind)) << kind;
        EXPECT_FALSE(fields["MESSAGE"].empty()) << kind;
        for (const auto& [name, value] : c.present) {
            EXPECT_EQ(fields[name], value) << kind << " " << name;
        }
        for (const char* name : c.absent) {
            EXPECT_EQ(fields.count(name), 0u) << kind << " " << name;
        }
    }
}

TEST(JournalCatalog, ExplainsEveryMessageIdAndJournalctlReadsIt) {
    std::ifstream in(std::string(NORVIK_RESOURCES_DIR) + "/../cli/system/norvik-raid.catalog");
    std::stringstream text;
    text << in.rdbuf();
    std::set<std::string> inCatalog;
    const std::regex entry(R"(-- ([0-9a-f]{32})\nSubject: [^\n]+\nDefined-By: norvik-raid\n)");
    const std::string catalog = text.str();
    for (auto it = std::sregex_iterator(catalog.begin(), catalog.end(), entry);
         it != std::sregex_iterator(); ++it) {
        inCatalog.insert((*it)[1]);
    }
    std::set<std::string> ids;
    for (const cli::EventKind kind : cli::kEveryEventKind) {
        ids.insert(cli::journalMessageId(kind));
    }
    EXPECT_EQ(ids.size(), std::size(cli::kEveryEventKind));  // one each
    EXPECT_EQ(inCatalog, ids);

    // journalctl builds its database from the file and lists every entry.
    if (::access("/usr/bin/journalctl", X_OK) != 0 && ::access("/bin/journalctl", X_OK) != 0) {
        GTEST_SKIP() << "no journalctl";
    }
    sim::testing::TempWorld root;
    const auto dir = root.dir() / "usr/lib/systemd/catalog";
    std::filesystem::create_directories(dir);
    std::filesystem::create_directories(root.dir() / "var/lib/systemd/catalog");
    std::ofstream(dir / "norvik-raid.catalog") << catalog;
    const std::string listed = root.dir() / "listed";
    const std::string command =
        "journalctl --root=" + root.dir().string() +
        " --update-catalog 2>&1 && journalctl --root=" + root.dir().string() +
        " --list-catalog > " + listed + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream listing(listed);
    std::stringstream seen;
    seen << listing.rdbuf();
    for (const std::string& id : ids) {
        EXPECT_THAT(seen.str(), HasSubstr(id)) << "journalctl did not list it";
    }
}

TEST_F(Journal, WhatSdJournalSendWritesCarriesTheFields) {
    const cli::Event event = degradedMirror();
    const auto datagrams = journalDatagrams([&] {
        std::ostringstream err;
        cli::JournalChannel(err).send(event);
    });
    if (!datagrams) {
        GTEST_SKIP() << "no mount namespace for a journal socket of the test's own";
    }
    ASSERT_EQ(datagrams->size(), 1u);
    Fields sent = parseEntry(datagrams->front());
    for (const cli::JournalField& f : cli::journalFields(event)) {
        EXPECT_EQ(sent[f.name], f.value) << f.name;
    }
    EXPECT_EQ(sent["MESSAGE_ID"], "b7ddebcff9be421f8f36f0677988a4f2");
}

TEST_F(Journal, TheTestAlertReachesTheJournalPerVolumeAndTheStartIsQuiet) {
    sim({"reset"});
    cli::testing::Outcome outcome;
    const auto datagrams = journalDatagrams([&] {
        outcome = cli::testing::run({"monitor", "--once", "--test", "--journal", "--simulator"});
        // The outcome lives in the child: its exit says what the parent needs.
        if (outcome.status != 0 || outcome.out != "test Norvik Duo\n" || !outcome.err.empty()) {
            ::_exit(1);
        }
    });
    if (!datagrams) {
        GTEST_SKIP() << "no mount namespace for a journal socket of the test's own";
    }
    ASSERT_EQ(datagrams->size(), 1u);
    Fields sent = parseEntry(datagrams->front());
    EXPECT_EQ(sent["NORVIK_RAID_EVENT"], "test");
    EXPECT_EQ(sent["MESSAGE_ID"], cli::journalMessageId(cli::EventKind::Test));
    EXPECT_EQ(sent["NORVIK_RAID_VOLUME"], "Norvik Duo");
    EXPECT_EQ(sent["PRIORITY"], "5");
}

}  // namespace
